#include "pulses/DatabaseScatti.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <sqlite3.h>

namespace {

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(db.Apri(Percorso())) << db.UltimoErrore().testo.toStdString(); }
    QString Percorso() const { return tmp.filePath("Velatrix.001"); }
    QTemporaryDir tmp;
    DatabaseScatti db;
};

const QDate d7(2026, 12, 7);

TEST_F(DatabaseTest, SommeSuIntervalliInclusi)
{
    EXPECT_EQ(db.Somma(d7, d7), (TotaliGiorno{0, 0}));
    ASSERT_TRUE(db.AggiungiScatti(QDate(2026, 12, 1), 2, 254));
    ASSERT_TRUE(db.AggiungiScatti(QDate(2026, 12, 31), 1, 63.5));
    ASSERT_TRUE(db.AggiungiScatti(QDate(2027, 1, 1), 5, 635));
    EXPECT_EQ(db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31)), (TotaliGiorno{3, 317.5}));
    EXPECT_EQ(db.SommaScatti(QDate(2026, 12, 31), QDate(2026, 12, 31)), 1);
    EXPECT_DOUBLE_EQ(db.SommaImporto(QDate(2026, 12, 31), QDate(2027, 1, 1)), 698.5);
    EXPECT_EQ(db.Somma(QDate(2027, 1, 2), QDate(2026, 1, 1)), (TotaliGiorno{0, 0}));  // inverted
}

TEST_F(DatabaseTest, IlPrimoPassoCreaLaRigaIPassiDopoSommano)
{
    EXPECT_FALSE(db.TrovaGiorno(d7).has_value());
    ASSERT_TRUE(db.AggiungiScatti(d7, 2, 254));
    ASSERT_TRUE(db.AggiungiScatti(d7, 1, 63.5));
    ASSERT_TRUE(db.AggiungiScatti(d7.addDays(1), 1, 127));  // after midnight, a row of its own
    EXPECT_EQ(db.TrovaGiorno(d7), (TotaliGiorno{3, 317.5}));
    EXPECT_EQ(db.TrovaGiorno(d7.addDays(1)), (TotaliGiorno{1, 127}));
    db.Chiudi();
    EXPECT_FALSE(db.AggiungiScatti(d7, 1, 1));
    EXPECT_NE(db.UltimoErrore().numero, 0);
    ASSERT_TRUE(db.Apri(Percorso()));
    EXPECT_EQ(db.TrovaGiorno(d7), (TotaliGiorno{3, 317.5}));
}

TEST_F(DatabaseTest, ImpostareUnGiorno)
{
    struct Caso { std::optional<TotaliGiorno> prima; TotaliGiorno nuovi; std::optional<TotaliGiorno> dopo; EsitoImpostazione esito; };
    const Caso casi[] = {
        {std::nullopt, {0, 0}, std::nullopt, EsitoImpostazione::Nulla},
        {std::nullopt, {0, 500}, TotaliGiorno{0, 500}, EsitoImpostazione::Creato},
        {std::nullopt, {3, 0}, TotaliGiorno{3, 0}, EsitoImpostazione::Creato},
        {TotaliGiorno{4, 508}, {0, 0}, std::nullopt, EsitoImpostazione::Eliminato},
        {TotaliGiorno{4, 508}, {5, 508}, TotaliGiorno{5, 508}, EsitoImpostazione::Aggiornato},
        {TotaliGiorno{4, 508}, {4, 508}, TotaliGiorno{4, 508}, EsitoImpostazione::Nulla},
    };
    for (const Caso& c : casi) {
        db.AzzeraMese(d7);
        if (c.prima) {
            ASSERT_TRUE(db.AggiungiScatti(d7, c.prima->scatti, c.prima->importo));
        }
        EsitoImpostazione esito{};
        ASSERT_TRUE(db.ImpostaGiorno(d7, c.prima.value_or(TotaliGiorno{}), c.nuovi, &esito));
        EXPECT_EQ(esito, c.esito);
        EXPECT_EQ(db.TrovaGiorno(d7), c.dopo);
    }
}

