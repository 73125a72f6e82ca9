// SPDX-License-Identifier: GPL-3.0-or-later
// One durable counting step on a database holding ten years of days, and
// the start-up's open and totals on that file.
#include "DieciAnni.h"
#include "pulses/DatabaseScatti.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

void PassoDiConteggio(benchmark::State& stato)
{
    DieciAnni d;
    for (auto _ : stato)
        benchmark::DoNotOptimize(d.db.AggiungiScatti(d.oggi, 1, 127));
}
BENCHMARK(PassoDiConteggio)->Unit(benchmark::kMicrosecond);

void SommaPeriodoBolletta(benchmark::State& stato)
{
    DieciAnni d;
    for (auto _ : stato)
        benchmark::DoNotOptimize(d.db.Somma(QDate(2026, 11, 1), QDate(2026, 11, 30)));
}
BENCHMARK(SommaPeriodoBolletta)->Unit(benchmark::kMicrosecond);

// The start-up's part: open with the full check, then the bill and day sums.
void AvvioConControlloCompleto(benchmark::State& stato)
{
    DieciAnni d;
    d.db.Chiudi();
    for (auto _ : stato) {
        DatabaseScatti db;
        if (!db.Apri(d.Percorso()) || !db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31)) || !db.Somma(d.oggi, d.oggi))
            stato.SkipWithError("apertura non riuscita");
    }
}
BENCHMARK(AvvioConControlloCompleto)->Unit(benchmark::kMicrosecond);

// Floor: the same open as plain calls with the quick check the start-up
// used before, the write-ahead switch and the same two sums.
void AvvioConControlloRapido(benchmark::State& stato)
{
    DieciAnni d;
    d.db.Chiudi();
    const QByteArray percorso = QFile::encodeName(d.Percorso());
    const char* passi[] = {
        "PRAGMA locking_mode=EXCLUSIVE", "SELECT type FROM sqlite_schema WHERE name = 'Scatti'",
        "PRAGMA table_info(Scatti)", "PRAGMA quick_check", "PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL",
        "BEGIN EXCLUSIVE", "COMMIT",
        "SELECT COALESCE(SUM(NumeroScatti),0), COALESCE(SUM(Importo),0) FROM Scatti "
        "WHERE DataScatti BETWEEN '2026-12-01' AND '2026-12-31'",
        "SELECT COALESCE(SUM(NumeroScatti),0), COALESCE(SUM(Importo),0) FROM Scatti "
        "WHERE DataScatti BETWEEN '2026-12-07' AND '2026-12-07'",
    };
    for (auto _ : stato) {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(percorso.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
            stato.SkipWithError("apertura non riuscita");
        for (const char* sql : passi)
            if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
                stato.SkipWithError(sql);
        sqlite3_close(db);
    }
}
BENCHMARK(AvvioConControlloRapido)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
