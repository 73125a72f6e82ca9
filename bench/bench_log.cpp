// Reading a long connection log: the block reader against a bare read of the
// same bytes, to show what decoding the records costs.
#include "log/FileLog.h"

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

} // namespace

BENCHMARK(LetturaConLettore)->Unit(benchmark::kMillisecond);
BENCHMARK(LetturaGrezza)->Unit(benchmark::kMillisecond);
BENCHMARK(AccessoCasuale)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
