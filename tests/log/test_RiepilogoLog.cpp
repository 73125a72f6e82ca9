// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoLog.h"
#include "common/ValoreScambio.h"
#include "log/RiepilogoLog.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QString Vuoto = QStringLiteral("Informazione: Il riepilogo delle connessioni è vuoto.");

class RiepilogoLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        ::chmod(QFile::encodeName(tmp.path()).constData(), 0755);
    }
    QString Log() const { return tmp.filePath("Velatrix.003"); }
    QString T03() const { return tmp.filePath("Velatrix.T03"); }
    SceltaFileEsportazione Scelta(const QString& percorso, TipoEsportazione tipo)
    {
        return [=, this] {
            ++scelte;
            return std::optional<SceltaEsportazione>({percorso, tipo});
        };
    }

    QTemporaryDir tmp;
    UtenteFinto utente;
    int scelte = 0;
};

TEST_F(RiepilogoLogTest, UnLogVuotoNonChiedeNulla)
{
    for (const bool conFile : {false, true}) {
        if (conFile)
            ScriviLog(Log(), 0);
        RiepilogoLog v(tmp.path(), utente);
        EXPECT_EQ(v.TestoStato(), "Righe: 0");
        bool aperto = false;
        EXPECT_FALSE(v.Azzera());
        v.Esporta(Scelta(tmp.filePath("x.txt"), TipoEsportazione::Tabulazione));
        EXPECT_FALSE(v.Filtra([&] { aperto = true; }));
        EXPECT_EQ(utente.detti, QStringList({Vuoto, Vuoto, Vuoto}));
        EXPECT_FALSE(aperto);
        EXPECT_EQ(scelte, 0);
        utente.detti.clear();
    }
}

TEST_F(RiepilogoLogTest, AzzeraChiedeEAgisceSoloSuOK)
{
    ScriviLog(Log(), 5);
    ScriviLog(T03(), 2);
    RiepilogoLog v(tmp.path(), utente);
    utente.risposta = false;
    EXPECT_FALSE(v.Azzera());
    EXPECT_EQ(
        utente.detti,
        QStringList({"Conferma: Attenzione!!! Il riepilogo delle connessioni  sta per essere totalmente azzerato: "
                     "premere <OK> per procedere all'azzeramento oppure <Annulla> per lasciare invariato."}));
    EXPECT_EQ(FileLog(Log()).NumeroRecord(), 5);

    // From the filtered view too: the whole log goes, the copy stays.
    ValoreScambio = qint16(0);
    ASSERT_TRUE(v.Filtra([] { ValoreScambio = qint16(1); }));
    utente.risposta = true;
    EXPECT_TRUE(v.Azzera());
    EXPECT_EQ(v.TestoStato(), "Righe: 0");
    EXPECT_EQ(QFileInfo(Log()).size(), 0);
    EXPECT_EQ(FileLog(T03()).NumeroRecord(), 2);
}

TEST_F(RiepilogoLogTest, UnAzzeramentoFallitoSiDiceEIRecordRestano)
{
    ScriviLog(Log(), 4);
    RiepilogoLog v(tmp.path(), utente);
    ::chmod(QFile::encodeName(Log()).constData(), 0444);
    {
        SenzaPrivilegi nobody;
        if (QFile(Log()).open(QIODevice::Append))
            GTEST_SKIP() << "file permissions are not enforced here";
        EXPECT_TRUE(v.Azzera());
    }
    ASSERT_EQ(utente.detti.size(), 2);
    EXPECT_TRUE(utente.detti.at(1).startsWith("Avviso: Impossibile azzerare")) << utente.detti.at(1).toStdString();
    EXPECT_EQ(v.TestoStato(), "Righe: 4") << "the records on disk";
}

