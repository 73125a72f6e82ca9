#include "Finti.h"
#include "options/Opzioni.h"
#include "settings/ArchivioImpostazioni.h"
#include "settings/CaricaImpostazioni.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(TestoSoglia, NumeroInteroSenzaSeparatori)
{
    EXPECT_EQ(TestoSoglia("12.6"), "13");
    EXPECT_EQ(TestoSoglia("abc"), "");
    EXPECT_EQ(TestoSoglia("0"), "");
    EXPECT_EQ(TestoSoglia(" 1 500"), "1500");
    EXPECT_EQ(TestoSoglia("7abc"), "7");
    EXPECT_DOUBLE_EQ(NumeroSoglia("12.4x"), 12);
}

class OpzioniTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        imp.SchedaAudio = true;
        imp.DatIPB = QDate(2026, 12, 1);
        imp.DatFPB = QDate(2026, 12, 31);
        imp.Clr[2] = 0x112233;  // the user's own fill
        archivio = std::make_unique<ArchivioImpostazioni>(tmp.filePath("Velatrix.conf"));
    }
    std::unique_ptr<Opzioni> Apri()
    {
        auto d = std::make_unique<Opzioni>(imp, *archivio, utente, suoni, colori, 0x445566,
                                           [] { return QDateTime(QDate(2026, 12, 7), QTime(10, 0)); });
        d->ScegliColore = [this](const QColor&) { return colore; };
        return d;
    }
    QString Chiave(const char* k)
    {
        ArchivioImpostazioni letto(tmp.filePath("Velatrix.conf"));
        return letto.Leggi(k, "assente");
    }

    QTemporaryDir tmp;
    Impostazioni imp;
    std::unique_ptr<ArchivioImpostazioni> archivio;
    UtenteFinto utente;
    SuoniFinti suoni;
    std::array<quint32, 5> colori{0x80FF80, 0x000000, 0x445566, 0x000001, 0xFFFFFF};
    std::optional<QColor> colore;
};

TEST_F(OpzioniTest, OkSenzaModificheRiscriveGliStessiValori)
{
    auto d = Apri();
    d->P_Salva_Click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(Chiave("IntRfr"), "1000");
    EXPECT_EQ(Chiave("CtrAut"), "-1");
    EXPECT_EQ(Chiave("Clr000"), QString::number(0x80FF80));
    EXPECT_EQ(Chiave("Clr003"), "1");
    // The preview filled with the tariff's colour; the user's own stays.
    EXPECT_EQ(Chiave("Clr002"), QString::number(0x112233));
    EXPECT_EQ(Chiave("Msg001"), "0");
    EXPECT_EQ(Chiave("MsI003"), "0");
    EXPECT_EQ(Chiave("MsI004"), "assente");
}

TEST_F(OpzioniTest, CampiDegliAllarmiESchede)
{
    auto d = Apri();
    d->M_Msg[1]->setChecked(true);
    d->M_MsgVal[1]->setText("12.6");
    d->M_Msg[2]->setChecked(true);
    d->M_MsgVal[2]->setText("");
    d->M_Msg[4]->setChecked(true);
    d->M_MsgVal[4]->setText("abc");
    d->M_Manuale->setChecked(true);
    EXPECT_FALSE(d->M_IntervalloControllo->isEnabled());
    EXPECT_FALSE(d->M_AvviaSeConnesso->isEnabled());
    d->M_IntervalloControllo->setValue(4);
    d->M_IntervalloRefresh->setValue(3);
    d->P_Salva_Click();
    EXPECT_EQ(d->M_MsgVal[1]->text(), "13");
    EXPECT_EQ(Chiave("Msg001"), "-1");
    EXPECT_EQ(Chiave("MsV001"), "13");
    EXPECT_EQ(Chiave("Msg002"), "0");
    EXPECT_EQ(Chiave("Msg004"), "0");
    EXPECT_EQ(Chiave("CtrAut"), "0");
    EXPECT_EQ(Chiave("IntCtr"), "4000");
    EXPECT_EQ(Chiave("IntRfr"), "3000");
    EXPECT_EQ(imp.IntRfr, 3000);
    EXPECT_FALSE(imp.CtrAut);
}

TEST_F(OpzioniTest, ColoreDellIndicatoreConESenzaColoreTariffa)
{
    colore = QColor(1, 2, 3);
    auto d = Apri();
    d->ListaColori->setCurrentRow(2);
    EXPECT_TRUE(d->ColoreTariffa->isEnabled());
    d->P_Colore_Click();
    d->P_Salva_Click();
    EXPECT_EQ(Chiave("Clr002"), QString::number(0x030201));
    EXPECT_EQ(Chiave("ClrTar"), "-1");

    auto e = Apri();
    e->ListaColori->setCurrentRow(2);
    e->ColoreTariffa->setChecked(false);
    colore = QColor(9, 9, 9);
    e->P_Colore_Click();
    e->P_Salva_Click();
    EXPECT_EQ(Chiave("Clr002"), QString::number(0x090909));
    EXPECT_EQ(Chiave("ClrTar"), "0");
    EXPECT_EQ(imp.Clr[2], 0x090909u);
}

TEST_F(OpzioniTest, SenzaSchedaAudioAvvisaETieneISuoni)
{
    imp.SchedaAudio = false;
    imp.Wav[1] = "vecchio.wav";
    auto d = Apri();
    d->Schede->setCurrentIndex(2);
    d->Schede->setCurrentIndex(0);
    d->Schede->setCurrentIndex(2);
    EXPECT_EQ(utente.avvisi.size(), 2);
    EXPECT_TRUE(utente.avvisi[0].startsWith("ATTENZIONE: il sistema non è in grado di riprodurre file audio. "));
    d->M_Suono[1]->setText("nuovo.wav");
    d->P_Salva_Click();
    EXPECT_EQ(Chiave("Wav001"), "vecchio.wav");
}

TEST_F(OpzioniTest, AnnullaNonCambiaNulla)
{
    const Impostazioni prima = imp;
    auto d = Apri();
    d->M_PrimoPiano->setChecked(false);
    QTest::keyClick(d.get(), Qt::Key_Escape);
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(imp.TopWin, prima.TopWin);
    EXPECT_FALSE(QFile::exists(tmp.filePath("Velatrix.conf")));
}

TEST_F(OpzioniTest, UnSalvataggioFallitoSiDiceENonCambiaLaMemoria)
{
    QDir().mkpath(tmp.filePath("Velatrix.conf"));  // a folder where the file should be
    auto d = Apri();
    d->M_PrimoPiano->setChecked(false);
    d->P_Salva_Click();
    EXPECT_NE(d->result(), QDialog::Accepted);
    EXPECT_EQ(utente.avvisi.size(), 1);
    EXPECT_TRUE(imp.TopWin);
}

} // namespace
