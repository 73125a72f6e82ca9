// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoLog.h"

#include <QDir>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

constexpr int L = LunghezzaRecordLog;

// Records primo..ultimo as they lie in the file.
QByteArray Byte(int primo, int ultimo)
{
    QByteArray b;
    for (int i = primo; i <= ultimo; ++i) {
        QByteArray r(L, '\0');
        CodificaRecordLog(RecordNumerato(i), r.data());
        b += r;
    }
    return b;
}

// A record read back is record i, to the byte.
void ComeRecord(const RecordLog& letto, int i)
{
    QByteArray b(L, '\0');
    CodificaRecordLog(letto, b.data());
    EXPECT_EQ(b, Byte(i, i)) << i;
}

class FileLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        Cartella(0755);
    }
    void TearDown() override { Cartella(0700); }
    void Cartella(mode_t modo) { ::chmod(QFile::encodeName(tmp.path()).constData(), modo); }
    QString Percorso(const char* nome = "Velatrix.003") const { return tmp.filePath(nome); }

    QTemporaryDir tmp{QDir::tempPath() + "/velatrix-log-XXXXXX"};
    const std::function<bool(const RecordLog&)> tutti = [](const RecordLog&) { return true; };
};

} // namespace

TEST_F(FileLogTest, FileMancanteOVuoto)
{
    FileLog log(Percorso());
    EXPECT_EQ(log.NumeroRecord(), 0);
    EXPECT_FALSE(log.LeggiRecord(1).has_value());
    EXPECT_FALSE(QFile::exists(Percorso())) << "reading must not create the file";

    ScriviFile(Percorso(), {});
    EXPECT_EQ(log.NumeroRecord(), 0);
    ASSERT_TRUE(log.Aggiungi(RecordNumerato(1)));
    EXPECT_EQ(Contenuto(Percorso()), Byte(1, 1)) << "record 1 at offset 0";
    for (qint64 n : {0, -1, 2})
        EXPECT_FALSE(log.LeggiRecord(n).has_value()) << n;
}

TEST_F(FileLogTest, UnAccodamentoImpossibileSiSegnalaENonTocca)
{
    ScriviLog(Percorso(), 2);
    ::chmod(QFile::encodeName(Percorso()).constData(), 0444);
    {
        SenzaPrivilegi nobody;
        if (QFile(Percorso()).open(QIODevice::Append))
            GTEST_SKIP() << "file permissions are not enforced here";
        FileLog log(Percorso());
        QString motivo;
        EXPECT_FALSE(log.Aggiungi(RecordNumerato(3), &motivo));
        EXPECT_TRUE(motivo.startsWith(Percorso() + ": ")) << motivo.toStdString();
    }
    // A folder that takes no new file.
    Cartella(0555);
    {
        SenzaPrivilegi nobody;
        QString motivo;
        FileLog nuovo(Percorso("Velatrix.T03"));
        EXPECT_FALSE(nuovo.Aggiungi(RecordNumerato(1), &motivo));
        EXPECT_FALSE(nuovo.Azzera(&motivo));
    }
    Cartella(0755);
    EXPECT_EQ(Contenuto(Percorso()), Byte(1, 2));
    EXPECT_FALSE(QFile::exists(Percorso("Velatrix.T03")));

    // A folder where the file should be.
    ASSERT_TRUE(QDir(tmp.path()).mkdir("Velatrix.X03"));
    FileLog cartella(Percorso("Velatrix.X03"));
    EXPECT_EQ(cartella.NumeroRecord(), 0);
    EXPECT_FALSE(cartella.Aggiungi(RecordNumerato(1)));
    EXPECT_FALSE(cartella.Azzera());
}

// A torn tail is no record, and is written over; a write that stops part
// way leaves no half record either.
TEST_F(FileLogTest, UnaCodaParzialeSiIgnoraESiSovrascrive)
{
    ScriviFile(Percorso(), Byte(1, 2) + QByteArray(10, 'x'));
    FileLog log(Percorso());
    EXPECT_EQ(log.NumeroRecord(), 2);
    ComeRecord(*log.LeggiRecord(2), 2);
    EXPECT_FALSE(log.LeggiRecord(3).has_value());
    EXPECT_EQ(LettoreLog(Percorso()).NumeroRecord(), 2);
    QString motivo;
    {
        LimiteDimensione limite(2 * L + 30);
        EXPECT_FALSE(log.Aggiungi(RecordNumerato(3), &motivo));
    }
    EXPECT_FALSE(motivo.isEmpty());
    EXPECT_EQ(Contenuto(Percorso()), Byte(1, 2));
    ASSERT_TRUE(log.Aggiungi(RecordNumerato(3)));
    EXPECT_EQ(Contenuto(Percorso()), Byte(1, 3));

    FileLog pieno("/dev/full");
    EXPECT_FALSE(pieno.Aggiungi(RecordNumerato(1), &motivo));
    EXPECT_TRUE(motivo.startsWith("/dev/full: ")) << motivo.toStdString();
}

