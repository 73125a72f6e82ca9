// SPDX-License-Identifier: GPL-3.0-or-later
#include "Finti.h"
#include "Mnemonici.h"
#include "common/ValoreScambio.h"
#include "pulses/Bolletta.h"
#include "pulses/Calendario.h"
#include "pulses/DatabaseScatti.h"
#include "pulses/DisegnoBolletta.h"
#include "pulses/GraficoBolletta.h"
#include "pulses/ModificaScatti.h"
#include "pulses/SceltaMese.h"
#include "settings/ArchivioImpostazioni.h"
#include "settings/Impostazioni.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QDate Oggi(2026, 12, 7); // a Monday; December 2026 starts on a Tuesday
const QDateTime Adesso(Oggi, QTime(12, 0));

void ClicCella(QTableWidget* g, int riga, int colonna, bool doppio = false)
{
    const QPoint p = g->visualItemRect(g->item(riga, colonna)).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
    if (doppio)
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
}

QString Cella(const SceltaMese* s, int riga, int colonna) { return s->GrigliaGiorni->item(riga, colonna)->text(); }

// The day editor filled as a user would (a null text leaves the field as it
// opened), then closed with one of its buttons.
std::function<int(QDialog&)> Editor(const QString& scatti, const QString& importo, bool ok, QString* data = nullptr)
{
    return [=](QDialog& d) {
        auto& e = dynamic_cast<ModificaScatti&>(d);
        if (data)
            *data = e.M_DataScatti->text();
        if (!scatti.isNull())
            e.M_NumeroScatti->setText(scatti);
        if (!importo.isNull())
            e.M_Importo->setText(importo);
        QTest::mouseClick(ok ? e.P_OK : e.P_Annulla, Qt::LeftButton);
        return e.result();
    };
}

// The date picker answered by clicking day `giorno` after showing month
// `mese` of year `anno` (0: as it opened); 0 as day cancels.
std::function<int(QDialog&)> Picker(int giorno, int mese = 0, int anno = 0, QDate* aperto = nullptr)
{
    return [=](QDialog& d) {
        auto& c = dynamic_cast<Calendario&>(d);
        c.show();
        if (aperto)
            *aperto = QDate(c.Pannello->Anno(), c.Pannello->Mese(), 1);
        if (anno)
            c.Pannello->AnnoCorrente->setCurrentIndex(anno - 1980);
        if (mese)
            c.Pannello->MeseCorrente->setCurrentIndex(mese - 1);
        if (giorno == 0) {
            QTest::mouseClick(c.P_Annulla, Qt::LeftButton);
            return c.result();
        }
        int r = 0, col = 0;
        EXPECT_TRUE(c.Pannello->CellaDelGiorno(QDate(c.Pannello->Anno(), c.Pannello->Mese(), giorno), &r, &col));
        ClicCella(c.Pannello->GrigliaGiorni, r, col);
        return c.result();
    };
}

class FinestreBolletta : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(db.Apri(tmp.filePath("Velatrix.001")));
        imp.DatIPB = QDate(2026, 11, 15);
        imp.DatFPB = QDate(2027, 1, 14);
    }
    std::unique_ptr<Bolletta> Apri()
    {
        auto w = std::make_unique<Bolletta>(imp, archivio, db, utente, [] { return Adesso; });
        w->RicaricaTotali = [this] { ++ricariche; };
        w->show();
        return w;
    }
    void Riga(QDate g, qint32 s, double l) { ASSERT_TRUE(db.AggiungiScatti(g, s, l)); }

    QTemporaryDir tmp;
    DatabaseScatti db;
    Impostazioni imp;
    ArchivioImpostazioni archivio{tmp.filePath("Velatrix.conf")};
    UtenteFinto utente;
    int ricariche = 0;
};

