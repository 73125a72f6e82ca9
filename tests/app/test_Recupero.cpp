// SPDX-License-Identifier: GPL-3.0-or-later
// What a run could not store, kept at exit on a full disk and added once at
// the next start; recovery files that are not sound are kept aside.
#include "BancoApplicazione.h"
#include "SupportoFile.h"
#include "app/Comandi.h"
#include "app/SegnaliTerminazione.h"
#include "common/MessaggiQt.h"
#include "engine/Recupero.h"
#include "log/FileLog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <csignal>

namespace {

class RecuperoApp : public BancoApplicazione {
protected:
    // A skip here, not in Prepara: there it would only leave Prepara, and the
    // test would go on without its disk.
    void SetUp() override
    {
        disco = std::make_unique<DiscoPiccolo>(tmp.filePath("disco"), 512);
        if (!disco->Pronto())
            GTEST_SKIP() << "needs root to mount a small tmpfs";
        Prepara(false);
    }
    // Data and, when asked, settings on the small disk; the program started.
    void Prepara(bool impostazioniSulDisco)
    {
        conf = impostazioniSulDisco ? tmp.filePath("disco/conf/Velatrix.conf") : tmp.filePath("conf/Velatrix.conf");
        dati = tmp.filePath("disco/dati");
        QDir().mkpath(QFileInfo(conf).absolutePath());
        Avvia();
    }
    void Avvia(Interlocutore* messaggi = nullptr)
    {
        utente.avvisi.clear();
        BancoApplicazione::Avvia({}, messaggi);
    }
    // 2 pulses stored, then the disk fills: 3 pulses and the record wait.
    void ContaSuDiscoPieno()
    {
        m->AvviaConteggio();
        ASSERT_EQ(m->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 2);
        disco->Riempi();
        orologio.Avanza(660);
        w->TimerScatto_Timer();
        ASSERT_EQ(m->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 5);
        ASSERT_FALSE(m->InAttesa().Vuoto()) << "the full disk took the pulses";
    }
    // Free the disk and start again: everything is there, once.
    void ControllaTuttoUnaVolta()
    {
        disco->Libera();
        for (int avvio = 0; avvio < 2; ++avvio) {
            Avvia();
            EXPECT_EQ(m->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 5);
            EXPECT_DOUBLE_EQ(m->TotaliDelPeriodo(PeriodoImporto::Giorno).importo, 635);
            EXPECT_EQ(FileLog(Dati() + "/Velatrix.003").NumeroRecord(), 1);
            EXPECT_TRUE(m->InAttesa().Vuoto());
            EXPECT_FALSE(QFile::exists(Dati() + "/" + NomeRecupero));
            EXPECT_FALSE(QFile::exists(QFileInfo(conf).absolutePath() + "/" + NomeRecupero));
        }
    }

    std::unique_ptr<DiscoPiccolo> disco;
};

} // namespace

TEST_F(RecuperoApp, DiscoPienoRispostaNoConservaTutto)
{
    ContaSuDiscoPieno();
    utente.risposte = {true, true, false}; // stop and exit; retry once; then exit anyway
    EXPECT_EQ(CodiceDiUscita([this] { w->Esci(); }), 0);
    ASSERT_EQ(utente.domande.size(), 3);
    EXPECT_EQ(utente.domande[1], utente.domande[2]);
    EXPECT_TRUE(utente.domande[1].startsWith("Non è stato possibile registrare 3 scatti (Lire 381) e 1 connessione."))
        << utente.domande[1].toStdString();
    EXPECT_TRUE(QFile::exists(tmp.filePath("conf/") + NomeRecupero))
        << "the data folder is full: the settings folder keeps them";
    ControllaTuttoUnaVolta();
}

TEST_F(RecuperoApp, DiscoPienoUnSegnaleSenzaDomandeConservaTutto)
{
    ContaSuDiscoPieno();
    // SIGTERM, SIGHUP: the count ends as if the line dropped.
    EXPECT_EQ(CodiceDiUscita([this] { app->Interrompi(); }), 0);
    EXPECT_TRUE(utente.domande.isEmpty());
    ControllaTuttoUnaVolta();
}

TEST_F(RecuperoApp, DiscoPienoUnSegnaleADomandaApertaEsceEConserva)
{
    ContaSuDiscoPieno();
    // The signal comes while the retry question is open; the answer that
    // would retry never arrives.
    utente.durante = [this] { utente.durante = [this] { app->Interrompi(); }; };
    utente.risposte = {true, true, true};
    EXPECT_EQ(CodiceDiUscita([this] { w->Esci(); }), 0);
    EXPECT_EQ(utente.domande.size(), 2);
    ControllaTuttoUnaVolta();
}

