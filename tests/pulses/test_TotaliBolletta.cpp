// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/TotaliBolletta.h"
#include <gtest/gtest.h>

TEST(TotaliBolletta, IvaArrotondataSulMostrato)
{
    const auto t = TestiDiBolletta(CalcolaBolletta(10, 1002.4, 1, 20));
    EXPECT_EQ(t.netto, "1.002 ");
    EXPECT_EQ(t.totale, "1.203 ");
    EXPECT_EQ(t.iva, "201 ");
}

TEST(TotaliBolletta, PeriodoVuotoEInvertito)
{
    for (qint64 giorni : {qint64(1), qint64(0), qint64(-5)}) {
        const auto t = CalcolaBolletta(giorni > 0 ? 0 : 30, giorni > 0 ? 0 : 300, giorni, 4);
        EXPECT_EQ(t.mediaScatti, 0) << giorni;
        EXPECT_EQ(t.mediaImporto, 0) << giorni;
    }
    EXPECT_EQ(TestiDiBolletta(CalcolaBolletta(0, 0, 1, 20)).mediaScatti, "0,0 ");
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
}

TEST(CampiModificaScatti, Regole)
{
    const struct { const char* testo; qint32 atteso; } scatti[] = {
        {"12a", 12}, {"-4", 0}, {"10000", 0}, {"7.9", 7}, {"9999", 9999}};
    for (const auto& c : scatti) EXPECT_EQ(CorreggiScatti(c.testo), c.atteso) << c.testo;
    const struct { const char* testo; double atteso; } importi[] = {
        {"abc", 0}, {"10000000", 0}, {"9999999", 9999999}, {"1234,5", 1234.5}};
    for (const auto& c : importi) EXPECT_EQ(CorreggiImporto(c.testo), c.atteso) << c.testo;
}
