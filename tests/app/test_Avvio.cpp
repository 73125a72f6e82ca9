// SPDX-License-Identifier: GPL-3.0-or-later
#include "Finti.h"
#include "app/Applicazione.h"
#include "app/Principale.h"
#include "app/ServizioLocale.h"
#include "engine/Motore.h"
#include "settings/ArchivioImpostazioni.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <random>

namespace {

class AvvioTest : public ::testing::Test {
protected:
    std::unique_ptr<Applicazione> Nuova()
    {
        return std::make_unique<Applicazione>(Applicazione::Dipendenze{utente, suoni, orologio, sorgente});
    }
    Applicazione::Percorsi Percorsi() const
    {
        return {tmp.filePath("Velatrix.conf"), tmp.filePath("programma"), tmp.filePath("Velatrix.lock")};
    }
    QStringList Argomenti(QStringList altri = {}) const
    {
        return QStringList{"--data-dir", tmp.filePath("dati")} + altri;
    }
    QByteArray Contenuto(const QString& nome) const
    {
        QFile f(tmp.filePath(nome));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir tmp;
    UtenteFinto utente;
    SuoniFinti suoni;
    OrologioFinto orologio;
    SorgenteFinta sorgente;
};

TEST_F(AvvioTest, PrimoAvvioInAltoAlCentroEScriveTutteLeChiavi)
{
    auto app = Nuova();
    int codice = -1;
    ASSERT_TRUE(app->Avvia(Argomenti(), Percorsi(), &codice)) << utente.avvisi.join("|").toStdString();
    Principale* w = app->Finestra();
    const QRect schermo = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w->y(), schermo.y());
    EXPECT_LE(std::abs(w->x() - (schermo.width() - w->width()) / 2), 1);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(QFile::exists(tmp.filePath("dati/Velatrix.001")));

    QSettings ini(tmp.filePath("Velatrix.conf"), QSettings::IniFormat);
    ini.beginGroup("Settings");
    for (const char* chiave : {"CstSct", "PrcIva", "SctAgg", "MaxTrf", "DscTr1", "SPSTr2", "ClrTr2", "MaxFsc", "InzFs3",
                               "TrfFr1", "TrfSb2", "TrfFs3", "IntRfr", "IntCtr", "TopWin", "CnfStp", "SlvImp", "LogCon",
                               "CtrAut", "CtrCon", "TopTwp", "LftTwp", "TipImp", "PerImp", "DatIPB", "DatFPB", "Clr000",
                               "Clr004", "ClrTar", "Wav000", "Wav004", "Msg001", "MsV004", "MsI003"})
        EXPECT_TRUE(ini.contains(chiave)) << chiave;
    for (const char* assente : {"RidTrf", "PrcRid", "LimRid", "TipRid", "DscTr3", "InzFs4", "MsI004"})
        EXPECT_FALSE(ini.contains(assente)) << assente;
    EXPECT_EQ(ini.value("RegFlg").toString(), "0");
    EXPECT_EQ(ini.value("TopTwp").toString(), "0");
    EXPECT_EQ(ini.value("CstSct").toString(), "127");
}

TEST_F(AvvioTest, UnSecondoAvvioNonScriveNulla)
{
    int codice = 0;
    {
        auto prima = Nuova();
        ASSERT_TRUE(prima->Avvia(Argomenti(), Percorsi(), &codice));
    }
    const QByteArray dopoIlPrimo = Contenuto("Velatrix.conf");
    auto seconda = Nuova();
    ASSERT_TRUE(seconda->Avvia(Argomenti(), Percorsi(), &codice));
    EXPECT_EQ(Contenuto("Velatrix.conf"), dopoIlPrimo);
}

TEST_F(AvvioTest, UnaSecondaIstanzaSiFerma)
{
    auto prima = Nuova();
    int codice = -1;
    ASSERT_TRUE(prima->Avvia(Argomenti(), Percorsi(), &codice));
    ASSERT_NE(prima->Servizio(), nullptr);
    prima->Finestra()->hide();
    auto seconda = Nuova();
    EXPECT_FALSE(seconda->Avvia(Argomenti(), Percorsi(), &codice));
    EXPECT_EQ(codice, 0);
    EXPECT_EQ(utente.avvisi, QStringList{"Velatrix è già in esecuzione."});
    // The running panel comes forward as soon as it gets to the request.
    EXPECT_TRUE(QTest::qWaitFor([&] { return prima->Finestra()->isVisible(); }, 5000));
}

// A desktop shortcut "velatrix /START" once autostart has started the panel:
// the count starts there, without a box; another data folder is named.
TEST_F(AvvioTest, UnSecondoAvvioPassaStartEDiceLaCartellaInUso)
{
    auto prima = Nuova();
    int codice = -1;
    ASSERT_TRUE(prima->Avvia(Argomenti(), Percorsi(), &codice));
    ASSERT_NE(prima->Servizio(), nullptr);
    prima->Finestra()->showMinimized();
    EXPECT_FALSE(Nuova()->Avvia(Argomenti({"/start"}), Percorsi(), &codice));
    EXPECT_EQ(codice, 0);
    EXPECT_TRUE(utente.avvisi.isEmpty()) << utente.avvisi.join("|").toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return prima->MotoreConteggio()->ConteggioAttivo(); }, 5000));
    EXPECT_FALSE(prima->Finestra()->isMinimized());
    prima->MotoreConteggio()->FermaContatore(TipoArresto::FineConnessione);

    EXPECT_FALSE(Nuova()->Avvia({"--data-dir", tmp.filePath("altri")}, Percorsi(), &codice));
    EXPECT_EQ(codice, 0);
    EXPECT_EQ(utente.avvisi, QStringList{"Velatrix è già in esecuzione e usa la cartella dei dati "
                                         + QDir::toNativeSeparators(tmp.filePath("dati")) + "."});
    EXPECT_FALSE(QFile::exists(tmp.filePath("altri"))) << "nothing made for the folder not used";
}