TEST_F(FinestreBolletta, SiApreSulMeseCorrenteConIGiorniRegistrati)
{
    Riga(QDate(2026, 11, 30), 500, 63500); // the neighbouring month: never shown
    Riga(QDate(2026, 12, 1), 10, 1270);
    Riga(QDate(2026, 12, 7), 0, 0); // a row of zeros is still a row
    auto w = Apri();
    EXPECT_EQ(w->windowTitle(), "Scatti e bolletta");
    EXPECT_EQ(w->Pannelli->tabText(0), "Riepilogo scatti");
    EXPECT_EQ(w->Pannelli->tabText(1), "Riepilogo bolletta");
    EXPECT_EQ(w->Pannelli->currentIndex(), 0);
    EXPECT_TRUE(MnemoniciDistinti(w.get()));

    const SceltaMese* s = w->SceltaGiorni;
    EXPECT_EQ(s->MeseCorrente->currentText(), "Dicembre");
    EXPECT_EQ(s->AnnoCorrente->currentText(), "2026");
    ASSERT_EQ(s->AnnoCorrente->count(), 121);
    EXPECT_EQ(s->GrigliaGiorni->horizontalHeaderItem(0)->text(), "Lun");
    EXPECT_EQ(s->GrigliaGiorni->horizontalHeaderItem(6)->text(), "Dom");
    EXPECT_EQ(Cella(s, 0, 0), "");
    EXPECT_EQ(Cella(s, 0, 1), "( 1 )");
    EXPECT_EQ(Cella(s, 1, 0), "( 7 )");

    EXPECT_EQ(w->DataSelezionata->text(), "07/12/2026");
    EXPECT_EQ(w->ScattiGiorno->text(), "0  ");
    EXPECT_EQ(w->ScattiMese->text(), "10  ");
    EXPECT_EQ(w->MediaScattiGiorno->text(), "0,3  "); // 10 / 31
    EXPECT_EQ(w->MediaImpGiorno->text(), "41,0  ");   // 1270 / 31

    // A neighbouring month's cell ignores clicks; a day's cell shows the day.
    ClicCella(s->GrigliaGiorni, 0, 0, true);
    EXPECT_EQ(w->DataSelezionata->text(), "07/12/2026");
    ClicCella(s->GrigliaGiorni, 0, 1);
    EXPECT_EQ(w->DataSelezionata->text(), "01/12/2026");
    EXPECT_EQ(w->ImpGiorno->text(), "1.270  ");
}

TEST_F(FinestreBolletta, LeListeCambianoMeseEMostranoIlPrimoGiorno)
{
    Riga(QDate(2027, 2, 28), 28, 2800);
    auto w = Apri();
    w->SceltaGiorni->AnnoCorrente->setCurrentIndex(2027 - 1980);
    w->SceltaGiorni->MeseCorrente->setCurrentIndex(1);
    EXPECT_EQ(w->DataSelezionata->text(), "01/02/2027");
    EXPECT_EQ(Cella(w->SceltaGiorni, 3, 6), "( 28 )");
    EXPECT_EQ(w->ScattiMese->text(), "28  ");

    QTest::mouseClick(w->P_SelezionaOggi, Qt::LeftButton);
    EXPECT_EQ(w->DataSelezionata->text(), "07/12/2026");
    EXPECT_EQ(w->SceltaGiorni->MeseCorrente->currentText(), "Dicembre");
}

