// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoFile.h"
#include "engine/Recupero.h"
#include "log/FileLog.h"
#include "pulses/DatabaseScatti.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QDate Oggi(2026, 12, 7);

RecordLog Record(int ora, qint32 durata, qint32 scatti, double importo)
{
    return {QDateTime(Oggi, QTime(ora, 0)), durata, scatti, importo, "Casa"};
}

Pendenti Esempio()
{
    Pendenti p;
    p.scatti[Oggi] = {11, 1397.5};
    p.scatti[Oggi.addDays(-1)] = {2, 254};
    p.log = {Record(10, 2200, 11, 1397.5), Record(11, 220, 2, 254), Record(12, 0, 2, 254)};
    return p;
}

class RecuperoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(tmp.path()).mkdir("dati")); }
    QString Dati() const { return tmp.filePath("dati"); }
    QString File() const { return tmp.filePath("dati/" + NomeRecupero); }
    LetturaRecupero Contenuto(const QString& percorso) const { return LeggiRecupero(percorso, Dati(), Oggi); }
    QTemporaryDir tmp;
};

} // namespace

TEST_F(RecuperoTest, IlFileDiceCosaEDiChiEritornaUguale)
{
    EXPECT_EQ(Contenuto(File()).esito, EsitoLettura::Assente);
    QString motivo;
    ASSERT_TRUE(ScriviRecupero(File(), Esempio(), Dati(), &motivo)) << motivo.toStdString();
    EXPECT_EQ(QFileInfo(File()).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray primo = ::Contenuto(File());
    EXPECT_TRUE(primo.startsWith("Velatrix recupero 2\nid ")) << primo.constData();
    LetturaRecupero l = Contenuto(File());
    ASSERT_EQ(l.esito, EsitoLettura::Valido) << l.motivo.toStdString();
    EXPECT_EQ(l.file.voci.scatti, Esempio().scatti);
    ASSERT_EQ(l.file.voci.log.size(), 3u);
    EXPECT_EQ(l.file.voci.log[0].Inizio, Esempio().log[0].Inizio);
    EXPECT_DOUBLE_EQ(l.file.voci.log[0].Importo, 1397.5);
    // Each write is a file of its own.
    ASSERT_TRUE(ScriviRecupero(File(), Esempio(), Dati(), &motivo));
    EXPECT_NE(Contenuto(File()).file.id, l.file.id);

    // The same folder by another path is the same folder; another folder's
    // file is left for that folder.
    EXPECT_EQ(LeggiRecupero(File(), tmp.filePath("dati/../dati"), Oggi).esito, EsitoLettura::Valido);
    EXPECT_EQ(LeggiRecupero(File(), tmp.path(), Oggi).esito, EsitoLettura::AltraCartella);
}

TEST_F(RecuperoTest, UnaRigaImpossibileRifiutaTuttoIlFile)
{
    ASSERT_TRUE(ScriviRecupero(File(), Esempio(), Dati(), nullptr));
    const QByteArray buono = ::Contenuto(File());
    const char* righe[] = {
        "S 2026-13-01 1 1\n",   // no day
        "S 2026-12-08 1 127\n", // tomorrow is still fine...
        "S 2026-12-09 1 127\n", // ...the day after is not
        "S 1899-12-31 1 127\n",
        "S 2026-12-05 -4 1\n",
        "S 2026-12-05 1 nan\n",
        "S 2026-12-05 1 inf\n",
        "S 2026-12-05 1 -1\n",
        "S 2026-12-05 2147483647 1e308\n",
        "S 2026-12-05 1 10000\n",                     // dearer than any pulse
        "S 2026-12-06 259199 0\nS 2026-12-06 10 0\n", // the day's sum past what a day holds
        "L 00ff\n",
        "X qualcosa\n",
        "\n",
        "S 2026-12-05 1 127", // no line end
    };
    for (size_t i = 0; i < std::size(righe); ++i) {
        ScriviFile(File(), buono + righe[i]);
        const LetturaRecupero l = Contenuto(File());
        const bool atteso = i == 1;
        EXPECT_EQ(l.esito, atteso ? EsitoLettura::Valido : EsitoLettura::Rifiutato) << righe[i];
        if (!atteso) {
            EXPECT_TRUE(l.file.voci.Vuoto()) << righe[i];
        }
    }
    // A record of more pulses than its length allows, or with a NaN amount.
    for (const RecordLog& r : {Record(9, 1, 4, 0), Record(9, 220, 3, std::nan("")), Record(9, -1, 0, 0)}) {
        Pendenti p;
        p.log = {r};
        ASSERT_TRUE(ScriviRecupero(File(), p, Dati(), nullptr));
        EXPECT_EQ(Contenuto(File()).esito, EsitoLettura::Rifiutato) << r.Scatti << ' ' << r.Durata;
    }
}

TEST_F(RecuperoTest, SoloUnFileNormaleDellUtenteEDiDimensioneSensata)
{
    ASSERT_TRUE(ScriviRecupero(tmp.filePath("altrove"), Esempio(), Dati(), nullptr));
    ASSERT_TRUE(QFile::link(tmp.filePath("altrove"), File()));
    EXPECT_EQ(Contenuto(File()).esito, EsitoLettura::Rifiutato) << "a link is never followed";
    // Writing replaces the link, never what it leads to.
    const QByteArray altrove = ::Contenuto(tmp.filePath("altrove"));
    ASSERT_TRUE(ScriviRecupero(File(), Pendenti{}, Dati(), nullptr));
    EXPECT_EQ(::Contenuto(tmp.filePath("altrove")), altrove);
    EXPECT_FALSE(QFileInfo(File()).isSymLink());

    ASSERT_TRUE(QFile::remove(File()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(File()).constData(), 0600), 0);
    EXPECT_EQ(Contenuto(File()).esito, EsitoLettura::Rifiutato) << "a FIFO neither hangs nor counts";
    ASSERT_TRUE(QFile::remove(File()));

    ScriviFile(File(), ::Contenuto(tmp.filePath("altrove")) + QByteArray(DimensioneMassimaRecupero, '\n'));
    const LetturaRecupero grande = Contenuto(File());
    EXPECT_EQ(grande.esito, EsitoLettura::Rifiutato);
    EXPECT_TRUE(grande.motivo.contains("troppo grande")) << grande.motivo.toStdString();
}

TEST_F(RecuperoTest, MessoDaParteSenzaSovrascrivereUnoPrecedente)
{
    ScriviFile(File(), "primo");
    EXPECT_EQ(MettiDaParte(File()), File() + ".rifiutato");
    ScriviFile(File(), "secondo");
    EXPECT_EQ(MettiDaParte(File()), File() + ".rifiutato-2");
    EXPECT_EQ(::Contenuto(File() + ".rifiutato"), "primo");
    EXPECT_FALSE(QFile::exists(File()));
}

// Ended at each of its steps, as a kill would end it, then run again from
// the start: every entry is counted once.
TEST_F(RecuperoTest, LUnioneInterrottaAOgniPassoContaOgniVoceUnaVolta)
{
    ASSERT_TRUE(ScriviRecupero(File(), Esempio(), Dati(), nullptr));
    const FileRecupero file = Contenuto(File()).file;
    const int passi = 2 + int(file.voci.log.size());
    for (int fine = 0; fine <= passi; ++fine) {
        const QString db = tmp.filePath(QStringLiteral("Velatrix%1.001").arg(fine));
        const QString log = tmp.filePath(QStringLiteral("Velatrix%1.003").arg(fine));
        {
            DatabaseScatti d;
            ASSERT_TRUE(d.Apri(db));
            ASSERT_TRUE(d.AggiungiScatti(Oggi, 1, 127));
            FileLog l(log);
            ASSERT_TRUE(l.Aggiungi(Record(8, 0, 2, 254)));
            const EsitoUnione e = UnisciRecupero(d, l, file, [fine](int passo) { return passo != fine; });
            EXPECT_EQ(e.stato, fine < passi ? EsitoUnione::Interrotta : EsitoUnione::Completa) << fine;
        }
        for (int volta = 0; volta < 2; ++volta) {
            DatabaseScatti d;
            ASSERT_TRUE(d.Apri(db));
            FileLog l(log);
            EXPECT_EQ(UnisciRecupero(d, l, file).stato, EsitoUnione::Completa);
            EXPECT_EQ(d.TrovaGiorno(Oggi), (Totali{12, 1524.5})) << "ended at step " << fine;
            EXPECT_EQ(d.TrovaGiorno(Oggi.addDays(-1)), (Totali{2, 254})) << fine;
            ASSERT_EQ(l.NumeroRecord(), 4) << fine;
            for (int n = 0; n < 3; ++n)
                EXPECT_EQ(l.LeggiRecord(n + 2)->Inizio, file.voci.log[size_t(n)].Inizio) << fine;
        }
    }
}

TEST_F(RecuperoTest, UnaSommaOltreIl32BitNonAggiungeNulla)
{
    ASSERT_TRUE(ScriviRecupero(File(), Esempio(), Dati(), nullptr));
    const FileRecupero file = Contenuto(File()).file;
    DatabaseScatti d;
    ASSERT_TRUE(d.Apri(tmp.filePath("Velatrix.001")));
    ASSERT_TRUE(d.AggiungiScatti(Oggi.addDays(-1), 2147483647 - 1, 0));
    FileLog l(tmp.filePath("Velatrix.003"));
    const EsitoUnione e = UnisciRecupero(d, l, file);
    EXPECT_EQ(e.stato, EsitoUnione::NessunoScritto);
    EXPECT_EQ(e.resto.scatti, file.voci.scatti);
    EXPECT_FALSE(d.TrovaGiorno(Oggi)->has_value()) << "one transaction: the other day is not added either";
    EXPECT_EQ(l.NumeroRecord(), 0);
}

// Seeded: valid files damaged at random. Whatever a file holds, it is either
// refused whole or gives entries a count could produce.
TEST_F(RecuperoTest, FileDanneggiatiACasoNonDannoMaiValoriAssurdi)
{
    ASSERT_TRUE(ScriviRecupero(File(), Esempio(), Dati(), nullptr));
    const QByteArray buono = ::Contenuto(File());
    QRandomGenerator caso(21);
    const QByteArray pezzi[] = {"nan", "inf", "-1", "1e308", "2147483647", "9999999999", "0x10",
                                " ",   "\n",  "S",  "L",     "2026-02-30", "\0",         "ÿ"};
    int rifiutati = 0;
    for (int i = 0; i < 400; ++i) {
        QByteArray dati = buono;
        for (int n = 1 + int(caso.bounded(4)); n > 0; --n) {
            const qsizetype dove = caso.bounded(dati.size());
            switch (caso.bounded(4)) {
            case 0: dati[dove] = char(caso.bounded(256)); break;
            case 1: dati.insert(dove, pezzi[caso.bounded(int(std::size(pezzi)))]); break;
            case 2: dati.remove(dove, 1 + caso.bounded(8)); break;
            case 3: dati += dati.mid(dati.indexOf("\nS") + 1, 40); break;
            }
        }
        ScriviFile(File(), dati);
        const LetturaRecupero l = Contenuto(File());
        if (l.esito == EsitoLettura::Rifiutato) {
            ++rifiutati;
            EXPECT_TRUE(l.file.voci.Vuoto());
            continue;
        }
        for (const auto& [giorno, t] : l.file.voci.scatti) {
            EXPECT_TRUE(giorno >= QDate(1900, 1, 1) && giorno <= Oggi.addDays(1));
            EXPECT_TRUE(t.scatti >= 0 && t.scatti <= 3 * 86400 && std::isfinite(t.importo) && t.importo >= 0
                        && t.importo <= t.scatti * 9999.0 + 1e-6)
                << dati.toStdString();
        }
        for (const RecordLog& r : l.file.voci.log)
            EXPECT_TRUE(r.Inizio.isValid() && r.Durata >= 0 && r.Scatti >= 0 && r.Scatti <= r.Durata + 2
                        && std::isfinite(r.Importo) && r.Importo >= 0 && r.Importo <= r.Scatti * 9999.0 + 1e-6);
    }
    EXPECT_GT(rifiutati, 200);
}