TEST_F(RecuperoApp, RiprovareQuandoIlDiscoTornaScriveTutto)
{
    ContaSuDiscoPieno();
    // The disk frees up while the retry question is open.
    utente.durante = [this] { utente.durante = [this] { disco->Libera(); }; };
    utente.risposte = {true, true};
    EXPECT_EQ(CodiceDiUscita([this] { w->Esci(); }), 0);
    EXPECT_EQ(utente.domande.size(), 2);
    EXPECT_FALSE(QFile::exists(tmp.filePath("conf/") + NomeRecupero));
    EXPECT_FALSE(QFile::exists(Dati() + "/" + NomeRecupero));
    ControllaTuttoUnaVolta();
}

TEST_F(RecuperoApp, AncheLeImpostazioniSulDiscoPienoDannoIlCodice3)
{
    Prepara(true); // started again, its settings now on the small disk too
    ContaSuDiscoPieno();
    utente.risposte = {true, false};
    EXPECT_EQ(CodiceDiUscita([this] { w->Esci(); }), UscitaPerdita);
    ASSERT_EQ(utente.avvisi.size(), 2);
    EXPECT_TRUE(utente.avvisi[0].startsWith("Impossibile conservare")) << utente.avvisi[0].toStdString();
    EXPECT_TRUE(utente.avvisi[1].startsWith("Impossibile salvare le impostazioni"));
    EXPECT_FALSE(QFile::exists(Dati() + "/" + NomeRecupero)) << "no empty file left in its place";
}

TEST_F(RecuperoApp, UnFileNonValidoVaDaParteConUnSoloMessaggioEUnoDiUnAltraCartellaAspetta)
{
    Pendenti assurdo;
    assurdo.scatti[orologio.muro.date()] = {2147483647, 1e308};
    ASSERT_TRUE(ScriviRecupero(Dati() + "/" + NomeRecupero, assurdo, Dati(), nullptr));
    Pendenti altro;
    altro.scatti[orologio.muro.date()] = {4, 508};
    ASSERT_TRUE(ScriviRecupero(tmp.filePath("conf/") + NomeRecupero, altro, tmp.filePath("altri-dati"), nullptr));
    Avvia();
    EXPECT_EQ(m->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 0);
    ASSERT_EQ(utente.avvisi.size(), 1);
    EXPECT_TRUE(utente.avvisi[0].contains("Velatrix.rec.rifiutato")) << utente.avvisi[0].toStdString();
    EXPECT_TRUE(QFile::exists(Dati() + "/Velatrix.rec.rifiutato"));
    EXPECT_TRUE(QFile::exists(tmp.filePath("conf/") + NomeRecupero)) << "left for its own data folder";
    Avvia();
    EXPECT_TRUE(utente.avvisi.isEmpty()) << "told once";
    EXPECT_EQ(m->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 0);
}

TEST_F(RecuperoApp, UnAvvioFinitoDuranteLUnioneNonContaDueVolte)
{
    Pendenti p;
    p.scatti[orologio.muro.date()] = {6, 762};
    p.log = {{orologio.muro.addSecs(-3600), 1200, 6, 762, {}}}; // 20 minutes, 6 pulses
    for (int fine = 0; fine < 3; ++fine) {
        ASSERT_TRUE(ScriviRecupero(Dati() + "/" + NomeRecupero, p, Dati(), nullptr));
        app.reset();
        app = Nuova();
        app->ImpostaPassoRecupero([fine](int passo) { return passo != fine; });
        int codice = 0;
        ASSERT_TRUE(app->Avvia(Argomenti(), Percorsi(), &codice));
        app.reset(); // ended there, as by a kill
        Avvia();
        EXPECT_EQ(m->TotaliDelPeriodo(PeriodoImporto::Giorno).scatti, 6 * (fine + 1)) << fine;
        EXPECT_EQ(FileLog(Dati() + "/Velatrix.003").NumeroRecord(), fine + 1) << fine;
        EXPECT_FALSE(QFile::exists(Dati() + "/" + NomeRecupero));
    }
}

// A real SIGTERM while the real retry box is open: the box goes unanswered,
// the exit goes on and keeps what waits.
TEST_F(RecuperoApp, SigtermConLaDomandaSulloSchermo)
{
    MessaggiQt schermo;
    Avvia(&schermo);
    ContaSuDiscoPieno();
    SegnaliTerminazione segnali;
    QObject::connect(&segnali, &SegnaliTerminazione::Terminazione, w, [this] { app->Interrompi(); });
    QStringList viste;
    QTimer guarda;
    QObject::connect(&guarda, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || (!viste.isEmpty() && viste.last() == box->text()))
            return;
        if (!box->button(QMessageBox::Yes)) {
            box->accept(); // the warnings of the failed writes
            return;
        }
        viste << box->text();
        if (viste.size() == 1) {
            box->button(QMessageBox::Yes)->click(); // stop and exit
        } else {
            std::raise(SIGTERM);
        }
    });
    guarda.start(20);
    const int codice = CodiceDiUscita([this] { w->Esci(); });
    guarda.stop();
    EXPECT_EQ(codice, 0);
    ASSERT_EQ(viste.size(), 2);
    EXPECT_TRUE(viste[1].startsWith("Non è stato possibile registrare")) << viste[1].toStdString();
    ControllaTuttoUnaVolta();
}
