// SPDX-License-Identifier: GPL-3.0-or-later
#include "BancoMotore.h"
#include "engine/Motore.h"
#include "engine/Recupero.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class MotoreTest : public ::testing::Test, protected BancoMotore {
protected:
    void SetUp() override { ASSERT_TRUE(Prepara()); }
};
// Each row a call of its own on Monday at 10:00 (220 s a pulse, 127 lire).
TEST_F(MotoreTest, ScattoAggiuntivoERiduzione)
{
    const struct {
        const char* caso;
        bool aggiuntivo;
        int tipoRiduzione; // -1: no reduction
        int limite;
        double secondi;
        int scatti;
        double importo;
        Led led;
    } casi[] = {
        {"reduced after one pulse", true, 0, 1, 220, 3, 254 + 63.5, Led::Blu},
        {"220 s elapsed: not yet over a limit of 300 s", false, 1, 300, 220, 2, 254, Led::Rosso},
        {"440 s: reduced from here on", false, 1, 300, 440, 3, 254 + 63.5, Led::Blu},
    };
    Totali giorno;
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        imp.Tariffe.SctAgg = c.aggiuntivo;
        imp.Tariffe.RidTrf = c.tipoRiduzione >= 0;
        imp.Tariffe.TipRid = std::max(c.tipoRiduzione, 0);
        imp.Tariffe.LimRid = c.limite;
        motore->AvviaConteggio();
        Conta(c.secondi);
        EXPECT_EQ(vista.led, c.led);
        ASSERT_TRUE(motore->FermaContatore(TipoArresto::FineConnessione));
        EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, c.scatti);
        EXPECT_DOUBLE_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).importo, c.importo);
        giorno += {c.scatti, c.importo};
    }
    // Every count is on the day's row, in memory and on disk alike.
    EXPECT_EQ(Giorno(orologio.muro.date()), giorno);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Giorno), giorno);
    EXPECT_DOUBLE_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Bolletta).importo, giorno.importo);
}

// Pulses fall due by the time elapsed, not by the wall clock or by ticks.
TEST_F(MotoreTest, UnoScattoOgniIntervalloEBarraCheSiSvuota)
{
    motore->AvviaConteggio();
    Conta(110);
    EXPECT_EQ(vista.percento, 50);
    EXPECT_EQ(vista.tempo, "1'50\"");
    Conta(110);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 3);
    Conta(219);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 3);
    Conta(1);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 4);

    // 1000 s with no tick, as after a suspend: 4 intervals are over at once.
    orologio.Avanza(1000);
    motore->TimerScatto_Timer();
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 8);
    EXPECT_EQ(Giorno(orologio.muro.date()).scatti, 8);
    EXPECT_NEAR(motore->SecondiConnessione(), 1440, 1e-3);
    EXPECT_EQ(vista.tempo, "1'40\""); // 1540 - 1440

    // The wall clock put forward, then back: the next pulse is still at 1540 s.
    Conta(40);
    orologio.muro = orologio.muro.addSecs(3600);
    Conta(30);
    orologio.muro = orologio.muro.addSecs(-7200);
    Conta(29);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 8);
    Conta(1);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 9);
}

TEST_F(MotoreTest, MezzanotteDivideLeRigheERicaricaIlGiornoAncheDaFermo)
{
    ASSERT_TRUE(db.AggiungiScatti(QDate(2026, 12, 8), 5, 500)); // already on the next day
    orologio.muro = QDateTime(QDate(2026, 12, 7), QTime(23, 50, 0));
    ASSERT_TRUE(motore->CaricaTotali());
    // Weekday 23:50 is band 3, tariff 2: 400 s per pulse.
    motore->AvviaConteggio();
    Conta(400); // 23:56:40, one more pulse on the 7th
    Conta(400); // 00:03:20, a pulse on the 8th
    EXPECT_EQ(Giorno(QDate(2026, 12, 7)).scatti, 3);
    EXPECT_EQ(Giorno(QDate(2026, 12, 8)).scatti, 6);
    EXPECT_EQ(motore->DataOggi(), QDate(2026, 12, 8));
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 6);
    EXPECT_DOUBLE_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Giorno).importo, 627);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 4);

    ASSERT_TRUE(motore->FermaContatore(TipoArresto::FineConnessione));
    ASSERT_TRUE(db.AggiungiScatti(QDate(2026, 12, 9), 4, 508));
    const int aggiornamenti = vista.aggiornamenti;
    orologio.muro = QDateTime(QDate(2026, 12, 9), QTime(0, 0, 1));
    motore->TimerScatto_Timer();
    EXPECT_EQ(motore->DataOggi(), QDate(2026, 12, 9));
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 4);
    EXPECT_GT(vista.aggiornamenti, aggiornamenti);
}

TEST_F(MotoreTest, CambioDiTariffaAlProssimoIntervallo)
{
    // Monday 12:58: band 1 (220 s) until 13:00, then band 2 (also tariff 1
    // on weekdays); Saturday shows the change: 12:58 is tariff 1, 13:00 is 2.
    orologio.muro = QDateTime(QDate(2026, 12, 12), QTime(12, 58, 0));
    motore->AvviaConteggio();
    EXPECT_FLOAT_EQ(motore->DurataScatto(), 220);
    Conta(220); // the pulse at 13:01:40 opens an interval of tariff 2
    EXPECT_FLOAT_EQ(motore->DurataScatto(), 400);
    EXPECT_EQ(vista.colore, imp.Tariffe.tariffa(2).Colore);
    Conta(399);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 3);
    Conta(1);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 4);
}