TEST_F(FinestreBolletta, CorrezioneDelGiornoScriveSoloValoriCambiatiEConfermati)
{
    auto w = Apri();
    const QDate tre(2026, 12, 3);
    QString data;
    w->EseguiDialogo = Editor("5", "1234,5", true, &data);
    ClicCella(w->SceltaGiorni->GrigliaGiorni, 0, 3, true);
    EXPECT_EQ(data, QLocale().toString(tre, QLocale::LongFormat));
    EXPECT_EQ(db.TrovaGiorno(tre), (Totali{5, 1234.5}));
    EXPECT_EQ(Cella(w->SceltaGiorni, 0, 3), "( 3 )");
    EXPECT_EQ(w->DataSelezionata->text(), "03/12/2026");
    EXPECT_EQ(w->ImpGiorno->text(), "1.235  ");
    EXPECT_EQ(w->ImpMese->text(), "1.235  ");
    EXPECT_EQ(w->NettoBolletta->text(), "1.235 "); // the bill tab follows at once

    // Cancel after typing, and OK with the values as shown: nothing written.
    w->EseguiDialogo = Editor("77", "88", false);
    w->P_ModificaScatti_Click();
    EXPECT_EQ(std::get<QString>(ValoreScambio), "5/1234,5");
    w->EseguiDialogo = Editor({}, {}, true);
    w->P_ModificaScatti_Click();
    EXPECT_EQ(std::get<QString>(ValoreScambio), "5/1234,5");
    EXPECT_EQ(db.TrovaGiorno(tre), (Totali{5, 1234.5}));

    // Wrong entries are corrected before they are handed back.
    w->EseguiDialogo = Editor("12a", "10000000", true);
    w->P_ModificaScatti_Click();
    EXPECT_EQ(db.TrovaGiorno(tre), (Totali{12, 0}));

    w->EseguiDialogo = Editor("0", "0", true);
    w->P_ModificaScatti_Click();
    EXPECT_FALSE(db.TrovaGiorno(tre)->has_value());
    EXPECT_EQ(Cella(w->SceltaGiorni, 0, 3), "3");
    EXPECT_EQ(w->ScattiMese->text(), "0  ");
}

TEST(ModificaScatti, ICampiSiCorreggonoLasciandoli)
{
    ModificaScatti e(QDate(2026, 12, 3), {3, 1234.5});
    EXPECT_EQ(e.windowTitle(), "Modifica Scatti");
    e.show();
    e.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&e));
    const struct {
        const char* scatti;
        const char* importo;
        const char* s;
        const char* i;
    } casi[] = {{"12a", "abc", "12", "0"},        {"-4", "10000000", "0", "0"},    {"10000", "9999999", "0", "9999999"},
                {"7.9", "1234,5", "7", "1234,5"}, {" 1 2 ", "0,25", "12", "0,25"}, {"9999", "0", "9999", "0"}};
    for (const auto& c : casi) {
        e.M_NumeroScatti->setFocus();
        e.M_NumeroScatti->setText(c.scatti);
        e.M_Importo->setFocus();
        e.M_Importo->setText(c.importo);
        e.P_OK->setFocus();
        EXPECT_EQ(e.M_NumeroScatti->text(), c.s) << c.scatti;
        EXPECT_EQ(e.M_Importo->text(), c.i) << c.importo;
    }
}

TEST_F(FinestreBolletta, UnGiornoOltreIlLimiteDelCampoNonSiAzzeraConUnOKSenzaModifiche)
{
    // 12000 pulses: a day of 8 s pulses, past the 9999 the field accepts.
    const QDate tre(2026, 12, 3);
    Riga(tre, 12000, 1524000);
    auto w = Apri();
    ClicCella(w->SceltaGiorni->GrigliaGiorni, 0, 3);
    w->EseguiDialogo = Editor({}, {}, true);
    w->P_ModificaScatti_Click();
    EXPECT_EQ(std::get<QString>(ValoreScambio), "12000/1524000");
    EXPECT_EQ(db.TrovaGiorno(tre), (Totali{12000, 1524000}));

    // Changing the amount alone keeps the pulses as stored.
    w->EseguiDialogo = Editor({}, "1500000", true);
    w->P_ModificaScatti_Click();
    EXPECT_EQ(db.TrovaGiorno(tre), (Totali{12000, 1500000}));

    // Typed by the user, the same number is out of range and corrected.
    w->EseguiDialogo = Editor("12001", "1500000", true);
    w->P_ModificaScatti_Click();
    EXPECT_EQ(db.TrovaGiorno(tre), (Totali{0, 1500000}));
}

