#include "log/FileLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

RecordLog Record(int i)
{
    RecordLog r;
    r.Inizio = QDateTime(QDate(2026, 1, 1), QTime(8, 0)).addSecs(qint64(i) * 3700);
    r.Durata = 60 + i;
    r.Scatti = i;
    r.Importo = 127.0 * i + 0.5;
    r.Connessione = QStringLiteral("Rete %1 è").arg(i);
    return r;
}

void ComeRecord(const RecordLog& letto, int i)
{
    const RecordLog atteso = Record(i);
    EXPECT_EQ(letto.Inizio, atteso.Inizio) << i;
    EXPECT_EQ(letto.Durata, atteso.Durata) << i;
    EXPECT_EQ(letto.Scatti, atteso.Scatti) << i;
    EXPECT_EQ(letto.Importo, atteso.Importo) << i;
    EXPECT_EQ(letto.ConnessioneSenzaSpazi(), atteso.Connessione) << i;
}

QByteArray Contenuto(const QString& percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Scrivi(const QString& percorso, const QByteArray& dati)
{
    QFile f(percorso);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(dati), dati.size());
}

QByteArray Byte(int primo, int ultimo)
{
    QByteArray b;
    for (int i = primo; i <= ultimo; ++i) {
        QByteArray r(LunghezzaRecordLog, '\0');
        CodificaRecordLog(Record(i), r.data());
        b += r;
    }
    return b;
}

// Permissions mean nothing to root: tests of a read-only file run as nobody
// (still in root's group, so the folders give the group what they give others).
class SenzaPrivilegi {
public:
    SenzaPrivilegi()
    {
        if (::geteuid() == 0)
            cambiato_ = ::seteuid(65534) == 0;
    }
    ~SenzaPrivilegi()
    {
        if (cambiato_)
            (void)::seteuid(0);
    }
    SenzaPrivilegi(const SenzaPrivilegi&) = delete;
    SenzaPrivilegi& operator=(const SenzaPrivilegi&) = delete;

private:
    bool cambiato_ = false;
};

// A limit on the size of files written by this process, so a write stops
// part way as on a full disk.
class LimiteDimensione {
public:
    explicit LimiteDimensione(rlim_t byte)
    {
        prima_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &vecchio_);
        rlimit nuovo = vecchio_;
        nuovo.rlim_cur = byte;
        ::setrlimit(RLIMIT_FSIZE, &nuovo);
    }
    ~LimiteDimensione()
    {
        ::setrlimit(RLIMIT_FSIZE, &vecchio_);
        std::signal(SIGXFSZ, prima_);
    }
    LimiteDimensione(const LimiteDimensione&) = delete;
    LimiteDimensione& operator=(const LimiteDimensione&) = delete;

private:
    rlimit vecchio_{};
    void (*prima_)(int) = nullptr;
};

class FileLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        // Reachable by the unprivileged user of the permission tests.
        QFile::setPermissions(tmp.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                              | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                              | QFileDevice::ReadOther | QFileDevice::ExeOther);
    }
    void TearDown() override
    {
        QFile::setPermissions(tmp.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QString Percorso(const char* nome = "Velatrix.003") const { return tmp.filePath(nome); }
    void Riempi(int n)
    {
        FileLog log(Percorso());
        for (int i = 1; i <= n; ++i)
            ASSERT_TRUE(log.Aggiungi(Record(i)));
    }
    // Only the owner may write the folder, and the owner is root.
    void CartellaSolaLettura(bool solaLettura)
    {
        QFileDevice::Permissions p = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                     | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
        if (!solaLettura)
            p |= QFileDevice::WriteOwner;
        QFile::setPermissions(tmp.path(), p);
    }

    QTemporaryDir tmp{QDir::tempPath() + "/velatrix-log-XXXXXX"};
};

} // namespace

