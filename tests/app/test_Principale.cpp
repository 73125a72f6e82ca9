// SPDX-License-Identifier: GPL-3.0-or-later
#include "BancoApplicazione.h"
#include "app/Guida.h"
#include "pulses/Bolletta.h"
#include "pulses/ModificaScatti.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace {

class PrincipaleTest : public BancoApplicazione {
protected:
    void SetUp() override
    {
        BancoApplicazione::SetUp();
        if (HasFatalFailure() || !FinestreFinte())
            return;
        const auto conta = [this](const char* nome) { return [this, nome] { ++aperte[nome]; }; };
        w->ImpostaFinestre(
            {conta("Tariffe"), conta("Bolletta"), conta("Log"), conta("Opzioni"), conta("Info"), conta("Guida")});
    }
    // The windows stand-ins that count their openings, unless a test wants the real ones.
    virtual bool FinestreFinte() const { return true; }
    void Tasto(Qt::Key tasto, Qt::KeyboardModifiers mod = Qt::NoModifier) { QTest::keyClick(w, tasto, mod); }
    QString Testo() const { return w->Importo->text(); }

    std::map<std::string, int> aperte;
};

TEST_F(PrincipaleTest, TestiDelValoreInOgniTipo)
{
    Tasto(Qt::Key_F2); // 2 pulses, 254 lire
    ASSERT_TRUE(m->ConteggioAttivo());
    using T = TipoImporto;
    const std::pair<T, const char*> casi[] = {{T::Importo, "Lire  254 "},
                                              {T::ImportoIva, "L.+Iva  305 "},
                                              {T::Scatti, "Scatti  2 "},
                                              {T::Tempo, "Tempo  0\" "}};
    for (const auto& [tipo, testo] : casi) {
        w->ScegliTipo(tipo);
        EXPECT_EQ(Testo(), QString::fromUtf8(testo)) << int(tipo);
    }
}

TEST_F(PrincipaleTest, ClicSulValoreEsulPeriodo)
{
    Impostazioni& imp = app->Valori();
    using T = TipoImporto;
    const auto clic = [&](int volte) {
        std::vector<T> tipi;
        for (int i = 0; i < volte; ++i) {
            QTest::mouseClick(w->Importo, Qt::LeftButton);
            tipi.push_back(imp.TipImp);
        }
        return tipi;
    };
    EXPECT_EQ(clic(5), (std::vector<T>{T::ImportoIva, T::Scatti, T::Tempo, T::Importo, T::ImportoIva}));
    w->ScegliTipo(T::Tempo);
    QTest::mouseClick(w->P_Periodo, Qt::LeftButton); // to "G": time is not shown there
    EXPECT_EQ(imp.PerImp, PeriodoImporto::Giorno);
    EXPECT_EQ(imp.TipImp, T::Importo);
    EXPECT_EQ(w->P_Periodo->text(), "G");
    EXPECT_FALSE(w->mnuTipoImporto[4]->isEnabled());
    EXPECT_EQ(clic(4), (std::vector<T>{T::ImportoIva, T::Scatti, T::Importo, T::ImportoIva}));
    QTest::mouseClick(w->P_Periodo, Qt::LeftButton);
    QTest::mouseClick(w->P_Periodo, Qt::LeftButton);
    EXPECT_EQ(w->P_Periodo->text(), "C");
    EXPECT_TRUE(w->mnuTipoImporto[4]->isEnabled());
}

