// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one tick of a running count, and of one priced, stored pulse.
#include "engine/BancoMotore.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

struct Banco : BancoMotore {
    Banco()
    {
        Prepara();
        motore->AvviaConteggio();
    }
};

// A tick inside an interval: one clock reading and a few display updates.
void TickSenzaScatto(benchmark::State& stato)
{
    Banco b;
    for (auto _ : stato) {
        b.orologio.monotono += 1e-6;
        b.motore->TimerScatto_Timer();
    }
}
BENCHMARK(TickSenzaScatto);

// A tick that falls on a pulse: tariff lookup, price, totals and one durable
// write of the day's row.
void TickConScatto(benchmark::State& stato)
{
    Banco b;
    for (auto _ : stato) {
        b.orologio.Avanza(b.motore->DurataScatto());
        b.motore->TimerScatto_Timer();
    }
    stato.counters["scatti"] = double(b.motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti);
}
BENCHMARK(TickConScatto)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
