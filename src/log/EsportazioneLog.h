// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole log as a text file, tab-delimited or in fixed columns.
#include "log/FileLog.h"
#include "log/TestiLog.h"

#include <QLocale>
#include <QString>

// True when both names lead to the same file (links and relative names
// resolved); a missing file is compared by its absolute name.
bool StessoFile(const QString& a, const QString& b);

// Writes the header and one line per record of `log` to `destinazione`. The
// text goes to a temporary file that takes the chosen name only when
// complete, so a failure leaves no half file and an older file unchanged.
// False with the reason when the log cannot be read or the file written.
// `annullato`, asked after each record, stops the export the same way: no
// file is left and an older one keeps its contents; `motivo` is then empty.
bool EsportaLog(const QString& log, const QString& destinazione, TipoEsportazione tipo, QString* motivo = nullptr,
                const AvanzamentoLog& avanzamento = {}, const QLocale& locale = QLocale(),
                const std::function<bool()>& annullato = {});
