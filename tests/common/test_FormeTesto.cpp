// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Colori.h"
#include "common/FormeTesto.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace {
const QLocale italiano(QLocale::Italian, QLocale::Italy);
const QLocale inglese(QLocale::English, QLocale::UnitedStates);
} // namespace

TEST(FormattaNumero, SchemiDelDisplayInItaliano)
{
    struct Caso {
        double valore;
        const char* schema;
        const char* atteso;
    };
    const Caso casi[] = {
        {1200, "#,##0 ", "1.200 "},
        {63.5, "#,##0 ", "64 "},
        {-63.5, "0", "-64"},
        {0.4, "#,##0", "0"},
        {1234567.25, "#,##0.0 ", "1.234.567,3 "},
        {2.675, "0.00", "2,68"},
        {0, "0.0 ", "0,0 "},
        {999.96, "#,##0.0", "1.000,0"},
        {400, "#,###", "400"},
        {1000, "#,###", "1.000"},
        {0, "#,###", ""},
        {10, "#", "10"},
        {-0.2, "0", "0"},
    };
    for (const Caso& c : casi)
        EXPECT_EQ(FormattaNumero(c.valore, c.schema, italiano), QString::fromUtf8(c.atteso))
            << c.valore << " " << c.schema;
    EXPECT_EQ(FormattaNumero(1234.5, "#,##0.0", inglese), "1,234.5");
}

TEST(FormattaTempo, ArrotondaESceglieLaForma)
{
    EXPECT_EQ(FormattaTempo(0.4), "0\"");
    EXPECT_EQ(FormattaTempo(59.5), "1'00\"");
    EXPECT_EQ(FormattaTempo(200), "3'20\"");
    EXPECT_EQ(FormattaTempo(3600), "1h00'00\"");
    EXPECT_EQ(FormattaTempo(3907), "1h05'07\"");
    EXPECT_EQ(FormattaTempo(7), "7\"");
}

TEST(ValoreIniziale, LeggeSoloIlNumeroIniziale)
{
    EXPECT_EQ(ValoreIniziale("127"), 127);
    EXPECT_EQ(ValoreIniziale("  -12abc"), -12);
    EXPECT_EQ(ValoreIniziale(" 1 2 "), 12);
    EXPECT_EQ(ValoreIniziale("7.9"), 7);
    EXPECT_EQ(ValoreIniziale("abc"), 0);
    EXPECT_EQ(ValoreIniziale(""), 0);
    EXPECT_EQ(ValoreIniziale("72,5"), 72);
    EXPECT_GT(ValoreIniziale("99999999999999999999999"), 9999);
}

TEST(TestoNumero, FormaPiuBreveEAndataRitorno)
{
    EXPECT_EQ(TestoNumeroSingolo(220.f, italiano), "220");
    EXPECT_EQ(TestoNumeroSingolo(0.1f, italiano), "0,1");
    EXPECT_EQ(TestoNumero(1e21, italiano), "1000000000000000000000");
    // Written out in full, never cut short by the buffer.
    EXPECT_EQ(TestoNumero(-DBL_MAX, QLocale::c()).size(), 310);
    EXPECT_EQ(*LeggiNumero(TestoNumero(DBL_MAX, QLocale::c()), QLocale::c()), DBL_MAX);
    EXPECT_EQ(TestoNumero(-3.25, italiano), "-3,25");
    for (double v : {0.0, 72.5, 1234.75, -3.25, 1e-3}) {
        auto letto = LeggiNumero(TestoNumero(v, italiano), italiano);
        ASSERT_TRUE(letto.has_value());
        EXPECT_DOUBLE_EQ(*letto, v);
    }
    EXPECT_DOUBLE_EQ(*LeggiNumero("72.5", italiano), 72.5); // written elsewhere
    // Grouped as the user types it, read the same with Qt 6.4 and 6.8.
    EXPECT_DOUBLE_EQ(*LeggiNumero("1.500", italiano), 1500);
    EXPECT_DOUBLE_EQ(*LeggiNumero("-12.345.678,5", italiano), -12345678.5);
    EXPECT_DOUBLE_EQ(*LeggiNumero("1.50", italiano), 1.5); // no grouping: the plain form
    EXPECT_DOUBLE_EQ(*LeggiNumero("1,500", QLocale::c()), 1500);
    EXPECT_FALSE(LeggiNumero("abc", italiano).has_value());
    EXPECT_FALSE(LeggiNumero(" ", italiano).has_value());
}