TEST_F(AvvioTest, IlRapportoDalPannelloComprendeLaChiamataInCorso)
{
    auto app = Nuova();
    int codice = -1;
    ASSERT_TRUE(app->Avvia(Argomenti({"/START"}), Percorsi(), &codice));
    ASSERT_NE(app->Servizio(), nullptr);
    const qint32 scatti = app->MotoreConteggio()->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti;
    ASSERT_GT(scatti, 0);

    // Asked from outside, as a later start asks, while the panel serves.
    const QDate oggi = orologio.Adesso().date();
    EsitoRichiesta esito = EsitoRichiesta::NessunServizio;
    QString errore;
    auto futuro = std::async(std::launch::async, [&] {
        return ChiediRapporto(NomeServizio(tmp.filePath("dati")), oggi, oggi, &esito, &errore);
    });
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return futuro.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 30000));
    const auto dati = futuro.get();
    ASSERT_EQ(esito, EsitoRichiesta::Risposta) << errore.toStdString();
    ASSERT_TRUE(dati);
    EXPECT_EQ(dati->oggi, oggi);
    EXPECT_EQ(dati->righe.value(oggi).scatti, scatti);
    EXPECT_DOUBLE_EQ(dati->righe.value(oggi).importo,
                     app->MotoreConteggio()->TotaliDelPeriodo(PeriodoImporto::Giorno).importo);
    app->MotoreConteggio()->FermaContatore(TipoArresto::FineConnessione);
}

TEST_F(AvvioTest, UnDatabaseDanneggiatoFermaLAvvioSenzaToccarlo)
{
    QDir().mkpath(tmp.filePath("dati"));
    QByteArray casuale(4096, 0);
    std::mt19937 g(7);
    for (char& c : casuale)
        c = char(g());
    QFile f(tmp.filePath("dati/Velatrix.001"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(casuale);
    f.close();

    auto app = Nuova();
    int codice = 0;
    EXPECT_FALSE(app->Avvia(Argomenti(), Percorsi(), &codice));
    EXPECT_NE(codice, 0);
    ASSERT_EQ(utente.avvisi.size(), 1);
    EXPECT_TRUE(utente.avvisi[0].startsWith("Errore "));
    EXPECT_TRUE(utente.avvisi[0].endsWith(". Impossibile continuare."));
    EXPECT_EQ(Contenuto("dati/Velatrix.001"), casuale);
}

TEST_F(AvvioTest, LaPosizioneTornaSoloConSlvImp)
{
    int codice = 0;
    {
        auto app = Nuova();
        ASSERT_TRUE(app->Avvia(Argomenti(), Percorsi(), &codice));
        app->Finestra()->move(120, 90);
        EXPECT_TRUE(app->Finestra()->Esci());
    }
    {
        auto app = Nuova();
        ASSERT_TRUE(app->Avvia(Argomenti(), Percorsi(), &codice));
        EXPECT_EQ(app->Finestra()->pos(), QPoint(120, 90));
        app->Valori().SlvImp = false;
        app->Finestra()->move(300, 200);
        EXPECT_TRUE(app->Finestra()->Esci());
    }
    auto app = Nuova();
    ASSERT_TRUE(app->Avvia(Argomenti(), Percorsi(), &codice));
    EXPECT_EQ(app->Finestra()->pos(), QPoint(120, 90));
}

TEST_F(AvvioTest, UnaPosizioneFuoriDaOgniSchermoTornaVisibile)
{
    {
        ArchivioImpostazioni archivio(tmp.filePath("Velatrix.conf"));
        archivio.Scrivi("TopTwp", "-90000");
        archivio.Scrivi("LftTwp", "-90000");
        QString errore;
        ASSERT_TRUE(archivio.Salva(&errore));
    }
    auto app = Nuova();
    int codice = 0;
    ASSERT_TRUE(app->Avvia(Argomenti(), Percorsi(), &codice));
    const QRect schermo = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(schermo.intersects(app->Finestra()->geometry()));
}

TEST_F(AvvioTest, StartAvviaSubitoIlConteggio)
{
    struct Caso {
        QStringList argomenti;
        bool avvia;
    };
    const Caso casi[] = {{{"/START"}, true}, {{"/start"}, true}, {{"/START", "x"}, false}, {{}, false}};
    for (const Caso& c : casi) {
        auto app = Nuova();
        int codice = 0;
        ASSERT_TRUE(app->Avvia(Argomenti(c.argomenti), Percorsi(), &codice));
        EXPECT_EQ(app->MotoreConteggio()->ConteggioAttivo(), c.avvia) << c.argomenti.join(' ').toStdString();
        if (c.avvia)
            app->MotoreConteggio()->FermaContatore(TipoArresto::FineConnessione);
    }
}

} // namespace
