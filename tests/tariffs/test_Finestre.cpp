// SPDX-License-Identifier: GPL-3.0-or-later
#include "Finti.h"
#include "SupportoFile.h"
#include "common/Colori.h"
#include "settings/ArchivioImpostazioni.h"
#include "settings/CaricaImpostazioni.h"
#include "tariffs/FinestraTariffe.h"
#include "tariffs/ModificaTariffe.h"
#include "tariffs/RiquadroFasce.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QColor SfondoDi(QWidget* w)
{
    return w->palette().color(qobject_cast<QLineEdit*>(w) ? QPalette::Base : QPalette::Window);
}

class FinestreTariffe : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        archivio = std::make_unique<ArchivioImpostazioni>(percorso);
        // A stored starting point, so that what a save changes shows.
        ASSERT_TRUE(ScriviTariffe(*archivio, imp, nullptr));
        archivio->Scrivi("DscTr5", "avanzata");
        ASSERT_TRUE(archivio->Salva(nullptr));
        archivio = std::make_unique<ArchivioImpostazioni>(percorso);
    }

    std::unique_ptr<Tariffe> Viewer()
    {
        return std::make_unique<Tariffe>(
            imp, *archivio, messaggi, [this] { return vietata; }, [this] { return adesso; });
    }

    QTemporaryDir dir;
    const QString percorso = dir.filePath("Velatrix.conf");
    Impostazioni imp;
    std::unique_ptr<ArchivioImpostazioni> archivio;
    UtenteFinto messaggi;
    bool vietata = false;                               // a call is up: the editor may not open
    QDateTime adesso{QDate(2026, 12, 7), QTime(10, 0)}; // a Monday
};

TEST_F(FinestreTariffe, IlVisualizzatoreMostraIlModelloPredefinito)
{
    auto v = Viewer();
    EXPECT_EQ(v->windowTitle(), "Tariffe");
    EXPECT_EQ(v->P_Modifica->text().remove('&'), "Modifica...");
    EXPECT_EQ(v->P_Chiudi->text().remove('&'), "Chiudi");
    // Placeholders until the first tick of the clock.
    EXPECT_EQ(v->V_Data->text(), "Data corrente");
    EXPECT_EQ(v->V_Ora->text(), "00.00.00");
    EXPECT_EQ(v->V_Tariffa->text(), "1 scatto ogni ...");
    EXPECT_EQ(v->V_CostoOra->text(), QString::fromUtf8("(1ª ora = L. ...)"));
    EXPECT_TRUE(v->TimerOra->isActive());
    EXPECT_EQ(v->TimerOra->interval(), 1000);

    QStringList orari, feriali;
    for (QLabel* o : v->Orario)
        orari << o->text();
    for (int i = 0; i < 3; ++i)
        feriali << v->Feriali[size_t(i)]->text();
    EXPECT_EQ(orari, QStringList({"8.00", "13.00", "18.30", "8.00", "", ""}));
    EXPECT_EQ(feriali, QStringList({"Ordinaria", "Ordinaria", "Ridotta"}));
    EXPECT_TRUE(v->Feriali[3]->isHidden());
    EXPECT_TRUE(v->Linea[4]->isHidden());
    EXPECT_FALSE(v->Linea[3]->isHidden());
    EXPECT_EQ(v->Legenda[0]->text(), "1 scatto ogni 3' 40\"");
    EXPECT_TRUE(v->Legenda[2]->isHidden());
    EXPECT_EQ(SfondoDi(v->ColoreTariffa[0]), ColoreDaLong(8454143));
    EXPECT_EQ(SfondoDi(v->Feriali[2]), ColoreDaLong(16744576));
    EXPECT_EQ(v->V_Costo2->text(), "Scatto aggiuntivo a inizio chiamata.");

    v->VisualizzaDataOraTariffa();
    EXPECT_EQ(v->V_Data->text(), QString::fromUtf8("lunedì 07/12/2026"));
    EXPECT_EQ(v->V_Ora->text(), "10:00:00");
    EXPECT_EQ(v->V_Tariffa->text(), "1 scatto ogni 3' 40\"");
    EXPECT_EQ(v->V_CostoOra->text(), QString::fromUtf8("(1ª ora = L. 2.286 + IVA)"));
    adesso = QDateTime(QDate(2026, 12, 13), QTime(10, 0));
    v->VisualizzaDataOraTariffa();
    EXPECT_EQ(v->V_Tariffa->text(), "1 scatto ogni 6' 40\"");
    EXPECT_EQ(v->V_CostoOra->text(), QString::fromUtf8("(1ª ora = L. 1.270 + IVA)"));
}

