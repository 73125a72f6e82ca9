// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoFile.h"
#include "pulses/DatabaseScatti.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QDate d7(2026, 12, 7);

// The file as another program leaves it after running sql on it, its
// write-ahead log left beside it if asked; the answer's last value.
std::string EseguiSql(const QString& percorso, const char* sql, bool lasciaIlLog = false)
{
    std::string valore;
    const auto leggi = [](void* v, int, char** riga, char**) {
        *static_cast<std::string*>(v) = riga[0] ? riga[0] : "";
        return 0;
    };
    sqlite3* altro = nullptr;
    EXPECT_EQ(sqlite3_open(percorso.toUtf8().constData(), &altro), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(altro, sql, leggi, &valore, nullptr), SQLITE_OK) << sqlite3_errmsg(altro);
    sqlite3_db_config(altro, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, int(lasciaIlLog), nullptr);
    sqlite3_close(altro);
    return valore;
}

// A program that commits these steps on d7 and dies without closing the file.
void MuoreDopoIPassi(const QString& percorso, std::initializer_list<Totali> passi)
{
    const pid_t figlio = fork();
    ASSERT_GE(figlio, 0);
    if (figlio == 0) {
        DatabaseScatti db;
        bool ok = bool(db.Apri(percorso));
        for (const Totali& p : passi)
            ok = ok && db.AggiungiScatti(d7, p.scatti, p.importo);
        _exit(ok ? 0 : 1);
    }
    int stato = 0;
    ASSERT_EQ(waitpid(figlio, &stato, 0), figlio);
    ASSERT_TRUE(WIFEXITED(stato) && WEXITSTATUS(stato) == 0);
    ASSERT_TRUE(QFile::exists(percorso + "-wal")); // the steps are still only in the log
}

class FileTest : public ::testing::Test {
protected:
    QByteArray Scrivi(const QByteArray& contenuto)
    {
        QFile f(percorso);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenuto);
        return contenuto;
    }
    QByteArray Leggi() const { return Contenuto(percorso); }
    // The file as the panel leaves it, closed cleanly after writing these days.
    void Prepara(const QMap<QDate, Totali>& giorni = {})
    {
        DatabaseScatti db;
        ASSERT_TRUE(db.Apri(percorso));
        for (auto [giorno, t] : giorni.asKeyValueRange())
            ASSERT_TRUE(db.ImpostaGiorno(giorno, {}, t));
    }
    QStringList FileNellaCartella() const { return QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    QTemporaryDir tmp;
    const QString percorso = tmp.filePath("Velatrix.001");
};

class DatabaseTest : public FileTest {
protected:
    void SetUp() override
    {
        const auto aperto = db.Apri(percorso);
        ASSERT_TRUE(aperto) << aperto.Errore().testo.toStdString();
    }
    DatabaseScatti db;
};

TEST_F(DatabaseTest, SommeSuIntervalliInclusi)
{
    EXPECT_EQ(db.Somma(d7, d7), (Totali{0, 0}));
    ASSERT_TRUE(db.AggiungiScatti(QDate(2026, 12, 1), 2, 254));
    ASSERT_TRUE(db.AggiungiScatti(QDate(2026, 12, 31), 1, 63.5));
    ASSERT_TRUE(db.AggiungiScatti(QDate(2027, 1, 1), 5, 635));
    EXPECT_EQ(db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31)), (Totali{3, 317.5}));
    EXPECT_DOUBLE_EQ(db.Somma(QDate(2026, 12, 31), QDate(2027, 1, 1))->importo, 698.5);
    EXPECT_EQ(db.Somma(QDate(2027, 1, 2), QDate(2026, 1, 1)), (Totali{0, 0})); // inverted
}