TEST_F(DatabaseTest, AzzerareUnMeseLasciaIVicini)
{
    for (QDate d : {QDate(2026, 11, 30), QDate(2026, 12, 1), QDate(2026, 12, 31), QDate(2027, 1, 1),
                    QDate(2028, 2, 29), QDate(2028, 3, 1)})
        ASSERT_TRUE(db.AggiungiScatti(d, 1, 127));
    int eliminate = 0;
    ASSERT_TRUE(db.AzzeraMese(QDate(2026, 12, 15), &eliminate));
    EXPECT_EQ(eliminate, 2);
    EXPECT_TRUE(db.TrovaGiorno(QDate(2026, 11, 30)).has_value());
    EXPECT_TRUE(db.TrovaGiorno(QDate(2027, 1, 1)).has_value());
    ASSERT_TRUE(db.AzzeraMese(QDate(2028, 2, 1), &eliminate));
    EXPECT_EQ(eliminate, 1);
    EXPECT_TRUE(db.TrovaGiorno(QDate(2028, 3, 1)).has_value());
    ASSERT_TRUE(db.AzzeraMese(QDate(2026, 6, 1), &eliminate));
    EXPECT_EQ(eliminate, 0);
    const auto mese = db.GiorniDelMese(QDate(2028, 3, 9));
    ASSERT_TRUE(mese.has_value());
    EXPECT_EQ(mese->keys(), QList<QDate>{QDate(2028, 3, 1)});
}

TEST_F(DatabaseTest, UnSecondoUtenteNonLoApre)
{
    ASSERT_TRUE(db.AggiungiScatti(d7, 1, 127));
    DatabaseScatti altro;
    EXPECT_FALSE(altro.Apri(Percorso()));
    EXPECT_NE(altro.UltimoErrore().numero, 0);
    db.Chiudi();
    EXPECT_TRUE(altro.Apri(Percorso()));
}

class FileEstraneo : public ::testing::Test {
protected:
    QByteArray Scrivi(const QByteArray& contenuto)
    {
        QFile f(tmp.filePath("Velatrix.001"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenuto);
        return contenuto;
    }
    QByteArray Leggi()
    {
        QFile f(tmp.filePath("Velatrix.001"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir tmp;
};

TEST_F(FileEstraneo, ByteCasualiNonSonoToccati)
{
    QByteArray casuale(8192, 0);
    std::mt19937 g(1);
    for (char& c : casuale)
        c = char(g());
    Scrivi(casuale);
    DatabaseScatti db;
    EXPECT_FALSE(db.Apri(tmp.filePath("Velatrix.001")));
    EXPECT_EQ(db.UltimoErrore().numero, DatabaseScatti::ErroreNonDatabaseScatti);
    EXPECT_EQ(Leggi(), casuale);
}

TEST_F(FileEstraneo, UnAltroDatabaseNonVieneRiparato)
{
    sqlite3* altro = nullptr;
    ASSERT_EQ(sqlite3_open(tmp.filePath("Velatrix.001").toUtf8().constData(), &altro), SQLITE_OK);
    sqlite3_exec(altro, "CREATE TABLE Clienti (Nome TEXT)", nullptr, nullptr, nullptr);
    sqlite3_close(altro);
    const QByteArray prima = Leggi();
    DatabaseScatti db;
    EXPECT_FALSE(db.Apri(tmp.filePath("Velatrix.001")));
    EXPECT_EQ(db.UltimoErrore().numero, DatabaseScatti::ErroreNonDatabaseScatti);
    EXPECT_EQ(Leggi(), prima);
    EXPECT_FALSE(QFile::exists(tmp.filePath("Velatrix.001-wal")));
}

} // namespace
