// SPDX-License-Identifier: GPL-3.0-or-later
#include "Finti.h"
#include "options/AvvioSessione.h"
#include "options/Opzioni.h"
#include "settings/ArchivioImpostazioni.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

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

TEST(AvvioSessione, ScriveERimuoveLaVoceEDiceSeCE)
{
    QTemporaryDir tmp;
    const QString voce = tmp.filePath("config/autostart/velatrix.desktop");
    const AvvioSessione avvio(voce, {"/opt/vx/velatrix", "--data-dir", "/home/u/dati"});
    EXPECT_FALSE(avvio.Attivo());
    QString motivo;
    ASSERT_TRUE(avvio.Imposta(true, &motivo)) << motivo.toStdString();
    EXPECT_TRUE(avvio.Attivo());
    const QString testo = Leggi(voce);
    EXPECT_TRUE(testo.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(testo.contains("\nType=Application\n"));
    EXPECT_TRUE(testo.contains("\nExec=/opt/vx/velatrix --data-dir /home/u/dati\n")) << testo.toStdString();
    // Writing twice and removing twice are both harmless.
    EXPECT_TRUE(avvio.Imposta(true, &motivo));
    EXPECT_TRUE(avvio.Imposta(false, &motivo));
    EXPECT_FALSE(avvio.Attivo());
    EXPECT_TRUE(avvio.Imposta(false, &motivo));

    EXPECT_EQ(AvvioSessione::Predefinito().Voce(),
              QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart/velatrix.desktop");
}

TEST(AvvioSessione, ArgomentiCitatiComeVuoleLaRigaExec)
{
    EXPECT_EQ(AvvioSessione::ArgomentoExec("/usr/bin/velatrix"), "/usr/bin/velatrix");
    EXPECT_EQ(AvvioSessione::ArgomentoExec("/home/u/I miei dati"), "\"/home/u/I miei dati\"");
    EXPECT_EQ(AvvioSessione::ArgomentoExec("a$b\"c`d"), "\"a\\\\$b\\\\\"c\\\\`d\"");
    // A backslash becomes four: one level for the quotes, one for the string.
    EXPECT_EQ(AvvioSessione::ArgomentoExec("a\\b"), "\"a\\\\\\\\b\"");
    EXPECT_EQ(AvvioSessione::ArgomentoExec(""), "\"\"");
    EXPECT_TRUE(AvvioSessione::Testo({"/x/100%/velatrix"}).contains("Exec=/x/100%%/velatrix\n"));
}

class AvvioSessioneOpzioni : public ::testing::Test {
protected:
    Opzioni& Apri()
    {
        dialogo = std::make_unique<Opzioni>(imp, archivio, utente, suoni, std::array<quint32, 5>{}, 0,
                                            [] { return QDateTime(QDate(2026, 12, 7), QTime(10, 0)); });
        dialogo->ImpostaAvvioSessione(AvvioSessione(voce, {"/usr/bin/velatrix"}));
        dialogo->show();
        return *dialogo;
    }
    // Opens the dialog, clicks the box, then the button.
    Opzioni& CambiaE(QPushButton* Opzioni::*pulsante)
    {
        Opzioni& d = Apri();
        Clic(d.M_AvvioSessione);
        Clic(d.*pulsante);
        return d;
    }
    static void Clic(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2)); }

    QTemporaryDir tmp;
    QString voce = tmp.filePath("autostart/velatrix.desktop");
    Impostazioni imp;
    ArchivioImpostazioni archivio{tmp.filePath("Velatrix.conf")};
    UtenteFinto utente;
    SuoniFinti suoni;
    std::unique_ptr<Opzioni> dialogo;
};

TEST_F(AvvioSessioneOpzioni, LaCasellaMostraIlFileEOkLoScriveOLoToglie)
{
    Opzioni& d = Apri();
    EXPECT_EQ(d.M_AvvioSessione->text(), "Avvia all'accesso");
    EXPECT_FALSE(d.M_AvvioSessione->isChecked());
    CambiaE(&Opzioni::P_Annulla);
    EXPECT_FALSE(QFile::exists(voce));

    EXPECT_EQ(CambiaE(&Opzioni::P_Salva).result(), QDialog::Accepted);
    EXPECT_TRUE(Leggi(voce).contains("Exec=/usr/bin/velatrix\n"));
    // Nothing else remembers the choice.
    EXPECT_FALSE(ArchivioImpostazioni(tmp.filePath("Velatrix.conf")).Chiavi().join(',').contains("Avv"));

    EXPECT_TRUE(Apri().M_AvvioSessione->isChecked());
    CambiaE(&Opzioni::P_Salva);
    EXPECT_FALSE(QFile::exists(voce));
    EXPECT_TRUE(utente.avvisi.isEmpty()) << utente.avvisi.join('|').toStdString();
}

// An entry the desktop switched off, or one starting another program, is off
// for the box; OK with the box checked writes the entry anew, OK with it off
// removes it, so the desktop starts nothing.
TEST_F(AvvioSessioneOpzioni, UnaVoceSpentaOAltruiNonConta)
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

TEST_F(AvvioSessioneOpzioni, UnaVoceCheNonSiPuoScrivereSiDiceMaLeImpostazioniRestano)
{
    Scrivi(tmp.filePath("autostart"), {}); // a file where the folder should be
    EXPECT_EQ(CambiaE(&Opzioni::P_Salva).result(), QDialog::Accepted);
    ASSERT_EQ(utente.avvisi.size(), 1);
    EXPECT_TRUE(utente.avvisi.first().contains("velatrix.desktop"));
    EXPECT_TRUE(QFile::exists(tmp.filePath("Velatrix.conf")));
    EXPECT_FALSE(AvvioSessione(voce, {"/usr/bin/velatrix"}).Attivo());
}

} // namespace
