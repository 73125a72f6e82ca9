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
}

TEST(AvvioSessione, LaVocePredefinitaStaNellAutostartDellUtente)
{
    const AvvioSessione avvio = AvvioSessione::Predefinito();
    EXPECT_EQ(avvio.Voce(),
              QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart/velatrix.desktop");
    EXPECT_TRUE(AvvioSessione::Testo({QCoreApplication::applicationFilePath()})
                    .contains(("Exec=" + QCoreApplication::applicationFilePath()).toUtf8()));
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

TEST(AvvioSessione, UnaCartellaNonScrivibileSiDice)
{
    QTemporaryDir tmp;
    QFile ostacolo(tmp.filePath("autostart"));
    ASSERT_TRUE(ostacolo.open(QIODevice::WriteOnly)); // a file where the folder should be
    ostacolo.close();
    const AvvioSessione avvio(tmp.filePath("autostart/velatrix.desktop"), {"velatrix"});
    QString motivo;
    EXPECT_FALSE(avvio.Imposta(true, &motivo));
    EXPECT_TRUE(motivo.contains("velatrix.desktop")) << motivo.toStdString();
    EXPECT_FALSE(avvio.Attivo());
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
    Clic(d.M_AvvioSessione);
    Clic(d.P_Salva);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(QFile::exists(voce));
    EXPECT_TRUE(Leggi(voce).contains("Exec=/usr/bin/velatrix\n"));
    // Nothing else remembers the choice.
    EXPECT_FALSE(ArchivioImpostazioni(tmp.filePath("Velatrix.conf")).Chiavi().join(',').contains("Avv"));

    Opzioni& di = Apri();
    EXPECT_TRUE(di.M_AvvioSessione->isChecked());
    Clic(di.M_AvvioSessione);
    Clic(di.P_Salva);
    EXPECT_FALSE(QFile::exists(voce));
    EXPECT_TRUE(utente.avvisi.isEmpty()) << utente.avvisi.join('|').toStdString();
}

TEST_F(AvvioSessioneOpzioni, AnnullaNonToccaLaVoce)
{
    Opzioni& d = Apri();
    Clic(d.M_AvvioSessione);
    Clic(d.P_Annulla);
    EXPECT_FALSE(QFile::exists(voce));
    // A file made meanwhile by another hand is shown at the next opening.
    ASSERT_TRUE(AvvioSessione(voce, {"/usr/bin/velatrix"}).Imposta(true, nullptr));
    EXPECT_TRUE(Apri().M_AvvioSessione->isChecked());
}

// An entry the desktop switched off, or one starting another program, is off
// for the box; OK with the box checked writes the entry anew.
TEST_F(AvvioSessioneOpzioni, UnaVoceSpentaOAltruiNonConta)
{
    const QByteArray buona = AvvioSessione::Testo({"/usr/bin/velatrix"});
    ASSERT_TRUE(QDir().mkpath(QFileInfo(voce).path()));
    const QByteArray spente[] = {buona + "Hidden=true\n", QByteArray(buona).replace("enabled=true", "enabled=false"),
                                 AvvioSessione::Testo({"/opt/vecchio/velatrix"})};
    for (const QByteArray& testo : spente) {
        QFile f(voce);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(testo);
        f.close();
        Opzioni& d = Apri();
        EXPECT_FALSE(d.M_AvvioSessione->isChecked()) << testo.toStdString();
        Clic(d.M_AvvioSessione);
        Clic(d.P_Salva);
        EXPECT_EQ(Leggi(voce).toUtf8(), buona);
    }
    // Off with a stale entry: the entry goes, so the desktop starts nothing.
    QFile f(voce);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(AvvioSessione::Testo({"/opt/vecchio/velatrix"}));
    f.close();
    Clic(Apri().P_Salva);
    EXPECT_FALSE(QFile::exists(voce));
}

TEST_F(AvvioSessioneOpzioni, UnaVoceCheNonSiPuoScrivereSiDiceMaLeImpostazioniRestano)
{
    QFile ostacolo(tmp.filePath("autostart"));
    ASSERT_TRUE(ostacolo.open(QIODevice::WriteOnly));
    ostacolo.close();
    Opzioni& d = Apri();
    Clic(d.M_AvvioSessione);
    Clic(d.P_Salva);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    ASSERT_EQ(utente.avvisi.size(), 1);
    EXPECT_TRUE(utente.avvisi.first().contains("velatrix.desktop"));
    EXPECT_TRUE(QFile::exists(tmp.filePath("Velatrix.conf")));
}

} // namespace
