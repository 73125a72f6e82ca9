// SPDX-License-Identifier: GPL-3.0-or-later
#include "Finti.h"
#include "Mnemonici.h"
#include "app/Messaggio.h"
#include "engine/SuoniQt.h"
#include "settings/Impostazioni.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct FinestraAllarmeTest : ::testing::Test {
    Impostazioni imp;
    SuoniFinti suoni;
    FinestraAllarme finestra{imp, suoni};
};

TEST_F(FinestraAllarmeTest, UnaSolaFinestraAllaVoltaESuonoDelMessaggio)
{
    imp.SchedaAudio = true;
    imp.Wav[4] = "allarme.wav";
    finestra.Mostra("primo");
    finestra.Mostra("secondo");
    ASSERT_NE(finestra.Finestra(), nullptr);
    EXPECT_TRUE(finestra.Aperta());
    EXPECT_EQ(finestra.Finestra()->TestoMessaggio->text(), "primo");
    EXPECT_EQ(finestra.Finestra()->Label1->text(), "ATTENZIONE");
    EXPECT_EQ(finestra.Finestra()->windowTitle(), "Velatrix");
    EXPECT_EQ(Didascalia(finestra.Finestra()->P_OK), "OK");
    EXPECT_TRUE(MnemoniciDistinti(finestra.Finestra()));
    EXPECT_TRUE(finestra.Finestra()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(finestra.Finestra()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(suoni.suonati, QStringList{"allarme.wav"});

    QTest::mouseClick(finestra.Finestra()->P_OK, Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(finestra.Aperta());
    finestra.Mostra("terzo");
    EXPECT_TRUE(finestra.Aperta());
}

TEST_F(FinestraAllarmeTest, DuranteUnaDomandaLeAffiancaEResta)
{
    QMessageBox domanda(QMessageBox::Question, "Velatrix", "Conteggio attivo: confermi l'interruzione e l'uscita ?",
                        QMessageBox::Yes | QMessageBox::No);
    domanda.setWindowModality(Qt::ApplicationModal);
    domanda.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &domanda);

    finestra.Mostra("Costo giornaliero maggiore di L. 100 (+ IVA)");
    Messaggio* allarme = finestra.Finestra();
    ASSERT_NE(allarme, nullptr);
    // One of the question's own windows, so the question does not block it,
    // and beside it, so neither hides the other.
    EXPECT_EQ(allarme->parentWidget(), &domanda);
    EXPECT_TRUE(allarme->isWindow());
    EXPECT_TRUE(allarme->isVisible());
    EXPECT_FALSE(allarme->frameGeometry().intersects(domanda.frameGeometry()))
        << "alarm at " << allarme->x() << "," << allarme->y() << ", question at " << domanda.x() << "," << domanda.y();
    EXPECT_EQ(QApplication::activeModalWidget(), &domanda);
    EXPECT_TRUE(domanda.isVisible());

    // The question answered and gone, the alarm stays where it was.
    const QPoint dove = allarme->pos();
    domanda.done(QMessageBox::No);
    ASSERT_EQ(finestra.Finestra(), allarme);
    EXPECT_TRUE(allarme->isVisible());
    EXPECT_EQ(allarme->parentWidget(), nullptr);
    EXPECT_EQ(allarme->pos(), dove);
    QTest::mouseClick(allarme->P_OK, Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(finestra.Aperta());
}

TEST_F(FinestraAllarmeTest, UnaDomandaChiusaPrimaDellAllarmeNonLoPortaConSe)
{
    {
        QMessageBox domanda(QMessageBox::Question, "Velatrix", "?", QMessageBox::Yes | QMessageBox::No);
        domanda.setWindowModality(Qt::ApplicationModal);
        domanda.show();
        finestra.Mostra("allarme");
    } // the question's box is destroyed as a static question's is
    ASSERT_NE(finestra.Finestra(), nullptr);
    EXPECT_TRUE(finestra.Aperta());
    EXPECT_TRUE(finestra.Finestra()->isVisible());
}

TEST(SuoniQt, UnFileOUnModuloMancanteESilenzio)
{
    SuoniQt suoni({VELATRIX_MODULO_SUONI});
    EXPECT_GE(suoni.NumeroDispositivi(), 0);
    suoni.RiproduciSuono("/non/esiste.wav");
    suoni.RiproduciSuono("");
    SuoniQt senzaModulo({"/non/esiste.so"});
    EXPECT_EQ(senzaModulo.NumeroDispositivi(), 0);
    senzaModulo.RiproduciSuono(VELATRIX_MODULO_SUONI); // a file that is there, and no module to play it
}

} // namespace
