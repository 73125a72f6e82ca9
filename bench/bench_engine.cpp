// Cost of one tick of a running count, and of one priced, stored pulse.
#include "Finti.h"
#include "engine/Motore.h"
#include "log/FileLog.h"
#include "pulses/DatabaseScatti.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Banco {
    QTemporaryDir tmp;
    Impostazioni imp;
    DatabaseScatti db;
    FileLog log{tmp.filePath("Velatrix.003")};
    OrologioFinto orologio;
    VistaFinta vista;
    UtenteFinto utente;
    SuoniFinti suoni;
    Motore motore{imp, db, log, orologio, utente, suoni};
    Banco()
    {
        imp.DatIPB = QDate(2026, 12, 1);
        imp.DatFPB = QDate(2026, 12, 31);
        db.Apri(tmp.filePath("Velatrix.001"));
        motore.ImpostaVista(vista);
        motore.CaricaTotali();
        motore.AvviaConteggio();
    }
};

// A tick inside an interval: one clock reading and a few display updates.
void TickSenzaScatto(benchmark::State& stato)
{
    Banco b;
    for (auto _ : stato) {
        b.orologio.monotono += 1e-6;
        b.motore.TimerScatto_Timer();
    }
}
BENCHMARK(TickSenzaScatto);

// A tick that falls on a pulse: tariff lookup, price, totals and one durable
// write of the day's row.
void TickConScatto(benchmark::State& stato)
{
    Banco b;
    for (auto _ : stato) {
        b.orologio.Avanza(b.motore.DurataScatto());
        b.motore.TimerScatto_Timer();
    }
    stato.counters["scatti"] = double(b.motore.ScattiConnessione());
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
