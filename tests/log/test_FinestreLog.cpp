// SPDX-License-Identifier: GPL-3.0-or-later
#include "Mnemonici.h"
#include "SupportoLog.h"
#include "common/ValoreScambio.h"
#include "log/Log.h"
#include "log/LogFiltro.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class FinestreLogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp.isValid()); }
    QString Log003() const { return tmp.filePath("Velatrix.003"); }

    QTemporaryDir tmp;
    UtenteFinto utente;
};

// Fills the filter as a user would: field, both bounds (Return ends each), then a button.
std::function<void(LogFiltro&)> Compila(int campo, const QString& da, const QString& a, const char* pulsante)
{
    return [=](LogFiltro& f) {
        f.Campo->setCurrentIndex(campo);
        QTest::keyClicks(f.Valore1, da);
        QTest::keyClick(f.Valore1, Qt::Key_Return);
        QTest::keyClicks(f.Valore2, a);
        QTest::keyClick(f.Valore2, Qt::Key_Return);
        QTest::mouseClick(f.findChild<QPushButton*>(pulsante), Qt::LeftButton);
    };
}

// Rows are read a few screens at a time, from the end as from the start.
TEST_F(FinestreLogTest, MostraIlLogRigaPerRiga)
{
    ScriviLog(Log003(), 1000);
    Log w(tmp.path(), utente);
    EXPECT_EQ(w.windowTitle(), "Riepilogo connessioni");
    EXPECT_EQ(w.StatoLog->text(), "Righe: 1000");
    EXPECT_EQ(Didascalia(w.P_Filtro), "Filtra...");
    EXPECT_EQ(Didascalia(w.P_Esporta), "Esporta...");
    EXPECT_EQ(Didascalia(w.P_Elimina), "Azzera...");
    EXPECT_EQ(Didascalia(w.P_Chiudi), "Chiudi");
    EXPECT_TRUE(MnemoniciDistinti(&w));
    EXPECT_FALSE(w.PannelloProgresso->isVisibleTo(&w));
    QAbstractItemModel* m = w.GrigliaLog->model();
    ASSERT_EQ(m->rowCount(), 1000);
    ASSERT_EQ(m->columnCount(), 8);
    EXPECT_EQ(m->headerData(4, Qt::Horizontal).toString(), "Durata");
    // The program's own grouping, the same whatever Qt's locale data say.
    EXPECT_EQ(m->index(999, 5).data().toString(), "1.000");
    for (const int r : {0, 500, 499, 250, 751, 998})
        EXPECT_EQ(m->index(r, 5).data().toString(), QString::number(r + 1)) << r;
    EXPECT_FALSE(m->index(1000, 5).data().isValid());
    w.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());

    // No log yet is no error.
    Log nuovo(tmp.filePath("manca"), utente);
    EXPECT_EQ(nuovo.GrigliaLog->model()->rowCount(), 0);
    EXPECT_TRUE(utente.detti.isEmpty());
}

TEST_F(FinestreLogTest, AzzeraConOKEAnnulla)
{
    ScriviLog(Log003(), 3);
    Log w(tmp.path(), utente);
    utente.risposta = false;
    QTest::mouseClick(w.P_Elimina, Qt::LeftButton);
    EXPECT_EQ(utente.detti.size(), 1);
    EXPECT_EQ(w.GrigliaLog->model()->rowCount(), 3);

    utente.risposta = true;
    QTest::mouseClick(w.P_Elimina, Qt::LeftButton);
    EXPECT_EQ(w.StatoLog->text(), "Righe: 0");
    EXPECT_EQ(w.GrigliaLog->model()->rowCount(), 0);
}

