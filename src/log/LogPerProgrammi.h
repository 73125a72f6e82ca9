#pragma once
// The connection log written for other programs: the viewer's two exports,
// or CSV and JSON in forms that do not depend on the locale.
#include "common/RigaComando.h"

#include <QDate>
#include <QLocale>
#include <QString>

class QIODevice;

// Which records: started on da..a (both invalid: any day), and named
// `connessione` (compared as the filter compares names; empty: any name).
struct SceltaLog {
    QDate da, a;
    QString connessione;
};

// Writes the records of `log` that `scelta` keeps to `uscita`, in order.
// Tabulazione and Colonne are byte for byte the viewer's exports of those
// records. Csv (RFC 4180, CRLF) and Json carry ISO dates and times, the
// duration in seconds, plain numbers and the name in UTF-8 without its
// padding. A missing log is an empty one. False with the reason when the log
// cannot be read or the output written.
bool ScriviLogPerProgrammi(const QString& log, const SceltaLog& scelta, FormatoLog formato, QIODevice& uscita,
                           QString* motivo = nullptr, const QLocale& locale = QLocale());
