// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoLog.h"
#include "log/FiltroLog.h"

#include <gtest/gtest.h>

namespace {

LimitiFiltro Limiti(CampoLog campo, const QString& da, const QString& a)
{
    LimitiFiltro l;
    l.ImpostaCampo(campo);
    l.ImpostaTesto(0, da);
    l.ImpostaTesto(1, a);
    l.ControllaValori();
    return l;
}

TEST(FiltroLog, ControllaValoriNormalizzaEOrdina)
{
    const struct {
        CampoLog campo;
        const char* da;
        const char* a;
        const char* daAtteso;
        const char* aAtteso;
    } casi[] = {
        {CampoLog::OraInizio, "9.00", "10.30", "9.00.00", "10.30.00"},
        {CampoLog::OraFine, "10:30", "9", "9.00.00", "10.30.00"},
        {CampoLog::OraInizio, "25.00", "7.5.3", "", "7.05.03"},
        {CampoLog::DataFine, "31/12/1997", "01/12/1997", "01/12/1997", "31/12/1997"},
        {CampoLog::DataInizio, "1/2/98", "", "01/02/1998", ""},
        // Any of the usual marks, and a short year near today.
        {CampoLog::DataInizio, "1-12-1997", "1.12.97", "01/12/1997", "01/12/1997"},
        {CampoLog::DataFine, "1/12/97", "3.1.02", "01/12/1997", "03/01/2002"},
        {CampoLog::DataInizio, "31/02/1997", "boh", "", ""},
        {CampoLog::Scatti, "-12,7", "", "12", ""},
        {CampoLog::Importo, "abc", "1.500", "", "1500"},
        {CampoLog::Durata, "20", "3,9", "3", "20"},
        {CampoLog::Durata, "1e30", "", "1000000000000000", ""},
        {CampoLog::Connessione, "zeta", "Alfa", "Alfa", "zeta"},
        // Ordered as they are matched: upper-cased, so not swapped here.
        {CampoLog::Connessione, "alfa", "BETA", "alfa", "BETA"},
        {CampoLog::Connessione, " rete ", "", " rete ", ""},
    };
    for (const auto& c : casi) {
        const LimitiFiltro l = Limiti(c.campo, QString::fromUtf8(c.da), QString::fromUtf8(c.a));
        EXPECT_EQ(l.Testo(0), QString::fromUtf8(c.daAtteso)) << c.da << " / " << c.a;
        EXPECT_EQ(l.Testo(1), QString::fromUtf8(c.aAtteso)) << c.da << " / " << c.a;
    }
}

TEST(FiltroLog, UnTestoGiaNormalizzatoNonSiRilegge)
{
    // In a month-first locale the day-first text must keep its meaning.
    LocaleProva inglese(QLocale(QLocale::English, QLocale::UnitedStates));
    LimitiFiltro l = Limiti(CampoLog::DataInizio, "12/31/1997", "");
    EXPECT_EQ(l.Testo(0), "31/12/1997");
    l.ControllaValori();
    EXPECT_EQ(l.Testo(0), "31/12/1997");
    EXPECT_EQ(std::get<QDate>(l.Valore(0)), QDate(1997, 12, 31));
    // Retyped by the user: read again.
    l.ImpostaTesto(0, "1/2/1998");
    l.ControllaValori();
    EXPECT_EQ(std::get<QDate>(l.Valore(0)), QDate(1998, 1, 2));
}

TEST(FiltroLog, OgniCampoAiSuoiLimitiInclusi)
{
    // 31/12/1997 23:59:30 for 45 s ends at 00:00:15 on 1/1/1998.
    const RecordLog r{QDateTime(QDate(1997, 12, 31), QTime(23, 59, 30)), 300, 12, 1500.0,
                      QStringLiteral("RETE") + QString(46, ' ')};
    RecordLog mezzanotte = r;
    mezzanotte.Durata = 45;
    const struct {
        CampoLog campo;
        const char* da;
        const char* a;
        bool conR;
        bool conMezzanotte;
    } casi[] = {
        {CampoLog::DataInizio, "31/12/1997", "31/12/1997", true, true},
        {CampoLog::DataInizio, "01/01/1998", "", false, false},
        {CampoLog::DataFine, "01/01/1998", "01/01/1998", true, true},
        {CampoLog::DataFine, "", "31/12/1997", false, false},
        {CampoLog::OraInizio, "23.59.30", "23.59.30", true, true},
        {CampoLog::OraInizio, "23.59.31", "", false, false},
        {CampoLog::OraFine, "0.00.15", "0.00.15", false, true},
        {CampoLog::OraFine, "0.04.30", "0.04.30", true, false},
        {CampoLog::Durata, "", "5", true, true},
        {CampoLog::Durata, "5", "", true, false},
        {CampoLog::Durata, "", "4", false, true},
        {CampoLog::Scatti, "12", "12", true, true},
        {CampoLog::Scatti, "13", "", false, false},
        {CampoLog::Importo, "1500", "1500", true, true},
        {CampoLog::Importo, "", "1499", false, false},
        {CampoLog::Connessione, "rete", "rete", true, true},
        {CampoLog::Connessione, "RETF", "", false, false},
        {CampoLog::Connessione, "", " rete  ", true, true},
    };
    for (const auto& c : casi) {
        const LimitiFiltro l = Limiti(c.campo, c.da, c.a);
        EXPECT_EQ(l.Corrisponde(r), c.conR) << int(c.campo) << " " << c.da << "/" << c.a;
        EXPECT_EQ(l.Corrisponde(mezzanotte), c.conMezzanotte) << int(c.campo) << " " << c.da << "/" << c.a;
    }

    // A minutes bound that would overflow 32 bits once in seconds.
    const LimitiFiltro enorme = Limiti(CampoLog::Durata, "", "40000000");
    RecordLog lunghissimo = r;
    lunghissimo.Durata = std::numeric_limits<qint32>::max();
    EXPECT_TRUE(enorme.Corrisponde(lunghissimo));
    EXPECT_FALSE(Limiti(CampoLog::Durata, "40000000", "").Corrisponde(r));

    // A record whose date is damaged matches no date or time bound.
    RecordLog guasto = r;
    guasto.Inizio = QDateTime();
    EXPECT_FALSE(Limiti(CampoLog::DataInizio, "", "31/12/2099").Corrisponde(guasto));
    EXPECT_FALSE(Limiti(CampoLog::OraFine, "0.00.00", "").Corrisponde(guasto));
}

// Matching on the stored bytes agrees with matching the decoded record, for
// every field, in a zone with summer time.
TEST(FiltroLog, ByteERecordDecisiUguali)
{
    FusoOrarioProva fuso("Europe/Rome");
    std::mt19937_64 g(7);
    std::vector<QByteArray> record;
    for (int i = 0; i < 2000; ++i)
        record.push_back(RecordCasuale(g));
    const struct {
        CampoLog campo;
        const char* da;
        const char* a;
    } casi[] = {
        {CampoLog::DataInizio, "1/1/1998", "31/12/2030"},
        {CampoLog::DataFine, "31/10/2021", ""},
        {CampoLog::OraInizio, "2.00", "2.59.59"},
        {CampoLog::OraFine, "", "12"},
        {CampoLog::Durata, "1", "60"},
        {CampoLog::Scatti, "-5", "250"},
        {CampoLog::Importo, "", "1000"},
        {CampoLog::Connessione, "a", "RETE"},
    };
    for (const auto& c : casi) {
        const LimitiFiltro l = Limiti(c.campo, c.da, c.a);
        CalendarioLocale calendario;
        int tenuti = 0;
        for (const QByteArray& b : record) {
            const bool atteso = l.Corrisponde(DecodificaRecordLog(b.constData()));
            ASSERT_EQ(l.Corrisponde(b.constData(), calendario), atteso) << int(c.campo) << " " << b.toHex().constData();
            tenuti += atteso;
        }
        EXPECT_GT(tenuti, 0) << int(c.campo);
        EXPECT_LT(tenuti, int(record.size())) << int(c.campo);
    }
}

} // namespace
