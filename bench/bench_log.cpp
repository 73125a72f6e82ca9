// SPDX-License-Identifier: GPL-3.0-or-later
// A long connection log: reading it, opening it in the viewer, filtering and
// exporting it. The filter runs beside a plain C program doing the same work
// (pavimento_log.c), the exports beside a careful C writer of the same bytes
// (pavimento_esporta.c), and the run ends with their ratios.
#include "common/FusoOrario.h"
#include "log/EsportazioneLog.h"
#include "log/FileLog.h"
#include "log/FiltroLog.h"
#include "log/ModelloLog.h"

#include "pavimento_log.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr qint64 NumeroRecord = 1'000'000;

// Written once for all the runs.
const QString& LogGrande()
{
    static QTemporaryDir tmp;
    static const QString percorso = [] {
        const QString p = tmp.filePath("Velatrix.003");
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            return QString();
        QByteArray blocco;
        RecordLog r;
        r.Inizio = QDateTime(QDate(1998, 1, 1), QTime(8, 0));
        r.Connessione = QStringLiteral("Rete città");
        for (qint64 i = 0; i < NumeroRecord; ++i) {
            r.Inizio = r.Inizio.addSecs(1800);
            r.Durata = qint32(i % 7200);
            r.Scatti = qint32(i % 40);
            r.Importo = 127.0 * r.Scatti;
            const qsizetype fine = blocco.size();
            blocco.resize(fine + LunghezzaRecordLog);
            CodificaRecordLog(r, blocco.data() + fine);
            if (blocco.size() >= (1 << 20)) {
                f.write(blocco);
                blocco.clear();
            }
        }
        f.write(blocco);
        return p;
    }();
    return percorso;
}

void LetturaConLettore(benchmark::State& stato)
{
    const QString& p = LogGrande();
    for (auto _ : stato) {
        LettoreLog lettore(p);
        RecordLog r;
        qint64 n = 0;
        qint64 scatti = 0;
        while (lettore.Prossimo(r)) {
            ++n;
            scatti += r.Scatti;
        }
        if (n != NumeroRecord)
            stato.SkipWithError("wrong count");
        benchmark::DoNotOptimize(scatti);
    }
    stato.SetItemsProcessed(stato.iterations() * NumeroRecord);
    stato.SetBytesProcessed(stato.iterations() * NumeroRecord * LunghezzaRecordLog);
}

void LetturaGrezza(benchmark::State& stato)
{
    const QString& p = LogGrande();
    QByteArray buffer(4096 * LunghezzaRecordLog, Qt::Uninitialized);
    for (auto _ : stato) {
        QFile f(p);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            stato.SkipWithError("cannot open");
            break;
        }
        qint64 totale = 0;
        for (qint64 n; (n = f.read(buffer.data(), buffer.size())) > 0;)
            totale += n;
        if (totale / LunghezzaRecordLog != NumeroRecord)
            stato.SkipWithError("wrong count");
        benchmark::DoNotOptimize(totale);
    }
    stato.SetItemsProcessed(stato.iterations() * NumeroRecord);
    stato.SetBytesProcessed(stato.iterations() * NumeroRecord * LunghezzaRecordLog);
}

void AccessoCasuale(benchmark::State& stato)
{
    const QString& p = LogGrande();
    LettoreLog lettore(p);
    qint64 n = 1;
    for (auto _ : stato) {
        // A grid jumping about: a new block on most requests.
        n = (n * 7919 + 104729) % NumeroRecord + 1;
        benchmark::DoNotOptimize(lettore.LeggiRecord(n));
    }
}

// What the viewer does before its first screen: open the model and format
// the rows a window shows.
void AperturaVisualizzatore(benchmark::State& stato)
{
    const QString& p = LogGrande();
    for (auto _ : stato) {
        ModelloLog m;
        m.Apri(p);
        for (int r = 0; r < 30; ++r)
            for (int c = 0; c < m.columnCount(); ++c)
                benchmark::DoNotOptimize(m.index(r, c).data());
        if (m.Righe() != NumeroRecord)
            stato.SkipWithError("wrong count");
    }
}

