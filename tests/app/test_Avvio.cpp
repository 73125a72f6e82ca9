// SPDX-License-Identifier: GPL-3.0-or-later
#include "BancoApplicazione.h"
#include "SupportoFile.h"
#include "pulses/DatabaseScatti.h"
#include "settings/ArchivioImpostazioni.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <limits>

namespace {

class AvvioTest : public BancoApplicazione {
protected:
    void SetUp() override {} // each test starts the program itself
};

TEST_F(AvvioTest, PrimoAvvioInAltoAlCentroEScriveLeImpostazioniUnSecondoNo)
{
    Avvia();
    const QRect schermo = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w->y(), schermo.y());
    EXPECT_LE(std::abs(w->x() - (schermo.width() - w->width()) / 2), 1);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(QFile::exists(Dati() + "/Velatrix.001"));
    // Which keys a first start writes is the settings' own test.
    QSettings ini(conf, QSettings::IniFormat);
    ini.beginGroup("Settings");
    EXPECT_EQ(ini.value("TopTwp").toString(), "0");

    app.reset();
    const QByteArray dopoIlPrimo = Contenuto(conf);
    Avvia();
    EXPECT_EQ(Contenuto(conf), dopoIlPrimo);
}

// A second start leaves the running panel in charge: the panel comes forward,
// takes "velatrix /START" from a desktop shortcut without a box, and another
// data folder is named.
TEST_F(AvvioTest, UnSecondoAvvioLasciaFareAlPannello)
{
    Avvia();
    ASSERT_NE(app->Servizio(), nullptr);
    w->hide();
    EXPECT_EQ(AvvioRifiutato(Argomenti()), 0);
    EXPECT_EQ(utente.avvisi, QStringList{"Velatrix è già in esecuzione."});
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->isVisible(); }, 5000));

    utente.avvisi.clear();
    w->showMinimized();
    EXPECT_EQ(AvvioRifiutato(Argomenti({"/start"})), 0);
    EXPECT_TRUE(utente.avvisi.isEmpty()) << utente.avvisi.join("|").toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m->ConteggioAttivo(); }, 5000));
    EXPECT_FALSE(w->isMinimized());
    m->FermaContatore(TipoArresto::FineConnessione);

    EXPECT_EQ(AvvioRifiutato({"--data-dir", tmp.filePath("altri")}), 0);
    EXPECT_EQ(utente.avvisi, QStringList{"Velatrix è già in esecuzione e usa la cartella dei dati "
                                         + QDir::toNativeSeparators(Dati()) + "."});
    EXPECT_FALSE(QFile::exists(tmp.filePath("altri"))) << "nothing made for the folder not used";
}

TEST_F(AvvioTest, UnDatabaseInutilizzabileFermaLAvvioSenzaToccarlo)
{
    const QString percorso = Dati() + "/Velatrix.001";
    const auto rovinato = [&] {
        QFile f(percorso);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    };
    const auto oltre32Bit = [&] {
        const QDate oggi = QDate::currentDate();
        DatabaseScatti db;
        ASSERT_TRUE(db.Apri(percorso));
        for (QDate d : {QDate(oggi.year(), oggi.month(), 1), QDate(oggi.year(), oggi.month(), oggi.daysInMonth())})
            ASSERT_TRUE(db.ImpostaGiorno(d, {}, {std::numeric_limits<qint32>::max(), 1}));
    };
    const std::pair<std::function<void()>, const char*> casi[] = {
        {rovinato, "^Errore \\d+\\. Impossibile continuare\\.$"},
        {oltre32Bit, "^Errore 9004\\. Impossibile continuare\\.$"},
    };
    for (const auto& [prepara, avviso] : casi) {
        SCOPED_TRACE(avviso);
        ASSERT_TRUE(QDir(Dati()).removeRecursively() && QDir().mkpath(Dati()));
        prepara();
        const QByteArray prima = Contenuto(percorso);
        utente.avvisi.clear();
        EXPECT_EQ(AvvioRifiutato(Argomenti()), 1);
        ASSERT_EQ(utente.avvisi.size(), 1);
        EXPECT_TRUE(QRegularExpression(avviso).match(utente.avvisi[0]).hasMatch()) << utente.avvisi[0].toStdString();
        EXPECT_EQ(Contenuto(percorso), prima);
    }
}

TEST_F(AvvioTest, LaPosizioneTornaSoloConSlvImp)
{
    Avvia();
    w->move(120, 90);
    EXPECT_TRUE(w->Esci());
    Avvia();
    EXPECT_EQ(w->pos(), QPoint(120, 90));
    app->Valori().SlvImp = false;
    w->move(300, 200);
    EXPECT_TRUE(w->Esci());
    Avvia();
    EXPECT_EQ(w->pos(), QPoint(120, 90));
}

TEST_F(AvvioTest, UnaPosizioneFuoriDaOgniSchermoTornaVisibile)
{
    {
        ArchivioImpostazioni archivio(conf);
        archivio.Scrivi("TopTwp", "-90000");
        archivio.Scrivi("LftTwp", "-90000");
        QString errore;
        ASSERT_TRUE(archivio.Salva(&errore));
    }
    Avvia();
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().intersects(w->geometry()));
}

} // namespace