TEST_F(FinestreTariffe, ConCinqueFasceLUltimoOrarioRipeteIlPrimo)
{
    imp.Tariffe.MaxFsc = 5;
    for (int i = 1; i <= 5; ++i)
        imp.Tariffe.fascia(i) = {QStringLiteral("%1.00").arg(i * 4), 1, 2, 1};
    auto v = Viewer();
    EXPECT_EQ(v->Orario[5]->text(), "4.00");
    EXPECT_FALSE(v->Festivi[4]->isHidden());
    EXPECT_EQ(v->Sabato[4]->text(), "Ridotta");
}

// Forbidden from the start, or a call set up while the window is open: the
// button stays on, and the click tells the user why the editor stays closed.
TEST_F(FinestreTariffe, ModificaRifiutataDuranteUnaConnessione)
{
    for (const bool vietataAllApertura : {true, false}) {
        SCOPED_TRACE(vietataAllApertura);
        vietata = vietataAllApertura;
        auto v = Viewer();
        int aperture = 0;
        v->MostraEditor = [&](ModificaTariffe&) { ++aperture; };
        vietata = true;
        EXPECT_TRUE(v->P_Modifica->isEnabled());
        QTest::mouseClick(v->P_Modifica, Qt::LeftButton);
        EXPECT_EQ(aperture, 0);
        EXPECT_EQ(messaggi.avvisi, QStringList("Impossibile modificare le tariffe durante una connessione attiva."));
        messaggi.avvisi.clear();
        vietata = false;
        QTest::mouseClick(v->P_Modifica, Qt::LeftButton);
        EXPECT_EQ(aperture, 1);
    }
}

TEST_F(FinestreTariffe, OkSalvaCampiNonLasciatiEAggiornaIlVisualizzatore)
{
    auto v = Viewer();
    int aggiornamenti = 0;
    v->AggiornaImporto = [&] { ++aggiornamenti; };
    v->MostraEditor = [](ModificaTariffe& e) {
        EXPECT_EQ(e.windowTitle(), "Configurazione Tariffe");
        EXPECT_EQ(e.TotaleScatto->text(), "152,4");
        // Typed and confirmed without ever leaving the field.
        e.M_CostoScatto->clear();
        QTest::keyClicks(e.M_CostoScatto, "200,9");
        e.SecondiPerScatto[0]->clear();
        QTest::keyClicks(e.SecondiPerScatto[0], "72,5");
        e.Griglia->M_Sabato[0]->clear();
        QTest::keyClicks(e.Griglia->M_Sabato[0], "9");
        e.M_Riduzione->click();
        QTest::mouseClick(e.P_RimuoviTariffa, Qt::LeftButton);
        EXPECT_FALSE(e.P_RimuoviTariffa->isEnabled());
        EXPECT_TRUE(e.P_AggiungiTariffa->isEnabled());
        QTest::mouseClick(e.P_Salva, Qt::LeftButton);
        EXPECT_EQ(e.result(), QDialog::Accepted);
    };
    QTest::mouseClick(v->P_Modifica, Qt::LeftButton);
    EXPECT_EQ(aggiornamenti, 1);
    EXPECT_EQ(imp.Tariffe.fascia(1).TariffaSabato, 1);
    EXPECT_EQ(v->V_Costo1->text(), "Scatto = L. 200 + IVA (20%), riduzione 50% dopo 1 scatto.");

    ArchivioImpostazioni riletto(percorso);
    EXPECT_EQ(riletto.Leggi("CstSct", ""), "200");
    EXPECT_EQ(riletto.Leggi("MaxTrf", ""), "1");
    EXPECT_EQ(riletto.Leggi("SPSTr1", ""), "72.5");
    EXPECT_EQ(riletto.Leggi("TrfFr3", ""), "1"); // was tariff 2, now removed
    EXPECT_EQ(riletto.Leggi("RidTrf", ""), "-1");
    EXPECT_EQ(riletto.Leggi("DscTr5", ""), "avanzata"); // past the count: as it was
}