TEST_F(FileLogTest, FileMancanteOVuoto)
{
    FileLog log(Percorso());
    EXPECT_EQ(log.NumeroRecord(), 0);
    EXPECT_FALSE(log.LeggiRecord(1).has_value());
    EXPECT_FALSE(QFile::exists(Percorso())) << "reading must not create the file";
    LettoreLog lettore(Percorso());
    EXPECT_TRUE(lettore.Errore().isEmpty());
    EXPECT_EQ(lettore.NumeroRecord(), 0);
    RecordLog r;
    EXPECT_FALSE(lettore.Prossimo(r));

    Scrivi(Percorso(), {});
    EXPECT_EQ(log.NumeroRecord(), 0);
    ASSERT_TRUE(log.Aggiungi(Record(1)));
    EXPECT_EQ(Contenuto(Percorso()), Byte(1, 1)) << "record 1 at offset 0";
}

TEST_F(FileLogTest, AggiungeELeggeNellOrdine)
{
    Riempi(3);
    FileLog log(Percorso());
    EXPECT_EQ(log.NumeroRecord(), 3);
    EXPECT_EQ(Contenuto(Percorso()), Byte(1, 3));
    for (int i = 1; i <= 3; ++i) {
        const auto r = log.LeggiRecord(i);
        ASSERT_TRUE(r.has_value());
        ComeRecord(*r, i);
    }
    EXPECT_FALSE(log.LeggiRecord(0).has_value());
    EXPECT_FALSE(log.LeggiRecord(4).has_value());
    EXPECT_FALSE(log.LeggiRecord(-1).has_value());
}

TEST_F(FileLogTest, UnaCodaParzialeSiIgnoraESiSovrascrive)
{
    Scrivi(Percorso(), Byte(1, 2) + QByteArray(30, 'x'));
    FileLog log(Percorso());
    EXPECT_EQ(log.NumeroRecord(), 2);
    EXPECT_FALSE(log.LeggiRecord(3).has_value());
    EXPECT_EQ(LettoreLog(Percorso()).NumeroRecord(), 2);

    ASSERT_TRUE(log.Aggiungi(Record(3)));
    EXPECT_EQ(Contenuto(Percorso()), Byte(1, 3));
}

TEST_F(FileLogTest, AzzeraLasciaZeroRecord)
{
    Riempi(2);
    FileLog log(Percorso());
    QString motivo;
    EXPECT_TRUE(log.Azzera(&motivo));
    EXPECT_TRUE(motivo.isEmpty());
    EXPECT_EQ(QFileInfo(Percorso()).size(), 0);

    FileLog nuovo(Percorso("Velatrix.T03"));
    EXPECT_TRUE(nuovo.Azzera());
    EXPECT_TRUE(QFile::exists(Percorso("Velatrix.T03")));

    ASSERT_TRUE(QDir(tmp.path()).mkdir("cartella"));
    FileLog cartella(Percorso("cartella"));
    EXPECT_FALSE(cartella.Azzera(&motivo));
    EXPECT_TRUE(motivo.contains("cartella"));
}

TEST_F(FileLogTest, UnAccodamentoImpossibileSiSegnalaENonTocca)
{
    Riempi(2);
    const QByteArray prima = Contenuto(Percorso());
    ASSERT_TRUE(QFile::setPermissions(Percorso(), QFileDevice::ReadOwner | QFileDevice::ReadGroup
                                                      | QFileDevice::ReadOther));
    {
        SenzaPrivilegi nobody;
        if (QFile(Percorso()).open(QIODevice::WriteOnly | QIODevice::Append))
            GTEST_SKIP() << "file permissions are not enforced here";
        FileLog log(Percorso());
        QString motivo;
        EXPECT_FALSE(log.Aggiungi(Record(3), &motivo));
        EXPECT_TRUE(motivo.contains(QDir::toNativeSeparators(Percorso()))) << motivo.toStdString();
        EXPECT_EQ(log.NumeroRecord(), 2);
    }
    EXPECT_EQ(Contenuto(Percorso()), prima);

    // A folder that cannot take a new file.
    CartellaSolaLettura(true);
    {
        SenzaPrivilegi nobody;
        FileLog log(Percorso("Velatrix.T03"));
        QString motivo;
        EXPECT_FALSE(log.Aggiungi(Record(1), &motivo));
        EXPECT_FALSE(motivo.isEmpty());
        EXPECT_FALSE(log.Azzera(&motivo));
    }
    CartellaSolaLettura(false);
    EXPECT_FALSE(QFile::exists(Percorso("Velatrix.T03")));

    // A folder where the file should be.
    ASSERT_TRUE(QDir(tmp.path()).mkdir("Velatrix.X03"));
    FileLog cartella(Percorso("Velatrix.X03"));
    EXPECT_EQ(cartella.NumeroRecord(), 0);
    EXPECT_FALSE(cartella.Aggiungi(Record(1)));
    EXPECT_FALSE(LettoreLog(Percorso("Velatrix.X03")).Errore().isEmpty());
}

