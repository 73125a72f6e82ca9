#pragma once
// Ten years of days up to today, each with a row, on the real disk rather
// than in memory: the file the pulse, report and socket benchmarks share.
#include "pulses/DatabaseScatti.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <sqlite3.h>

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

// A file of the given years of days up to oggi, written in one transaction
// and then opened and closed once as the panel does (checked in full, then
// sealed as closed cleanly).
inline bool FileDiAnni(const QString& percorso, int anni, QDate oggi)
{
    {
        DatabaseScatti db;
        if (!db.Apri(percorso))
            return false;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(percorso).constData(), &db) != SQLITE_OK)
        return false;
    sqlite3_stmt* s = nullptr;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO Scatti VALUES (?1, ?2, ?3)", -1, &s, nullptr);
    for (int i = 0; i < anni * 365; ++i) {
        const QByteArray giorno = ChiaveGiorno(oggi.addDays(-i)).toLatin1();
        sqlite3_bind_text(s, 1, giorno.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(s, 2, 20 + i % 7);
        sqlite3_bind_double(s, 3, 2540 + (i % 13) * 63.5);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    DatabaseScatti verifica;
    return ok && verifica.Apri(percorso);
}
