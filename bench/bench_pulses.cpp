// One durable counting step on a database holding ten years of days.
#include "pulses/DatabaseScatti.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void PassoDiConteggio(benchmark::State& stato)
{
    QTemporaryDir tmp(QDir::currentPath() + "/bench-XXXXXX");  // on the real disk, not in memory
    DatabaseScatti db;
    db.Apri(tmp.filePath("Velatrix.001"));
    const QDate oggi(2026, 12, 7);
    for (int i = 1; i <= 3650; ++i)
        db.AggiungiScatti(oggi.addDays(-i), 20, 2540);
    for (auto _ : stato)
        benchmark::DoNotOptimize(db.AggiungiScatti(oggi, 1, 127));
}
BENCHMARK(PassoDiConteggio)->Unit(benchmark::kMicrosecond);

void SommaPeriodoBolletta(benchmark::State& stato)
{
    QTemporaryDir tmp(QDir::currentPath() + "/bench-XXXXXX");
    DatabaseScatti db;
    db.Apri(tmp.filePath("Velatrix.001"));
    const QDate oggi(2026, 12, 7);
    for (int i = 1; i <= 3650; ++i)
        db.AggiungiScatti(oggi.addDays(-i), 20, 2540);
    for (auto _ : stato)
        benchmark::DoNotOptimize(db.Somma(QDate(2026, 11, 1), QDate(2026, 11, 30)));
}
BENCHMARK(SommaPeriodoBolletta)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