TEST(ModificaScatti, InvioConfermaEscAnnullaEScorciatoie)
{
    const struct {
        const char* nome;
        Qt::Key tasto;
        Qt::KeyboardModifiers modificatori;
        int esito;
    } casi[] = {
        {"Return", Qt::Key_Return, Qt::NoModifier, QDialog::Accepted},
        {"Esc", Qt::Key_Escape, Qt::NoModifier, QDialog::Rejected},
        {"Alt+O", Qt::Key_O, Qt::AltModifier, QDialog::Accepted},
        {"Alt+A", Qt::Key_A, Qt::AltModifier, QDialog::Rejected},
    };
    for (const auto& c : casi) {
        ValoreScambio = QStringLiteral("3/1234,5");
        ModificaScatti e(QDate(2026, 12, 3), {3, 1234.5});
        e.show();
        e.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&e));
        e.M_NumeroScatti->setFocus();
        e.M_NumeroScatti->selectAll();
        QTest::keyClicks(e.M_NumeroScatti, "8");
        QTest::keyClick(e.M_NumeroScatti, c.tasto, c.modificatori);
        // A mnemonic presses its button the way a click shows it, a moment later.
        (void)QTest::qWaitFor([&] { return !e.isVisible(); });
        EXPECT_EQ(e.result(), c.esito) << c.nome;
        EXPECT_FALSE(e.isVisible()) << c.nome;
        EXPECT_EQ(std::get<QString>(ValoreScambio), c.esito == QDialog::Accepted ? "8/1234,5" : "3/1234,5") << c.nome;
        EXPECT_EQ(e.P_OK->text().remove('&'), "OK");
        EXPECT_EQ(e.P_Annulla->text().remove('&'), "Annulla");
    }
}

TEST_F(FinestreBolletta, AzzeraIlMeseDelGiornoSelezionatoSoloConOK)
{
    Riga(QDate(2026, 11, 30), 5, 635);
    Riga(QDate(2026, 12, 1), 10, 1270);
    auto w = Apri();
    utente.risposte = {false, true};
    w->P_AzzeraScatti_Click();
    EXPECT_TRUE(db.TrovaGiorno(QDate(2026, 12, 1))->has_value());
    ASSERT_EQ(utente.domande.size(), 1);
    EXPECT_EQ(utente.domande[0],
              "Attenzione!!! Gli scatti conteggiati nel mese di dicembre 2026 stanno per essere azzerati: "
              "premere <OK> per procedere all'azzeramento oppure <Annulla> per lasciare invariato.");
    EXPECT_TRUE(utente.avvisi.isEmpty());

    w->P_AzzeraScatti_Click();
    EXPECT_EQ(utente.avvisi, QStringList{"Gli scatti conteggiati nel mese di dicembre 2026 sono stati azzerati."});
    EXPECT_FALSE(db.TrovaGiorno(QDate(2026, 12, 1))->has_value());
    EXPECT_EQ(Cella(w->SceltaGiorni, 0, 1), "1");
    EXPECT_EQ(w->ScattiMese->text(), "0  ");
    EXPECT_EQ(w->ScattiBolletta->text(), "5 "); // the month before stays
}

TEST_F(FinestreBolletta, TotaliDelPeriodoACavalloDiMeseEAnno)
{
    Riga(QDate(2026, 11, 14), 99, 9999); // before the period
    Riga(QDate(2026, 11, 15), 10, 500);
    Riga(QDate(2026, 12, 31), 20, 402.4);
    Riga(QDate(2027, 1, 14), 30, 100);
    Riga(QDate(2027, 1, 15), 99, 9999); // after it
    auto w = Apri();
    EXPECT_EQ(w->V_DataInizioBolletta->text(), "15/11/2026");
    EXPECT_EQ(w->V_DataFineBolletta->text(), "14/01/2027");
    EXPECT_EQ(w->EtichettaIvaBolletta->text(), "Iva (20%)");
    EXPECT_EQ(w->ScattiBolletta->text(), "60 ");
    EXPECT_EQ(w->MediaScattiBolletta->text(), "1,0 ");   // 60 / 61 days
    EXPECT_EQ(w->MediaImportoBolletta->text(), "16,4 "); // 1002.4 / 61
    EXPECT_EQ(w->TotaleBolletta->text(), "1.203 ");

    imp.Tariffe.PrcIva = 4;
    auto quattro = Apri();
    EXPECT_EQ(quattro->EtichettaIvaBolletta->text(), "Iva (4%)");
    EXPECT_EQ(quattro->IvaBolletta->text(), "40 ");
}

