// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the program does from the command line without a window: help,
// version, mistakes in the line, and reports.
#include "common/RigaComando.h"

#include <QDate>
#include <QString>
#include <QTime>

class QIODevice;

struct PercorsiComando {
    QString impostazioni;         // the settings file
    QString cartellaProgramma;    // where a portable install keeps its data
    QString esecuzione;           // the running copy's socket folder; empty: the user's runtime folder
    QDate oggi;                   // the day a report is asked on
    QTime ora;                    // and the time; invalid counts the day whole
    bool uscitaTerminale = false; // out is a terminal, where a picture has no place

    static PercorsiComando Predefiniti();
};

// Exit statuses of the program, whichever way it runs.
inline constexpr int UscitaRiuscita = 0;
inline constexpr int UscitaFallita = 1; // a report could not be had, or the panel could not start
inline constexpr int UscitaUso = 2;     // the line was not understood
inline constexpr int UscitaPerdita = 3; // pulses or records could be neither written nor kept
inline constexpr int UscitaLimite = 4;  // --alert: the limit is passed

// Runs every command but Avvia; out and err take the texts.
int EseguiComando(const RigaComando& riga, const PercorsiComando& percorsi, QIODevice& out, QIODevice& err);