TEST_F(DatabaseTest, IlPrimoPassoCreaLaRigaIPassiDopoSommano)
{
    EXPECT_FALSE(db.TrovaGiorno(d7)->has_value());
    ASSERT_TRUE(db.AggiungiScatti(d7, 2, 254));
    ASSERT_TRUE(db.AggiungiScatti(d7, 1, 63.5));
    ASSERT_TRUE(db.AggiungiScatti(d7.addDays(1), 1, 127)); // after midnight, a row of its own
    EXPECT_EQ(db.TrovaGiorno(d7), (Totali{3, 317.5}));
    EXPECT_EQ(db.TrovaGiorno(d7.addDays(1)), (Totali{1, 127}));
    db.Chiudi();
    EXPECT_EQ(db.AggiungiScatti(d7, 1, 1).Errore().numero, DatabaseScatti::ErroreNonAperto);
    EXPECT_EQ(db.Somma(d7, d7).Errore().numero, DatabaseScatti::ErroreNonAperto);
    EXPECT_EQ(db.GiorniDelMese(d7).Errore().numero, DatabaseScatti::ErroreNonAperto);
}

TEST_F(DatabaseTest, ImpostareUnGiorno)
{
    struct Caso {
        std::optional<Totali> prima;
        Totali nuovi;
        std::optional<Totali> dopo;
        EsitoImpostazione esito;
    };
    const Caso casi[] = {
        {std::nullopt, {0, 0}, std::nullopt, EsitoImpostazione::Nulla},
        {std::nullopt, {0, 500}, Totali{0, 500}, EsitoImpostazione::Creato},
        {std::nullopt, {3, 0}, Totali{3, 0}, EsitoImpostazione::Creato},
        {Totali{4, 508}, {0, 0}, std::nullopt, EsitoImpostazione::Eliminato},
        {Totali{4, 508}, {5, 508}, Totali{5, 508}, EsitoImpostazione::Aggiornato},
        {Totali{4, 508}, {4, 508}, Totali{4, 508}, EsitoImpostazione::Nulla},
    };
    for (const Caso& c : casi) {
        ASSERT_TRUE(db.AzzeraMese(d7));
        if (c.prima) {
            ASSERT_TRUE(db.AggiungiScatti(d7, c.prima->scatti, c.prima->importo));
        }
        const auto esito = db.ImpostaGiorno(d7, c.prima.value_or(Totali{}), c.nuovi);
        ASSERT_TRUE(esito);
        EXPECT_EQ(*esito, c.esito);
        EXPECT_EQ(*db.TrovaGiorno(d7), c.dopo);
    }
}

TEST_F(DatabaseTest, IGiorniDelMeseEIlSuoAzzeramentoLascianoIVicini)
{
    for (QDate d : {QDate(2026, 11, 30), QDate(2026, 12, 1), QDate(2026, 12, 31), QDate(2027, 1, 1), QDate(2028, 2, 29),
                    QDate(2028, 3, 1)})
        ASSERT_TRUE(db.AggiungiScatti(d, d.day(), d.day() * 127.0));
    const auto dicembre = db.GiorniDelMese(QDate(2026, 12, 15));
    ASSERT_TRUE(dicembre);
    EXPECT_EQ(dicembre->keys(), (QList<QDate>{QDate(2026, 12, 1), QDate(2026, 12, 31)}));
    EXPECT_EQ(dicembre->value(QDate(2026, 12, 31)), (Totali{31, 3937}));
    EXPECT_TRUE(db.GiorniDelMese(QDate(2026, 10, 1))->isEmpty());

    EXPECT_EQ(db.AzzeraMese(QDate(2026, 12, 15)), 2);
    EXPECT_TRUE(db.TrovaGiorno(QDate(2026, 11, 30))->has_value());
    EXPECT_TRUE(db.TrovaGiorno(QDate(2027, 1, 1))->has_value());
    EXPECT_EQ(db.AzzeraMese(QDate(2028, 2, 1)), 1);
    EXPECT_EQ(db.AzzeraMese(QDate(2026, 6, 1)), 0);
    const auto marzo = db.GiorniDelMese(QDate(2028, 3, 9));
    ASSERT_TRUE(marzo);
    EXPECT_EQ(marzo->keys(), QList<QDate>{QDate(2028, 3, 1)});
}

