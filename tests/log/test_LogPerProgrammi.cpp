// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoLog.h"
#include "log/EsportazioneLog.h"
#include "log/LogPerProgrammi.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class LogPerProgrammi : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        ASSERT_GE(ScriviCopia(Log(), {RecordLog{QDateTime(QDate(2026, 12, 6), QTime(23, 59, 30)), 45, 2, 254, "Casa"},
                                      RecordLog{QDateTime(QDate(2026, 12, 7), QTime(10, 0)), 3700, 20, 2540.5,
                                                "Ufficio, \"primo\" è"},
                                      RecordLog{QDateTime(QDate(2026, 12, 7), QTime(14, 5, 7)), 65, 3, 381, " casa"}}),
                  0);
    }
    QString Log() const { return tmp.filePath("Velatrix.003"); }

    QByteArray Scrivi(FormatoLog formato, const SceltaLog& scelta = {}, const QString& log = {})
    {
        QByteArray out;
        QBuffer b(&out);
        b.open(QIODevice::WriteOnly);
        QString motivo;
        EXPECT_TRUE(ScriviLogPerProgrammi(log.isEmpty() ? Log() : log, scelta, formato, b, &motivo))
            << motivo.toStdString();
        return out;
    }

    QTemporaryDir tmp;
};

} // namespace

TEST_F(LogPerProgrammi, LeDueEsportazioniDelVisoreByteperByte)
{
    for (auto [formato, tipo] : {std::pair{FormatoLog::Tabulazione, TipoEsportazione::Tabulazione},
                                 std::pair{FormatoLog::Colonne, TipoEsportazione::Spazi}}) {
        const QString file = tmp.filePath("esportato.txt");
        ASSERT_TRUE(EsportaLog(Log(), file, tipo));
        EXPECT_EQ(Scrivi(formato), Contenuto(file));
    }
    // Only the calls of one name, as the filter compares names, and of some days.
    const QList<QByteArray> casa = Scrivi(FormatoLog::Tabulazione, {{}, {}, "CASA"}).split('\n');
    ASSERT_EQ(casa.size(), 4);
    EXPECT_TRUE(casa[1].startsWith("06/12/2026\t23:59:30\t07/12/2026\t00:00:15\t")) << casa[1].constData();
    EXPECT_TRUE(casa[2].endsWith("\tcasa\r")) << casa[2].constData();
    const QByteArray sette = Scrivi(FormatoLog::Colonne, {QDate(2026, 12, 7), QDate(2026, 12, 7), {}});
    EXPECT_EQ(sette.count('\n'), 3) << "header and the two calls started on the 7th";
    EXPECT_FALSE(sette.contains("06/12/2026"));
    EXPECT_EQ(Scrivi(FormatoLog::Tabulazione, {QDate(2026, 12, 8), QDate(2026, 12, 31), {}}),
              IntestazioneEsportazione(TipoEsportazione::Tabulazione));
}

TEST_F(LogPerProgrammi, CsvEJsonInFormeFisse)
{
    // Neither the locale nor the names' characters change the forms.
    LocaleProva tedesco(QLocale(QLocale::German, QLocale::Germany));
    const QByteArray csv = Scrivi(FormatoLog::Csv);
    const QByteArray json = Scrivi(FormatoLog::Json);
    EXPECT_EQ(csv, "data_inizio,ora_inizio,data_fine,ora_fine,durata,scatti,importo,connessione\r\n"
                   "2026-12-06,23:59:30,2026-12-07,00:00:15,45,2,254,\"Casa\"\r\n"
                   "2026-12-07,10:00:00,2026-12-07,11:01:40,3700,20,2540.5,\"Ufficio, \"\"primo\"\" \xc3\xa8\"\r\n"
                   "2026-12-07,14:05:07,2026-12-07,14:06:12,65,3,381,\"casa\"\r\n");

    QJsonParseError e;
    const QJsonObject o = QJsonDocument::fromJson(json, &e).object();
    ASSERT_EQ(e.error, QJsonParseError::NoError) << json.toStdString();
    EXPECT_EQ(o["versione_formato"].toInt(), 1);
    const QJsonArray c = o["connessioni"].toArray();
    ASSERT_EQ(c.size(), 3);
    EXPECT_EQ(c[1].toObject()["connessione"].toString(), QString::fromUtf8("Ufficio, \"primo\" è"));
    EXPECT_EQ(c[1].toObject()["importo"].toDouble(), 2540.5);
    EXPECT_EQ(c[0].toObject()["data_fine"].toString(), "2026-12-07");
    EXPECT_EQ(c[0].toObject()["durata"].toInt(), 45);

    // A missing log is an empty one.
    const QString manca = tmp.filePath("manca.003");
    EXPECT_EQ(QJsonDocument::fromJson(Scrivi(FormatoLog::Json, {}, manca)).object()["connessioni"].toArray().size(), 0);
    EXPECT_EQ(Scrivi(FormatoLog::Csv, {}, manca).count('\n'), 1);
    EXPECT_FALSE(QFile::exists(manca));
}
