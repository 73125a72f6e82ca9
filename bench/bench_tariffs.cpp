// SPDX-License-Identifier: GPL-3.0-or-later
// The lookup runs at every pulse and every second in the viewer; the pricing
// at every pulse.
#include "tariffs/Tariffe.h"

#include <benchmark/benchmark.h>

namespace {

void TariffaInVigore_Settimana(benchmark::State& stato)
{
    ModelloTariffe m;
    m.MaxFsc = 5;
    m.fascia(4) = {"20.00", 2, 2, 2};
    m.fascia(5) = {"22.30", 2, 2, 2};
    const QDate lunedi(2026, 12, 7);
    int minuto = 0;
    for (auto _ : stato) {
        const QDate data = lunedi.addDays(minuto / 1440 % 7);
        benchmark::DoNotOptimize(TariffaInVigore(m, data, QTime(minuto / 60 % 24, minuto % 60)));
        minuto = (minuto + 7) % (7 * 1440);
    }
}
BENCHMARK(TariffaInVigore_Settimana);

void PrezzaScatto_Conteggio(benchmark::State& stato)
{
    ModelloTariffe m;
    m.RidTrf = true;
    qint32 scatti = 0;
    bool riduzione = false;
    for (auto _ : stato) {
        PassoScatto p = PrezzaScatto(m, scatti == 0, scatti, float(scatti) * 220, riduzione);
        scatti = (scatti + p.scatti) % 100000;
        riduzione = p.riduzioneAttiva;
        benchmark::DoNotOptimize(p.importo);
    }
}
BENCHMARK(PrezzaScatto_Conteggio);

} // namespace

BENCHMARK_MAIN();
