// The whole start-up of the program on a pulse database of ten years of days:
// settings, database open with its full check, totals, main window shown.
// And the memory the panel keeps after its log viewer.
#include "Finti.h"
#include "app/Applicazione.h"
#include "app/Principale.h"
#include "log/RecordLog.h"
#include "pulses/DatabaseScatti.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
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

long RssKb()
{
    QFile stato("/proc/self/status");
    if (!stato.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& riga : stato.readAll().split('\n'))
        if (riga.startsWith("VmRSS:"))
            return riga.mid(6).trimmed().split(' ').constFirst().toLong();
    return 0;
}

// The panel's resident memory after its log viewer was opened twice on a
// log of a million records and closed (the floor: the panel before it).
void MemoriaDopoIlLog(benchmark::State& stato)
{
    QTemporaryDir tmp{QDir::currentPath() + "/bench-XXXXXX"};
    QDir(tmp.path()).mkdir("dati");
    {
        QFile f(tmp.filePath("dati/Velatrix.003"));
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        QByteArray blocco(LunghezzaRecordLog * 10'000, '\0');
        RecordLog r;
        r.Inizio = QDateTime(QDate(1998, 1, 1), QTime(8, 0));
        r.Connessione = QStringLiteral("Rete città");
        for (int i = 0; i < 1'000'000; ++i) {
            r.Inizio = r.Inizio.addSecs(1800);
            r.Durata = i % 7200;
            r.Scatti = i % 40;
            r.Importo = 127.0 * r.Scatti;
            CodificaRecordLog(r, blocco.data() + (i % 10'000) * LunghezzaRecordLog);
            if (i % 10'000 == 9'999 && f.write(blocco) != blocco.size())
                std::abort();
        }
    }
    UtenteFinto utente;
    SuoniFinti suoni;
    OrologioFinto orologio;
    SorgenteFinta sorgente;
    const Applicazione::Percorsi percorsi{tmp.filePath("Velatrix.conf"), tmp.filePath("p"), tmp.filePath("lock")};
    // Each viewer is closed as soon as it is up.
    QTimer chiudi;
    int chiusi = 0;
    QObject::connect(&chiudi, &QTimer::timeout, [&chiusi] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            w->close();
            ++chiusi;
        }
    });
    chiudi.start(50);
    for (auto _ : stato) {
        Applicazione app({utente, suoni, orologio, sorgente});
        int codice = 0;
        if (!app.Avvia({"--data-dir", tmp.filePath("dati")}, percorsi, &codice))
            stato.SkipWithError("avvio non riuscito");
        QCoreApplication::processEvents();
        stato.counters["panel_MB"] = RssKb() / 1024.0;
        for (int volta = 0; volta < 2; ++volta)
            app.Finestra()->mnuVoce[9]->trigger();
        stato.counters["after_two_viewers_MB"] = RssKb() / 1024.0;
        app.Finestra()->Esci(false);
    }
    if (chiusi != 2)
        stato.SkipWithError("the viewer did not open twice");
}
// First, before the other runs leave their own heap behind.
BENCHMARK(MemoriaDopoIlLog)->Iterations(1)->Unit(benchmark::kMillisecond);
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
