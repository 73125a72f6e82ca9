// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/TotaliBolletta.h"
#include <gtest/gtest.h>

TEST(TotaliBolletta, IvaArrotondataSulMostrato)
{
    // 1 002.4 net at 4 %: total 1 042.496 shows 1.042, VAT 1042 - 1002 = 40.
    const struct {
        qint32 scatti;
        qint64 giorni;
        int iva;
        const char *totale, *testoIva, *mediaScatti, *mediaImporto;
    } casi[] = {{10, 1, 20, "1.203 ", "201 ", "10,0 ", "1.002,4 "}, {31, 31, 4, "1.042 ", "40 ", "1,0 ", "32,3 "}};
    for (const auto& c : casi) {
        SCOPED_TRACE(c.iva);
        const auto t = TestiDiBolletta(CalcolaBolletta(c.scatti, 1002.4, c.giorni, c.iva));
        EXPECT_EQ(t.netto, "1.002 ");
        EXPECT_EQ(t.totale, c.totale);
        EXPECT_EQ(t.iva, c.testoIva);
        EXPECT_EQ(t.mediaScatti, c.mediaScatti);
        EXPECT_EQ(t.mediaImporto, c.mediaImporto);
    }
}

TEST(TotaliBolletta, PeriodoVuotoEInvertito)
{
    for (qint64 giorni : {qint64(1), qint64(0), qint64(-5)}) {
        const auto t = CalcolaBolletta(giorni > 0 ? 0 : 30, giorni > 0 ? 0 : 300, giorni, 4);
        EXPECT_EQ(t.mediaScatti, 0) << giorni;
        EXPECT_EQ(t.mediaImporto, 0) << giorni;
    }
    const auto zero = TestiDiBolletta(CalcolaBolletta(0, 0, 1, 20));
    for (const QString& t : {zero.scatti, zero.netto, zero.iva, zero.totale})
        EXPECT_EQ(t, "0 ");
    EXPECT_EQ(zero.mediaScatti, "0,0 ");
    EXPECT_EQ(zero.mediaImporto, "0,0 ");
}

TEST(TotaliBolletta, StimaAFinePeriodo)
{
    const QDate inizio(2026, 12, 1), fine(2026, 12, 31);
    // Ten days so far at 1.000 lire a day: 31 days at the same rate.
    const auto meta = StimaBolletta(inizio, fine, QDate(2026, 12, 10), 100, 10000, 20);
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->scatti, 310);
    EXPECT_DOUBLE_EQ(meta->netto, 31000);
    EXPECT_DOUBLE_EQ(meta->totale, 37200);
    EXPECT_DOUBLE_EQ(meta->mediaImporto, 1000);
    // On the first day one day stands for all; on the last the estimate is the total itself.
    EXPECT_DOUBLE_EQ(StimaBolletta(inizio, fine, inizio, 3, 381, 20)->netto, 381 * 31);
    EXPECT_DOUBLE_EQ(StimaBolletta(inizio, fine, fine, 3, 381, 20)->netto, 381);
    EXPECT_DOUBLE_EQ(StimaBolletta(inizio, fine, QDate(2026, 12, 5), 0, 0, 20)->totale, 0);
    // Today outside the period, or an inverted period: no estimate.
    EXPECT_FALSE(StimaBolletta(inizio, fine, QDate(2027, 1, 1), 3, 381, 20));
    EXPECT_FALSE(StimaBolletta(inizio, fine, QDate(2026, 11, 30), 3, 381, 20));
    EXPECT_FALSE(StimaBolletta(fine, inizio, QDate(2026, 12, 10), 3, 381, 20));

    // With the time of day: the part of today gone counts.
    const auto alle = [&](QDate oggi, QTime ora, double netto) {
        return *StimaBolletta(inizio, fine, oggi, 10, netto, 20, ParteDelGiorno(ora));
    };
    // Noon of the 11th: ten days and a half at 1.000 lire a day.
    const TotaliBolletta mezzogiorno = alle(QDate(2026, 12, 11), QTime(12, 0), 10500);
    EXPECT_DOUBLE_EQ(mezzogiorno.netto, 31000);
    EXPECT_DOUBLE_EQ(mezzogiorno.mediaImporto, 1000) << "the rate per day the estimate stands on";
    // Midnight changes nothing with no new call: a minute before and after
    // it differ by that minute's share only, never by a day's.
    const double prima = alle(QDate(2026, 12, 1), QTime(23, 59), 3000).netto;
    const double dopo = alle(QDate(2026, 12, 2), QTime(0, 1), 3000).netto;
    EXPECT_NEAR(prima, 93000, 1);
    EXPECT_NEAR(dopo / prima, 1440.0 / 1441, 1e-9);
    // The last day has just begun: nearly a whole day is still to come.
    EXPECT_NEAR(alle(fine, QTime(0, 1), 3000).netto, 3000 * 31 / 30.0, 0.1);
    EXPECT_DOUBLE_EQ(alle(fine, QTime(23, 59, 59, 999), 3000).netto, 3000 * 31 / (30 + 86399999 / 86400000.0));
    // Within the first day a call is not taken for a rate per hour: the day counts whole.
    EXPECT_DOUBLE_EQ(alle(inizio, QTime(0, 5), 127).netto, 127 * 31);
    // A time not known counts today whole, as a day alone does.
    EXPECT_DOUBLE_EQ(alle(QDate(2026, 12, 10), QTime(), 10000).netto, 31000);
    EXPECT_DOUBLE_EQ(ParteDelGiorno(QTime(6, 0)), 0.25);
    EXPECT_DOUBLE_EQ(ParteDelGiorno(QTime(0, 0)), 0);
}
