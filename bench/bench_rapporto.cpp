// SPDX-License-Identifier: GPL-3.0-or-later
// The bill report of a year read from a database holding ten years of days,
// its CSV and JSON texts, and the chart drawn for a month and for ten years.
#include "DieciAnni.h"
#include "pulses/GraficoBolletta.h"
#include "pulses/RapportoBolletta.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct DieciAnniERapporto : DieciAnni {
    std::optional<RapportoBolletta> Anno() { return LeggiRapporto(db, oggi.addDays(-365), oggi, oggi, 20); }
};

DieciAnniERapporto& Dati()
{
    static DieciAnniERapporto d;
    return d;
}

void RapportoDiUnAnno(benchmark::State& stato)
{
    for (auto _ : stato)
        benchmark::DoNotOptimize(Dati().Anno());
}
BENCHMARK(RapportoDiUnAnno)->Unit(benchmark::kMicrosecond);

void RapportoDiUnAnnoInCsv(benchmark::State& stato)
{
    for (auto _ : stato)
        benchmark::DoNotOptimize(RapportoCsv(*Dati().Anno()));
}
BENCHMARK(RapportoDiUnAnnoInCsv)->Unit(benchmark::kMicrosecond);

void RapportoDiUnAnnoInJson(benchmark::State& stato)
{
    for (auto _ : stato)
        benchmark::DoNotOptimize(RapportoJson(*Dati().Anno()));
}
BENCHMARK(RapportoDiUnAnnoInJson)->Unit(benchmark::kMicrosecond);

void GraficoDisegnato(benchmark::State& stato)
{
    const QDate fine = Dati().oggi.addDays(24);
    const auto r = LeggiRapporto(Dati().db, fine.addDays(-stato.range(0) + 1), fine, Dati().oggi, 20);
    GraficoBolletta g;
    g.resize(560, 240);
    g.Mostra(SerieDelRapporto(*r));
    QImage immagine(g.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : stato)
        g.render(&immagine);
}
BENCHMARK(GraficoDisegnato)->Arg(31)->Arg(3650)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Dati();  // ten years of durable writes, before anything is timed
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
