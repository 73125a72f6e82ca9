// SPDX-License-Identifier: GPL-3.0-or-later
#include "BancoApplicazione.h"
#include "app/Avvio.h"
#include "app/Messaggio.h"
#include "app/Risorse.h"
#include "app/Spie.h"
#include "app/Vassoio.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

class DesktopTest : public BancoApplicazione {
protected:
    // A tray that the test platform does not have, fed as the program feeds it.
    std::unique_ptr<Vassoio> ConVassoio(std::function<bool()> disponibile = [] { return true; })
    {
        auto v = std::make_unique<Vassoio>(*w, *w->mnuPrincipale, std::move(disponibile));
        v->ImpostaDescrizione([this] { return w->DescrizioneValore(); });
        QObject::connect(w, &Principale::LedCambiato, v.get(), &Vassoio::MostraLed);
        QObject::connect(w, &Principale::ValoreCambiato, v.get(), &Vassoio::MostraValore);
        return v;
    }
    bool MenuAperto()
    {
        const bool aperto = QTest::qWaitFor([this] { return w->mnuPrincipale->isVisible(); }, 1000);
        w->mnuPrincipale->hide();
        return aperto;
    }
};

TEST_F(DesktopTest, IlVassoioSegueLaSpiaEIlValoreDelPannello)
{
    // The test platform has no tray: the program made no icon of its own.
    ASSERT_NE(app->IconaVassoio(), nullptr);
    EXPECT_EQ(app->IconaVassoio()->Icona(), nullptr);
    auto v = ConVassoio();
    QSystemTrayIcon* icona = v->Icona();
    ASSERT_NE(icona, nullptr);
    EXPECT_EQ(icona->contextMenu(), &v->Menu());
    EXPECT_FALSE(icona->icon().isNull());

    w->MostraLed(Led::Giallo);
    EXPECT_EQ(icona->icon().pixmap(22).toImage(), IconaLed(Led::Giallo).pixmap(22).toImage());

    QTest::keyClick(w, Qt::Key_F2); // a count: red LED, the first pulses priced
    ASSERT_TRUE(app->MotoreConteggio()->ConteggioAttivo());
    w->ScegliPeriodo(PeriodoImporto::Giorno);
    EXPECT_EQ(icona->toolTip(), "Velatrix – Costo (Lire), giornaliero: Lire 254");
    w->MostraTesto("Connessione... ");
    EXPECT_EQ(icona->toolTip(), "Velatrix – Costo (Lire), giornaliero: Connessione...");
}

TEST_F(DesktopTest, UnVassoioArrivatoDopoRiceveLoStatoDelPannello)
{
    bool disponibile = false;
    auto v = ConVassoio([&disponibile] { return disponibile; });
    EXPECT_EQ(v->Icona(), nullptr);
    QTest::keyClick(w, Qt::Key_F2);
    EXPECT_FALSE(v->CercaVassoio());
    disponibile = true; // the desktop's tray came up after the program
    ASSERT_TRUE(v->CercaVassoio());
    ASSERT_NE(v->Icona(), nullptr);
    EXPECT_TRUE(v->Icona()->toolTip().endsWith(": Lire 254")) << v->Icona()->toolTip().toStdString();
    EXPECT_EQ(v->Icona()->icon().pixmap(22).toImage(), IconaLed(w->LedCorrente()).pixmap(22).toImage());
}

