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

TEST(CampiModificaScatti, Regole)
{
    const struct { const char* testo; qint32 atteso; } scatti[] = {
        {"12a", 12}, {"-4", 0}, {"10000", 0}, {"7.9", 7}, {"9999", 9999}};
    for (const auto& c : scatti) EXPECT_EQ(CorreggiScatti(c.testo), c.atteso) << c.testo;
    const struct { const char* testo; double atteso; } importi[] = {
        {"abc", 0}, {"10000000", 0}, {"9999999", 9999999}, {"1234,5", 1234.5}};
    for (const auto& c : importi) EXPECT_EQ(CorreggiImporto(c.testo), c.atteso) << c.testo;
}