TEST(TestoData, AnnoAQuattroCifreNellOrdineDelLocale)
{
    EXPECT_EQ(TestoData(QDate(2026, 12, 5), italiano), "05/12/2026");
    EXPECT_EQ(TestoData(QDate(2026, 12, 5), inglese), "12/5/2026");
}

TEST(AnnoDaDueCifre, CentoAnniAttornoAOggi)
{
    const QDate oggi(2026, 12, 7);
    const struct {
        int breve;
        int anno;
    } casi[] = {{97, 1997}, {0, 2000}, {26, 2026}, {45, 2045}, {46, 1946}, {99, 1999}, {7, 2007}};
    for (const auto& c : casi)
        EXPECT_EQ(AnnoDaDueCifre(c.breve, oggi), c.anno) << c.breve;
    // The window moves with today: in 2090, 97 is 2097 and 10 is 2110.
    EXPECT_EQ(AnnoDaDueCifre(97, QDate(2090, 1, 1)), 2097);
    EXPECT_EQ(AnnoDaDueCifre(10, QDate(2090, 1, 1)), 2010);
    EXPECT_EQ(AnnoDaDueCifre(9, QDate(2090, 1, 1)), 2109);
}

TEST(LeggiData, SeparatoriOrdineDelLocaleEAnniBrevi)
{
    const QDate oggi(2026, 12, 7);
    const QDate primoDicembre(1997, 12, 1);
    for (const char* t : {"1-12-1997", "1.12.97", "1/12/97", "01/12/1997", " 1 / 12 / 97 ", "1997-12-01", "1997/12/1"})
        EXPECT_EQ(LeggiData(t, italiano, oggi), primoDicembre) << t;
    EXPECT_EQ(LeggiData("12-1-97", inglese, oggi), primoDicembre);
    EXPECT_EQ(LeggiData("12.1.1997", inglese, oggi), primoDicembre);
    EXPECT_EQ(LeggiData("1.12.97", QLocale(QLocale::German, QLocale::Germany), oggi), primoDicembre);
    EXPECT_EQ(LeggiData("97/12/1", QLocale(QLocale::Japanese, QLocale::Japan), oggi), primoDicembre);
    EXPECT_EQ(LeggiData("29/2/00", italiano, oggi), QDate(2000, 2, 29));
    EXPECT_EQ(LeggiData("05/12/26", italiano), QDate(2026, 12, 5)); // today's own century
    // The C locale spells the month; its own form still reads.
    EXPECT_EQ(LeggiData("1 Dec 97", QLocale::c(), oggi), primoDicembre);
    for (const char* t : {"1/12-97", "1/12/997", "31/2/1997", "32/12/2026", "1//12/97", "1/12", "1/12/97/3",
                          "12345/1/1", "abc", "١/١٢/١٩٩٧"})
        EXPECT_FALSE(LeggiData(QString::fromUtf8(t), italiano, oggi).has_value()) << t;
    EXPECT_EQ(OrdineDelLocale(italiano), OrdineData::GiornoMeseAnno);
    EXPECT_EQ(OrdineDelLocale(inglese), OrdineData::MeseGiornoAnno);
}

TEST(FormeFisse, GiornoPrimaEOraConIPunti)
{
    EXPECT_EQ(DataFissa(QDate(2026, 3, 7)), "07/03/2026");
    EXPECT_EQ(OraFissa(QTime(8, 5, 9)), "8.05.09");
}

TEST(Colori, LongRossoVerdeBlu)
{
    EXPECT_EQ(LongDaColore(QColor(255, 255, 128)), 8454143u);
    EXPECT_EQ(ColoreDaLong(16744576), QColor(128, 128, 255));
    EXPECT_EQ(LongDaColore(ColoreDaLong(0x123456)), 0x123456u);
}