TEST_F(FinestreBolletta, GliEstremiDelPeriodoSiSpingono)
{
    auto w = Apri();
    QDate aperto;
    w->EseguiDialogo = Picker(20, 1, 2027, &aperto); // start moved to 20 January 2027, after the end
    w->P_DataInizio_Click();
    EXPECT_EQ(aperto, QDate(2026, 11, 1));
    EXPECT_EQ(w->V_DataInizioBolletta->text(), "20/01/2027");
    EXPECT_EQ(w->V_DataFineBolletta->text(), "20/01/2027");

    w->EseguiDialogo = Picker(5); // end moved before the start
    w->P_DataFine_Click();
    EXPECT_EQ(w->V_DataInizioBolletta->text(), "05/01/2027");
    EXPECT_EQ(w->V_DataFineBolletta->text(), "05/01/2027");

    w->EseguiDialogo = Picker(0);
    w->P_DataFine_Click();
    EXPECT_EQ(w->V_DataFineBolletta->text(), "05/01/2027");
}

TEST_F(FinestreBolletta, ChiudiChiedeSoloSeIlPeriodoECambiato)
{
    // The window with the period's end moved to that day of January 2027.
    const auto FineAl = [this](int giorno) {
        auto w = Apri();
        w->EseguiDialogo = Picker(giorno);
        w->P_DataFine_Click();
        return w;
    };
    {
        auto w = FineAl(1);
        w->EseguiDialogo = Picker(14);
        w->P_DataFine_Click(); // and back to 14 January
        QTest::mouseClick(w->P_Chiudi, Qt::LeftButton);
        EXPECT_TRUE(utente.domande.isEmpty());
        EXPECT_EQ(ricariche, 1);
    }
    {
        auto w = FineAl(1);
        utente.risposte = {false};
        QTest::mouseClick(w->P_Chiudi, Qt::LeftButton);
        EXPECT_EQ(utente.domande, QStringList{"Mantenere il nuovo periodo bolletta impostato ?"});
        EXPECT_EQ(w->Pannelli->currentIndex(), 1);
        EXPECT_EQ(imp.DatFPB, QDate(2027, 1, 14));
        EXPECT_FALSE(archivio.Contiene("DatFPB"));
    }
    {
        auto w = FineAl(1);
        utente.risposte = {true};
        QTest::mouseClick(w->P_Chiudi, Qt::LeftButton);
        EXPECT_EQ(imp.DatFPB, QDate(2027, 1, 1));
        EXPECT_EQ(ArchivioImpostazioni(tmp.filePath("Velatrix.conf")).Leggi("DatFPB", ""), "2027-01-01");
    }
    // Esc and the frame skip the question but still reload the totals.
    auto w = FineAl(2);
    QTest::keyClick(w.get(), Qt::Key_Escape);
    auto w2 = Apri();
    w2->close();
    EXPECT_EQ(utente.domande.size(), 2);
    EXPECT_EQ(imp.DatFPB, QDate(2027, 1, 1));
    EXPECT_EQ(ricariche, 5);
}