// While the panel holds the file, no second program opens it, not even to
// read; the panel goes on counting as if nothing happened.
TEST_F(DatabaseTest, UnFileTenutoNonSiApreUnaSecondaVolta)
{
    ASSERT_TRUE(db.AggiungiScatti(d7, 1, 127));
    DatabaseScatti altro;
    EXPECT_EQ(altro.ApriInLettura(percorso).Errore().numero, DatabaseScatti::ErroreInUso);
    EXPECT_NE(altro.Apri(percorso).Errore().numero, 0);
    EXPECT_TRUE(db.AggiungiScatti(d7, 1, 127));
    EXPECT_EQ(db.TrovaGiorno(d7), (Totali{2, 254}));
    db.Chiudi();
    EXPECT_TRUE(altro.Apri(percorso));
}

TEST_F(DatabaseTest, ValoriEDateNonValideNonToccanoNulla)
{
    ASSERT_TRUE(db.AggiungiScatti(d7, 4, 508));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Caso {
        const char* nome;
        QDate giorno;
        qint32 scatti;
        double importo;
    };
    const Caso casi[] = {
        {"data vuota", QDate(), 1, 127},  {"anno oltre 9999", QDate(10000, 1, 1), 1, 127},
        {"scatti negativi", d7, -1, 127}, {"importo negativo", d7, 1, -127},
        {"importo NaN", d7, 1, nan},      {"importo infinito", d7, 1, inf},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(db.AggiungiScatti(c.giorno, c.scatti, c.importo).Errore().numero,
                  DatabaseScatti::ErroreValoreNonValido);
        EXPECT_NE(db.ImpostaGiorno(c.giorno, {4, 508}, {c.scatti, c.importo}).Errore().numero, 0);
        EXPECT_EQ(db.TrovaGiorno(d7), (Totali{4, 508}));
    }
    // An invalid date is an error, not an empty range.
    EXPECT_EQ(db.Somma(QDate(), d7).Errore().numero, DatabaseScatti::ErroreValoreNonValido);
    EXPECT_EQ(db.TrovaGiorno(QDate()).Errore().numero, DatabaseScatti::ErroreValoreNonValido);
    EXPECT_EQ(db.AzzeraMese(QDate()).Errore().numero, DatabaseScatti::ErroreValoreNonValido);
    EXPECT_EQ(db.GiorniDelMese(QDate()).Errore().numero, DatabaseScatti::ErroreValoreNonValido);
}

TEST_F(DatabaseTest, ScattiOltreI32BitSonoRifiutatiNonTroncati)
{
    const qint32 massimo = std::numeric_limits<qint32>::max();
    ASSERT_TRUE(db.ImpostaGiorno(d7, {}, {massimo - 1, 100}));
    ASSERT_TRUE(db.AggiungiScatti(d7, 1, 1));
    EXPECT_EQ(db.AggiungiScatti(d7, 1, 1).Errore().numero, DatabaseScatti::ErroreTotaleFuoriLimite);
    EXPECT_EQ(db.TrovaGiorno(d7), (Totali{massimo, 101}));
    // Two full days no longer fit one total: an error, never a wrapped sum,
    // and a later sum that works does not hide it.
    ASSERT_TRUE(db.AggiungiScatti(d7.addDays(1), 1, 1));
    const auto troppi = db.Somma(d7, d7.addDays(1));
    EXPECT_EQ(db.Somma(d7, d7)->scatti, massimo);
    EXPECT_EQ(troppi.Errore().numero, DatabaseScatti::ErroreTotaleFuoriLimite);
}