TEST_F(FinestreTariffe, AnnullaNonCambiaNulla)
{
    const QByteArray prima = Contenuto(percorso);
    const ModelloTariffe modello = imp.Tariffe;
    ModificaTariffe e(imp, *archivio, messaggi);
    e.ScegliColore = [](const QColor&) { return QColor(Qt::red); };
    e.CambiaColore(1);
    QTest::keyClicks(e.M_PercentualeIva, "5");
    e.M_PercentualeIva_LostFocus();
    QTest::mouseClick(e.P_AggiungiTariffa, Qt::LeftButton);
    QTest::mouseClick(e.Griglia->P_AggiungiFascia, Qt::LeftButton);
    QTest::mouseClick(e.P_Annulla, Qt::LeftButton);
    EXPECT_EQ(e.result(), QDialog::Rejected);
    EXPECT_EQ(imp.Tariffe, modello);
    EXPECT_EQ(Contenuto(percorso), prima);
    EXPECT_FALSE(archivio->InSospeso());
}

TEST_F(FinestreTariffe, UnSalvataggioFallitoSiDiceENonChiude)
{
    archivio = std::make_unique<ArchivioImpostazioni>(dir.filePath("cartella"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("cartella"));
    ModificaTariffe e(imp, *archivio, messaggi);
    int aggiornamenti = 0;
    e.AggiornaImporto = [&] { ++aggiornamenti; };
    e.M_CostoScatto->setText("300");
    QTest::mouseClick(e.P_Salva, Qt::LeftButton);
    ASSERT_EQ(messaggi.avvisi.size(), 1);
    EXPECT_TRUE(messaggi.avvisi[0].startsWith("Impossibile salvare le tariffe"));
    EXPECT_NE(e.result(), QDialog::Accepted);
    EXPECT_EQ(aggiornamenti, 0);
    EXPECT_EQ(imp.Tariffe.CstSct, 127);
}

TEST_F(FinestreTariffe, CorrezioniDeiCampiAllUscita)
{
    ModificaTariffe e(imp, *archivio, messaggi);
    const std::tuple<QLineEdit*, std::function<void()>, QString, QString> casi[] = {
        {e.M_CostoScatto, [&] { e.M_CostoScatto_LostFocus(); }, "abc", "0"},
        {e.M_PercentualeIva, [&] { e.M_PercentualeIva_LostFocus(); }, "100", "0"},
        {e.M_PercentualeRiduzione, [&] { e.M_PercentualeRiduzione_LostFocus(); }, "0", "1"},
        {e.M_LimiteRiduzione, [&] { e.M_LimiteRiduzione_LostFocus(); }, "10000", "0"},
        {e.SecondiPerScatto[1], [&] { e.SecondiPerScatto_LostFocus(2); }, "3600,06", "1"},
        {e.Descrizione[0], [&] { e.Descrizione_LostFocus(1); }, QString(25, 'x'), QString(20, 'x')},
    };
    for (const auto& [campo, uscita, testo, atteso] : casi) {
        campo->clear();
        QTest::keyClicks(campo, testo);
        uscita();
        EXPECT_EQ(campo->text(), atteso) << testo.toStdString();
    }
    EXPECT_EQ(e.TotaleScatto->text(), "0,0");

    // The reduction fields follow the box and keep their values.
    EXPECT_FALSE(e.M_PercentualeRiduzione->isEnabled());
    e.M_Riduzione->click();
    EXPECT_TRUE(e.M_LimiteRiduzione->isEnabled());
    EXPECT_TRUE(e.M_TipoLimiteRiduzione->isEnabled());
    EXPECT_EQ(e.M_TipoLimiteRiduzione->count(), 2);
}

TEST_F(FinestreTariffe, TariffeAggiunteRimosseERicolorate)
{
    ModificaTariffe e(imp, *archivio, messaggi);
    RiquadroFasce& g = *e.Griglia;
    QTest::mouseClick(e.P_AggiungiTariffa, Qt::LeftButton);
    EXPECT_EQ(e.Descrizione[2]->text(), "<Tariffa 3>");
    EXPECT_EQ(e.SecondiPerScatto[2]->text(), "400");
    EXPECT_EQ(SfondoDi(e.Colore[2]), QColor(Qt::white));
    EXPECT_FALSE(e.Numero[2]->isHidden());

    g.M_Sabato[1]->setText("3");
    g.Cella_LostFocus(2, RigaGiorno::Sabato);

    // Only the cells showing 2 take the new colour; a cancelled choice keeps it.
    e.ScegliColore = [](const QColor&) { return QColor(Qt::red); };
    e.CambiaColore(2);
    EXPECT_EQ(SfondoDi(e.Colore[1]), QColor(Qt::red));
    EXPECT_EQ(SfondoDi(g.M_Feriali[2]), QColor(Qt::red));
    EXPECT_EQ(SfondoDi(g.M_Feriali[0]), ColoreDaLong(8454143));
    e.ScegliColore = [](const QColor&) { return std::nullopt; };
    e.CambiaColore(2);
    EXPECT_EQ(SfondoDi(e.Colore[1]), QColor(Qt::red));

    QTest::mouseClick(e.P_RimuoviTariffa, Qt::LeftButton);
    EXPECT_TRUE(e.Numero[2]->isHidden());
    EXPECT_EQ(g.M_Sabato[1]->text(), "2");
    EXPECT_EQ(SfondoDi(g.M_Sabato[1]), QColor(Qt::red));

    for (int i = 0; i < 4; ++i)
        QTest::mouseClick(e.P_AggiungiTariffa, Qt::LeftButton);
    EXPECT_FALSE(e.P_AggiungiTariffa->isEnabled());
    EXPECT_TRUE(e.P_RimuoviTariffa->isEnabled());
}

TEST_F(FinestreTariffe, GrigliaDelleFasce)
{
    ModificaTariffe e(imp, *archivio, messaggi);
    RiquadroFasce& g = *e.Griglia;
    EXPECT_EQ(e.P_Salva->text().remove('&'), "OK");
    EXPECT_EQ(e.P_Annulla->text().remove('&'), "Annulla");
    EXPECT_EQ(g.P_AggiungiFascia->text().remove('&'), "Aggiungi fascia");
    EXPECT_EQ(g.P_RimuoviFascia->text().remove('&'), "Rimuovi fascia");
    auto orari = [&] {
        QStringList l;
        for (QLineEdit* m : g.M_OraInizio)
            if (!m->isHidden())
                l << m->text();
        return l;
    };
    EXPECT_EQ(orari(), QStringList({"8.00", "13.00", "18.30", "8.00"}));
    EXPECT_TRUE(g.M_OraInizio[0]->isReadOnly());

    g.P_Orario[0]->stepBy(-1);
    EXPECT_EQ(orari(), QStringList({"7.30", "13.00", "18.30", "7.30"}));
    g.P_Orario[1]->stepBy(20);
    g.P_Orario[2]->stepBy(20);
    QTest::mouseClick(g.P_AggiungiFascia, Qt::LeftButton);
    EXPECT_EQ(orari(), QStringList({"7.30", "18.00", "23.00", "23.30", "7.30"}));
    EXPECT_EQ(g.M_Festivi[3]->text(), "1");
    EXPECT_FALSE(g.P_Orario[3]->isHidden());
    // 23.00 and 23.30 taken: no room for a band, and the button says so.
    EXPECT_FALSE(g.P_AggiungiFascia->isEnabled());
    g.P_Orario[2]->stepBy(-1);
    EXPECT_TRUE(g.P_AggiungiFascia->isEnabled());

    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(g.P_RimuoviFascia, Qt::LeftButton);
    EXPECT_EQ(orari(), QStringList({"7.30", "7.30"}));
    EXPECT_FALSE(g.P_RimuoviFascia->isEnabled());
    EXPECT_TRUE(g.M_Feriali[1]->isHidden());

    // A cell left with a number past the tariffs in use takes the last one, and its colour.
    g.M_Feriali[0]->setText("9");
    g.Cella_LostFocus(1, RigaGiorno::Feriali);
    EXPECT_EQ(g.M_Feriali[0]->text(), "2");
    EXPECT_EQ(SfondoDi(g.M_Feriali[0]), ColoreDaLong(16744576));
}

// Shown and active, as a user meets it: keys go where the focus is.
void Attiva(QWidget& w)
{
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

TEST_F(FinestreTariffe, InvioConfermaEscAnnullaInOgniFinestra)
{
    // The editor, from one of its fields and from a cell of the band grid. A
    // mnemonic presses its button the way a click shows it, a moment later.
    const std::pair<const char*, std::function<QWidget*(ModificaTariffe&)>> campi[] = {
        {"cost", [](ModificaTariffe& e) -> QWidget* { return e.M_CostoScatto; }},
        {"band cell", [](ModificaTariffe& e) -> QWidget* { return e.Griglia->M_Sabato[0]; }},
    };
    const std::tuple<const char*, Qt::Key, Qt::KeyboardModifier, int> tasti[] = {
        {"Esc", Qt::Key_Escape, Qt::NoModifier, QDialog::Rejected},
        {"Alt+A", Qt::Key_A, Qt::AltModifier, QDialog::Rejected},
        {"Return", Qt::Key_Return, Qt::NoModifier, QDialog::Accepted},
        {"Alt+O", Qt::Key_O, Qt::AltModifier, QDialog::Accepted},
    };
    for (const auto& [nome, campo] : campi)
        for (const auto& [tasto, chiave, modificatore, esito] : tasti) {
            SCOPED_TRACE(std::string(nome) + ", " + tasto);
            ModificaTariffe e(imp, *archivio, messaggi);
            Attiva(e);
            QWidget* c = campo(e);
            c->setFocus();
            QTest::keyClick(c, Qt::Key_Backspace);
            QTest::keyClick(c, Qt::Key_End);
            QTest::keyClicks(c, "2");
            QTest::keyClick(c, chiave, modificatore);
            (void)QTest::qWaitFor([&] { return !e.isVisible(); });
            EXPECT_FALSE(e.isVisible());
            EXPECT_EQ(e.result(), esito);
            EXPECT_EQ(imp.Tariffe == ModelloTariffe{}, esito == QDialog::Rejected); // saved only when confirmed
            imp.Tariffe = ModelloTariffe{};
        }

    // The viewer: Return presses "Chiudi", and so do Esc and Alt+C; Alt+M opens the editor.
    const std::tuple<Qt::Key, Qt::KeyboardModifier, int> comandi[] = {{Qt::Key_Return, Qt::NoModifier, 0},
                                                                      {Qt::Key_Escape, Qt::NoModifier, 0},
                                                                      {Qt::Key_C, Qt::AltModifier, 0},
                                                                      {Qt::Key_M, Qt::AltModifier, 1}};
    for (const auto& [chiave, modificatore, editor] : comandi) {
        SCOPED_TRACE(QKeySequence(chiave | modificatore).toString().toStdString());
        auto v = Viewer();
        int aperture = 0;
        v->MostraEditor = [&](ModificaTariffe&) { ++aperture; };
        Attiva(*v);
        QTest::keyClick(v.get(), chiave, modificatore);
        (void)QTest::qWaitFor([&] { return aperture > 0 || !v->isVisible(); });
        EXPECT_EQ(aperture, editor);
        EXPECT_EQ(v->isVisible(), editor > 0);
    }
}

TEST_F(FinestreTariffe, UnNumeroDiFasceOltreGliInizioSiFermaAllUltimoValido)
{
    imp.Tariffe.MaxFsc = 5; // edited by hand: bands 4 and 5 have no start
    ModificaTariffe e(imp, *archivio, messaggi);
    RiquadroFasce& g = *e.Griglia;
    EXPECT_TRUE(g.M_OraInizio[4]->isHidden());
    EXPECT_TRUE(g.P_Orario[3]->isHidden());
    QTest::mouseClick(e.P_Salva, Qt::LeftButton);
    EXPECT_EQ(imp.Tariffe.MaxFsc, 3);
}

} // namespace
