// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up reads the whole store once; every confirmation of a dialog saves.
#include "settings/CaricaImpostazioni.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QLocale Italiano(QLocale::Italian, QLocale::Italy);

QString StorePieno(const QTemporaryDir& tmp)
{
    const QString percorso = tmp.filePath("Velatrix.conf");
    ArchivioImpostazioni a(percorso);
    Impostazioni imp = CaricaImpostazioni(a, QDate(2026, 5, 14), Italiano, true, nullptr);
    ScriviPrimoAvvio(a, imp, 0, 8100, ColoriProgettati, nullptr);
    ScriviTariffe(a, imp, nullptr);
    return percorso;
}

void AperturaECaricamento(benchmark::State& stato)
{
    QTemporaryDir tmp;
    const QString percorso = StorePieno(tmp);
    for (auto _ : stato) {
        ArchivioImpostazioni a(percorso);
        benchmark::DoNotOptimize(CaricaImpostazioni(a, QDate(2026, 5, 14), Italiano, true, nullptr));
    }
}
BENCHMARK(AperturaECaricamento)->Unit(benchmark::kMicrosecond);

void SalvataggioOpzioni(benchmark::State& stato)
{
    QTemporaryDir tmp;
    ArchivioImpostazioni a(StorePieno(tmp));
    Impostazioni imp;
    for (auto _ : stato) {
        imp.IntRfr = imp.IntRfr == 1000 ? 2000 : 1000;
        benchmark::DoNotOptimize(ScriviOpzioni(a, imp, nullptr));
    }
}
BENCHMARK(SalvataggioOpzioni)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