TEST_F(FileTest, UnaChiaveCheNonEUnGiornoVieneSaltata)
{
    Prepara({{QDate(2026, 12, 5), {5, 635}}});
    EseguiSql(percorso, "INSERT INTO Scatti VALUES ('2026-12-1x', 1, 1), ('2026-12-32', 1, 1), "
                        "('2026-12-06 ', 1, 1), ('2026-12-00', 1, 1), ('2026-12-09', 9, 9)");
    DatabaseScatti db;
    ASSERT_TRUE(db.Apri(percorso));
    const auto dicembre = db.GiorniDelMese(QDate(2026, 12, 1));
    ASSERT_TRUE(dicembre);
    EXPECT_EQ(dicembre->keys(), (QList<QDate>{QDate(2026, 12, 5), QDate(2026, 12, 9)}));
}

// A step committed before the program dies (no close, no checkpoint) is
// there at the next start, and the dead run's lock does not keep it out.
TEST_F(FileTest, UnPassoConfermatoSopravviveAllaMorteDelProgramma)
{
    ASSERT_NO_FATAL_FAILURE(MuoreDopoIPassi(percorso, {{2, 254}, {1, 63.5}}));
    DatabaseScatti db;
    const auto aperto = db.Apri(percorso);
    ASSERT_TRUE(aperto) << aperto.Errore().testo.toStdString();
    EXPECT_EQ(db.TrovaGiorno(d7), (Totali{3, 317.5}));
    ASSERT_TRUE(db.AggiungiScatti(d7, 1, 63.5));
    db.Chiudi();
    // Closed cleanly, the log is folded back and the file says WAL mode.
    EXPECT_FALSE(QFile::exists(percorso + "-wal"));
    const QByteArray testata = Leggi();
    EXPECT_EQ(testata.at(18), 2);
    EXPECT_EQ(testata.at(19), 2);
}

// A missing file is created only by the panel's own open, and only in a
// folder that exists; random bytes get the store's own answer for a file that
// is not a database, and stay untouched; an empty file receives the table.
TEST_F(FileTest, UnFileMancanteCasualeOVuoto)
{
    DatabaseScatti db;
    EXPECT_NE(db.ApriInLettura(percorso).Errore().numero, 0);
    EXPECT_TRUE(FileNellaCartella().isEmpty());
    EXPECT_NE(db.Apri(tmp.filePath("manca/Velatrix.001")).Errore().numero, 0);
    QByteArray casuale(8192, 0);
    std::mt19937 g(1);
    for (char& c : casuale)
        c = char(g());
    Scrivi(casuale);
    EXPECT_EQ(db.Apri(percorso).Errore().numero, SQLITE_NOTADB);
    EXPECT_EQ(Leggi(), casuale);
    Scrivi({});
    ASSERT_TRUE(db.Apri(percorso));
    EXPECT_TRUE(db.AggiungiScatti(d7, 1, 127));
}

