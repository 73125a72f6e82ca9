// A long connection log: reading it, opening it in the viewer, filtering and
// exporting it, each beside a bare read or a plain copy of the same bytes.
#include "common/FusoOrario.h"
#include "log/EsportazioneLog.h"
#include "log/FileLog.h"
#include "log/FiltroLog.h"
#include "log/ModelloLog.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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
void FiltroMeta(benchmark::State& stato)
{
    const QString& p = LogGrande();
    LimitiFiltro limiti;
    limiti.ImpostaCampo(CampoLog::Scatti);
    limiti.ImpostaTesto(0, QStringLiteral("0"));
    limiti.ImpostaTesto(1, QStringLiteral("19"));
    limiti.ControllaValori();
    for (auto _ : stato) {
        const EsitoFiltroLog e = EseguiFiltroLog(p, Destinazione("Velatrix.T03"), limiti);
        if (e.tenuti != NumeroRecord / 2)
            stato.SkipWithError("wrong count");
    }
    stato.SetItemsProcessed(stato.iterations() * NumeroRecord);
}

void Esportazione(benchmark::State& stato, TipoEsportazione tipo)
{
    const QString& p = LogGrande();
    for (auto _ : stato)
        if (!EsportaLog(p, Destinazione("esportato.txt"), tipo))
            stato.SkipWithError("export failed");
    stato.SetItemsProcessed(stato.iterations() * NumeroRecord);
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

} // namespace

BENCHMARK(AperturaVisualizzatore)->Unit(benchmark::kMillisecond);
BENCHMARK(FiltroMeta)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Esportazione, Tabulazione, TipoEsportazione::Tabulazione)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Esportazione, Spazi, TipoEsportazione::Spazi)->Unit(benchmark::kMillisecond);
BENCHMARK(CopiaSemplice)->Unit(benchmark::kMillisecond);
BENCHMARK(LetturaConLettore)->Unit(benchmark::kMillisecond);
BENCHMARK(LetturaGrezza)->Unit(benchmark::kMillisecond);
BENCHMARK(AccessoCasuale)->Unit(benchmark::kMicrosecond);

// The program's own start-up fixes the zone before anything else; so do we.
int main(int argc, char** argv)
{
    FissaFusoOrario();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
