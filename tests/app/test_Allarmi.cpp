// SPDX-License-Identifier: GPL-3.0-or-later
#include "BancoControllo.h"
#include "engine/Allarmi.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct FinestraFinta : FinestraMessaggio {
    QStringList mostrati;
    bool aperta = false;
    void Mostra(const QString& t) override
    {
        aperta = true;
        mostrati << t;
    }
    bool Aperta() const override { return aperta; }
};

class AllarmiTest : public ::testing::Test, protected BancoControllo {
protected:
    void SetUp() override
    {
        imp.Tariffe.SctAgg = false;
        ASSERT_TRUE(Prepara());
        controllo->ImpostaFinestraMessaggio(&finestra);
    }

    FinestraFinta finestra;
};
TEST_F(AllarmiTest, SogliaDiCostoConESenzaIva)
{
    imp.Msg[1] = true;
    imp.MsV[1] = 400;
    controllo->AvviaConteggio(); // 127
    Conta(440);                  // 254, 381
    EXPECT_TRUE(finestra.mostrati.isEmpty());
    Conta(220); // 508
    ASSERT_EQ(finestra.mostrati.size(), 1);
    EXPECT_EQ(finestra.mostrati[0], "Costo connessione corrente maggiore di L. 400 (+ IVA)");
    finestra.aperta = false;
    Conta(660);
    EXPECT_EQ(finestra.mostrati.size(), 1); // once per count
    controllo->FermaContatore(TipoArresto::FineConnessione);

    imp.MsI[1] = true; // 381 lire are 457.2 with VAT at 20 %
    controllo->AvviaConteggio();
    Conta(440);
    ASSERT_EQ(finestra.mostrati.size(), 2); // re-armed by the new count
    EXPECT_EQ(finestra.mostrati[1], "Costo connessione corrente maggiore di L. 400");
}

TEST_F(AllarmiTest, LaFrazioneNonBastaASuperareLaSoglia)
{
    imp.Msg[1] = true;
    imp.Tariffe.RidTrf = true;
    imp.Tariffe.LimRid = 1;
    imp.MsV[1] = 190; // 127 + 63.5 = 190.5: the fraction is dropped
    controllo->AvviaConteggio();
    Conta(220);
    EXPECT_DOUBLE_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).importo, 190.5);
    EXPECT_TRUE(finestra.mostrati.isEmpty());
    imp.MsV[1] = 189;
    Conta(220);
    EXPECT_EQ(finestra.mostrati.size(), 1);
}

TEST_F(AllarmiTest, DueAllarmiInsiemeUnoAllaVolta)
{
    imp.Msg[2] = imp.Msg[3] = true;
    imp.MsV[2] = imp.MsV[3] = 100;
    controllo->AvviaConteggio();
    ASSERT_EQ(finestra.mostrati.size(), 1);
    EXPECT_TRUE(finestra.mostrati[0].startsWith("Costo periodo bolletta maggiore di L. 100"));
    finestra.aperta = false;
    Conta(220);
    ASSERT_EQ(finestra.mostrati.size(), 2);
    EXPECT_TRUE(finestra.mostrati[1].startsWith("Costo giornaliero maggiore di L. 100"));
}

TEST_F(AllarmiTest, DurataEsuoTesto)
{
    imp.Msg[4] = true;
    imp.MsV[4] = 10;
    controllo->AvviaConteggio();
    Conta(600);
    EXPECT_TRUE(finestra.mostrati.isEmpty());
    Conta(1);
    ASSERT_EQ(finestra.mostrati.size(), 1);
    EXPECT_EQ(finestra.mostrati[0], "Durata connessione corrente maggiore di 10 minuti");
    imp.MsV[4] = 1;
    EXPECT_EQ(Allarmi::TestoAllarme(imp, 4), "Durata connessione corrente maggiore di 1 minuto");
    imp.MsV[3] = 12500;
    EXPECT_EQ(Allarmi::TestoAllarme(imp, 3), "Costo periodo bolletta maggiore di L. 12.500 (+ IVA)");
}

TEST_F(AllarmiTest, AllarmeGiornalieroRiarmatoAMezzanotte)
{
    imp.Msg[2] = true;
    imp.MsV[2] = 200;
    orologio.muro = QDateTime(QDate(2026, 12, 7), QTime(23, 45, 0)); // 400 s a pulse
    ASSERT_TRUE(motore->CaricaTotali());
    controllo->AvviaConteggio(); // 127 on the 7th
    Conta(400);                  // 254 on the 7th: raised
    ASSERT_EQ(finestra.mostrati.size(), 1);
    finestra.aperta = false;
    Conta(800); // 381 on the 7th, then 127 on the 8th
    EXPECT_EQ(finestra.mostrati.size(), 1);
    Conta(400); // 254 on the 8th: raised again
    EXPECT_EQ(finestra.mostrati.size(), 2);
}

} // namespace