// SQLite files that are not pulse databases, each left byte for byte as it
// was; the last ones are proper tables another tool made, and are used.
TEST_F(FileTest, SoloUnaTabellaScattiValidaVieneUsata)
{
    struct Caso {
        const char* schema;
        bool valido;
    };
    const Caso casi[] = {
        {"", false}, // an empty SQLite database
        {"CREATE TABLE Clienti (Nome TEXT)", false},
        {"CREATE TABLE Scatti (DataScatti TEXT PRIMARY KEY, NumeroScatti INTEGER)", false},
        {"CREATE TABLE Scatti (DataScatti TEXT, NumeroScatti INTEGER, Importo REAL)", false},
        {"CREATE TABLE Scatti (Id INTEGER PRIMARY KEY, DataScatti TEXT UNIQUE, NumeroScatti INTEGER, Importo REAL)",
         false},
        {"CREATE TABLE Scatti (DataScatti TEXT PRIMARY KEY, NumeroScatti INTEGER, Importo REAL, Nota TEXT NOT NULL)",
         false},
        {"CREATE TABLE Altro (DataScatti TEXT PRIMARY KEY, NumeroScatti INTEGER, Importo REAL);"
         "CREATE VIEW Scatti AS SELECT * FROM Altro",
         false},
        {"CREATE TABLE Scatti (DataScatti DATE PRIMARY KEY, NumeroScatti LONG, Importo DOUBLE, Nota TEXT)", true},
        {"CREATE TABLE Scatti (DataScatti TEXT NOT NULL, NumeroScatti INTEGER, Importo REAL,"
         " PRIMARY KEY (DataScatti)) WITHOUT ROWID",
         true},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.schema);
        QFile::remove(percorso);
        EseguiSql(percorso, "PRAGMA user_version = 7");
        EseguiSql(percorso, c.schema);
        const QByteArray prima = Leggi();

        DatabaseScatti db;
        const auto aperto = db.Apri(percorso);
        EXPECT_EQ(bool(aperto), c.valido);
        if (!c.valido) {
            EXPECT_EQ(aperto.Errore().numero, DatabaseScatti::ErroreNonDatabaseScatti);
            EXPECT_EQ(Leggi(), prima);
            EXPECT_FALSE(QFile::exists(percorso + "-wal"));
            continue;
        }
        EXPECT_TRUE(db.AggiungiScatti(d7, 2, 254));
        EXPECT_TRUE(db.AggiungiScatti(d7, 1, 127));
        EXPECT_EQ(db.ImpostaGiorno(d7.addDays(1), {}, {3, 381}), EsitoImpostazione::Creato);
        EXPECT_EQ(db.Somma(d7, d7.addDays(1)), (Totali{6, 762}));
    }
}

// A foreign file in write-ahead mode, its log left beside it or folded back:
// refused, it is neither folded nor given a log, and its folder stays as found.
TEST_F(FileTest, UnDatabaseInModalitaWalRifiutatoRestaComEra)
{
    for (const bool conLog : {false, true}) {
        SCOPED_TRACE(conLog);
        for (const char* accanto : {"", "-wal", "-shm"})
            QFile::remove(percorso + accanto);
        EseguiSql(percorso,
                  "PRAGMA journal_mode=WAL; CREATE TABLE Clienti (Nome TEXT); "
                  "PRAGMA wal_checkpoint(TRUNCATE); INSERT INTO Clienti VALUES ('Rossi')",
                  conLog);
        QFile::remove(percorso + "-shm");
        const QByteArray prima = Leggi(), walPrima = Contenuto(percorso + "-wal");
        const QStringList filePrima = FileNellaCartella();
        ASSERT_EQ(filePrima.size(), conLog ? 2 : 1);
        ASSERT_EQ(prima.at(18), 2); // write-ahead mode

        DatabaseScatti db;
        EXPECT_EQ(db.Apri(percorso).Errore().numero, DatabaseScatti::ErroreNonDatabaseScatti);
        EXPECT_EQ(FileNellaCartella(), filePrima);
        EXPECT_FALSE(db.ApriInLettura(percorso));
        EXPECT_EQ(FileNellaCartella(), filePrima);
        EXPECT_EQ(Leggi(), prima);
        EXPECT_EQ(Contenuto(percorso + "-wal"), walPrima);
    }
}

TEST_F(FileTest, UnDatabaseDanneggiatoNonVieneScritto)
{
    Prepara();
    EseguiSql(percorso, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 1999) "
                        "INSERT INTO Scatti SELECT date('2026-12-07', '-' || i || ' days'), 1, 127 FROM n");
    // Garble a page in the middle of the table's tree, leaving the schema intact.
    QByteArray contenuto = Leggi();
    ASSERT_GT(contenuto.size(), 8 * 4096);
    for (int i = 0; i < 4096; ++i)
        contenuto[5 * 4096 + i] = char(0xA5);
    Scrivi(contenuto);

    DatabaseScatti db;
    const auto aperto = db.Apri(percorso);
    // The store's own code for a damaged file.
    EXPECT_EQ(aperto.Errore().numero & 0xff, SQLITE_CORRUPT) << aperto.Errore().testo.toStdString();
    EXPECT_EQ(Leggi(), contenuto);
}

