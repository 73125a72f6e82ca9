// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the pulse database and the connection log live.
#include "common/RigaComando.h"

#include <QString>

// The folder given on the command line; else the executable's folder when it
// already holds Velatrix.001 (a portable install); else the per-user data
// folder. Creates the chosen folder when missing; empty with a message when
// it cannot be had.
QString CartellaDati(const QString& daRigaComando, const QString& cartellaProgramma, QString* errore);
// The same choice, absolute and clean, without creating anything: for the
// programs that only read, and for naming the running copy's socket.
QString ScegliCartellaDati(const QString& daRigaComando, const QString& cartellaProgramma);

inline constexpr const char* NomeDatabase = "Velatrix.001";
inline constexpr const char* NomeLog = "Velatrix.003";
inline constexpr const char* NomeLogFiltrato = "Velatrix.T03";

// Where a save dialog of an export opens: the folder of the last export of
// this run, else the documents folder, else home. Every export shares it.
QString CartellaEsportazione();
void RicordaCartellaEsportazione(const QString& fileEsportato);