TEST_F(FileLogTest, UnaScritturaInterrottaNonLasciaMezziRecord)
{
    // Two records and a torn tail; the limit lets only 30 bytes of the third through.
    Scrivi(Percorso(), Byte(1, 2) + QByteArray(10, 'x'));
    FileLog log(Percorso());
    QString motivo;
    {
        LimiteDimensione limite(2 * LunghezzaRecordLog + 30);
        EXPECT_FALSE(log.Aggiungi(Record(3), &motivo));
    }
    EXPECT_FALSE(motivo.isEmpty());
    EXPECT_EQ(Contenuto(Percorso()), Byte(1, 2));

    // The next append, with room again, lands on the boundary.
    ASSERT_TRUE(log.Aggiungi(Record(3)));
    EXPECT_EQ(Contenuto(Percorso()), Byte(1, 3));
}

TEST_F(FileLogTest, DiscoPieno)
{
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    FileLog log("/dev/full");
    QString motivo;
    EXPECT_FALSE(log.Aggiungi(Record(1), &motivo));
    EXPECT_TRUE(motivo.startsWith("/dev/full: ")) << motivo.toStdString();
}

TEST_F(FileLogTest, LettoreSequenzialeAttraversaIBlocchi)
{
    Riempi(25);
    for (int blocco : {1, 7, 25, 4096}) {
        LettoreLog lettore(Percorso(), blocco);
        ASSERT_EQ(lettore.NumeroRecord(), 25);
        RecordLog r;
        const char* byte = nullptr;
        int n = 0;
        const QByteArray tutto = Contenuto(Percorso());
        while (lettore.Prossimo(r, &byte)) {
            ++n;
            ComeRecord(r, n);
            EXPECT_EQ(QByteArray(byte, LunghezzaRecordLog), tutto.mid((n - 1) * LunghezzaRecordLog, LunghezzaRecordLog));
            EXPECT_EQ(lettore.Posizione(), n);
        }
        EXPECT_EQ(n, 25) << "block of " << blocco;
        EXPECT_TRUE(lettore.Errore().isEmpty());
        lettore.Riavvolgi();
        ASSERT_TRUE(lettore.Prossimo(r));
        ComeRecord(r, 1);
    }
}

TEST_F(FileLogTest, LettoreAccessoCasualeAvantiEIndietro)
{
    Riempi(25);
    LettoreLog lettore(Percorso(), 8);
    // A grid asking for 10 rows backwards from the end, then forwards from the start.
    for (int n = 25; n >= 16; --n) {
        const auto r = lettore.LeggiRecord(n);
        ASSERT_TRUE(r.has_value()) << n;
        ComeRecord(*r, n);
    }
    for (int n : {1, 2, 9, 8, 17, 3, 25, 24}) {
        const auto r = lettore.LeggiRecord(n);
        ASSERT_TRUE(r.has_value()) << n;
        ComeRecord(*r, n);
    }
    EXPECT_FALSE(lettore.LeggiRecord(0).has_value());
    EXPECT_FALSE(lettore.LeggiRecord(26).has_value());
    EXPECT_TRUE(lettore.Errore().isEmpty());
}

TEST_F(FileLogTest, LettoreSuUnFileAccorciatoSiFermaAiRecordRimasti)
{
    Riempi(10);
    LettoreLog lettore(Percorso());
    ASSERT_EQ(lettore.NumeroRecord(), 10);
    ASSERT_TRUE(QFile::resize(Percorso(), 5 * LunghezzaRecordLog + 30));
    RecordLog r;
    int n = 0;
    while (lettore.Prossimo(r))
        ComeRecord(r, ++n);
    EXPECT_EQ(n, 5);
    EXPECT_FALSE(lettore.LeggiRecord(7).has_value());
}

