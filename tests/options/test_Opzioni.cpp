// SPDX-License-Identifier: GPL-3.0-or-later
#include "Finti.h"
#include "common/BarraScatto.h"
#include "common/Colori.h"
#include "options/AvvioSessione.h"
#include "options/Opzioni.h"
#include "settings/ArchivioImpostazioni.h"
#include "settings/CaricaImpostazioni.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr quint32 TariffaOrdinaria = 8454143; // in force on a Monday at 10:00
constexpr quint32 RiempimentoProprio = 0x112233;
constexpr quint32 RiempimentoMostrato = 0x445566;

// The option keys as the writer would store these settings.
QMap<QString, QString> TestiOpzioni(const Impostazioni& imp)
{
    QTemporaryDir d;
    ArchivioImpostazioni a(d.filePath("x.conf"));
    ScriviOpzioni(a, imp, nullptr);
    QMap<QString, QString> m;
    for (const QString& k : a.Chiavi())
        m.insert(k, a.Leggi(k, {}));
    return m;
}

QColor Palette(QWidget* w, QPalette::ColorRole ruolo) { return w->palette().color(ruolo); }

QString Leggi(const QString& percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void Scrivi(const QString& percorso, const QByteArray& testo)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(percorso).path()));
    QFile f(percorso);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(testo);
}

class OpzioniTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        imp.SchedaAudio = true;
        imp.Clr = {0x80FF80, 0x000000, RiempimentoProprio, 0x000001, 0xFFFFFF};
        percorso = tmp.filePath("Velatrix.conf");
        archivio = std::make_unique<ArchivioImpostazioni>(percorso);
    }
    // The main window's colours as it would hand them over.
    std::array<quint32, 5> Correnti() const
    {
        std::array<quint32, 5> c = ColoriProgettati;
        for (size_t i = 0; i < c.size(); ++i)
            c[i] = imp.Clr[i].value_or(c[i]);
        return c;
    }
    Opzioni& Apri()
    {
        dialogo = std::make_unique<Opzioni>(imp, *archivio, utente, suoni, Correnti(), RiempimentoMostrato,
                                            [] { return QDateTime(QDate(2026, 12, 7), QTime(10, 0)); });
        dialogo->ScegliColore = [this](const QColor& iniziale) {
            preimpostati << iniziale;
            return colore;
        };
        dialogo->ScegliFile = [this] { return file; };
        dialogo->ImpostaAvvioSessione(AvvioSessione(voce, {"/usr/bin/velatrix"}));
        dialogo->show();
        dialogo->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialogo.get()));
        return *dialogo;
    }
    QString Salvato(const char* chiave) const
    {
        return ArchivioImpostazioni(percorso).Leggi(QString::fromLatin1(chiave), QStringLiteral("assente"));
    }
    // Near the left edge: a check box or option only takes clicks on its
    // mark and caption, not on the blank rest of a wide row.
    static void Clic(QWidget* w)
    {
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(std::min(8, w->width() / 2), w->height() / 2));
    }
    // The preview's bar as painted: filled on the left half, background on
    // the right.
    static QColor Riempimento(Opzioni& d, bool pieno = true)
    {
        const QImage i = d.Indicatore->grab().toImage();
        return i.pixelColor(pieno ? 2 : i.width() - 3, i.height() / 2);
    }
    // What only automatic counting uses.
    static QList<QWidget*> Controllo(Opzioni& d)
    {
        return {d.L_IntervalloControllo, d.M_IntervalloControllo, d.M_ValoreControllo, d.M_AvviaSeConnesso};
    }
    void ScegliColoreDellaVoce(Opzioni& d, int voce, QColor c)
    {
        d.ListaColori->setCurrentRow(voce);
        colore = c;
        Clic(d.P_Colore);
    }
    // Opens the dialog, clicks the autostart box, then the button.
    Opzioni& CambiaAvvioE(QPushButton* Opzioni::*pulsante)
    {
        Opzioni& d = Apri();
        Clic(d.M_AvvioSessione);
        Clic(d.*pulsante);
        return d;
    }

    QTemporaryDir tmp;
    QString voce = tmp.filePath("autostart/velatrix.desktop");
    QString percorso;
    Impostazioni imp;
    std::unique_ptr<ArchivioImpostazioni> archivio;
    UtenteFinto utente;
    SuoniFinti suoni;
    std::unique_ptr<Opzioni> dialogo;
    std::optional<QColor> colore;
    QList<QColor> preimpostati;
    QString file;
};