QString Destinazione(const char* nome)
{
    static QTemporaryDir tmp;
    return tmp.filePath(QLatin1String(nome));
}

// Pulses 0..19 of 0..39: about half the records stay.
void Filtro(benchmark::State& stato, bool c)
{
    const QString& p = LogGrande();
    const QString d = Destinazione(c ? "c.T03" : "Velatrix.T03");
    LimitiFiltro limiti;
    limiti.ImpostaCampo(CampoLog::Scatti);
    limiti.ImpostaTesto(0, QStringLiteral("0"));
    limiti.ImpostaTesto(1, QStringLiteral("19"));
    limiti.ControllaValori();
    const QByteArray sorgente = QFile::encodeName(p), destinazione = QFile::encodeName(d);
    for (auto _ : stato) {
        const qint64 tenuti = c ? pavimento_filtra_scatti(sorgente.constData(), destinazione.constData(), 0, 19)
                                : EseguiFiltroLog(p, d, limiti).tenuti;
        if (tenuti != NumeroRecord / 2)
            stato.SkipWithError("wrong count");
    }
    stato.SetItemsProcessed(stato.iterations() * NumeroRecord);
}

bool EsportaC(const QString& sorgente, const QString& destinazione, TipoEsportazione tipo)
{
    return pavimento_esporta(QFile::encodeName(sorgente).constData(), QFile::encodeName(destinazione).constData(),
                             tipo == TipoEsportazione::Spazi)
           == 0;
}

struct Tempi {
    double cpu = 0, muro = 0; // seconds
};