TEST_F(FileLogTest, LettoreAttraversaIBlocchiAvantiEIndietro)
{
    ScriviLog(Percorso(), 25);
    const QByteArray tutto = Contenuto(Percorso());
    for (int blocco : {1, 7, 4096}) {
        LettoreLog lettore(Percorso(), blocco);
        RecordLog r;
        const char* byte = nullptr;
        int n = 0;
        while (lettore.Prossimo(r, &byte)) {
            ComeRecord(r, ++n);
            EXPECT_EQ(QByteArray(byte, L), tutto.mid((n - 1) * L, L));
            EXPECT_EQ(lettore.Posizione(), n);
        }
        EXPECT_EQ(n, 25) << "block of " << blocco;
    }
    // A grid asking for 10 rows backwards from the end, then jumping about.
    LettoreLog lettore(Percorso(), 8);
    for (int n : {25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 1, 2, 9, 8, 17, 3, 25}) {
        const auto r = lettore.LeggiRecord(n);
        ASSERT_TRUE(r.has_value()) << n;
        ComeRecord(*r, n);
    }
    EXPECT_FALSE(lettore.LeggiRecord(26).has_value());
    EXPECT_TRUE(lettore.Errore().isEmpty());
}

TEST_F(FileLogTest, CopiaFiltrataSostituisceLaVecchia)
{
    // In record 2, a name byte the code page leaves undefined and a start with
    // a fraction of a second: decoding and encoding again would change both.
    QByteArray log = Byte(1, 10);
    log[L + 24] = '\x81';
    log[L] = '\x01';
    ScriviFile(Percorso(), log);
    const QString t03 = Percorso("Velatrix.T03");
    ScriviFile(t03, Byte(20, 22));
    std::vector<qint64> passi;
    const qint64 n = ScriviCopiaFiltrata(
        Percorso(), t03, [](const RecordLog& r) { return r.Scatti % 2 == 0; }, nullptr,
        [&](qint64 letti, qint64 totale) { passi.push_back(letti * 100 + totale); });
    EXPECT_EQ(n, 5);
    EXPECT_EQ(Contenuto(t03), log.mid(L, L) + Byte(4, 4) + Byte(6, 6) + Byte(8, 8) + Byte(10, 10));
    EXPECT_EQ(passi, (std::vector<qint64>{110, 210, 310, 410, 510, 610, 710, 810, 910, 1010}));

    // Nothing kept, or no source: an empty copy, not an error.
    EXPECT_EQ(ScriviCopiaFiltrata(Percorso(), t03, [](const RecordLog&) { return false; }), 0);
    EXPECT_EQ(QFileInfo(t03).size(), 0);
    EXPECT_EQ(ScriviCopiaFiltrata(Percorso("manca"), t03, tutti), 0);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 2) << "no temporary file left behind";
}

TEST_F(FileLogTest, UnaCopiaFallitaLasciaLaVecchia)
{
    ScriviLog(Percorso(), 4);
    const QString t03 = Percorso("Velatrix.T03");
    ScriviFile(t03, Byte(20, 22));
    QString motivo;
    {
        Cartella(0555);
        SenzaPrivilegi nobody;
        EXPECT_EQ(ScriviCopiaFiltrata(Percorso(), t03, tutti, &motivo), -1);
        EXPECT_FALSE(motivo.isEmpty());
        EXPECT_EQ(ScriviCopia(t03, {RecordNumerato(1)}), -1);
    }
    Cartella(0755);
    EXPECT_EQ(Contenuto(t03), Byte(20, 22));

    ASSERT_TRUE(QDir(tmp.path()).mkdir("sorgente"));
    EXPECT_EQ(ScriviCopiaFiltrata(Percorso("sorgente"), t03, tutti, &motivo), -1);
    EXPECT_TRUE(motivo.contains("sorgente"));
    EXPECT_EQ(Contenuto(t03), Byte(20, 22));

    // The disk filling up part way through the copy.
    {
        LimiteDimensione limite(L + 10);
        EXPECT_EQ(ScriviCopiaFiltrata(Percorso(), t03, tutti, &motivo), -1);
        EXPECT_EQ(ScriviCopia(t03, {RecordNumerato(1), RecordNumerato(2)}), -1);
    }
    EXPECT_EQ(Contenuto(t03), Byte(20, 22));
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 2) << "no temporary file left behind";
}
