// SPDX-License-Identifier: GPL-3.0-or-later
// The whole start-up of the program on a pulse database of ten years of days:
// settings, database open with its full check, totals, main window shown.
#include "Finti.h"
#include "app/Applicazione.h"
#include "app/Principale.h"
#include "pulses/DatabaseScatti.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void AvvioCompleto(benchmark::State& stato)
{
    QTemporaryDir tmp{QDir::currentPath() + "/bench-XXXXXX"};
    QDir(tmp.path()).mkdir("dati");
    {
        DatabaseScatti db;
        if (!db.Apri(tmp.filePath("dati/Velatrix.001")))
            std::abort();
        for (int i = 1; i <= 3650; ++i)
            if (!db.AggiungiScatti(QDate(2026, 12, 7).addDays(-i), 20, 2540))
                std::abort();
    }
    UtenteFinto utente;
    SuoniFinti suoni;
    OrologioFinto orologio;
    SorgenteFinta sorgente;
    const QStringList argomenti{"--data-dir", tmp.filePath("dati")};
    const Applicazione::Percorsi percorsi{tmp.filePath("Velatrix.conf"), tmp.filePath("p"), tmp.filePath("lock")};
    for (auto _ : stato) {
        Applicazione app({utente, suoni, orologio, sorgente});
        int codice = 0;
        if (!app.Avvia(argomenti, percorsi, &codice))
            stato.SkipWithError("avvio non riuscito");
        stato.PauseTiming();
        app.Finestra()->Esci(false);
        stato.ResumeTiming();
    }
}
BENCHMARK(AvvioCompleto)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
