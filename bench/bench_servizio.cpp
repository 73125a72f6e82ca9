// SPDX-License-Identifier: GPL-3.0-or-later
// A report of a year or ten of days: what the running panel spends answering
// it, the whole trip over its socket, and the reading and writing on the side
// that asks. The plain query of the same rows runs beside them as the floor.
#include "DieciAnni.h"
#include "app/ServizioLocale.h"
#include "pulses/RapportoBolletta.h"
#include "settings/Impostazioni.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>
#include <future>
#include <sqlite3.h>

namespace {

const QDate Oggi(2026, 12, 7);
const QDate Inizio = Oggi.addDays(-364);

// The bill period is the last year of the file.
struct DieciAnniConPeriodo : DieciAnni {
    Impostazioni imp;
    DieciAnniConPeriodo()
    {
        imp.DatIPB = Inizio;
        imp.DatFPB = Oggi;
    }
};

DieciAnniConPeriodo& Dati()
{
    static DieciAnniConPeriodo d;
    return d;
}

double CpuDelThreadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The panel's thread time spent building answers, the rest being the socket.
double& CpuRisposte()
{
    static double ms = 0;
    return ms;
}

ServizioLocale& Servizio()
{
    static ServizioLocale* s = [] {
        auto* s = new ServizioLocale(Dati().tmp.filePath("s"));
        s->Rapporto = [](QDate da, QDate a, QString*) {
            const double prima = CpuDelThreadMs();
            auto risposta = CodificaRapporto(Dati().db, Dati().imp, da, a, Oggi, QTime(12, 0));
            CpuRisposte() += CpuDelThreadMs() - prima;
            return risposta;
        };
        s->Ascolta();
        return s;
    }();
    return *s;
}

QDate InizioDi(qint64 anni) { return anni == 1 ? Inizio : Oggi.addDays(-3649); }

QByteArray Richiesta(qint64 anni)
{
    return "rapporto " + InizioDi(anni).toString(Qt::ISODate).toLatin1() + ' ' + Oggi.toString(Qt::ISODate).toLatin1();
}

// What the panel does for one request of a year or of ten: the time it
// does nothing else.
void PannelloRisponde(benchmark::State& stato)
{
    ServizioLocale& s = Servizio();
    const QByteArray richiesta = Richiesta(stato.range(0));
    for (auto _ : stato)
        benchmark::DoNotOptimize(s.Rispondi(richiesta));
}
BENCHMARK(PannelloRisponde)->Arg(1)->Arg(10)->ArgName("years")->Unit(benchmark::kMillisecond);

// Asked from another thread as another process asks; the panel's thread
// serves it. Its CPU time is the panel's share of the report.
void ReportSulSocket(benchmark::State& stato)
{
    ServizioLocale& s = Servizio();
    const QDate da = InizioDi(stato.range(0));
    double cpuPannello = 0;
    CpuRisposte() = 0;
    for (auto _ : stato) {
        QEventLoop ciclo;
        const double prima = CpuDelThreadMs();
        auto futuro = std::async(std::launch::async, [&] {
            EsitoRichiesta esito;
            auto dati = ChiediRapporto(s.Nome(), da, Oggi, &esito, nullptr);
            QMetaObject::invokeMethod(&ciclo, &QEventLoop::quit, Qt::QueuedConnection);
            return dati;
        });
        ciclo.exec();
        cpuPannello += CpuDelThreadMs() - prima;
        auto dati = futuro.get();
        if (!dati || dati->righe.size() != da.daysTo(Oggi) + 1)
            stato.SkipWithError("risposta sbagliata");
    }
    stato.counters["panel_thread_cpu_ms"] = cpuPannello / double(stato.iterations());
    stato.counters["of_which_answer_ms"] = CpuRisposte() / double(stato.iterations());
}
BENCHMARK(ReportSulSocket)->Arg(1)->Arg(10)->ArgName("years")->Unit(benchmark::kMillisecond)->UseRealTime();

// The asking side: the answer read back, the report made and written.
void ChiedenteScriveUnAnno(benchmark::State& stato)
{
    const QByteArray risposta = Servizio().Rispondi(Richiesta(1));
    for (auto _ : stato) {
        const auto dati = DecodificaDati(risposta);
        const auto r = CreaRapporto(dati->righe, dati->inizio, dati->fine, dati->oggi, dati->percentualeIva);
        switch (stato.range(0)) {
        case 0: benchmark::DoNotOptimize(RapportoCsv(*r)); break;
        case 1: benchmark::DoNotOptimize(RapportoJson(*r)); break;
        default: benchmark::DoNotOptimize(RapportoTesto(*r)); break;
        }
    }
}
BENCHMARK(ChiedenteScriveUnAnno)->Arg(0)->Arg(1)->Arg(2)->ArgName("csv0_json1_testo2")->Unit(benchmark::kMillisecond);

// With no panel: a file of 1, 10 or 100 years, last closed cleanly, opened
// read-only, a year read, the file closed.
void SenzaPannelloLeggeUnAnno(benchmark::State& stato)
{
    QTemporaryDir tmp{QDir::currentPath() + "/bench-XXXXXX"};
    const QString percorso = tmp.filePath("Velatrix.001");
    if (!FileDiAnni(percorso, int(stato.range(0)), Oggi))
        stato.SkipWithError("file non creato");
    for (auto _ : stato) {
        DatabaseScatti db;
        static_cast<void>(db.ApriInLettura(percorso));
        benchmark::DoNotOptimize(RaccogliDatiRapporto(db, Dati().imp, Inizio, Oggi, Oggi));
    }
}
BENCHMARK(SenzaPannelloLeggeUnAnno)->Arg(1)->Arg(10)->Arg(100)->ArgName("file_years")->Unit(benchmark::kMillisecond);

// The floor: the same rows by a bare prepared query.
void InterrogazioneNuda(benchmark::State& stato)
{
    Dati().db.Chiudi();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QDir::toNativeSeparators(Dati().Percorso()).toUtf8().constData(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT DataScatti, NumeroScatti, Importo FROM Scatti WHERE DataScatti BETWEEN ?1 AND ?2",
                       -1, &s, nullptr);
    const QByteArray d1 = InizioDi(stato.range(0)).toString(Qt::ISODate).toLatin1(),
                     d2 = Oggi.toString(Qt::ISODate).toLatin1();
    for (auto _ : stato) {
        sqlite3_bind_text(s, 1, d1.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_text(s, 2, d2.constData(), -1, SQLITE_STATIC);
        double somma = 0;
        while (sqlite3_step(s) == SQLITE_ROW)
            somma += sqlite3_column_double(s, 2);
        sqlite3_reset(s);
        benchmark::DoNotOptimize(somma);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    static_cast<void>(Dati().db.Apri(Dati().Percorso()));
}
BENCHMARK(InterrogazioneNuda)->Arg(1)->Arg(10)->ArgName("years")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