Tempi Adesso()
{
    timespec cpu{}, muro{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    clock_gettime(CLOCK_MONOTONIC, &muro);
    return {double(cpu.tv_sec) + cpu.tv_nsec / 1e9, double(muro.tv_sec) + muro.tv_nsec / 1e9};
}

// Each iteration exports once with the program and once with the floor, the
// order alternating, each timed on its own: a load that drifts during the run
// weighs on both alike. Reported as counters: CPU and wall time of each, in
// ms, and the CPU ratio.
void ConfrontoEsportazione(benchmark::State& stato, TipoEsportazione tipo)
{
    const QString& p = LogGrande();
    const QString dv = Destinazione("esportato.txt"), dc = Destinazione("c.txt");
    Tempi velatrix, c;
    qint64 n = 0;
    for (auto _ : stato) {
        for (int k = 0; k < 2; ++k) {
            const bool floor = (n + k) % 2 == 1;
            const Tempi prima = Adesso();
            if (!(floor ? EsportaC(p, dc, tipo) : EsportaLog(p, dv, tipo)))
                stato.SkipWithError("export failed");
            const Tempi dopo = Adesso();
            Tempi& t = floor ? c : velatrix;
            t.cpu += dopo.cpu - prima.cpu;
            t.muro += dopo.muro - prima.muro;
        }
        ++n;
    }
    if (n == 0 || c.cpu <= 0)
        return;
    stato.counters["Velatrix_CPU_ms"] = velatrix.cpu / double(n) * 1e3;
    stato.counters["C_CPU_ms"] = c.cpu / double(n) * 1e3;
    stato.counters["Velatrix_wall_ms"] = velatrix.muro / double(n) * 1e3;
    stato.counters["C_wall_ms"] = c.muro / double(n) * 1e3;
    stato.counters["CPU_ratio"] = velatrix.cpu / c.cpu;
}

// The floor is only a floor if it writes the same bytes.
bool StessiByte()
{
    const QString& p = LogGrande();
    bool uguali = true;
    for (const TipoEsportazione tipo : {TipoEsportazione::Tabulazione, TipoEsportazione::Spazi}) {
        const QString a = Destinazione("confronto.velatrix"), b = Destinazione("confronto.c");
        EsportaLog(p, a, tipo);
        EsportaC(p, b, tipo);
        QFile fa(a), fb(b);
        const QByteArray va = fa.open(QIODevice::ReadOnly) ? fa.readAll() : QByteArray();
        const QByteArray vb = fb.open(QIODevice::ReadOnly) ? fb.readAll() : QByteArray();
        if (va.isEmpty() || va != vb) {
            uguali = false;
            qsizetype i = 0;
            while (i < std::min(va.size(), vb.size()) && va[i] == vb[i])
                ++i;
            const qsizetype riga = va.lastIndexOf('\n', i - 1) + 1;
            std::fprintf(stderr, "First difference at byte %lld:\n  %s\n  %s\n", qint64(i),
                         va.mid(riga, 140).constData(), vb.mid(riga, 140).constData());
        }
    }
    return uguali;
}

void CopiaSemplice(benchmark::State& stato)
{
    const QString& p = LogGrande();
    const QString d = Destinazione("copia.003");
    for (auto _ : stato) {
        QFile::remove(d);
        if (!QFile::copy(p, d))
            stato.SkipWithError("copy failed");
    }
    stato.SetBytesProcessed(stato.iterations() * NumeroRecord * LunghezzaRecordLog);
}

// Google Benchmark 1.8 replaced error_occurred with skipped; Debian 12 has
// 1.7, Debian 13 has 1.9.
template <class Esito>
bool Saltato(const Esito& r)
{
    if constexpr (requires { r.error_occurred; })
        return r.error_occurred;
    else
        return static_cast<int>(r.skipped) != 0;
}

// Prints as usual, and at the end each "X/Velatrix" against its "X/C".
class ConRapporti : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (!Saltato(r) && r.iterations > 0) {
                tempi_[r.benchmark_name()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
                if (const auto q = r.counters.find("CPU_ratio"); q != r.counters.end())
                    confronti_.push_back(
                        {r.benchmark_name(), r.counters.at("Velatrix_CPU_ms"), r.counters.at("C_CPU_ms"), q->second});
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nExports against the careful C writer, interleaved (same output bytes: %s):\n",
                    uguali_ ? "yes" : "NO");
        for (const Confronto& c : confronti_)
            std::printf("  %-40s CPU %6.0f / %6.0f ms = %4.2f\n", c.nome.c_str(), double(c.velatrix), double(c.c),
                        double(c.rapporto));
        std::printf("\nThe filter against the plain C program:\n");
        std::printf("  %-26s %21s %21s\n", "", "wall: Velatrix / C", "CPU: Velatrix / C");
        for (const auto& [nome, tempo] : tempi_) {
            const auto taglio = nome.find("/Velatrix");
            if (taglio == std::string::npos)
                continue;
            const auto c = tempi_.find(nome.substr(0, taglio) + "/C" + nome.substr(taglio + 9));
            if (c != tempi_.end())
                std::printf("  %-26s %6.0f / %6.0f = %4.2f %6.0f / %6.0f = %4.2f\n", nome.substr(0, taglio).c_str(),
                            tempo.first, c->second.first, tempo.first / c->second.first, tempo.second, c->second.second,
                            tempo.second / c->second.second);
        }
    }
    bool uguali_ = false;

private:
    struct Confronto {
        std::string nome;
        double velatrix, c, rapporto;
    };
    std::map<std::string, std::pair<double, double>> tempi_; // wall and CPU, ms
    std::vector<Confronto> confronti_;
};

} // namespace

BENCHMARK(AperturaVisualizzatore)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Filtro, Velatrix, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Filtro, C, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ConfrontoEsportazione, Tabulazione, TipoEsportazione::Tabulazione)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6)
    ->UseRealTime();
BENCHMARK_CAPTURE(ConfrontoEsportazione, Spazi, TipoEsportazione::Spazi)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6)
    ->UseRealTime();
BENCHMARK(CopiaSemplice)->Unit(benchmark::kMillisecond);
BENCHMARK(LetturaConLettore)->Unit(benchmark::kMillisecond);
BENCHMARK(LetturaGrezza)->Unit(benchmark::kMillisecond);
BENCHMARK(AccessoCasuale)->Unit(benchmark::kMicrosecond);

// The program's own start-up fixes the zone before anything else; so do we.
// The floor writes the Italian forms, so the program writes them too.
int main(int argc, char** argv)
{
    FissaFusoOrario();
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ConRapporti rapporti;
    rapporti.uguali_ = StessiByte();
    benchmark::RunSpecifiedBenchmarks(&rapporti);
    benchmark::Shutdown();
    return 0;
}
