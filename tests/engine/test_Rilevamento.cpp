// SPDX-License-Identifier: GPL-3.0-or-later
#include "BancoMotore.h"
#include "engine/Motore.h"
#include "engine/Rilevamento.h"
#include "log/FileLog.h"
#include "pulses/DatabaseScatti.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

class RilevamentoTest : public ::testing::Test, protected BancoMotore {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Prepara());
        imp.SchedaAudio = true;
        imp.Wav[0] = "rilevamento.wav";
        rilevamento = std::make_unique<Rilevamento>(imp, *motore, sorgente, vista, suoni, orologio);
    }
    void Tick(StatoLink stato, int volte = 1)
    {
        sorgente.stato = stato;
        for (int i = 0; i < volte; ++i) {
            orologio.Avanza(1);
            motore->TimerScatto_Timer();
            rilevamento->TimerControllo_Timer();
        }
    }

    SorgenteFinta sorgente;
    std::unique_ptr<Rilevamento> rilevamento;
};
TEST_F(RilevamentoTest, UnaChiamataDallaComposizioneAllaFine)
{
    Tick(StatoLink::Disconnesso);
    EXPECT_EQ(rilevamento->ManigliaConnessione(), 0u);
    sorgente.maniglia = 41;
    Tick(StatoLink::Composizione, 3);
    EXPECT_EQ(vista.testo, TestoConnessione);
    EXPECT_EQ(vista.led, Led::Giallo);
    EXPECT_TRUE(vista.chiamata);
    EXPECT_EQ(suoni.suonati, QStringList{"rilevamento.wav"}); // once per call, not per tick
    EXPECT_FALSE(motore->ConteggioAttivo());

    Tick(StatoLink::Connesso);
    EXPECT_TRUE(motore->ConteggioAttivo());
    EXPECT_EQ(vista.led, Led::Rosso);

    // A failed query or a single reading without carrier does not split the call.
    Tick(StatoLink::Ignoto);
    Tick(StatoLink::Composizione);
    Tick(StatoLink::Ignoto);
    Tick(StatoLink::Composizione);
    Tick(StatoLink::Connesso);
    Tick(StatoLink::Composizione);
    EXPECT_TRUE(motore->ConteggioAttivo());
    Tick(StatoLink::Connesso);

    sorgente.maniglia = 0;
    Tick(StatoLink::Disconnesso);
    EXPECT_FALSE(motore->ConteggioAttivo());
    EXPECT_EQ(vista.led, Led::Verde);
    ASSERT_EQ(log->NumeroRecord(), 1);
    EXPECT_EQ(log->LeggiRecord(1)->Connessione.trimmed(), "Casa");
    EXPECT_EQ(rilevamento->ManigliaConnessione(), 0u);
}

TEST_F(RilevamentoTest, UnaChiamataFallitaTornaAlloStatoDiAttesa)
{
    sorgente.maniglia = 5;
    Tick(StatoLink::Composizione);
    sorgente.maniglia = 0;
    Tick(StatoLink::Disconnesso);
    EXPECT_EQ(vista.testo, "valore"); // the value display is back
    EXPECT_EQ(vista.led, Led::Verde);
    EXPECT_FALSE(vista.chiamata);
    EXPECT_EQ(log->NumeroRecord(), 0);
    EXPECT_EQ(db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31))->scatti, 0);
}

TEST_F(RilevamentoTest, AutenticazioneSecondoCtrCon)
{
    sorgente.maniglia = 9;
    imp.CtrCon = true;
    Tick(StatoLink::Autenticazione, 5);
    EXPECT_FALSE(motore->ConteggioAttivo());
    imp.CtrCon = false;
    Tick(StatoLink::Autenticazione);
    EXPECT_TRUE(motore->ConteggioAttivo());
}

TEST_F(RilevamentoTest, UnaConnessioneGiaAttivaSiContaSubito)
{
    sorgente.maniglia = 3;
    Tick(StatoLink::Connesso);
    EXPECT_TRUE(motore->ConteggioAttivo());
    EXPECT_TRUE(suoni.suonati.isEmpty());
    // Found once, then followed by its handle.
    Tick(StatoLink::Connesso, 3);
    EXPECT_EQ(sorgente.ricerche, 1);
}

TEST_F(RilevamentoTest, PortantePersaPerDueControlliChiudeLaChiamata)
{
    sorgente.maniglia = 12;
    Tick(StatoLink::Connesso);
    ASSERT_TRUE(motore->ConteggioAttivo());
    Tick(StatoLink::Connesso, 300);
    Tick(StatoLink::Composizione);
    EXPECT_TRUE(motore->ConteggioAttivo());
    Tick(StatoLink::Composizione);
    EXPECT_FALSE(motore->ConteggioAttivo());
    ASSERT_EQ(log->NumeroRecord(), 1);
    EXPECT_EQ(log->LeggiRecord(1)->Scatti, db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31))->scatti);
    EXPECT_EQ(log->LeggiRecord(1)->Connessione.trimmed(), "Casa");

    // The link is still there without carrier: not a call being set up.
    Tick(StatoLink::Composizione, 120);
    EXPECT_NE(vista.testo, TestoConnessione);
    EXPECT_EQ(vista.led, Led::Verde);
    EXPECT_FALSE(vista.chiamata);
    EXPECT_EQ(log->NumeroRecord(), 1);

    // Its carrier back, it is a new call.
    Tick(StatoLink::Connesso);
    EXPECT_TRUE(motore->ConteggioAttivo());
    Tick(StatoLink::Composizione, 2);
    EXPECT_FALSE(motore->ConteggioAttivo());
    EXPECT_EQ(log->NumeroRecord(), 2);
}