TEST_F(RiepilogoLogTest, EsportaIlLogInteroNeiDueFormati)
{
    ScriviCopia(Log(), {RecordLog{QDateTime(QDate(1997, 12, 31), QTime(23, 59, 30)), 45, 3, 381.5, "ABC"},
                        RecordLog{QDateTime(QDate(1998, 1, 5), QTime(8, 0, 0)), 3907, 40, 5080, ""}});
    // Append a partial tail: it is not a record and is not exported.
    ScriviFile(Log(), Contenuto(Log()) + "rotto");
    ScriviLog(T03(), 1);
    RiepilogoLog v(tmp.path(), utente);
    ValoreScambio = qint16(0);
    ASSERT_TRUE(v.Filtra([] { ValoreScambio = qint16(1); }));

    std::vector<std::pair<qint64, qint64>> avanzamenti;
    QString iniziato;
    int finiti = 0;
    const ProgressoLog progresso{[&](const QString& t, qint64 massimo) { iniziato = t + QString::number(massimo); },
                                 [&](qint64 i, qint64 n) { avanzamenti.emplace_back(i, n); },
                                 [&] { ++finiti; },
                                 {}};
    const QString txt = tmp.filePath("uscita.txt");
    v.Esporta(Scelta(txt, TipoEsportazione::Tabulazione), progresso);
    EXPECT_EQ(iniziato, "Esportazione in corso...2");
    EXPECT_EQ(avanzamenti, (std::vector<std::pair<qint64, qint64>>{{1, 2}, {2, 2}}));
    EXPECT_EQ(finiti, 1);
    EXPECT_EQ(Contenuto(txt), "Data Inizio\tOra Inizio\tData Fine\tOra Fine\tDurata\tScatti\tImporto\tConnessione\r\n"
                              "31/12/1997\t23:59:30\t01/01/1998\t00:00:15\t45\"\t3\t382\tABC\r\n"
                              "05/01/1998\t08:00:00\t05/01/1998\t09:05:07\t1h05'07\"\t40\t5080\t\r\n");
    EXPECT_EQ(utente.detti,
              QStringList({"Informazione: Il riepilogo delle connessioni è stato esportato nel file " + txt}));

    // The fixed-column form, its lines pinned by the texts' own test.
    const QString prn = tmp.filePath("uscita.prn");
    v.Esporta(Scelta(prn, TipoEsportazione::Spazi));
    EXPECT_TRUE(Contenuto(prn).startsWith(IntestazioneEsportazione(TipoEsportazione::Spazi)));
    EXPECT_EQ(Contenuto(prn).count('\n'), 3);
    // No temporary file left beside them.
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 4);
}

TEST_F(RiepilogoLogTest, EsportazioniRifiutateOFallite)
{
    ScriviLog(Log(), 100);
    ScriviLog(T03(), 3);
    const QByteArray log = Contenuto(Log());
    const QByteArray t03 = Contenuto(T03());
    RiepilogoLog v(tmp.path(), utente);

    // The user cancels: nothing written, nothing said.
    v.Esporta([] { return std::optional<SceltaEsportazione>(); });
    EXPECT_TRUE(utente.detti.isEmpty());

    // Onto the log or its copy, by any name.
    ASSERT_TRUE(QDir(tmp.path()).mkdir("sub"));
    for (const QString& p : {Log(), T03(), tmp.filePath("sub/../Velatrix.003")}) {
        utente.detti.clear();
        v.Esporta(Scelta(p, TipoEsportazione::Tabulazione));
        ASSERT_EQ(utente.detti.size(), 1) << p.toStdString();
        EXPECT_TRUE(utente.detti.at(0).startsWith("Avviso: ")) << utente.detti.at(0).toStdString();
    }
    EXPECT_EQ(Contenuto(Log()), log);
    EXPECT_EQ(Contenuto(T03()), t03);

    // A disk that fills up halfway: the old file under the name is untouched
    // and no half file is left.
    const QString uscita = tmp.filePath("uscita.txt");
    ScriviFile(uscita, "vecchio");
    utente.detti.clear();
    {
        LimiteDimensione limite(2000);
        v.Esporta(Scelta(uscita, TipoEsportazione::Spazi));
    }
    ASSERT_EQ(utente.detti.size(), 1);
    EXPECT_TRUE(utente.detti.at(0).startsWith("Avviso: Impossibile esportare")) << utente.detti.at(0).toStdString();
    EXPECT_EQ(Contenuto(uscita), "vecchio");
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files, QDir::Name),
              QStringList({"Velatrix.003", "Velatrix.T03", "uscita.txt"}));
}

