// SPDX-License-Identifier: GPL-3.0-or-later
#include "BancoMotore.h"
#include "engine/Rilevamento.h"

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

    // The value shown, the green light, the menus open.
    testing::AssertionResult InAttesa() const
    {
        if (vista.testo == "valore" && vista.led == Led::Verde && !vista.chiamata)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "shown \"" << vista.testo.toStdString() << "\", light " << int(vista.led)
                                           << ", call " << vista.chiamata;
    }
    testing::AssertionResult InComposizione() const
    {
        if (vista.testo == TestoConnessione && vista.chiamata)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "shown \"" << vista.testo.toStdString() << "\", call " << vista.chiamata;
    }

    SorgenteFinta sorgente;
    std::unique_ptr<Rilevamento> rilevamento;
};
TEST_F(RilevamentoTest, UnaChiamataFallitaPoiUnaDallaComposizioneAllaFine)
{
    imp.IfcPtp = {"tun7", "wg0"};
    Tick(StatoLink::Disconnesso);
    EXPECT_EQ(sorgente.nominate, imp.IfcPtp);

    // Given up while being set up: back to waiting, nothing counted.
    sorgente.maniglia = 5;
    Tick(StatoLink::Composizione);
    sorgente.maniglia = 0;
    Tick(StatoLink::Disconnesso);
    EXPECT_TRUE(InAttesa());
    EXPECT_EQ(log->NumeroRecord(), 0);
    EXPECT_EQ(db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31))->scatti, 0);

    sorgente.maniglia = 41;
    Tick(StatoLink::Composizione, 3);
    EXPECT_TRUE(InComposizione());
    EXPECT_EQ(vista.led, Led::Giallo);
    EXPECT_EQ(suoni.suonati, QStringList(2, "rilevamento.wav")); // once per call, not per tick
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

// Found once, then followed by its handle, whose name may come later.
TEST_F(RilevamentoTest, UnaConnessioneGiaAttivaSiContaSubitoEIlNomeCheArrivaVaNelRecord)
{
    sorgente.maniglia = 3;
    sorgente.nome = "ppp0";
    Tick(StatoLink::Connesso);
    ASSERT_TRUE(motore->ConteggioAttivo());
    EXPECT_TRUE(suoni.suonati.isEmpty());
    EXPECT_EQ(motore->NomeConnessione(), "ppp0");
    sorgente.nome = "Casa ADSL";
    Tick(StatoLink::Connesso, 5);
    EXPECT_EQ(sorgente.ricerche, 1);
    sorgente.maniglia = 0;
    Tick(StatoLink::Disconnesso);
    ASSERT_EQ(log->NumeroRecord(), 1);
    EXPECT_EQ(log->LeggiRecord(1)->Connessione.trimmed(), "Casa ADSL");
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

    // The link is still there without carrier: not a call being set up.
    Tick(StatoLink::Composizione, 120);
    EXPECT_TRUE(InAttesa());
    EXPECT_EQ(log->NumeroRecord(), 1);

    // Its carrier back, it is a new call.
    Tick(StatoLink::Connesso);
    EXPECT_TRUE(motore->ConteggioAttivo());
    Tick(StatoLink::Composizione, 2);
    EXPECT_FALSE(motore->ConteggioAttivo());
    EXPECT_EQ(log->NumeroRecord(), 2);

    // Counted by hand while the link has no carrier: no carrier to lose.
    motore->AvviaConteggio(rilevamento->NomeConnessione());
    Tick(StatoLink::Composizione, 5);
    EXPECT_TRUE(motore->ConteggioAttivo());
}

TEST_F(RilevamentoTest, UnLinkSenzaPortanteDaUnMinutoNonEPiuUnaChiamata)
{
    sorgente.maniglia = 8;
    // First seen at the first tick: 59 s later it is still being set up.
    Tick(StatoLink::Composizione, int(SecondiComposizioneMassima));
    EXPECT_TRUE(InComposizione());
    Tick(StatoLink::Composizione);
    EXPECT_TRUE(InAttesa()); // F6, F7, F8 and the tariff editor open again
    Tick(StatoLink::Composizione, 300);
    Tick(StatoLink::Ignoto);
    Tick(StatoLink::Composizione);
    EXPECT_TRUE(InAttesa());
    EXPECT_EQ(suoni.suonati.size(), 1);

    // A change of state makes it a call in set-up again.
    imp.CtrCon = true;
    Tick(StatoLink::Autenticazione);
    Tick(StatoLink::Composizione);
    EXPECT_TRUE(InComposizione());
    EXPECT_EQ(suoni.suonati.size(), 2);
    Tick(StatoLink::Connesso);
    EXPECT_TRUE(motore->ConteggioAttivo());
}

// With CtrCon the address is awaited; without it, the carrier is enough.
TEST_F(RilevamentoTest, AutenticazioneSecondoCtrConEUnLinkSenzaIndirizzoDaUnMinuto)
{
    imp.CtrCon = true;
    sorgente.maniglia = 8;
    Tick(StatoLink::Composizione, 50);
    // Its carrier came: the minute starts again from this change.
    Tick(StatoLink::Autenticazione, int(SecondiComposizioneMassima));
    EXPECT_TRUE(InComposizione());
    Tick(StatoLink::Autenticazione);
    EXPECT_TRUE(InAttesa());
    EXPECT_FALSE(motore->ConteggioAttivo());
    imp.CtrCon = false;
    Tick(StatoLink::Autenticazione);
    EXPECT_TRUE(motore->ConteggioAttivo());
}

TEST_F(RilevamentoTest, UnLinkDormienteNonNascondeUnaChiamataSuUnAltroNeRinasceDopo)
{
    sorgente.maniglia = 8;
    Tick(StatoLink::Composizione, int(SecondiComposizioneMassima) + 1);
    ASSERT_TRUE(InAttesa());
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
    EXPECT_TRUE(InAttesa());
    EXPECT_EQ(suoni.suonati.size(), 1);
}

} // namespace