TEST_F(PrincipaleTest, TastiEVociDelMenuDuranteIlConteggio)
{
    EXPECT_TRUE(w->mnuVoce[1]->isEnabled());
    EXPECT_FALSE(w->mnuVoce[2]->isEnabled());
    Tasto(Qt::Key_F2);
    EXPECT_FALSE(w->mnuVoce[1]->isEnabled());
    EXPECT_TRUE(w->mnuVoce[2]->isEnabled());
    for (int i : {8, 9, 11})
        EXPECT_FALSE(w->mnuVoce[size_t(i)]->isEnabled());
    EXPECT_EQ(w->LedCorrente(), Led::Rosso);
    EXPECT_TRUE(w->P_Ferma->isVisible());
    EXPECT_FALSE(w->P_Avvia->isVisible());

    for (Qt::Key f : {Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F5})
        Tasto(f);
    EXPECT_EQ(aperte, (std::map<std::string, int>{{"Tariffe", 1}}));

    Tasto(Qt::Key_F3);
    EXPECT_FALSE(m->ConteggioAttivo());
    EXPECT_TRUE(w->mnuVoce[8]->isEnabled());
    EXPECT_EQ(w->LedCorrente(), Led::Verde);
    EXPECT_TRUE(w->ValoreIndicatore->text().isEmpty());
    for (Qt::Key f : {Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F1})
        Tasto(f);
    Tasto(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(aperte, (std::map<std::string, int>{
                          {"Tariffe", 1}, {"Bolletta", 1}, {"Log", 1}, {"Opzioni", 1}, {"Guida", 1}, {"Info", 1}}));
}

TEST_F(PrincipaleTest, OgniVoceDelMenuApreLaSuaFinestra)
{
    const std::pair<int, const char*> voci[] = {{7, "Tariffe"},  {8, "Bolletta"}, {9, "Log"},
                                                {11, "Opzioni"}, {13, "Guida"},   {14, "Info"}};
    for (const auto& [voce, finestra] : voci) {
        w->mnuVoce[size_t(voce)]->trigger();
        EXPECT_EQ(aperte[finestra], 1) << voce;
    }
    EXPECT_EQ(aperte.size(), 6u);
    w->mnuPeriodoImporto[2]->trigger();
    w->mnuTipoImporto[3]->trigger();
    EXPECT_EQ(w->P_Periodo->text(), "G");
    EXPECT_EQ(Testo(), "Scatti  0 ");
    w->mnuVoce[1]->trigger();
    EXPECT_TRUE(m->ConteggioAttivo());
    w->mnuVoce[2]->trigger();
    EXPECT_FALSE(m->ConteggioAttivo());
    w->mnuVoce[16]->trigger();
    EXPECT_TRUE(w->InUscita());
}

TEST_F(PrincipaleTest, LeFinestreSospendonoIlControllo)
{
    bool attivoDentro = true;
    Principale::Finestre finestre;
    finestre.Bolletta = [&] { attivoDentro = w->TimerControllo->isActive(); };
    w->ImpostaFinestre(finestre);
    ASSERT_TRUE(w->TimerControllo->isActive());
    Tasto(Qt::Key_F6);
    EXPECT_FALSE(attivoDentro);
    EXPECT_TRUE(w->TimerControllo->isActive());
}

TEST_F(PrincipaleTest, UscitaSoloConCtrlEDuranteIlConteggioChiede)
{
    Tasto(Qt::Key_E);
    Tasto(Qt::Key_E, Qt::ShiftModifier);
    EXPECT_FALSE(w->InUscita());
    Tasto(Qt::Key_F2);
    utente.risposte = {false};
    Tasto(Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(w->InUscita());
    EXPECT_TRUE(m->ConteggioAttivo());
    EXPECT_EQ(utente.domande, QStringList{"Conteggio attivo: confermi l'interruzione e l'uscita ?"});
    utente.risposte = {true};
    Tasto(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(w->InUscita());
    EXPECT_FALSE(m->ConteggioAttivo());
}

TEST_F(PrincipaleTest, LaFineDellaSessioneChiudeIlConteggioSenzaChiedere)
{
    Tasto(Qt::Key_F2);
    EXPECT_TRUE(w->Esci(false));
    EXPECT_TRUE(utente.domande.isEmpty());
    EXPECT_FALSE(m->ConteggioAttivo());
}

TEST_F(PrincipaleTest, ChiamataRilevataSulPannello)
{
    sorgente.maniglia = 12;
    sorgente.stato = StatoLink::Composizione;
    w->TimerControllo_Timer();
    EXPECT_EQ(Testo(), "Connessione... ");
    EXPECT_EQ(w->LedCorrente(), Led::Giallo);
    EXPECT_FALSE(w->mnuVoce[8]->isEnabled());
    for (Qt::Key f : {Qt::Key_F6, Qt::Key_F7, Qt::Key_F8})
        Tasto(f);
    EXPECT_TRUE(aperte.empty()) << "a call on the line keeps the bill, the log and the options shut";
    sorgente.stato = StatoLink::Connesso;
    w->TimerControllo_Timer();
    EXPECT_EQ(Testo(), "Lire  254 ");
}

} // namespace

class PrincipaleBolletta : public PrincipaleTest {
protected:
    bool FinestreFinte() const override { return false; }
};

TEST_F(PrincipaleBolletta, UnGiornoCorrettoArrivaAlPannelloAllaChiusura)
{
    QTest::keyClick(w, Qt::Key_F2); // 2 pulses, 254 lire
    utente.risposte = {true};
    QTest::keyClick(w, Qt::Key_F3);
    ASSERT_FALSE(m->ConteggioAttivo());
    w->ScegliTipo(TipoImporto::Importo);
    w->ScegliPeriodo(PeriodoImporto::Giorno);
    QTimer::singleShot(0, w, [&] {
        // Bolletta has no meta-object of its own, which findChild<Bolletta*> needs in Qt 6.8.
        Bolletta* b = nullptr;
        for (QDialog* d : w->findChildren<QDialog*>())
            b = b ? b : dynamic_cast<Bolletta*>(d);
        ASSERT_NE(b, nullptr);
        b->EseguiDialogo = [](QDialog& d) {
            auto& e = dynamic_cast<ModificaScatti&>(d);
            e.M_NumeroScatti->setText("40");
            e.M_Importo->setText("5080");
            QTest::mouseClick(e.P_OK, Qt::LeftButton);
            return e.result();
        };
        b->P_ModificaScatti_Click();
        QTest::mouseClick(b->P_Chiudi, Qt::LeftButton);
    });
    QTest::keyClick(w, Qt::Key_F6);
    EXPECT_EQ(w->Importo->text(), "Lire  5.080 ");
    w->ScegliPeriodo(PeriodoImporto::Bolletta);
    EXPECT_EQ(w->Importo->text(), "Lire  5.080 ");
}

TEST(Guida, LaPaginaSiApreConIlSuoTesto)
{
    QWidget genitore;
    MostraGuida(&genitore);
    auto* testo = genitore.findChild<QTextBrowser*>();
    ASSERT_NE(testo, nullptr);
    EXPECT_TRUE(testo->toPlainText().contains("F6")) << testo->toPlainText().left(200).toStdString();
    testo->window()->close();
}