TEST_F(RilevamentoTest, UnConteggioAManoSuUnLinkSenzaPortanteNonSiFerma)
{
    sorgente.maniglia = 4;
    Tick(StatoLink::Composizione);
    motore->AvviaConteggio(rilevamento->NomeConnessione());
    Tick(StatoLink::Composizione, 5);
    EXPECT_TRUE(motore->ConteggioAttivo());
}

TEST_F(RilevamentoTest, UnLinkSenzaPortanteDaUnMinutoNonEPiuUnaChiamata)
{
    sorgente.maniglia = 8;
    // First seen at the first tick: 59 s later it is still being set up.
    Tick(StatoLink::Composizione, int(SecondiComposizioneMassima));
    EXPECT_EQ(vista.testo, TestoConnessione);
    EXPECT_TRUE(vista.chiamata);
    Tick(StatoLink::Composizione);
    EXPECT_EQ(vista.testo, "valore");
    EXPECT_EQ(vista.led, Led::Verde);
    EXPECT_FALSE(vista.chiamata); // F6, F7, F8 and the tariff editor open again
    Tick(StatoLink::Composizione, 300);
    Tick(StatoLink::Ignoto);
    Tick(StatoLink::Composizione);
    EXPECT_EQ(vista.testo, "valore");
    EXPECT_EQ(suoni.suonati.size(), 1);

    // A change of state makes it a call in set-up again.
    imp.CtrCon = true;
    Tick(StatoLink::Autenticazione);
    Tick(StatoLink::Composizione);
    EXPECT_EQ(vista.testo, TestoConnessione);
    EXPECT_TRUE(vista.chiamata);
    EXPECT_EQ(suoni.suonati.size(), 2);
    Tick(StatoLink::Connesso);
    EXPECT_TRUE(motore->ConteggioAttivo());
}

TEST_F(RilevamentoTest, UnLinkSenzaIndirizzoDaUnMinutoNonEPiuUnaChiamata)
{
    imp.CtrCon = true;
    sorgente.maniglia = 8;
    Tick(StatoLink::Composizione, 50);
    // Its carrier came: the minute starts again from this change.
    Tick(StatoLink::Autenticazione, int(SecondiComposizioneMassima));
    EXPECT_EQ(vista.testo, TestoConnessione);
    EXPECT_TRUE(vista.chiamata);
    Tick(StatoLink::Autenticazione);
    EXPECT_EQ(vista.testo, "valore");
    EXPECT_EQ(vista.led, Led::Verde);
    EXPECT_FALSE(vista.chiamata);
    Tick(StatoLink::Autenticazione, 100);
    EXPECT_FALSE(vista.chiamata);
    EXPECT_FALSE(motore->ConteggioAttivo());
    Tick(StatoLink::Connesso);
    EXPECT_TRUE(motore->ConteggioAttivo());
}

TEST_F(RilevamentoTest, UnLinkDormienteNonNascondeUnaChiamataSuUnAltroNeRinasceDopo)
{
    sorgente.maniglia = 8;
    Tick(StatoLink::Composizione, int(SecondiComposizioneMassima) + 1);
    ASSERT_FALSE(vista.chiamata);
    sorgente.maniglia = 9;
    sorgente.nome = "Ufficio";
    Tick(StatoLink::Connesso);
    EXPECT_TRUE(motore->ConteggioAttivo());
    EXPECT_EQ(motore->NomeConnessione(), "Ufficio");
    Tick(StatoLink::Connesso, 30);

    // The call ends; the dormant link is found again, still dormant.
    sorgente.maniglia = 8;
    sorgente.nome = "Casa";
    Tick(StatoLink::Composizione, 3);
    EXPECT_FALSE(motore->ConteggioAttivo());
    EXPECT_EQ(log->NumeroRecord(), 1);
    EXPECT_NE(vista.testo, TestoConnessione);
    EXPECT_FALSE(vista.chiamata);
    EXPECT_EQ(suoni.suonati.size(), 1);
}

TEST_F(RilevamentoTest, UnNomeCheArrivaDuranteLaChiamataVaNelRecord)
{
    sorgente.maniglia = 3;
    sorgente.nome = "ppp0";
    Tick(StatoLink::Connesso);
    ASSERT_TRUE(motore->ConteggioAttivo());
    EXPECT_EQ(motore->NomeConnessione(), "ppp0");
    sorgente.nome = "Casa ADSL";
    Tick(StatoLink::Connesso, 5);
    sorgente.maniglia = 0;
    Tick(StatoLink::Disconnesso);
    ASSERT_EQ(log->NumeroRecord(), 1);
    EXPECT_EQ(log->LeggiRecord(1)->Connessione.trimmed(), "Casa ADSL");
}

TEST_F(RilevamentoTest, LeInterfacceNominateArrivanoAllaSorgente)
{
    imp.IfcPtp = {"tun7", "wg0"};
    Tick(StatoLink::Disconnesso);
    EXPECT_EQ(sorgente.nominate, imp.IfcPtp);
}

} // namespace
