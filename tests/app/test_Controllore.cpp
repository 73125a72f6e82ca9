// SPDX-License-Identifier: GPL-3.0-or-later
// The user's word on a stop, the switch to manual mode and the sounds.
#include "BancoControllo.h"

#include <gtest/gtest.h>

namespace {

class ControlloreTest : public ::testing::Test, protected BancoControllo {
protected:
    void SetUp() override { ASSERT_TRUE(Prepara()); }
};

TEST_F(ControlloreTest, UnaFineConnessioneDuranteLaDomandaNonFermaDueVolte)
{
    imp.CnfStp = true;
    imp.CtrAut = false;
    controllo->AvviaConteggio();
    Conta(30);
    utente.risposte = {true};
    utente.durante = [this] { controllo->FermaContatore(TipoArresto::FineConnessione); };
    EXPECT_FALSE(controllo->FermaContatore(TipoArresto::Manuale));
    EXPECT_EQ(log->NumeroRecord(), 1);
    EXPECT_EQ(vista.terminati, 1);
    EXPECT_FALSE(vista.manuale);

    // A new count started while the question was open is not the one asked about.
    controllo->AvviaConteggio();
    utente.risposte = {true};
    utente.durante = [this] {
        controllo->FermaContatore(TipoArresto::FineConnessione);
        controllo->AvviaConteggio();
    };
    controllo->FermaContatore(TipoArresto::Manuale);
    EXPECT_TRUE(motore->ConteggioAttivo());
    EXPECT_EQ(log->NumeroRecord(), 2);

    // Exit answered Yes still exits, even when the count has gone meanwhile.
    utente.risposte = {true};
    utente.durante = [this] { controllo->FermaContatore(TipoArresto::FineConnessione); };
    EXPECT_TRUE(controllo->FermaContatore(TipoArresto::Uscita));
    EXPECT_EQ(log->NumeroRecord(), 3);
}

TEST_F(ControlloreTest, UscitaConUnNuovoConteggioNatoDuranteLaDomanda)
{
    controllo->AvviaConteggio("prima");
    Conta(500); // 4 pulses
    // The link drops and comes back while the exit question is open.
    utente.durante = [this] {
        controllo->FermaContatore(TipoArresto::FineConnessione);
        controllo->AvviaConteggio("seconda");
        Conta(300); // 3 pulses
    };
    utente.risposte = {false};
    EXPECT_FALSE(controllo->FermaContatore(TipoArresto::Uscita));
    EXPECT_TRUE(motore->ConteggioAttivo()); // No leaves the new count running
    ASSERT_EQ(log->NumeroRecord(), 1);

    utente.durante = [this] {
        controllo->FermaContatore(TipoArresto::FineConnessione);
        controllo->AvviaConteggio("terza");
    };
    utente.risposte = {true};
    EXPECT_TRUE(controllo->FermaContatore(TipoArresto::Uscita));
    EXPECT_FALSE(motore->ConteggioAttivo());
    // Every count has its record, once, and the log agrees with the database.
    ASSERT_EQ(log->NumeroRecord(), 3);
    qint32 scatti = 0;
    QStringList nomi;
    for (int i = 1; i <= 3; ++i) {
        scatti += log->LeggiRecord(i)->Scatti;
        nomi << log->LeggiRecord(i)->Connessione.trimmed();
    }
    EXPECT_EQ(nomi, (QStringList{"prima", "seconda", "terza"}));
    EXPECT_EQ(scatti, Giorno(orologio.muro.date()).scatti);
    EXPECT_EQ(vista.terminati, 3);
}

struct SeguitaFinta : ConnessioneSeguita {
    quint32 maniglia = 0;
    bool Seguita() const override { return maniglia != 0; }
    void Lascia() override { maniglia = 0; }
};

TEST_F(ControlloreTest, ArrestoManualeConRilevamentoAttivo)
{
    SeguitaFinta seguita;
    controllo->ImpostaConnessioneSeguita(&seguita);
    imp.CtrAut = true;
    seguita.maniglia = 7;
    controllo->AvviaConteggio("ppp0");
    utente.risposte = {false};
    EXPECT_FALSE(controllo->FermaContatore(TipoArresto::Manuale));
    EXPECT_TRUE(motore->ConteggioAttivo());
    EXPECT_TRUE(imp.CtrAut);
    ASSERT_EQ(utente.domande.size(), 1);
    EXPECT_TRUE(utente.domande[0].startsWith("ATTENZIONE: per interrompere il conteggio su una connessione attiva \n"));

    utente.risposte = {true};
    EXPECT_TRUE(controllo->FermaContatore(TipoArresto::Manuale));
    EXPECT_FALSE(imp.CtrAut);
    EXPECT_TRUE(vista.manuale);
    EXPECT_EQ(seguita.maniglia, 0u);
    EXPECT_EQ(vista.led, Led::Spento);
    const auto record = log->LeggiRecord(1);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->Connessione.trimmed(), "ppp0");
    EXPECT_TRUE(motore->NomeConnessione().isEmpty());
}

TEST_F(ControlloreTest, SuoniDiInizioScattoEFine)
{
    imp.SchedaAudio = true;
    imp.Wav = {"rilevamento.wav", "inizio.wav", "fine.wav", "scatto.wav", "messaggio.wav"};
    controllo->AvviaConteggio();
    Conta(220);
    controllo->FermaContatore(TipoArresto::FineConnessione);
    EXPECT_EQ(suoni.suonati, (QStringList{"inizio.wav", "scatto.wav", "fine.wav"}));
    imp.SchedaAudio = false;
    controllo->AvviaConteggio();
    controllo->FermaContatore(TipoArresto::FineConnessione);
    EXPECT_EQ(suoni.suonati.size(), 3);
}

} // namespace
