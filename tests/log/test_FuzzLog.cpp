// SPDX-License-Identifier: GPL-3.0-or-later
// Random and damaged logs through everything that reads them: the reader,
// the viewer's model, the filter and both exports. Seeded, so a failure
// repeats; bounded, so it takes a few seconds.
#include "SupportoLog.h"
#include "log/EsportazioneLog.h"
#include "log/FiltroLog.h"
#include "log/ModelloLog.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray LogCasuale(std::mt19937_64& g)
{
    QByteArray dati;
    if (g() % 8 == 0) {
        // Noise of any length.
        dati.resize(qsizetype(g() % (20 * LunghezzaRecordLog)));
        for (char& c : dati)
            c = char(g());
        return dati;
    }
    const int n = int(g() % 40);
    for (int i = 0; i < n; ++i)
        dati += RecordCasuale(g);
    // A tail cut short, as a write stopped part way leaves it.
    if (g() % 3 == 0)
        dati += RecordCasuale(g).left(qsizetype(g() % LunghezzaRecordLog));
    return dati;
}

TEST(FuzzLog, LogCasualiLettiFiltratiEdEsportatiSenzaDanni)
{
    FusoOrarioProva fuso("Europe/Rome");
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString log = tmp.filePath("Velatrix.003");
    std::mt19937_64 g(14);
    for (int prova = 0; prova < 200; ++prova) {
        LocaleProva sotto(prova % 2 ? QLocale(QLocale::English, QLocale::UnitedStates)
                                    : QLocale(QLocale::Italian, QLocale::Italy));
        const QByteArray dati = LogCasuale(g);
        ASSERT_NO_FATAL_FAILURE(ScriviFile(log, dati));
        const qint64 n = dati.size() / LunghezzaRecordLog;
        SCOPED_TRACE(testing::Message() << "log " << prova << ": " << dati.toHex().constData());

        FileLog file(log);
        ASSERT_EQ(file.NumeroRecord(), n);
        for (qint64 i = 0; i <= n + 1; ++i)
            EXPECT_EQ(file.LeggiRecord(i).has_value(), i >= 1 && i <= n);

        LettoreLog lettore(log, 1 + int(g() % 8));
        RecordLog r;
        qint64 letti = 0;
        while (lettore.Prossimo(r))
            ++letti;
        EXPECT_EQ(letti, n);
        EXPECT_TRUE(lettore.Errore().isEmpty());

        ModelloLog modello;
        modello.Apri(log);
        ASSERT_EQ(modello.rowCount(), n);
        for (int riga = int(n) - 1; riga >= 0; --riga)
            for (int c = 0; c < modello.columnCount(); ++c)
                EXPECT_TRUE(modello.index(riga, c).data().isValid());

        for (const TipoEsportazione tipo : {TipoEsportazione::Tabulazione, TipoEsportazione::Spazi}) {
            const QString uscita = tmp.filePath("uscita");
            QString motivo;
            ASSERT_TRUE(EsportaLog(log, uscita, tipo, &motivo)) << motivo.toStdString();
            const QByteArray testo = Contenuto(uscita);
            EXPECT_TRUE(testo.startsWith(IntestazioneEsportazione(tipo)));
            // One line a record: control bytes of a damaged name never split one.
            EXPECT_EQ(testo.count('\n'), n + 1);
        }

        LimitiFiltro limiti;
        limiti.ImpostaCampo(CampoLog(g() % NumeroCampiLog));
        const QString testi[] = {"", "0", "12", "1/1/1998", "31/12/2030", "2.30", "23", "RETE", "-7", "1e9", "abc"};
        limiti.ImpostaTesto(0, testi[g() % 11]);
        limiti.ImpostaTesto(1, testi[g() % 11]);
        limiti.ControllaValori();
        const EsitoFiltroLog esito = EseguiFiltroLog(log, tmp.filePath("Velatrix.T03"), limiti);
        EXPECT_TRUE(esito.errore.isEmpty()) << esito.errore.toStdString();
        EXPECT_LE(esito.tenuti, n);
        EXPECT_EQ(FileLog(tmp.filePath("Velatrix.T03")).NumeroRecord(), esito.tenuti);

        // Nothing that reads the log changes it.
        ASSERT_EQ(Contenuto(log), dati);
    }
}

} // namespace
