#include "Finti.h"
#include "app/Messaggio.h"
#include "engine/SuoniQt.h"
#include "settings/Impostazioni.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(FinestraAllarme, UnaSolaFinestraAllaVoltaESuonoDelMessaggio)
{
    Impostazioni imp;
    imp.SchedaAudio = true;
    imp.Wav[4] = "allarme.wav";
    SuoniFinti suoni;
    FinestraAllarme finestra(imp, suoni);
    finestra.Mostra("primo");
    finestra.Mostra("secondo");
    ASSERT_NE(finestra.Finestra(), nullptr);
    EXPECT_TRUE(finestra.Aperta());
    EXPECT_EQ(finestra.Finestra()->TestoMessaggio->text(), "primo");
    EXPECT_EQ(finestra.Finestra()->Label1->text(), "ATTENZIONE");
    EXPECT_EQ(finestra.Finestra()->windowTitle(), "Velatrix");
    EXPECT_TRUE(finestra.Finestra()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(finestra.Finestra()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(suoni.suonati, QStringList{"allarme.wav"});

    QTest::mouseClick(finestra.Finestra()->P_OK, Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(finestra.Aperta());
    finestra.Mostra("terzo");
    EXPECT_TRUE(finestra.Aperta());
}

TEST(SuoniQt, UnFileMancanteESilenzio)
{
    SuoniQt suoni;
    EXPECT_GE(suoni.NumeroDispositivi(), 0);
    suoni.RiproduciSuono("/non/esiste.wav");
    suoni.RiproduciSuono("");
}

} // namespace
