// SPDX-License-Identifier: GPL-3.0-or-later
// One durable counting step on a database holding ten years of days, and
// the start-up's open and totals on files of one to a hundred years.
#include "DieciAnni.h"
#include "pulses/DatabaseScatti.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <vector>

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

// The start-up's part on a file of 1, 10 or 100 years: open, then the bill
// and day sums. As the last run closed it cleanly (sealed: no full check),
// and as after a crash or a change by another program (the full check).
void AvvioDatabase(benchmark::State& stato)
{
    QTemporaryDir tmp{QDir::currentPath() + "/bench-XXXXXX"};
    const QString percorso = tmp.filePath("Velatrix.001");
    const QDate oggi(2026, 12, 7);
    if (!FileDiAnni(percorso, int(stato.range(0)), oggi))
        stato.SkipWithError("file non creato");
    const bool sigillato = stato.range(1) == 1;
    for (auto _ : stato) {
        if (!sigillato) {
            stato.PauseTiming();
            QFile::remove(percorso + "-verificato");
            stato.ResumeTiming();
        }
        DatabaseScatti db;
        if (!db.Apri(percorso) || !db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31)) || !db.Somma(oggi, oggi))
            stato.SkipWithError("apertura non riuscita");
    }
}
BENCHMARK(AvvioDatabase)
    ->ArgsProduct({{1, 10, 100}, {1, 0}})
    ->ArgNames({"years", "closed_cleanly"})
    ->Unit(benchmark::kMicrosecond);

// Floor: the same open as plain calls on the ten-year file, the write-ahead
// switch and the same two sums, with no check of the pages, and with the
// quick check the start-up used before.
void AvvioNudo(benchmark::State& stato)
{
    DieciAnni d;
    d.db.Chiudi();
    const QByteArray percorso = QFile::encodeName(d.Percorso());
    std::vector<const char*> passi = {
        "PRAGMA locking_mode=EXCLUSIVE",
        "SELECT type FROM sqlite_schema WHERE name = 'Scatti'",
        "PRAGMA table_info(Scatti)",
        "PRAGMA journal_mode=WAL",
        "PRAGMA synchronous=FULL",
        "BEGIN EXCLUSIVE",
        "COMMIT",
        "SELECT COALESCE(SUM(NumeroScatti),0), COALESCE(SUM(Importo),0) FROM Scatti "
        "WHERE DataScatti BETWEEN '2026-12-01' AND '2026-12-31'",
        "SELECT COALESCE(SUM(NumeroScatti),0), COALESCE(SUM(Importo),0) FROM Scatti "
        "WHERE DataScatti BETWEEN '2026-12-07' AND '2026-12-07'",
    };
    if (stato.range(0) == 1)
        passi.insert(passi.begin() + 3, "PRAGMA quick_check");
    for (auto _ : stato) {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(percorso.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr)
            != SQLITE_OK)
            stato.SkipWithError("apertura non riuscita");
        for (const char* sql : passi)
            if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
                stato.SkipWithError(sql);
        sqlite3_close(db);
    }
}
BENCHMARK(AvvioNudo)->Arg(0)->Arg(1)->ArgName("quick_check")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
