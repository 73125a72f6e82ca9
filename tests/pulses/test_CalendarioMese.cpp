// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/CalendarioMese.h"
#include "pulses/PeriodoBolletta.h"
#include "pulses/TotaliBolletta.h"
#include "settings/ArchivioImpostazioni.h"
#include "settings/Impostazioni.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The grid as rows of day numbers, 0 for an empty cell.
std::vector<std::vector<int>> Righe(const GrigliaMese& g)
{
    std::vector<std::vector<int>> r(GrigliaMese::Righe, std::vector<int>(GrigliaMese::Colonne));
    for (int i = 0; i < GrigliaMese::Righe; ++i)
        for (int c = 0; c < GrigliaMese::Colonne; ++c)
            r[i][c] = g.Giorno(i, c).isValid() ? g.Giorno(i, c).day() : 0;
    return r;
}

} // namespace

TEST(GrigliaMese, SeiSettimaneDalLunedi)
{
    using Riga = std::vector<int>;
    const struct {
        int anno, mese, scostamento;
        Riga prima;
        int riga; // the row of the last day; those after it are empty
        Riga ultima;
    } casi[] = {
        {2026, 6, 0, {1, 2, 3, 4, 5, 6, 7}, 4, {29, 30, 0, 0, 0, 0, 0}},      // from a Monday
        {2026, 11, 6, {0, 0, 0, 0, 0, 0, 1}, 5, {30, 0, 0, 0, 0, 0, 0}},      // from a Sunday: six rows
        {2027, 2, 0, {1, 2, 3, 4, 5, 6, 7}, 3, {22, 23, 24, 25, 26, 27, 28}}, // four full rows
        {2028, 2, 1, {0, 1, 2, 3, 4, 5, 6}, 4, {28, 29, 0, 0, 0, 0, 0}},      // leap
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.mese);
        const GrigliaMese g(c.anno, c.mese);
        const auto r = Righe(g);
        EXPECT_EQ(g.Scostamento(), c.scostamento);
        EXPECT_EQ(r[0], c.prima);
        EXPECT_EQ(r[size_t(c.riga)], c.ultima);
        for (size_t i = size_t(c.riga) + 1; i < r.size(); ++i)
            EXPECT_EQ(r[i], Riga(7, 0));
        EXPECT_EQ(g.Giorno(0, c.scostamento), QDate(c.anno, c.mese, 1));
    }
}

TEST(TotaliMese, SoloIGiorniDelMeseEMedieSuTuttiIGiorni)
{
    const GrigliaMese febbraio(2027, 2);
    QMap<QDate, Totali> righe{{QDate(2027, 1, 31), {500, 99999}},
                              {QDate(2027, 2, 1), {10, 1270}},
                              {QDate(2027, 2, 28), {4, 1234.5}},
                              {QDate(2027, 3, 1), {7, 889}}};
    const TestiMese testi = TestiDelMese(SommaMese(febbraio, righe));
    EXPECT_EQ(testi.scatti, "14  ");
    EXPECT_EQ(testi.importo, "2.505  ");
    EXPECT_EQ(testi.mediaScatti, "0,5  ");   // 14 / 28
    EXPECT_EQ(testi.mediaImporto, "89,4  "); // 2504.5 / 28

    const TestiMese vuoto = TestiDelMese(SommaMese(febbraio, {}));
    EXPECT_EQ(vuoto.mediaImporto, "0,0  ");
    EXPECT_EQ(TestiDelGiorno({1200, 152400}).importo, "152.400  ");
}

TEST(ScambioScatti, TestoEsattoNeiDueSensi)
{
    const QLocale it(QLocale::Italian, QLocale::Italy);
    for (const Totali t : {Totali{0, 0}, Totali{9999, 9999999}, Totali{1, 0.1}, Totali{7, 1.0 / 3}})
        EXPECT_EQ(LeggiScambioScatti(TestoScambioScatti(t, it), it), t) << t.importo;
    EXPECT_EQ(LeggiScambioScatti("7,6/abc", it), (Totali{8, 0}));
    EXPECT_EQ(LeggiScambioScatti("12", it), (Totali{12, 0}));
    EXPECT_EQ(LeggiScambioScatti("1e30/5", it), (Totali{0, 5}));
}

TEST(SceltaMese, AnnoEntroLeListe)
{
    EXPECT_EQ(AnnoMostrabile(1979), 1980);
    EXPECT_EQ(AnnoMostrabile(2101), 2100);
}

TEST(PeriodoBolletta, SalvatoOppureRifiutatoSenzaCambiareNulla)
{
    QTemporaryDir dir;
    const QLocale it(QLocale::Italian, QLocale::Italy);
    Impostazioni imp;
    imp.DatIPB = QDate(2026, 11, 1);
    imp.DatFPB = QDate(2026, 12, 31);

    ArchivioImpostazioni buono(dir.filePath("Velatrix.conf"));
    QString errore;
    ASSERT_TRUE(SalvaPeriodoBolletta(imp, buono, QDate(2026, 12, 15), QDate(2027, 2, 14), &errore));
    EXPECT_EQ(imp.DatFPB, QDate(2027, 2, 14));
    EXPECT_EQ(ArchivioImpostazioni(dir.filePath("Velatrix.conf")).Leggi("DatIPB", ""), "2026-12-15");

    // A folder where the file should be: the save fails and nothing changes.
    ASSERT_TRUE(QDir(dir.path()).mkdir("cartella"));
    ArchivioImpostazioni cattivo(dir.filePath("cartella"));
    EXPECT_FALSE(SalvaPeriodoBolletta(imp, cattivo, QDate(2020, 1, 1), QDate(2020, 1, 31), &errore));
    EXPECT_FALSE(errore.isEmpty());
    EXPECT_EQ(imp.DatIPB, QDate(2026, 12, 15));
    EXPECT_EQ(cattivo.Leggi("DatIPB", ""), "2026-12-15");
}