TEST_F(OpzioniTest, SiApreSulleImpostazioniInMemoria)
{
    imp.IntRfr = 2500;
    imp.IntCtr = 4000;
    imp.CtrAut = false;
    imp.Msg = {false, false, false, true, false};
    imp.MsV = {0, 150, 0, 5000.4, 0};
    imp.MsI = {false, true, false, true};
    Opzioni& d = Apri();
    EXPECT_EQ(d.windowTitle(), "Configurazione");
    EXPECT_EQ(d.M_ValoreRefresh->text(), "2 sec.");
    EXPECT_EQ(d.M_ValoreControllo->text(), "4 sec.");
    EXPECT_TRUE(d.M_Manuale->isChecked());
    for (QWidget* w : Controllo(d))
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(d.M_MsgVal[3]->text(), "5000");
    EXPECT_TRUE(d.M_MsgVal[3]->isEnabled() && d.M_MsgIva[3]->isEnabled() && d.M_MsgIva[3]->isChecked());
    EXPECT_FALSE(d.M_MsgVal[1]->isEnabled() || d.M_MsgIva[1]->isEnabled());
    // Entry 0 selected: the swatch shows the counter's text colour.
    EXPECT_EQ(d.ListaColori->currentRow(), 0);
    EXPECT_EQ(Palette(d.Colore, QPalette::Window), ColoreDaLong(0x80FF80));
    EXPECT_EQ(d.Importo->text(), "Lire  127");
    EXPECT_EQ(d.ValoreIndicatore->text(), "3'20\"");
}

TEST_F(OpzioniTest, OkSenzaModificheRiscriveGliStessiValoriEIColoriComeNumeri)
{
    imp.IntRfr = 4000;
    imp.CnfStp = true;
    imp.CtrCon = true;
    imp.LogCon = false;
    imp.Msg = {false, true, false, false, true};
    imp.MsV = {0, 400, 0, 90000, 30};
    imp.MsI = {false, true, false, true};
    imp.Wav = {"a.wav", "", "", "", "m.wav"};
    imp.Clr = {}; // "None": the designed colours are shown
    ScriviOpzioni(*archivio, imp, nullptr);
    const QMap<QString, QString> prima = TestiOpzioni(imp);

    Opzioni& d = Apri();
    Clic(d.P_Salva);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    for (auto it = prima.cbegin(); it != prima.cend(); ++it) {
        if (it.key().startsWith("Clr00"))
            continue;
        EXPECT_EQ(Salvato(it.key().toLatin1()), it.value()) << it.key().toStdString();
    }
    // The preview's fill showed the tariff's colour; the main window's own
    // is what gets stored.
    for (int k = 0; k < 5; ++k) {
        const QString chiave = QStringLiteral("Clr00%1").arg(k);
        EXPECT_EQ(Salvato(chiave.toLatin1()), QString::number(ColoriProgettati[size_t(k)])) << k;
    }
    EXPECT_EQ(Salvato("MsI004"), "assente");
}