TEST_F(FileLogTest, CopiaFiltrataSostituisceLaVecchia)
{
    Riempi(10);
    const QString t03 = Percorso("Velatrix.T03");
    Scrivi(t03, Byte(20, 22));
    std::vector<std::pair<qint64, qint64>> passi;
    QString motivo;
    const qint64 n = ScriviCopiaFiltrata(
        Percorso(), t03, [](const RecordLog& r) { return r.Scatti % 2 == 0; }, &motivo,
        [&](qint64 letti, qint64 totale) { passi.emplace_back(letti, totale); });
    EXPECT_EQ(n, 5) << motivo.toStdString();
    EXPECT_EQ(Contenuto(t03), Byte(2, 2) + Byte(4, 4) + Byte(6, 6) + Byte(8, 8) + Byte(10, 10));
    ASSERT_EQ(passi.size(), 10u);
    EXPECT_EQ(passi.front(), std::make_pair(qint64(1), qint64(10)));
    EXPECT_EQ(passi.back(), std::make_pair(qint64(10), qint64(10)));

    // Nothing kept, and a missing source: an empty copy, not an error.
    EXPECT_EQ(ScriviCopiaFiltrata(Percorso(), t03, [](const RecordLog&) { return false; }), 0);
    EXPECT_EQ(QFileInfo(t03).size(), 0);
    EXPECT_EQ(ScriviCopiaFiltrata(Percorso("manca"), t03, [](const RecordLog&) { return true; }), 0);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 2) << "no temporary file left behind";
}

TEST_F(FileLogTest, LaCopiaRiportaIByteComeErano)
{
    // A name byte the code page leaves undefined and a start with a fraction
    // of a second: decoding and encoding again would change both.
    QByteArray grezzo = Byte(1, 1);
    grezzo[24] = '\x81';
    grezzo[0] = '\x01';
    Scrivi(Percorso(), grezzo);
    const QString t03 = Percorso("Velatrix.T03");
    EXPECT_EQ(ScriviCopiaFiltrata(Percorso(), t03, [](const RecordLog&) { return true; }), 1);
    EXPECT_EQ(Contenuto(t03), grezzo);
}

TEST_F(FileLogTest, UnaCopiaFallitaLasciaLaVecchia)
{
    Riempi(4);
    const QString t03 = Percorso("Velatrix.T03");
    Scrivi(t03, Byte(20, 22));
    const QByteArray vecchia = Contenuto(t03);
    const auto tutti = [](const RecordLog&) { return true; };

    CartellaSolaLettura(true);
    {
        SenzaPrivilegi nobody;
        QString motivo;
        EXPECT_EQ(ScriviCopiaFiltrata(Percorso(), t03, tutti, &motivo), -1);
        EXPECT_FALSE(motivo.isEmpty());
        EXPECT_EQ(ScriviCopia(t03, {Record(1)}, &motivo), -1);
    }
    CartellaSolaLettura(false);
    EXPECT_EQ(Contenuto(t03), vecchia);

    // A source that cannot be read.
    ASSERT_TRUE(QDir(tmp.path()).mkdir("sorgente"));
    QString motivo;
    EXPECT_EQ(ScriviCopiaFiltrata(Percorso("sorgente"), t03, tutti, &motivo), -1);
    EXPECT_TRUE(motivo.contains("sorgente"));
    EXPECT_EQ(Contenuto(t03), vecchia);

    // The disk filling up part way through the copy.
    {
        LimiteDimensione limite(LunghezzaRecordLog + 10);
        EXPECT_EQ(ScriviCopiaFiltrata(Percorso(), t03, tutti, &motivo), -1);
    }
    EXPECT_EQ(Contenuto(t03), vecchia);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 2) << "no temporary file left behind";
}

TEST_F(FileLogTest, CopiaDaUnElenco)
{
    const QString t03 = Percorso("Velatrix.T03");
    Scrivi(t03, Byte(20, 22));
    EXPECT_EQ(ScriviCopia(t03, {Record(1), Record(2)}), 2);
    EXPECT_EQ(Contenuto(t03), Byte(1, 2));
    EXPECT_EQ(ScriviCopia(t03, {}), 0);
    EXPECT_EQ(QFileInfo(t03).size(), 0);
}