TEST_F(MotoreTest, FuoriDalPeriodoBollettaNonCambiaIlPeriodo)
{
    imp.DatIPB = QDate(2026, 11, 1);
    imp.DatFPB = QDate(2026, 11, 30);
    ASSERT_TRUE(motore->CaricaTotali());
    motore->AvviaConteggio();
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Bolletta).scatti, 0);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 2);
}

TEST_F(MotoreTest, RecordDelRiepilogoESuaAssenza)
{
    motore->AvviaConteggio();
    const QDateTime inizio = orologio.muro;
    Conta(59);
    orologio.Avanza(0.6);
    motore->FermaContatore(TipoArresto::FineConnessione);
    auto r = log->LeggiRecord(1);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->Inizio, inizio);
    EXPECT_EQ(r->Durata, 60);
    EXPECT_EQ(r->Scatti, 2);
    EXPECT_DOUBLE_EQ(r->Importo, 254);

    imp.LogCon = false;
    motore->AvviaConteggio("x");
    motore->FermaContatore(TipoArresto::FineConnessione);
    EXPECT_EQ(log->NumeroRecord(), 1);
}

// A log that cannot be written is retried at every tick, but the user hears
// of it once per failure streak, not once per tick.
TEST_F(MotoreTest, UnRiepilogoNonScrivibileSiSegnalaUnaVoltaPerSerie)
{
    // The log, if any, set aside and a folder in its place; then back.
    const auto guasto = [&] {
        QFile::rename(tmp.filePath("Velatrix.003"), tmp.filePath("da-parte"));
        ASSERT_TRUE(QDir(tmp.path()).mkdir("Velatrix.003"));
    };
    const auto ripara = [&] {
        ASSERT_TRUE(QDir(tmp.path()).rmdir("Velatrix.003"));
        QFile::rename(tmp.filePath("da-parte"), tmp.filePath("Velatrix.003"));
    };
    guasto();
    motore->AvviaConteggio();
    ASSERT_TRUE(motore->FermaContatore(TipoArresto::FineConnessione));
    Conta(30);
    EXPECT_EQ(vista.errori.size(), 1);
    EXPECT_EQ(motore->InAttesa().log.size(), 1u);

    ripara();
    Conta(1);
    EXPECT_EQ(log->NumeroRecord(), 1);
    EXPECT_TRUE(motore->InAttesa().Vuoto());

    // A new streak after writes worked again: one more warning, and each
    // record waits for its turn.
    guasto();
    for (int i = 0; i < 2; ++i) {
        motore->AvviaConteggio();
        ASSERT_TRUE(motore->FermaContatore(TipoArresto::FineConnessione));
        Conta(20);
    }
    EXPECT_EQ(vista.errori.size(), 2);
    ripara();
    Conta(1);
    EXPECT_EQ(log->NumeroRecord(), 3);
}

// Each streak of failed writes is told once and loses no pulse: the file
// closed under the engine, then taken from its place (its folder removed),
// which only the engine's own look at the path notices.
TEST_F(MotoreTest, OgniSerieDiErroriDelDatabaseSiSegnalaUnaVoltaENonPerdeScatti)
{
    const QString file = tmp.filePath("Velatrix.001"), altrove = tmp.filePath("spostato.001");
    motore->AvviaConteggio();
    db.Chiudi();
    Conta(660);
    EXPECT_EQ(vista.errori.size(), 1);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 5);
    ASSERT_TRUE(db.Apri(file));
    Conta(1);
    EXPECT_TRUE(motore->InAttesa().Vuoto());

    ASSERT_TRUE(QFile::rename(file, altrove));
    Conta(219);
    ASSERT_EQ(vista.errori.size(), 2);
    EXPECT_TRUE(vista.errori.last().contains("9005"));
    EXPECT_EQ(motore->InAttesa().scatti.at(orologio.muro.date()).scatti, 1);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 6);
    ASSERT_TRUE(QFile::rename(altrove, file));
    Conta(1);
    EXPECT_TRUE(motore->InAttesa().Vuoto());
    ASSERT_TRUE(motore->FermaContatore(TipoArresto::FineConnessione));
    EXPECT_EQ(Giorno(orologio.muro.date()).scatti, 6);
}

TEST_F(MotoreTest, IRecuperatiEntranoNeiTotaliEVengonoScritti)
{
    Pendenti recuperati;
    recuperati.scatti[QDate(2026, 12, 7)] = {6, 762};
    recuperati.scatti[QDate(2026, 11, 30)] = {1, 127};
    recuperati.log.push_back({QDateTime(QDate(2026, 12, 6), QTime(22, 0)), 600, 6, 762, "Casa"});
    motore->Recupera(recuperati);
    ASSERT_TRUE(motore->CaricaTotali());
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 6);
    EXPECT_EQ(motore->TotaliDelPeriodo(PeriodoImporto::Bolletta).scatti, 6);
    EXPECT_TRUE(motore->RiprovaScritture());
    EXPECT_EQ(Giorno(QDate(2026, 11, 30)).scatti, 1);
    EXPECT_EQ(Giorno(QDate(2026, 12, 7)).scatti, 6);
    ASSERT_EQ(log->NumeroRecord(), 1);
    EXPECT_EQ(log->LeggiRecord(1)->ConnessioneSenzaSpazi(), "Casa");
}

} // namespace