TEST_F(OpzioniTest, CampiDegliAllarmiRiscrittiLasciandoIlCampoEIlTettoSpentoFinoAChiederlo)
{
    const struct {
        size_t riga;
        const char* scritto;
        const char* mostrato;
        const char* msg;
        const char* msv;
    } casi[] = {
        {1, "12.6", "13", "-1", "13"}, {2, "abc", "", "0", "0"}, {3, "", "", "0", "0"}, // checked but empty: stored off
    };
    Opzioni& d = Apri();
    d.Schede->setCurrentIndex(3);
    for (const auto& c : casi) {
        QLineEdit* campo = d.M_MsgVal[c.riga];
        Clic(d.M_Msg[c.riga]);
        ASSERT_TRUE(campo->isEnabled());
        campo->setFocus();
        campo->selectAll();
        QTest::keyClick(campo, Qt::Key_Delete);
        QTest::keyClicks(campo, QString::fromUtf8(c.scritto));
        QTest::keyClick(campo, Qt::Key_Tab);
        EXPECT_FALSE(campo->hasFocus());
        EXPECT_EQ(campo->text(), QString::fromUtf8(c.mostrato)) << c.scritto;
    }
    EXPECT_FALSE(d.M_TerminaChiamata->isChecked());
    EXPECT_FALSE(d.M_ComandoTermina->isEnabled());
    Clic(d.M_TerminaChiamata);
    ASSERT_TRUE(d.M_ComandoTermina->isEnabled());
    d.M_ComandoTermina->setFocus();
    QTest::keyClicks(d.M_ComandoTermina, "  nmcli connection down id Casa ");
    // OK, the default button, pressed without leaving the last field.
    Clic(d.M_Msg[4]);
    d.M_MsgVal[4]->setFocus();
    QTest::keyClicks(d.M_MsgVal[4], "59.5 minuti");
    QTest::keyClick(&d, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(Salvato("MsV004"), "60");
    EXPECT_EQ(Salvato("Msg004"), "-1");
    for (const auto& c : casi) {
        EXPECT_EQ(Salvato(QStringLiteral("Msg00%1").arg(c.riga).toLatin1()), c.msg) << c.riga;
        EXPECT_EQ(Salvato(QStringLiteral("MsV00%1").arg(c.riga).toLatin1()), c.msv) << c.riga;
    }
    EXPECT_EQ(Salvato("TrmAll"), "-1");
    EXPECT_EQ(Salvato("CmdTrm"), "nmcli connection down id Casa");
}

TEST_F(OpzioniTest, ManualeDisabilitaIlControlloMaNeSalvaIValori_CursoriInMillisecondi)
{
    imp.IntCtr = 3000;
    imp.CtrCon = true;
    Opzioni& d = Apri();
    Clic(d.M_Manuale);
    for (QWidget* w : Controllo(d))
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    Clic(d.M_Automatico);
    for (QWidget* w : Controllo(d))
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    QTest::keyClick(d.M_IntervalloControllo, Qt::Key_Right);
    Clic(d.M_Manuale);
    // The refresh slider from 1 to 3.
    QTest::keyClick(d.M_IntervalloRefresh, Qt::Key_Right);
    QTest::keyClick(d.M_IntervalloRefresh, Qt::Key_Right);
    EXPECT_EQ(d.M_ValoreRefresh->text(), "3 sec.");
    Clic(d.P_Salva);
    EXPECT_EQ(Salvato("CtrAut"), "0");
    EXPECT_EQ(Salvato("IntCtr"), "4000");
    EXPECT_EQ(Salvato("CtrCon"), "-1");
    EXPECT_EQ(Salvato("IntRfr"), "3000");
}

TEST_F(OpzioniTest, OgniVoceDellaListaColoraLaSuaParteEVaNellaSuaChiave)
{
    const QColor scelti[5] = {QColor(1, 2, 3), QColor(10, 20, 30), QColor(40, 50, 60), QColor(70, 80, 90),
                              QColor(100, 110, 120)};
    Opzioni& d = Apri();
    d.Schede->setCurrentIndex(1);
    for (int voce = 0; voce < 5; ++voce) {
        d.ListaColori->setCurrentRow(voce);
        EXPECT_EQ(d.ColoreTariffa->isEnabled(), voce == 2) << voce;
        const QColor prima = Palette(d.Colore, QPalette::Window);
        ScegliColoreDellaVoce(d, voce, scelti[voce]);
        EXPECT_EQ(preimpostati.last(), prima) << "the chooser starts from the swatch";
        EXPECT_EQ(Palette(d.Colore, QPalette::Window), scelti[voce]) << voce;
    }
    EXPECT_EQ(Palette(d.Importo, QPalette::WindowText), scelti[0]);
    EXPECT_EQ(Palette(d.Importo, QPalette::Window), scelti[1]);
    EXPECT_EQ(Palette(d.CorniceLed, QPalette::Window), scelti[1]);
    EXPECT_EQ(Riempimento(d), scelti[2]);
    EXPECT_EQ(Riempimento(d, false), scelti[3]);
    EXPECT_EQ(Palette(d.ValoreIndicatore, QPalette::WindowText), scelti[4]);

    // A cancelled chooser changes nothing.
    colore.reset();
    d.ListaColori->setCurrentRow(0);
    Clic(d.P_Colore);
    EXPECT_EQ(Palette(d.Importo, QPalette::WindowText), scelti[0]);

    Clic(d.P_Salva);
    const char* chiavi[5] = {"Clr000", "Clr001", "Clr002", "Clr004", "Clr003"};
    for (int voce = 0; voce < 5; ++voce)
        EXPECT_EQ(Salvato(chiavi[voce]), QString::number(LongDaColore(scelti[voce]))) << voce;
}

TEST_F(OpzioniTest, ClicSullAnteprimaSelezionaLaVoce)
{
    Opzioni& d = Apri();
    d.Schede->setCurrentIndex(1);
    const std::pair<QWidget*, int> sequenza[] = {
        {d.Importo, 1},          {d.Importo, 0},          {d.ValoreIndicatore, 2}, {d.ValoreIndicatore, 3},
        {d.ValoreIndicatore, 4}, {d.ValoreIndicatore, 2}, {d.LedStato, 1},         {d.Importo, 0}};
    for (auto [parte, voce] : sequenza) {
        Clic(parte);
        EXPECT_EQ(d.ListaColori->currentRow(), voce) << parte->objectName().toStdString();
    }
}

// The fill stored for each state of the box is ApplicaScelta's table; here
// the box drives the preview and its own key.
TEST_F(OpzioniTest, ColoreTariffaEIlRiempimentoDellIndicatore)
{
    Opzioni& d = Apri();
    d.Schede->setCurrentIndex(1);
    EXPECT_TRUE(d.ColoreTariffa->isChecked());
    EXPECT_EQ(Riempimento(d), ColoreDaLong(TariffaOrdinaria));
    // Switched off: the preview now shows the fill the main window will paint.
    d.ListaColori->setCurrentRow(2);
    Clic(d.ColoreTariffa);
    EXPECT_EQ(Riempimento(d), ColoreDaLong(RiempimentoProprio));
    EXPECT_EQ(Palette(d.Colore, QPalette::Window), ColoreDaLong(RiempimentoProprio));
    Clic(d.P_Salva);
    EXPECT_EQ(Salvato("ClrTar"), "0");
}

TEST_F(OpzioniTest, SuoniConESenzaDispositivo)
{
    for (bool scheda : {false, true}) {
        SCOPED_TRACE(scheda);
        imp.SchedaAudio = scheda;
        imp.Wav = {"", "vecchio.wav", "", "", ""};
        utente.avvisi.clear();
        suoni.suonati.clear();
        Opzioni& d = Apri();
        d.Schede->setCurrentIndex(2);
        d.Schede->setCurrentIndex(0);
        d.Schede->setCurrentIndex(3);
        d.Schede->setCurrentIndex(2);
        ASSERT_EQ(utente.avvisi.size(), scheda ? 0 : 2);
        if (!scheda) {
            EXPECT_EQ(utente.avvisi[1], QString::fromUtf8("ATTENZIONE: il sistema non è in grado di riprodurre "
                                                          "file audio. Le modifiche apportate alla configurazione "
                                                          "dei suoni verranno ignorate."));
        }
        // Editable and playable either way; silent without a device.
        file.clear(); // cancelled chooser
        Clic(d.P_Apri[1]);
        EXPECT_EQ(d.M_Suono[1]->text(), "vecchio.wav");
        file = "/suoni/nuovo.wav";
        Clic(d.P_Apri[3]);
        Clic(d.P_Play[3]);
        Clic(d.P_Play[2]); // empty: nothing to play
        EXPECT_EQ(suoni.suonati, scheda ? QStringList{file} : QStringList{});
        d.M_Suono[1]->clear();
        Clic(d.P_Salva);
        EXPECT_EQ(Salvato("Wav001"), scheda ? "" : "vecchio.wav");
        EXPECT_EQ(Salvato("Wav003"), scheda ? file : "");
    }
}

// The keys are pressed on a slider, so they reach the dialog from a child.
TEST_F(OpzioniTest, OkOInvioSalvanoAnnullaEscOChiusuraNonCambianoNulla)
{
    const auto tasto = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return [k, m](Opzioni& d) { QTest::keyClick(d.M_IntervalloRefresh, k, m); };
    };
    const struct {
        const char* nome;
        std::function<void(Opzioni&)> chiudi;
        bool salva;
    } modi[] = {
        {"Annulla", [](Opzioni& d) { Clic(d.P_Annulla); }, false},
        {"frame", [](Opzioni& d) { d.close(); }, false},
        {"Esc", tasto(Qt::Key_Escape), false},
        {"Alt+A", tasto(Qt::Key_A, Qt::AltModifier), false},
        {"Return", tasto(Qt::Key_Return), true},
        {"Alt+O", tasto(Qt::Key_O, Qt::AltModifier), true},
    };
    const QMap<QString, QString> prima = TestiOpzioni(imp);
    for (const auto& m : modi) {
        SCOPED_TRACE(m.nome);
        const bool primoPiano = imp.TopWin;
        Opzioni& d = Apri();
        Clic(d.M_PrimoPiano);
        ScegliColoreDellaVoce(d, 1, QColor(5, 5, 5));
        ScegliColoreDellaVoce(d, 2, QColor(6, 6, 6));
        d.M_Suono[2]->setText("x.wav");
        d.M_IntervalloRefresh->setFocus();
        QTest::keyClick(d.M_IntervalloRefresh, Qt::Key_End);
        m.chiudi(d);
        // A mnemonic presses its button the way a click shows it, a moment later.
        (void)QTest::qWaitFor([&] { return !d.isVisible(); });
        EXPECT_EQ(d.result(), m.salva ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(imp.TopWin, m.salva ? !primoPiano : primoPiano);
        EXPECT_EQ(QFile::exists(percorso), m.salva);
        if (!m.salva) {
            EXPECT_EQ(TestiOpzioni(imp), prima);
            EXPECT_FALSE(archivio->InSospeso());
        }
    }
    EXPECT_EQ(dialogo->P_Salva->text().remove('&'), "OK");
    EXPECT_EQ(dialogo->P_Annulla->text().remove('&'), "Annulla");
}

TEST_F(OpzioniTest, UnSalvataggioFallitoSiDiceELasciaMemoriaEArchivioConcordi)
{
    QDir().mkpath(percorso); // a folder where the file should be
    Opzioni& d = Apri();
    Clic(d.M_PrimoPiano);
    Clic(d.P_Salva);
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_TRUE(d.isVisible()); // the user can try again or cancel
    ASSERT_EQ(utente.avvisi.size(), 1);
    EXPECT_TRUE(utente.avvisi[0].contains("La configurazione non è stata modificata."));
    EXPECT_TRUE(imp.TopWin);

    QDir().rmdir(percorso);
    Clic(d.P_Salva);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(Salvato("TopWin"), "0");
    EXPECT_FALSE(imp.TopWin);
}

TEST_F(OpzioniTest, LaCasellaMostraIlFileEOkLoScriveOLoToglie)
{
    Opzioni& d = Apri();
    EXPECT_EQ(d.M_AvvioSessione->text(), "Avvia all'accesso");
    EXPECT_FALSE(d.M_AvvioSessione->isChecked());
    CambiaAvvioE(&Opzioni::P_Annulla);
    EXPECT_FALSE(QFile::exists(voce));

    EXPECT_EQ(CambiaAvvioE(&Opzioni::P_Salva).result(), QDialog::Accepted);
    EXPECT_TRUE(Leggi(voce).contains("Exec=/usr/bin/velatrix\n"));
    // Nothing else remembers the choice.
    EXPECT_FALSE(ArchivioImpostazioni(tmp.filePath("Velatrix.conf")).Chiavi().join(',').contains("Avv"));

    EXPECT_TRUE(Apri().M_AvvioSessione->isChecked());
    CambiaAvvioE(&Opzioni::P_Salva);
    EXPECT_FALSE(QFile::exists(voce));
    EXPECT_TRUE(utente.avvisi.isEmpty()) << utente.avvisi.join('|').toStdString();
}

// An entry the desktop switched off, or one starting another program, is off
// for the box; OK with the box checked writes the entry anew, OK with it off
// removes it, so the desktop starts nothing.
TEST_F(OpzioniTest, UnaVoceSpentaOAltruiNonConta)
{
    const QByteArray buona = AvvioSessione::Testo({"/usr/bin/velatrix"});
    const QByteArray altrui = AvvioSessione::Testo({"/opt/vecchio/velatrix"});
    for (const QByteArray& testo :
         {buona + "Hidden=true\n", QByteArray(buona).replace("enabled=true", "enabled=false"), altrui}) {
        Scrivi(voce, testo);
        Opzioni& d = Apri();
        EXPECT_FALSE(d.M_AvvioSessione->isChecked()) << testo.toStdString();
        Clic(d.M_AvvioSessione);
        Clic(d.P_Salva);
        EXPECT_EQ(Leggi(voce).toUtf8(), buona);
    }
    Scrivi(voce, altrui);
    Clic(Apri().P_Salva);
    EXPECT_FALSE(QFile::exists(voce));
}

TEST_F(OpzioniTest, UnaVoceCheNonSiPuoScrivereSiDiceMaLeImpostazioniRestano)
{
    Scrivi(tmp.filePath("autostart"), {}); // a file where the folder should be
    EXPECT_EQ(CambiaAvvioE(&Opzioni::P_Salva).result(), QDialog::Accepted);
    ASSERT_EQ(utente.avvisi.size(), 1);
    EXPECT_TRUE(utente.avvisi.first().contains("velatrix.desktop"));
    EXPECT_TRUE(QFile::exists(tmp.filePath("Velatrix.conf")));
    EXPECT_FALSE(AvvioSessione(voce, {"/usr/bin/velatrix"}).Attivo());
}

} // namespace