TEST_F(FinestreBolletta, StimaEGraficoSeguonoIlPeriodo)
{
    imp.DatIPB = QDate(2026, 12, 1);
    imp.DatFPB = QDate(2026, 12, 31);
    Riga(QDate(2026, 12, 1), 10, 1000);
    Riga(QDate(2026, 12, 7), 4, 400.5);
    Riga(QDate(2026, 12, 20), 9, 900); // after today: in the totals, not in the estimate's days so far
    auto w = Apri();
    w->Pannelli->setCurrentIndex(1);
    ASSERT_TRUE(w->RiquadroStima->isVisibleTo(w.get()));
    EXPECT_EQ(w->RiquadroStima->title(), "Stima a fine periodo");
    EXPECT_EQ(w->EtichettaIvaStima->text(), "Iva (20%)");
    // 1.400,5 over the first 6 days and a half (noon of the 7th), times 31, with VAT.
    EXPECT_EQ(w->MediaStima->text(), "215,5 ");
    EXPECT_EQ(w->NettoStima->text(), "6.679 ");
    EXPECT_EQ(w->IvaStima->text(), "1.336 ");
    EXPECT_EQ(w->TotaleStima->text(), "8.015 ");
    EXPECT_EQ(w->MediaImportoBolletta->text(), "74,2 ") << "the period's own average stays over all its days";

    EXPECT_EQ(w->Grafico->Serie().barre.size(), 31);

    // The end moved before today: no estimate, and the chart follows.
    w->EseguiDialogo = Picker(5);
    w->P_DataFine_Click();
    EXPECT_FALSE(w->RiquadroStima->isVisibleTo(w.get()));
    EXPECT_EQ(w->Grafico->Serie().barre.size(), 5);
    w->EseguiDialogo = Picker(7);
    w->P_DataFine_Click();
    EXPECT_TRUE(w->RiquadroStima->isVisibleTo(w.get()));
    // Today is the last day, half gone: the estimate adds its other half to 1.681.
    EXPECT_EQ(w->TotaleStima->text(), "1.810 ");

    // A correction on the calendar tab reaches the chart at once.
    w->EseguiDialogo = Editor("1", "100", true);
    w->CambiaScatti(QDate(2026, 12, 2));
    EXPECT_DOUBLE_EQ(w->Grafico->Serie().barre[1], 120);
}

TEST_F(FinestreBolletta, GraficoLeggibileEntroLoSchermo)
{
    auto w = Apri();
    w->Pannelli->setCurrentIndex(1);
    const QSize schermo = w->screen()->availableSize();
    EXPECT_LE(w->width(), schermo.width());
    EXPECT_LE(w->height(), schermo.height());
    EXPECT_GE(w->Grafico->height(), w->Grafico->minimumSizeHint().height());
    EXPECT_GE(w->Grafico->width(), w->Grafico->minimumSizeHint().width());
    // Every bar answers the pointer over it.
    const int n = int(w->Grafico->Serie().barre.size());
    ASSERT_EQ(n, 61);
    EXPECT_EQ(w->Grafico->GiornoInX(0), -1);
    int primo = -1, ultimo = -1;
    for (int x = 0; x < w->Grafico->width(); ++x)
        if (const int g = w->Grafico->GiornoInX(x); g >= 0) {
            if (primo < 0)
                primo = g;
            ultimo = g;
        }
    EXPECT_EQ(primo, 0);
    EXPECT_EQ(ultimo, n - 1);
    // Painting a long, a one-day and an empty period does not fail.
    w->Grafico->repaint();
    w->Grafico->Mostra(SerieDelRapporto(*CreaRapporto({}, Oggi, Oggi, Oggi, 20)));
    w->Grafico->repaint();
    w->Grafico->Mostra({});
    w->Grafico->repaint();
}

// Ten years on 560 pixels: every pixel column of the bars is one bar, as
// high as the highest day in it, and a single peak day is not lost.
TEST(DisegnoBolletta, GiorniPiuStrettiDiUnPixel)
{
    SerieBolletta s;
    for (int i = 0; i < 3650; ++i) {
        s.giorni.push_back(QDate(2016, 12, 8).addDays(i));
        s.barre.push_back(i == 1825 ? 5000 : 100);
        s.cumulato.push_back(0);
    }
    s.fineCumulato = -1; // no running total over the bars
    QImage immagine(560, 240, QImage::Format_ARGB32_Premultiplied);
    immagine.fill(Qt::white);
    DisegnoBolletta d(s, QRectF(0, 0, 560, 240), QFont(), QPalette(), QLocale());
    QPainter p(&immagine);
    d.Disegna(p);
    p.end();
    const QRectF a = d.Area();
    const QColor barra(70, 130, 180);
    const int picco = int(a.left() + (1825 + 0.5) * a.width() / 3650);
    const int cima = int(a.bottom() - 5000 / 6000.0 * a.height()) + 2; // the scale tops at 6.000
    EXPECT_EQ(immagine.pixelColor(picco, cima), barra);
    // Columns fill the area side by side: no gap a merged bar would leave.
    const int basso = int(a.bottom()) - 1;
    for (int x = int(a.left()) + 1; x < int(a.right()) - 1; ++x)
        ASSERT_EQ(immagine.pixelColor(x, basso), barra) << x;
}