// Every column holds the widest texts of its form and its title, in a
// 24-hour and a 12-hour locale.
TEST_F(FinestreLogTest, LeColonneContengonoTuttoIlTesto)
{
    for (const QLocale& locale :
         {QLocale(QLocale::Italian, QLocale::Italy), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        LocaleProva sotto(locale);
        std::vector<RecordLog> r;
        for (int i = 0; i < 12; ++i)
            r.push_back(RecordLog{QDateTime(QDate(2000, 12, 28), QTime(11, 58, 58)).addSecs(i * 3600),
                                  999 * 3600 + 3599, 888888, 88888888.0, QStringLiteral("Rete")});
        ScriviCopia(Log003(), r);
        Log w(tmp.path(), utente);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QAbstractItemModel* m = w.GrigliaLog->model();
        if (locale.language() == QLocale::English) {
            EXPECT_EQ(m->index(1, 1).data().toString(), "12:58:58 PM");
        }
        for (int c = 0; c < 7; ++c) {
            EXPECT_LE(static_cast<QAbstractItemView*>(w.GrigliaLog)->sizeHintForColumn(c), w.GrigliaLog->columnWidth(c))
                << locale.name().toStdString() << " column " << c << " "
                << m->index(0, c).data().toString().toStdString();
            EXPECT_LE(w.GrigliaLog->horizontalHeader()->sectionSizeHint(c), w.GrigliaLog->columnWidth(c)) << c;
        }
    }
}

// An export stopped while it runs: the window answered, nothing is written,
// and the window stays open and usable; the next export, with the file the
// user picks, runs to the end.
TEST_F(FinestreLogTest, EsportazioneAnnullataORiuscita)
{
    ScriviLog(Log003(), 20000);
    const QString uscita = tmp.filePath("uscita.txt");
    Log w(tmp.path(), utente);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // "Annulla", then Esc, which stops the export and does not close the window.
    for (const bool esc : {false, true}) {
        bool attivi = true;
        w.ImpostaSceltaFile([&] {
            // Handled by the export's own event processing, once it runs.
            QTimer::singleShot(0, &w, [&] {
                attivi = w.P_Chiudi->isEnabled() || w.P_Esporta->isEnabled();
                EXPECT_TRUE(w.P_Interrompi->isVisible());
                if (esc)
                    QTest::keyClick(&w, Qt::Key_Escape);
                else
                    QTest::mouseClick(w.P_Interrompi, Qt::LeftButton);
            });
            return std::optional<SceltaEsportazione>({uscita, TipoEsportazione::Tabulazione});
        });
        QTest::mouseClick(w.P_Esporta, Qt::LeftButton);
        EXPECT_FALSE(attivi);
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(QFile::exists(uscita)) << esc;
        EXPECT_LT(w.Progresso->value(), 20000);
        EXPECT_FALSE(w.PannelloProgresso->isVisible());
    }

    w.ImpostaSceltaFile([&] { return std::optional<SceltaEsportazione>({uscita, TipoEsportazione::Tabulazione}); });
    QTest::mouseClick(w.P_Esporta, Qt::LeftButton);
    EXPECT_EQ(utente.detti.size(), 1) << "only the export's own notice";
    EXPECT_EQ(Contenuto(uscita).count('\n'), 20001);
    EXPECT_EQ(w.Progresso->value(), 20000);
    EXPECT_EQ(w.StatoProgresso->text(), "Esportazione in corso...");
}

TEST_F(FinestreLogTest, FiltroApplicatoRimossoENessunaCorrispondenza)
{
    ScriviLog(Log003(), 10); // one a day from 1/3/1998
    Log w(tmp.path(), utente);
    const auto Filtra = [&](const std::function<void(LogFiltro&)>& compila) {
        w.ImpostaMostraFiltro(compila);
        QTest::mouseClick(w.P_Filtro, Qt::LeftButton);
    };

    // Pulses 3..5 given in the wrong order.
    Filtra(Compila(5, "5", "3", "P_Applica"));
    EXPECT_EQ(w.StatoLog->text(), "Righe: 3 (Filtrate)");
    EXPECT_EQ(w.GrigliaLog->model()->index(0, 5).data().toString(), "3");
    EXPECT_EQ(w.StatoProgresso->text(), "Attendere...");
    EXPECT_EQ(w.Progresso->maximum(), 10);
    EXPECT_EQ(w.Progresso->value(), 10);

    // Every record matches: back on the whole log.
    Filtra(Compila(7, "rete", "", "P_Applica"));
    EXPECT_EQ(w.StatoLog->text(), "Righe: 10");
    EXPECT_TRUE(ScambioIntero(ValoreScambio, -1));

    Filtra(Compila(5, "5", "3", "P_Applica"));
    ASSERT_EQ(w.StatoLog->text(), "Righe: 3 (Filtrate)");

    // None matches: the message, and the dialog is to be shown again with
    // its bounds; then the user cancels, and no row of the filtered view is
    // left on show that is not on disk.
    std::vector<bool> riproposte;
    Filtra([&](LogFiltro& f) {
        Compila(4, "500", "", "P_Applica")(f);
        riproposte.push_back(f.DaRiproporre());
        EXPECT_EQ(f.Valore1->text(), "500");
        QTest::mouseClick(f.P_Annulla, Qt::LeftButton);
        riproposte.push_back(f.DaRiproporre());
    });
    EXPECT_EQ(riproposte, (std::vector<bool>{true, false}));
    EXPECT_EQ(utente.detti, QStringList({"Informazione: Nessun valore corrispondente alla selezione."}));
    EXPECT_TRUE(ScambioIntero(ValoreScambio, 0));
    EXPECT_EQ(w.StatoLog->text(), "Righe: 10");
    EXPECT_EQ(w.GrigliaLog->model()->rowCount(), FileLog(w.Riepilogo().FileCorrente()).NumeroRecord());
    EXPECT_EQ(w.GrigliaLog->model()->index(9, 5).data().toString(), "10");

    // Both bounds empty (or emptied) counts as "Nessun filtro".
    Filtra(Compila(6, "abc", "", "P_Applica"));
    EXPECT_TRUE(ScambioIntero(ValoreScambio, -1));
}

TEST_F(FinestreLogTest, IlDialogoDelFiltro)
{
    LogFiltro f(tmp.path(), utente);
    EXPECT_EQ(f.windowTitle(), "Filtro riepilogo connessioni");
    EXPECT_EQ(f.Campo->currentIndex(), 0);
    EXPECT_EQ(f.Campo->count(), 8);
    EXPECT_EQ(f.Campo->itemText(4), "Durata (min.)");
    EXPECT_TRUE(f.Valore1->text().isEmpty());
    EXPECT_EQ(f.findChild<QLabel*>("Etichetta_Da")->text(), "da");
    EXPECT_EQ(f.findChild<QLabel*>("Etichetta_A")->text(), "a");
    EXPECT_EQ(Didascalia(f.P_Applica), "Applica filtro");
    EXPECT_EQ(Didascalia(f.P_Rimuovi), "Nessun filtro");
    EXPECT_EQ(Didascalia(f.P_Annulla), "Annulla");
    EXPECT_TRUE(MnemoniciDistinti(&f));

    ValoreScambio = qint16(0);
    Compila(1, "9.00", "10.30", "P_Rimuovi")(f);
    EXPECT_EQ(f.Valore1->text(), "9.00.00");
    EXPECT_EQ(f.Valore2->text(), "10.30.00");
    EXPECT_TRUE(ScambioIntero(ValoreScambio, -1));
}

} // namespace
