// SPDX-License-Identifier: GPL-3.0-or-later
// The program itself, run as a user runs it from a shell: no display, its
// own home and XDG folders.
#include "app/ServizioLocale.h"
#include "log/FileLog.h"
#include "pulses/DatabaseScatti.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>

namespace {

struct Esito {
    int codice = -1;
    QByteArray out, err;
};

class RigaDiComando : public ::testing::Test {
protected:
    // The child runs in Italian whether or not the machine has generated that
    // locale: without it glibc falls back to "C" and Qt says so on stderr.
    // localedef (with the locales package's sources) builds it into a folder
    // of the test's own.
    static void SetUpTestSuite()
    {
        localiItaliani.emplace();
        QProcess p;
        p.start("localedef", {"-c", "-i", "it_IT", "-f", "UTF-8", localiItaliani->filePath("it_IT.UTF-8")});
        if (!p.waitForFinished(60000) || !QFile::exists(localiItaliani->filePath("it_IT.UTF-8/LC_CTYPE")))
            std::fprintf(stderr, "localedef could not build it_IT.UTF-8 (is the locales package there?)\n");
    }
    static inline std::optional<QTemporaryDir> localiItaliani;

    void SetUp() override
    {
        ASSERT_TRUE(casa.isValid());
        for (const char* c : {"config", "data", "run", "tmp"})
            QDir().mkpath(casa.filePath(c));
        QFile::setPermissions(casa.filePath("run"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    QProcessEnvironment Ambiente(bool schermo = false) const
    {
        QProcessEnvironment env;
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("HOME", casa.path());
        env.insert("XDG_CONFIG_HOME", casa.filePath("config"));
        env.insert("XDG_DATA_HOME", casa.filePath("data"));
        env.insert("XDG_RUNTIME_DIR", casa.filePath("run"));
        env.insert("TMPDIR", casa.filePath("tmp"));
        env.insert("LANG", "it_IT.UTF-8");
        if (QFile::exists(localiItaliani->filePath("it_IT.UTF-8/LC_CTYPE")))
            env.insert("LOCPATH", localiItaliani->path());
        if (schermo)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }

    Esito Esegui(const QStringList& argomenti, const QProcessEnvironment& env = {}, const QString& uscita = {}) const
    {
        QProcess p;
        p.setProcessEnvironment(env.isEmpty() ? Ambiente() : env);
        if (!uscita.isEmpty())
            p.setStandardOutputFile(uscita);
        p.start(VELATRIX_PROGRAMMA, argomenti);
        Esito e;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return e;
        }
        e.codice = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        e.out = p.readAllStandardOutput();
        e.err = p.readAllStandardError();
        return e;
    }

    QMap<QString, QByteArray> Contenuto() const
    {
        QMap<QString, QByteArray> tutto;
        QDirIterator it(casa.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString nome = it.next();
            QFile f(nome);
            tutto.insert(nome, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?"));
        }
        return tutto;
    }

    QString Dati() const { return casa.filePath("dati"); }

    // March 2025 as the stored bill period, VAT 20 %, three days with pulses.
    void PreparaDati()
    {
        QDir().mkpath(Dati());
        DatabaseScatti db;
        ASSERT_TRUE(db.Apri(Dati() + "/Velatrix.001"));
        ASSERT_TRUE(db.AggiungiScatti(QDate(2025, 3, 1), 3, 381));
        ASSERT_TRUE(db.AggiungiScatti(QDate(2025, 3, 15), 13, 1587.5));
        ASSERT_TRUE(db.AggiungiScatti(QDate(2025, 4, 2), 2, 254));
        ASSERT_TRUE(db.AggiungiScatti(QDate::currentDate(), 5, 635));
        db.Chiudi();
        const RecordLog chiamata{QDateTime(QDate(2025, 3, 15), QTime(9, 30)), 600, 13, 1587.5, "Casa"};
        ASSERT_EQ(ScriviCopia(Dati() + "/Velatrix.003", {chiamata}), 1);
        QDir().mkpath(casa.filePath("config/Velatrix"));
        QFile conf(casa.filePath("config/Velatrix/Velatrix.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("[Settings]\nDatIPB=01/03/2025\nDatFPB=31/03/2025\nPrcIva=20\nRegFlg=0\n");
    }

    QTemporaryDir casa;
};

TEST_F(RigaDiComando, AiutoEVersioneSenzaSchermoNeFile)
{
    const auto prima = Contenuto();
    const Esito aiuto = Esegui({"--help"});
    EXPECT_EQ(aiuto.codice, 0) << aiuto.err.toStdString();
    EXPECT_TRUE(aiuto.out.contains("--report")) << aiuto.out.toStdString();
    EXPECT_TRUE(aiuto.err.isEmpty()) << aiuto.err.toStdString();
    const Esito versione = Esegui({"--version"});
    EXPECT_EQ(versione.codice, 0) << versione.err.toStdString();
    EXPECT_TRUE(versione.out.startsWith("Velatrix ")) << versione.out.toStdString();
    EXPECT_EQ(Contenuto(), prima);
}

// A wrong line (2, the usage after the message), no display, a display Qt
// cannot open (not its abort and its advice to reinstall), a report without a
// database (1): one message each, and nothing made.
TEST_F(RigaDiComando, GliErroriEsconoColLoroCodiceSenzaCreareNulla)
{
    QProcessEnvironment schermoAssente = Ambiente();
    schermoAssente.insert("DISPLAY", ":7391");
    const struct {
        QStringList riga;
        QProcessEnvironment env;
        int codice;
        const char* messaggio;
    } casi[] = {
        {{"--nessuna"}, {}, 2, "^velatrix: .*nessuna.*\n\n.*--report"},
        {{"--data-dir", Dati()}, {}, 1, "^velatrix: .*DISPLAY"},
        {{"--data-dir", Dati()}, schermoAssente, 1, "^velatrix: impossibile aprire lo schermo"},
        {{"--report", "--data-dir", Dati()}, {}, 1, "^velatrix: .*Velatrix\\.001"},
    };
    const auto prima = Contenuto();
    for (const auto& c : casi) {
        const Esito e = Esegui(c.riga, c.env);
        EXPECT_EQ(e.codice, c.codice) << c.messaggio;
        EXPECT_TRUE(e.out.isEmpty()) << c.messaggio;
        const QRegularExpression atteso(c.messaggio, QRegularExpression::DotMatchesEverythingOption);
        EXPECT_TRUE(atteso.match(QString::fromUtf8(e.err)).hasMatch()) << e.err.toStdString();
        EXPECT_FALSE(e.err.contains("einstall")) << e.err.toStdString();
    }
    EXPECT_EQ(Contenuto(), prima);
}

TEST_F(RigaDiComando, RapportiConESenzaIlPannello)
{
    PreparaDati();
    const auto prima = Contenuto();
    const QStringList dati = {"--data-dir", Dati()};
    const QDate oggi = QDate::currentDate();
    const QStringList questoMese = {"--from", QDate(oggi.year(), oggi.month(), 1).toString(Qt::ISODate), "--to",
                                    QDate(oggi.year(), oggi.month(), oggi.daysInMonth()).toString(Qt::ISODate)};
    const QList<QStringList> richieste = {
        dati + QStringList{"--report", "--format", "json", "--from", "2025-03-01", "--to", "2025-03-03"},
        dati + QStringList{"--report"},
        dati + QStringList{"--report", "--format", "json"} + questoMese,
        dati + QStringList{"--log"},
        dati + QStringList{"--log", "--format", "json", "--connection", "casa"},
        dati
            + QStringList{"--report", "--format", "csv", "--group", "month", "--from", "2025-01-01", "--to",
                          "2025-12-31"},
    };
    // The estimate moves with the clock between two runs; the rest may not.
    const auto senzaStima = [](const QByteArray& testo) {
        return QString::fromUtf8(testo).replace(QRegularExpression("\"stima\": \\{[^}]*\\}"), "\"stima\": ...");
    };

    // No panel runs: the files are read, and left exactly as they were.
    QList<QByteArray> senza;
    for (const QStringList& r : richieste) {
        const Esito e = Esegui(r);
        ASSERT_EQ(e.codice, 0) << r.join(' ').toStdString() << ": " << e.err.toStdString();
        EXPECT_TRUE(e.err.isEmpty()) << e.err.toStdString();
        senza << e.out;
    }
    EXPECT_EQ(Contenuto(), prima);
    // Output that cannot be written is a failure, whatever the format.
    for (const QStringList& r : richieste) {
        const Esito e = Esegui(r, {}, "/dev/full");
        EXPECT_EQ(e.codice, 1) << r.join(' ').toStdString();
        EXPECT_TRUE(e.err.contains("uscita standard")) << e.err.toStdString();
    }

    EXPECT_TRUE(senza[0].contains("{\"data\": \"2025-03-01\", \"scatti\": 3, \"netto\": 381, \"iva\": 76.2, "
                                  "\"totale\": 457.2}"))
        << senza[0].toStdString();
    EXPECT_TRUE(senza[0].contains("\"stima\": null"));
    // The stored bill period, in the user's locale: day first, a dot groups thousands.
    EXPECT_TRUE(senza[1].contains("15/03/2025")) << senza[1].toStdString();
    EXPECT_TRUE(senza[1].contains("1.588")) << senza[1].toStdString();
    EXPECT_FALSE(senza[1].contains("02/04/2025"));
    EXPECT_FALSE(senza[2].contains("\"stima\": null")) << "today lies in this month";
    EXPECT_TRUE(senza[3].contains("\r\n15/03/2025\t09:30:00\t15/03/2025\t09:40:00\t10'00\"\t13\t1588\tCasa\r\n"))
        << senza[3].toStdString();
    EXPECT_TRUE(senza[4].contains("\"connessione\": \"Casa\"")) << senza[4].toStdString();
    EXPECT_TRUE(senza[5].contains("\nmese,2025-03-01,2025-03-31,16,1968.5,393.7,2362.2\n")) << senza[5].toStdString();

    // The panel runs and holds the database: the same questions get the
    // same answers, now from the panel over its socket.
    QProcess pannello;
    pannello.setProcessEnvironment(Ambiente(true));
    pannello.start(VELATRIX_PROGRAMMA, dati);
    ASSERT_TRUE(pannello.waitForStarted());
    const QString socket = NomeServizio(Dati(), casa.filePath("run"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socket); }, 60000))
        << pannello.readAllStandardError().toStdString();
    DatabaseScatti lettore;
    const auto aperto = lettore.ApriInLettura(Dati() + "/Velatrix.001");
    EXPECT_FALSE(aperto);
    EXPECT_EQ(aperto.Errore().numero, DatabaseScatti::ErroreInUso);
    // Also from a login without the panel's runtime folder, as cron or ssh give.
    QProcessEnvironment cron = Ambiente();
    cron.remove("XDG_RUNTIME_DIR");
    for (const QProcessEnvironment& env : {Ambiente(), cron})
        for (qsizetype i = 0; i < richieste.size(); ++i) {
            const Esito e = Esegui(richieste[i], env);
            EXPECT_EQ(e.codice, 0) << e.err.toStdString();
            EXPECT_EQ(senzaStima(e.out).toStdString(), senzaStima(senza[i]).toStdString())
                << richieste[i].join(' ').toStdString() << (env.contains("XDG_RUNTIME_DIR") ? "" : " (cron)");
        }
    pannello.terminate();
    EXPECT_TRUE(pannello.waitForFinished(30000));
    EXPECT_EQ(pannello.exitStatus(), QProcess::NormalExit);
    EXPECT_FALSE(QFile::exists(socket)) << "the socket goes with the panel";
}

TEST_F(RigaDiComando, LimiteRigaEGrafico)
{
    PreparaDati();
    const QStringList dati = {"--data-dir", Dati()};
    const QStringList marzo = {"--from", "2025-03-01", "--to", "2025-03-31"};
    // March: 1.968,5 lire net, 2.362,2 with VAT.
    Esito e = Esegui(dati + QStringList{"--alert", "period:2000"} + marzo);
    EXPECT_EQ(e.codice, 4) << e.err.toStdString();
    EXPECT_EQ(e.out,
              "Totale del periodo dal 01/03/2025 al 31/03/2025: L. 2.362 con Iva, oltre il limite di L. 2.000\n");
    e = Esegui(dati + QStringList{"--alert", "period:2362"} + marzo);
    EXPECT_EQ(e.codice, 0) << "the total as shown, 2.362, is not above 2.362";
    EXPECT_TRUE(e.out.isEmpty());
    e = Esegui(dati + QStringList{"--alert", "today:700"});
    EXPECT_EQ(e.codice, 4) << e.err.toStdString();
    EXPECT_TRUE(e.out.startsWith("Totale di oggi ")) << e.out.toStdString();
    e = Esegui(dati + QStringList{"--alert", "estimate:1"} + marzo);
    EXPECT_EQ(e.codice, 1) << "no estimate outside the period";
    EXPECT_TRUE(e.err.contains("nessuna stima")) << e.err.toStdString();

    e = Esegui(dati + QStringList{"--report", "--format", "oneline"} + marzo);
    EXPECT_EQ(e.out, "1;2025-03-01;2025-03-31;16;1968.5;2362.2;\n");

    const auto prima = Contenuto();
    e = Esegui(dati + QStringList{"--report", "--format", "png"} + marzo);
    EXPECT_EQ(e.codice, 0) << e.err.toStdString();
    EXPECT_EQ(QImage::fromData(e.out, "PNG").size(), QSize(800, 320));
    EXPECT_EQ(Contenuto(), prima);
}

} // namespace