TEST_F(FinestreBolletta, EsportaIlPeriodoInteroONiente)
{
    Riga(QDate(2026, 11, 15), 10, 500);
    auto w = Apri();
    EXPECT_EQ(Didascalia(w->P_Esporta), "Esporta...");
    QString proposto;
    const QString percorso = tmp.filePath("bolletta.csv");
    w->SceltaFileCsv = [&](const QString& p) { return proposto = p, percorso; };
    w->P_Esporta_Click();
    EXPECT_EQ(proposto, "bolletta_2026-11-15_2027-01-14.csv");
    QFile f(percorso);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray csv = f.readAll();
    EXPECT_EQ(csv, RapportoCsv(*LeggiRapporto(db, imp.DatIPB, imp.DatFPB, Adesso, 20)));
    EXPECT_EQ(utente.avvisi.last(), "Il riepilogo bolletta è stato esportato nel file " + percorso);

    // Given up, or a folder that is not there: the earlier file stays as it was.
    const int detti = int(utente.avvisi.size());
    w->SceltaFileCsv = [](const QString&) { return QString(); };
    w->P_Esporta_Click();
    EXPECT_EQ(utente.avvisi.size(), detti);
    w->SceltaFileCsv = [&](const QString&) { return tmp.filePath("manca/bolletta.csv"); };
    w->P_Esporta_Click();
    ASSERT_EQ(utente.avvisi.size(), detti + 1);
    EXPECT_TRUE(utente.avvisi.last().startsWith("Impossibile esportare il riepilogo bolletta.\n"));

    // A database that cannot be read is reported, not exported as zeros.
    db.Chiudi();
    w->SceltaFileCsv = [&](const QString&) { return percorso; };
    w->P_Esporta_Click();
    EXPECT_EQ(utente.avvisi.last(), "Errore 9003 nella lettura degli scatti.");
    f.close();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), csv);
}

TEST(Calendario, RestituisceIlGiornoCliccatoOZero)
{
    ValoreScambio = QDate(2027, 1, 31);
    Calendario c;
    c.show();
    EXPECT_EQ(c.Pannello->MeseCorrente->currentText(), "Gennaio");
    EXPECT_EQ(c.Pannello->AnnoCorrente->currentText(), "2027");
    EXPECT_EQ(Didascalia(c.P_Annulla), "Annulla");
    EXPECT_TRUE(MnemoniciDistinti(&c));
    EXPECT_EQ(c.Pannello->GrigliaGiorni->horizontalHeaderItem(1)->text(), "M");
    EXPECT_TRUE(c.Pannello->GrigliaGiorni->selectedItems().isEmpty()) << "no day preselected";
    ClicCella(c.Pannello->GrigliaGiorni, 0, 0); // 29 December: empty, inert
    EXPECT_TRUE(c.isVisible());
    EXPECT_EQ(std::get<QDate>(ValoreScambio), QDate(2027, 1, 31));
    ClicCella(c.Pannello->GrigliaGiorni, 2, 4); // Friday of the third week
    EXPECT_EQ(std::get<QDate>(ValoreScambio), QDate(2027, 1, 15));
    EXPECT_FALSE(c.isVisible());

    ValoreScambio = QDate(1975, 6, 1); // before the lists' first year
    Calendario fuori;
    EXPECT_EQ(fuori.Pannello->AnnoCorrente->currentText(), "1980");
    EXPECT_EQ(Picker(0, 3)(fuori), QDialog::Rejected);
    EXPECT_TRUE(ScambioIntero(ValoreScambio, 0));
}

} // namespace
