// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ten years of days up to today, each with a row, on the real disk rather
// than in memory: the file the pulse, report and socket benchmarks share.
#include "pulses/DatabaseScatti.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

struct DieciAnni {
    QTemporaryDir tmp{QDir::currentPath() + "/bench-XXXXXX"};
    DatabaseScatti db;
    const QDate oggi{2026, 12, 7};
    DieciAnni()
    {
        if (!db.Apri(Percorso()))
            std::abort();
        for (int i = 0; i < 3650; ++i)
            if (!db.AggiungiScatti(oggi.addDays(-i), 20 + i % 7, 2540 + (i % 13) * 63.5))
                std::abort();
    }
    QString Percorso() const { return tmp.filePath("Velatrix.001"); }
};