TEST_F(DesktopTest, IlClicSinistroMostraENascondeIlPannello)
{
    auto v = ConVassoio();
    ASSERT_TRUE(w->isVisible());
    v->Attivato(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(w->isVisible());
    v->Attivato(QSystemTrayIcon::Context); // the right button only opens the menu
    EXPECT_FALSE(w->isVisible());
    v->Attivato(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(w->isVisible());

    // Minimised, Qt still calls the panel visible: the click brings it back.
    w->showMinimized();
    v->Attivato(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->isMinimized());
}

TEST_F(DesktopTest, IlMenuDelVassoioMostraIlPannelloPoiQuelloDelPannello)
{
    auto v = ConVassoio();
    w->hide();
    emit v->Menu().aboutToShow();
    const QList<QAction*> voci = v->Menu().actions();
    ASSERT_EQ(voci.size(), w->mnuPrincipale->actions().size() + 2);
    EXPECT_EQ(voci[0]->text(), "Mostra pannello");
    EXPECT_TRUE(voci[1]->isSeparator());
    EXPECT_EQ(voci[2], w->mnuPrincipale->actions()[0]);
    voci[0]->trigger();
    EXPECT_TRUE(w->isVisible());
    emit v->Menu().aboutToShow(); // built again, not added to
    EXPECT_EQ(v->Menu().actions().size(), voci.size());
}

TEST_F(DesktopTest, UnAllarmeColPannelloNascostoSiNotifica)
{
    const auto allarme = [this](const QString& testo) {
        app->Allarme()->Mostra(testo);
        ASSERT_NE(app->Allarme()->Finestra(), nullptr);
        app->Allarme()->Finestra()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_FALSE(app->Allarme()->Aperta());
    };
    allarme("visibile");
    w->hide();
    allarme("nel vassoio");
    w->showMinimized();
    allarme("ridotto a icona");
    EXPECT_EQ(notifiche, (QStringList{"nel vassoio", "ridotto a icona"}));
}

TEST_F(DesktopTest, MaiuscF10ApreIlMenuComeIlTastoMenu)
{
    QTest::keyClick(w, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(MenuAperto());
    QTest::keyClick(w, Qt::Key_Menu);
    EXPECT_TRUE(MenuAperto());
    QTest::keyClick(w, Qt::Key_F10);
    EXPECT_FALSE(MenuAperto());
    QTest::keyClick(w, Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_FALSE(MenuAperto());
}

TEST_F(DesktopTest, IPulsantiASimboloHannoUnNomeEUnSuggerimento)
{
    for (QPushButton* b : {w->P_Periodo, w->P_Avvia, w->P_Ferma, w->P_Menu}) {
        EXPECT_FALSE(b->accessibleName().isEmpty()) << b->text().toStdString();
        EXPECT_FALSE(b->toolTip().isEmpty()) << b->text().toStdString();
    }
    EXPECT_EQ(w->P_Avvia->accessibleName(), "Inizia conteggio");
    EXPECT_EQ(w->P_Ferma->accessibleName(), "Termina conteggio");
    // The letter's meaning follows the period.
    EXPECT_EQ(w->P_Periodo->accessibleDescription(), "Connessione attiva");
    w->CambiaPeriodo();
    EXPECT_EQ(w->P_Periodo->accessibleDescription(), "Giornaliero");
}

TEST(Risorse, LaGuidaDellaCopiaPortatilePrimaDiQuellaInstallata)
{
    QTemporaryDir tmp;
    const QString bin = tmp.filePath("usr/bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_EQ(PercorsoGuida(bin), QString()); // only the copy inside the program

    // The installed copy, then the portable one beside the program as well.
    for (const char* guida : {"usr/share/velatrix/Velatrix.html", "usr/bin/Velatrix.html"}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(tmp.filePath(guida)).path()));
        QFile f(tmp.filePath(guida));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        EXPECT_EQ(PercorsoGuida(bin), tmp.filePath(guida));
    }
}

TEST(Risorse, LIconaDelProgrammaHaLeDueMisure)
{
    const QIcon icona = IconaProgramma();
    const QList<QSize> misure = icona.availableSizes();
    EXPECT_TRUE(misure.contains(QSize(48, 48)));
    EXPECT_TRUE(misure.contains(QSize(128, 128)));
    EXPECT_FALSE(icona.pixmap(48).isNull());
}

// The splash is its picture: a resource lost from the build would leave an
// empty window of no size.
TEST(Risorse, LoSplashMostraIlSuoLogoAlCentro)
{
    Avvio splash;
    const auto* logo = splash.findChild<QLabel*>();
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->pixmap().size(), QSize(320, 120));
    EXPECT_EQ(splash.size(), QSize(320, 120));
    const QRect schermo = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(splash.geometry().center(), schermo.center());
}

} // namespace
