#include "tariffs/Tariffe.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <numeric>
#include <random>

namespace {

TEST(MinutiInizio, LeggeOreEMinuti)
{
    EXPECT_EQ(MinutiInizio("8.00"), 480);
    EXPECT_EQ(MinutiInizio("13.00"), 780);
    EXPECT_EQ(MinutiInizio("18.30"), 1110);
    EXPECT_EQ(MinutiInizio("0.00"), 0);
    for (const char* male : {"", "8", "8.0", "24.00", "8.60", "a.bc", "108.00"})
        EXPECT_FALSE(MinutiInizio(male).has_value()) << male;
    EXPECT_EQ(TestoInizio(1110), "18.30");
    EXPECT_EQ(TestoInizio(0), "0.00");
}

TEST(TipoDelGiorno, FestiviFissiAggiuntiviEPasquetta)
{
    struct Caso { QDate data; TipoGiorno tipo; };
    const Caso casi[] = {
        {QDate(2026, 12, 7), TipoGiorno::Feriale},  {QDate(2026, 12, 12), TipoGiorno::Sabato},
        {QDate(2026, 12, 13), TipoGiorno::Festivo}, {QDate(2026, 12, 25), TipoGiorno::Festivo},
        {QDate(2029, 12, 26), TipoGiorno::Festivo}, {QDate(2026, 12, 8), TipoGiorno::Festivo},
        {QDate(1997, 3, 31), TipoGiorno::Festivo},  {QDate(2000, 4, 10), TipoGiorno::Festivo},
        {QDate(1998, 3, 31), TipoGiorno::Feriale},  {QDate(2026, 4, 6), TipoGiorno::Festivo},
        {QDate(2025, 4, 21), TipoGiorno::Festivo},  {QDate(2026, 4, 7), TipoGiorno::Feriale},
    };
    for (const Caso& c : casi)
        EXPECT_EQ(TipoDelGiorno(c.data), c.tipo) << c.data.toString(Qt::ISODate).toStdString();
    EXPECT_EQ(Pasqua(2024), QDate(2024, 3, 31));
    EXPECT_EQ(Pasqua(2038), QDate(2038, 4, 25));
}

TEST(TariffaInVigore, FasceDelleImpostazioniPredefinite)
{
    const ModelloTariffe m;
    const QDate lunedi(2026, 12, 7), sabato(2026, 12, 12), domenica(2026, 12, 13);
    struct Caso { QDate data; QTime ora; int fascia; int tariffa; };
    const Caso casi[] = {
        {lunedi, QTime(7, 59, 59), 3, 2}, {lunedi, QTime(8, 0), 1, 1},  {lunedi, QTime(12, 59), 1, 1},
        {lunedi, QTime(13, 0), 2, 1},     {lunedi, QTime(18, 29), 2, 1}, {lunedi, QTime(18, 30), 3, 2},
        {lunedi, QTime(23, 59), 3, 2},    {lunedi, QTime(0, 0), 3, 2},   {sabato, QTime(12, 59), 1, 1},
        {sabato, QTime(13, 0), 2, 2},     {domenica, QTime(10, 0), 1, 2},
    };
    for (const Caso& c : casi) {
        EXPECT_EQ(FasciaInVigore(m, c.ora), c.fascia) << c.ora.toString().toStdString();
        EXPECT_EQ(TariffaInVigore(m, c.data, c.ora), c.tariffa) << c.ora.toString().toStdString();
    }
    // Hours and minutes are numbers: an afternoon time is never read as morning.
    EXPECT_EQ(FasciaInVigore(m, QTime(14, 30)), 2);
}

TEST(TariffaInVigore, MezzanotteUnaFasciaEBandeGuaste)
{
    ModelloTariffe m;
    m.fascia(1).Inizio = "0.00";
    EXPECT_EQ(FasciaInVigore(m, QTime(0, 0)), 1);
    m.MaxFsc = 1;
    for (QTime t : {QTime(0, 0), QTime(12, 0), QTime(23, 59)})
        EXPECT_EQ(FasciaInVigore(m, t), 1);

    ModelloTariffe guasto;
    guasto.fascia(2).Inizio = "abc";
    guasto.fascia(3).Inizio = "1.00";  // not rising
    const int f = FasciaInVigore(guasto, QTime(12, 0));
    EXPECT_GE(f, 1);
    EXPECT_LE(f, 3);
    guasto.fascia(1).TariffaFeriali = 9;
    guasto.fascia(3).TariffaFeriali = -1;
    for (int ora = 0; ora < 24; ++ora) {
        const int k = TariffaInVigore(guasto, QDate(2026, 12, 7), QTime(ora, 0));
        EXPECT_GE(k, 1);
        EXPECT_LE(k, guasto.MaxTrf);
    }
}

TEST(TariffaInVigore, OgniMinutoDellaSettimanaTrovaLaSuaFascia)
{
    std::mt19937 caso(2026);
    for (int prova = 0; prova < 200; ++prova) {
        ModelloTariffe m;
        m.MaxTrf = 1 + int(caso() % 5);
        m.MaxFsc = 1 + int(caso() % 5);
        std::vector<int> mezzore(48);
        std::iota(mezzore.begin(), mezzore.end(), 0);
        std::shuffle(mezzore.begin(), mezzore.end(), caso);
        std::vector<int> inizi(mezzore.begin(), mezzore.begin() + m.MaxFsc);
        std::sort(inizi.begin(), inizi.end());
        for (int i = 1; i <= m.MaxFsc; ++i) {
            Fascia& f = m.fascia(i);
            f.Inizio = TestoInizio(inizi[size_t(i - 1)] * 30);
            f.TariffaFeriali = 1 + int(caso() % unsigned(m.MaxTrf));
            f.TariffaSabato = 1 + int(caso() % unsigned(m.MaxTrf));
            f.TariffaFestivi = 1 + int(caso() % unsigned(m.MaxTrf));
        }
        for (int giorno = 0; giorno < 7; ++giorno) {
            const QDate data = QDate(2026, 12, 7).addDays(giorno);
            for (int minuto = 0; minuto < 24 * 60; minuto += 7) {
                const QTime ora(minuto / 60, minuto % 60);
                const int f = FasciaInVigore(m, ora);
                ASSERT_GE(f, 1);
                ASSERT_LE(f, m.MaxFsc);
                // The band found holds the minute: it starts at or before it,
                // and the next one starts after it (or it is the wrap-around).
                const int inizio = inizi[size_t(f - 1)] * 30;
                const bool dentro = f == m.MaxFsc ? (minuto >= inizio || minuto < inizi[0] * 30)
                                                  : (minuto >= inizio && minuto < inizi[size_t(f)] * 30);
                ASSERT_TRUE(dentro) << prova << " " << minuto;
                const int k = TariffaInVigore(m, data, ora);
                ASSERT_GE(k, 1);
                ASSERT_LE(k, m.MaxTrf);
            }
        }
    }
}

TEST(PrezzaScatto, ScattoAggiuntivoRiduzioneEIva)
{
    ModelloTariffe m;
    m.RidTrf = true;
    PassoScatto p = PrezzaScatto(m, true, 0, 0, false);
    EXPECT_EQ(p.scatti, 2);
    EXPECT_DOUBLE_EQ(p.importo, 254);
    EXPECT_FALSE(p.riduzioneAttiva);
    p = PrezzaScatto(m, false, 2, 220, false);
    EXPECT_DOUBLE_EQ(p.importo, 63.5);
    EXPECT_TRUE(p.riduzioneIniziata);
    p = PrezzaScatto(m, false, 3, 440, true);
    EXPECT_DOUBLE_EQ(p.importo, 63.5);
    EXPECT_FALSE(p.riduzioneIniziata);

    // LimRid 0 without the extra pulse: the very first pulse is reduced.
    m.SctAgg = false;
    m.LimRid = 0;
    p = PrezzaScatto(m, true, 0, 0, false);
    EXPECT_EQ(p.scatti, 1);
    EXPECT_DOUBLE_EQ(p.importo, 63.5);

    // By seconds: reduced from the first pulse taken after more than 300 s.
    m.TipRid = 1;
    m.LimRid = 300;
    EXPECT_DOUBLE_EQ(PrezzaScatto(m, false, 1, 300, false).importo, 127);
    EXPECT_DOUBLE_EQ(PrezzaScatto(m, false, 1, 300.5f, false).importo, 63.5);

    m.RidTrf = false;
    EXPECT_DOUBLE_EQ(PrezzaScatto(m, false, 5, 9999, false).importo, 127);
    EXPECT_DOUBLE_EQ(ConIva(1000, 20), 1200);
    EXPECT_DOUBLE_EQ(ConIva(381, 20), 457.2);
}

TEST(ScattiPrimaOra, SecondiInteriEFrazionari)
{
    EXPECT_EQ(ScattiPrimaOra(220), 17);
    EXPECT_EQ(ScattiPrimaOra(400), 9);
    EXPECT_EQ(ScattiPrimaOra(10.5f), 343);
    EXPECT_EQ(ScattiPrimaOra(3600), 1);
    EXPECT_EQ(ScattiPrimaOra(0), 0);
}

} // namespace
