// SPDX-License-Identifier: GPL-3.0-or-later
// The bill report of a year read from a database holding ten years of days,
// its CSV and JSON texts, and the chart drawn for a month and for ten years.
#include "DieciAnni.h"
#include "pulses/DisegnoBolletta.h"
#include "pulses/RapportoBolletta.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
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

// The chart as the window paints it: for ten years of days on 560 pixels
// one bar and one point of the running total a pixel column; Arg 1 paints
// every day however narrow, the way it was drawn before, as the floor of
// the same run.
void GraficoDisegnato(benchmark::State& stato)
{
    const QDate fine = Dati().oggi.addDays(24);
    const auto r = LeggiRapporto(Dati().db, fine.addDays(-stato.range(0) + 1), fine, Dati().oggi, 20);
    const SerieBolletta serie = SerieDelRapporto(*r);
    QImage immagine(560, 240, QImage::Format_ARGB32_Premultiplied);
    DisegnoBolletta disegno(serie, QRectF(0, 0, 560, 240), QApplication::font(), QApplication::palette(), QLocale());
    disegno.barrePerColonna = stato.range(1) == 0;
    for (auto _ : stato) {
        immagine.fill(Qt::white);
        QPainter p(&immagine);
        disegno.Disegna(p);
    }
}
BENCHMARK(GraficoDisegnato)->Args({31, 0})->Args({3650, 0})->Args({3650, 1})->Unit(benchmark::kMicrosecond);

// --report --format png of a year, picture encoded.
void GraficoPngDiUnAnno(benchmark::State& stato)
{
    const auto r = Dati().Anno();
    for (auto _ : stato)
        benchmark::DoNotOptimize(GraficoPng(*r, DimensioneGraficoPng));
}
BENCHMARK(GraficoPngDiUnAnno)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Dati(); // ten years of durable writes, before anything is timed
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