// An index that no longer agrees with its table passes the quick check; the
// file must be refused all the same, before anything is written into it.
TEST_F(FileTest, UnIndiceInDisaccordoConLaTabellaVieneRifiutato)
{
    QMap<QDate, Totali> giorni;
    for (int i = 0; i < 50; ++i)
        giorni[d7.addDays(-i)] = {i + 1, 127.0 * (i + 1)};
    Prepara(giorni);
    // The index keeps the entries of one column while the schema says another.
    EseguiSql(percorso, "CREATE INDEX PerScatti ON Scatti(NumeroScatti); PRAGMA writable_schema=ON; "
                        "UPDATE sqlite_schema SET sql = 'CREATE INDEX PerScatti ON Scatti(Importo)' "
                        "WHERE name = 'PerScatti'");
    EXPECT_EQ(EseguiSql(percorso, "PRAGMA quick_check"), "ok");
    const QByteArray prima = Leggi();

    // Closed cleanly before the change, yet checked in full again: the seal
    // no longer matches. So is a report's open.
    ASSERT_TRUE(QFile::exists(percorso + "-verificato"));
    DatabaseScatti db;
    EXPECT_EQ(db.Apri(percorso).Errore().numero, SQLITE_CORRUPT);
    EXPECT_EQ(db.ApriInLettura(percorso).Errore().numero, SQLITE_CORRUPT);
    EXPECT_EQ(Leggi(), prima);
}

// Only a file the panel checked, wrote through the store alone and closed
// cleanly is sealed; touching it while held leaves it unsealed.
TEST_F(FileTest, UnFileToccatoMentreETenutoNonVieneSigillato)
{
    const QString sigillo = percorso + "-verificato";
    {
        DatabaseScatti db;
        ASSERT_TRUE(db.Apri(percorso));
        ASSERT_TRUE(db.AggiungiScatti(d7, 1, 127));
        const auto permessi = QFile::permissions(percorso);
        ASSERT_TRUE(QFile::setPermissions(percorso, permessi | QFile::ExeOwner));
        ASSERT_TRUE(QFile::setPermissions(percorso, permessi));
    }
    EXPECT_FALSE(QFile::exists(sigillo));
    {
        DatabaseScatti db;
        ASSERT_TRUE(db.Apri(percorso));
        ASSERT_TRUE(db.AggiungiScatti(d7, 1, 127));
    }
    EXPECT_TRUE(QFile::exists(sigillo));
    DatabaseScatti db;
    ASSERT_TRUE(db.Apri(percorso));
    EXPECT_EQ(db.TrovaGiorno(d7), (Totali{2, 254}));
}

// A sum that cannot be read leaves the file as it was: nothing in it changes
// before the first write.
TEST_F(FileTest, AprireELeggereNonCambiaIlFile)
{
    const qint32 massimo = std::numeric_limits<qint32>::max();
    Prepara({{d7, {massimo, 100}}, {d7.addDays(1), {massimo, 100}}});
    EseguiSql(percorso, "PRAGMA journal_mode=DELETE");
    const QByteArray prima = Leggi();
    ASSERT_EQ(prima.at(18), 1); // rollback journal

    DatabaseScatti db;
    ASSERT_TRUE(db.Apri(percorso));
    EXPECT_EQ(db.Somma(d7, d7.addDays(1)).Errore().numero, DatabaseScatti::ErroreTotaleFuoriLimite);
    EXPECT_TRUE(db.TrovaGiorno(d7));
    db.Chiudi();
    EXPECT_EQ(Leggi(), prima);
    EXPECT_FALSE(QFile::exists(percorso + "-wal"));
}