namespace {

// Keeps the request to end the call until the test answers it.
struct ChiusuraFinta : ChiusuraChiamata {
    std::vector<std::function<void(const QString&)>> richieste;
    void TerminaChiamata(std::function<void(const QString&)> esito) override { richieste.push_back(std::move(esito)); }
};

class TettoTest : public AllarmiTest {
protected:
    void SetUp() override
    {
        AllarmiTest::SetUp();
        controllo->ImpostaChiusuraChiamata(&chiusura);
        imp.Msg[1] = imp.Msg[2] = true;
        imp.MsV[1] = 400;
        imp.MsV[2] = 200;
    }
    ChiusuraFinta chiusura;
};

TEST_F(TettoTest, SpentoGliAllarmiSoloAvvisano)
{
    controllo->AvviaConteggio();
    Conta(440); // 381: the daily alarm
    finestra.aperta = false;
    Conta(220); // 508: the connection's, which could end the call
    EXPECT_TRUE(chiusura.richieste.empty());
    EXPECT_EQ(finestra.mostrati, (QStringList{"Costo giornaliero maggiore di L. 200 (+ IVA)",
                                              "Costo connessione corrente maggiore di L. 400 (+ IVA)"}));
    EXPECT_TRUE(motore->ConteggioAttivo());
}

TEST_F(TettoTest, AccesoChiudeLaChiamataEDiceComeEAndata)
{
    imp.TrmAll = true;
    controllo->AvviaConteggio();
    Conta(440); // 381: the daily alarm only warns
    ASSERT_EQ(finestra.mostrati.size(), 1);
    EXPECT_TRUE(chiusura.richieste.empty());
    finestra.aperta = false;
    Conta(220); // 508: the connection's alarm ends the call
    ASSERT_EQ(chiusura.richieste.size(), 1u);
    EXPECT_EQ(finestra.mostrati.size(), 1); // the alarm waits for the outcome
    EXPECT_TRUE(motore->ConteggioAttivo());
    chiusura.richieste[0]({});
    // Nobody follows a link here: the controller ends the count itself.
    EXPECT_FALSE(motore->ConteggioAttivo());
    ASSERT_EQ(log->NumeroRecord(), 1);
    EXPECT_EQ(log->LeggiRecord(1)->Scatti, 4);
    ASSERT_EQ(finestra.mostrati.size(), 2);
    EXPECT_EQ(finestra.mostrati[1],
              "Costo connessione corrente maggiore di L. 400 (+ IVA)\nLa chiamata è stata chiusa.");
}

TEST_F(TettoTest, UnaChiusuraNonRiuscitaLoDiceELaChiamataContinua)
{
    imp.TrmAll = true;
    imp.Msg[2] = false;
    imp.Msg[3] = true;
    imp.MsV[3] = 300;
    controllo->AvviaConteggio();
    Conta(440); // 381: the bill period's alarm
    ASSERT_EQ(chiusura.richieste.size(), 1u);
    chiusura.richieste[0]("il comando \"poff\" è terminato con codice 1.");
    EXPECT_TRUE(motore->ConteggioAttivo());
    ASSERT_EQ(finestra.mostrati.size(), 1);
    EXPECT_EQ(finestra.mostrati[0], "Costo periodo bolletta maggiore di L. 300 (+ IVA)\n"
                                    "Impossibile chiudere la chiamata: il comando \"poff\" è terminato con codice 1.");
    // Once per count: the connection's alarm then only warns.
    finestra.aperta = false;
    Conta(220);
    EXPECT_EQ(chiusura.richieste.size(), 1u);
    ASSERT_EQ(finestra.mostrati.size(), 2);
    EXPECT_EQ(finestra.mostrati[1], "Costo connessione corrente maggiore di L. 400 (+ IVA)");

    // An outcome that finds the window taken waits for it.
    controllo->FermaContatore(TipoArresto::FineConnessione);
    finestra.aperta = false;
    controllo->AvviaConteggio(); // the bill period is past its limit at once
    ASSERT_EQ(chiusura.richieste.size(), 2u);
    Conta(660); // the connection's alarm takes the window
    ASSERT_EQ(finestra.mostrati.size(), 3);
    chiusura.richieste[1]("no.");
    EXPECT_EQ(finestra.mostrati.size(), 3);
    finestra.aperta = false;
    Conta(1);
    ASSERT_EQ(finestra.mostrati.size(), 4);
    EXPECT_TRUE(finestra.mostrati[3].endsWith("Impossibile chiudere la chiamata: no."));
}

} // namespace
