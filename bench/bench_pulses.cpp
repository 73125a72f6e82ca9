// One durable counting step on a database holding ten years of days.
#include "pulses/DatabaseScatti.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Ten years of days before today, on the real disk rather than in memory.
struct DieciAnni {
    QTemporaryDir tmp{QDir::currentPath() + "/bench-XXXXXX"};
    DatabaseScatti db;
    const QDate oggi{2026, 12, 7};
    DieciAnni()
    {
        db.Apri(tmp.filePath("Velatrix.001"));
        for (int i = 1; i <= 3650; ++i)
            db.AggiungiScatti(oggi.addDays(-i), 20, 2540);
    }
};

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

} // namespace

BENCHMARK_MAIN();