// The data folder removed or replaced while the program holds the file: a
// step would go into a file nobody can reach, so it is refused.
TEST_F(FileTest, UnPassoNelFileRimossoVieneRifiutato)
{
    QDir(tmp.path()).mkdir("dati");
    const QString spostabile = tmp.filePath("dati/Velatrix.001");
    DatabaseScatti db;
    ASSERT_TRUE(db.Apri(spostabile));
    ASSERT_TRUE(db.AggiungiScatti(d7, 2, 254));
    ASSERT_TRUE(QDir(tmp.path()).rename("dati", "vecchi"));
    EXPECT_EQ(db.AggiungiScatti(d7, 1, 127).Errore().numero, DatabaseScatti::ErroreFileSostituito);
    // A new file in its place is not the one opened either.
    QDir(tmp.path()).mkdir("dati");
    DatabaseScatti nuovo;
    ASSERT_TRUE(nuovo.Apri(spostabile));
    nuovo.Chiudi();
    EXPECT_EQ(db.AggiungiScatti(d7, 1, 127).Errore().numero, DatabaseScatti::ErroreFileSostituito);
    // Reading what is open is still fine.
    EXPECT_EQ(db.TrovaGiorno(d7), (Totali{2, 254}));
}

TEST_F(FileTest, InLetturaLeggeSenzaToccareNullaERifiutaOgniScrittura)
{
    Prepara({{d7, {3, 381}}, {d7.addDays(1), {1, 63.5}}});
    const QByteArray prima = Leggi();
    const QStringList filePrima = FileNellaCartella();

    DatabaseScatti db;
    const auto aperto = db.ApriInLettura(percorso);
    ASSERT_TRUE(aperto) << aperto.Errore().testo.toStdString();
    EXPECT_EQ(db.Somma(d7, d7.addDays(1)), (Totali{4, 444.5}));
    const auto giorni = db.Giorni(d7, d7.addDays(5));
    ASSERT_TRUE(giorni);
    EXPECT_EQ(giorni->size(), 2);
    EXPECT_EQ(db.AggiungiScatti(d7, 1, 1).Errore().numero, DatabaseScatti::ErroreSoloLettura);
    EXPECT_FALSE(db.ImpostaGiorno(d7, {3, 381}, {0, 0}));
    EXPECT_FALSE(db.AzzeraMese(d7));
    db.Chiudi();

    EXPECT_EQ(Leggi(), prima);
    EXPECT_EQ(FileNellaCartella(), filePrima);
}

// A program that died leaves its steps in the log: a read-only open reads
// them and adds nothing beside the file, also on a read-only disk, as a copy
// of the folder might be.
TEST_F(FileTest, InLetturaDopoUnaMorteImprovvisaLeggeAncheIlRegistro)
{
    DiscoPiccolo disco(tmp.filePath("ro"), 1024);
    for (const QString& file : {percorso, tmp.filePath("ro/Velatrix.001")}) {
        SCOPED_TRACE(file.toStdString());
        const bool suDisco = file != percorso;
        if (suDisco && !disco.Pronto())
            GTEST_SKIP() << "needs root to mount a small tmpfs";
        ASSERT_NO_FATAL_FAILURE(MuoreDopoIPassi(file, {{2, 254}}));
        ASSERT_TRUE(!suDisco || disco.SoloLettura(true));
        const QByteArray prima = Contenuto(file), walPrima = Contenuto(file + "-wal");
        const QStringList filePrima = QDir(QFileInfo(file).path()).entryList(QDir::Files | QDir::Hidden);

        DatabaseScatti db;
        const auto aperto = db.ApriInLettura(file);
        ASSERT_TRUE(aperto) << aperto.Errore().testo.toStdString();
        EXPECT_EQ(db.TrovaGiorno(d7), (Totali{2, 254}));
        db.Chiudi();
        EXPECT_EQ(Contenuto(file), prima);
        EXPECT_EQ(Contenuto(file + "-wal"), walPrima);
        EXPECT_EQ(QDir(QFileInfo(file).path()).entryList(QDir::Files | QDir::Hidden), filePrima)
            << "no index file added beside it";
        ASSERT_TRUE(!suDisco || disco.SoloLettura(false));
    }
}

} // namespace