TEST_F(RiepilogoLogTest, EsportazioneAnnullataNonLasciaNulla)
{
    ScriviLog(Log(), 3000);
    const QString uscita = tmp.filePath("uscita.txt");
    ScriviFile(uscita, "vecchio");
    RiepilogoLog v(tmp.path(), utente);
    for (const QString& p : {uscita, tmp.filePath("nuovo.prn")}) {
        qint64 letti = 0;
        ProgressoLog progresso;
        progresso.avanza = [&](qint64 i, qint64) { letti = i; };
        progresso.annullato = [&] { return letti >= 1500; };
        v.Esporta(Scelta(p, TipoEsportazione::Spazi), progresso);
        EXPECT_EQ(letti, 1500);
    }
    // Stopped without a word, the old file as it was, no new or temporary file.
    EXPECT_TRUE(utente.detti.isEmpty()) << utente.detti.join('|').toStdString();
    EXPECT_EQ(Contenuto(uscita), "vecchio");
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files, QDir::Name), QStringList({"Velatrix.003", "uscita.txt"}));
}

TEST_F(RiepilogoLogTest, IlDialogoSiApreNeiDocumentiONellUltimaCartella)
{
    const QString documenti = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(QDir().mkpath(documenti));
    EXPECT_EQ(RiepilogoLog::CartellaEsportazione(), documenti);
    ScriviLog(Log(), 2);
    ASSERT_TRUE(QDir(tmp.path()).mkdir("esportazioni"));
    RiepilogoLog v(tmp.path(), utente);
    v.Esporta(Scelta(tmp.filePath("esportazioni/x.txt"), TipoEsportazione::Tabulazione));
    EXPECT_EQ(RiepilogoLog::CartellaEsportazione(), tmp.filePath("esportazioni"));
    // A folder gone since falls back to the documents.
    ASSERT_TRUE(QDir(tmp.filePath("esportazioni")).removeRecursively());
    EXPECT_EQ(RiepilogoLog::CartellaEsportazione(), documenti);
}

TEST_F(RiepilogoLogTest, EsitiDelFiltro)
{
    ScriviLog(Log(), 6);
    ScriviLog(T03(), 2);
    RiepilogoLog v(tmp.path(), utente);
    const auto esito = [](qint16 e) { return [e] { ValoreScambio = e; }; };

    // Cancelled, or a dialog closed by its frame, leaving the 0 it was given.
    EXPECT_FALSE(v.Filtra([] {}));
    EXPECT_TRUE(ScambioIntero(ValoreScambio, 0));
    EXPECT_FALSE(v.Filtra(esito(-1))); // already on the whole log
    EXPECT_EQ(v.TestoStato(), "Righe: 6");
    EXPECT_TRUE(v.Filtra(esito(1)));
    EXPECT_EQ(v.TestoStato(), "Righe: 2 (Filtrate)");
    EXPECT_EQ(v.FileCorrente(), T03());
    EXPECT_FALSE(v.Filtra(esito(0)));
    EXPECT_TRUE(v.Filtrato());
    EXPECT_TRUE(v.Filtra(esito(-1)));
    EXPECT_EQ(v.TestoStato(), "Righe: 6");
    EXPECT_EQ(v.FileCorrente(), Log());
    EXPECT_TRUE(utente.detti.isEmpty());
}

} // namespace
