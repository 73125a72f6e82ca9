// SPDX-License-Identifier: GPL-3.0-or-later
#include "tariffs/GrigliaFasce.h"
#include "tariffs/Tariffe.h"
#include "tariffs/TestiTariffe.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numeric>
#include <random>
#include <tuple>
#include <vector>

namespace {

std::string Testo(const QDate& d) { return d.toString(Qt::ISODate).toStdString(); }
std::string Testo(const QTime& t) { return t.toString(Qt::ISODate).toStdString(); }

// A week with a fixed holiday on its Tuesday (8 December).
const QDate Lunedi(2026, 12, 7), Martedi8(2026, 12, 8), Sabato(2026, 12, 12), Domenica(2026, 12, 13);

TEST(MinutiInizio, LeggeSoloLaFormaOreMinuti)
{
    const std::pair<const char*, std::optional<int>> casi[] = {
        {"8.00", 480},           {"13.00", 780},         {"18.30", 1110},         {"0.00", 0},
        {"23.30", 1410},         {"23.59", 1439},        {" 8.00 ", 480},         {"08.00", 480},
        {"", std::nullopt},      {"8", std::nullopt},    {"8.0", std::nullopt},   {"8.000", std::nullopt},
        {"24.00", std::nullopt}, {"8.60", std::nullopt}, {"a.bc", std::nullopt},  {"108.00", std::nullopt},
        {"+8.00", std::nullopt}, {"8.+5", std::nullopt}, {"-1.00", std::nullopt}, {"8:00", std::nullopt},
        {".00", std::nullopt},   {"8,00", std::nullopt}, {"8. 0", std::nullopt},
    };
    for (const auto& [testo, minuti] : casi)
        EXPECT_EQ(MinutiInizio(QString::fromUtf8(testo)), minuti) << '"' << testo << '"';
}

// Gauss's rule, worked out apart from the program's own.
QDate PasquaDiGauss(int anno)
{
    const int a = anno % 19, b = anno % 4, c = anno % 7, k = anno / 100;
    const int p = (13 + 8 * k) / 25, q = k / 4;
    const int m = (15 - p + k - q) % 30, n = (4 + k - q) % 7;
    const int d = (19 * a + m) % 30, e = (2 * b + 4 * c + 6 * d + n) % 7;
    if (d == 29 && e == 6)
        return QDate(anno, 4, 19);
    if (d == 28 && e == 6 && (11 * m + 11) % 30 < 19)
        return QDate(anno, 4, 18);
    return QDate(anno, 3, 22).addDays(d + e);
}

// Sundays, Easter Monday, the fixed holidays (2 June only from 2001) and the
// four dates of 1997-2000, each day worked out apart from the program.
TEST(TipoDelGiorno, OgniGiornoDal1995Al2040)
{
    const int fisse[][2] = {{1, 1}, {6, 1}, {25, 4}, {1, 5}, {15, 8}, {1, 11}, {8, 12}, {25, 12}, {26, 12}};
    const QDate aggiuntive[] = {{1997, 3, 31}, {1998, 4, 7}, {1999, 3, 30}, {2000, 4, 10}};
    for (QDate g(1995, 1, 1); g <= QDate(2040, 12, 31); g = g.addDays(1)) {
        bool festivo = g.dayOfWeek() == Qt::Sunday || g == PasquaDiGauss(g.year()).addDays(1)
                       || std::count(std::begin(aggiuntive), std::end(aggiuntive), g) > 0
                       || (g.day() == 2 && g.month() == 6 && g.year() >= 2001);
        for (const auto& f : fisse)
            festivo = festivo || (g.day() == f[0] && g.month() == f[1]);
        const TipoGiorno atteso = festivo                         ? TipoGiorno::Festivo
                                  : g.dayOfWeek() == Qt::Saturday ? TipoGiorno::Sabato
                                                                  : TipoGiorno::Feriale;
        ASSERT_EQ(TipoDelGiorno(g), atteso) << Testo(g);
    }
    EXPECT_EQ(TipoDelGiorno(QDate()), TipoGiorno::Feriale);
}

// Every Gregorian year against Gauss's rule, and dates known from the calendar.
TEST(TipoDelGiorno, PasquaGregoriana)
{
    EXPECT_EQ(Pasqua(2026), QDate(2026, 4, 5));
    EXPECT_EQ(Pasqua(2285), QDate(2285, 3, 22)); // the earliest it falls
    EXPECT_EQ(Pasqua(1943), QDate(1943, 4, 25)); // and the latest
    EXPECT_EQ(Pasqua(1582), QDate());
    for (int anno = 1583; anno <= 4099; ++anno)
        ASSERT_EQ(Pasqua(anno), PasquaDiGauss(anno)) << anno;
}

TEST(TariffaInVigore, FasceEGiorniDelleImpostazioniPredefinite)
{
    const ModelloTariffe m;
    const std::tuple<QDate, QTime, int, int> casi[] = {
        {Lunedi, QTime(7, 59, 59), 3, 2}, {Lunedi, QTime(8, 0), 1, 1},    {Lunedi, QTime(13, 0), 2, 1},
        {Lunedi, QTime(18, 30), 3, 2},    {Sabato, QTime(8, 0), 1, 1},    {Sabato, QTime(13, 0), 2, 2},
        {Sabato, QTime(18, 30), 3, 2},    {Domenica, QTime(0, 0), 3, 2},  {Domenica, QTime(8, 0), 1, 2},
        {Domenica, QTime(13, 0), 2, 2},   {Martedi8, QTime(10, 0), 1, 2},
    };
    for (const auto& [data, ora, fascia, tariffa] : casi) {
        EXPECT_EQ(FasciaInVigore(m, ora), fascia) << Testo(ora);
        EXPECT_EQ(TariffaInVigore(m, data, ora), tariffa) << Testo(data) << " " << Testo(ora);
    }
}

TEST(TariffaInVigore, BandeGuasteCadonoSullUltimaFascia)
{
    struct Caso {
        const char* descrizione;
        int maxFsc;
        std::array<const char*, 5> inizi;
        QTime ora;
        int fascia;
    };
    const Caso casi[] = {
        {"middle start junk, inside its interval", 3, {"8.00", "abc", "18.30", "", ""}, QTime(12, 0), 3},
        {"middle start junk, before band 1", 3, {"8.00", "abc", "18.30", "", ""}, QTime(7, 0), 3},
        {"first start empty, later interval intact", 3, {"", "13.00", "18.30", "", ""}, QTime(14, 0), 2},
        {"first start empty, nothing holds the time", 3, {"", "13.00", "18.30", "", ""}, QTime(10, 0), 3},
        {"all junk", 3, {"x", "y", "z", "", ""}, QTime(10, 0), 3},
        {"starts not rising", 3, {"8.00", "6.00", "18.30", "", ""}, QTime(12, 0), 2},
        {"more bands than the table", 9, {"8.00", "13.00", "18.30", "", ""}, QTime(20, 0), 5},
        {"no bands", 0, {"8.00", "13.00", "18.30", "", ""}, QTime(10, 0), 1},
        {"invalid time", 3, {"8.00", "13.00", "18.30", "", ""}, QTime(), 3},
    };
    for (const Caso& c : casi) {
        ModelloTariffe m;
        m.MaxFsc = c.maxFsc;
        for (int i = 1; i <= MassimoFasce; ++i)
            m.fascia(i).Inizio = QString::fromUtf8(c.inizi[size_t(i - 1)]);
        EXPECT_EQ(FasciaInVigore(m, c.ora), c.fascia) << c.descrizione;
        const int k = TariffaInVigore(m, Lunedi, c.ora);
        EXPECT_TRUE(k >= 1 && k <= m.MaxTrf) << c.descrizione << ": " << k;
    }
}

TEST(TariffaInVigore, NumeriFuoriTabellaRestanoNeiLimiti)
{
    // Tariffs in use, the number every band names, the tariff that applies.
    const std::tuple<int, int, int> casi[] = {
        {2, 9, 2}, {2, 0, 1}, {2, -1, 1}, {2, 2, 2}, {0, 2, 1}, {-3, 5, 1}, {7, 7, 5}, {5, 4, 4},
    };
    for (const auto& [maxTrf, numero, atteso] : casi) {
        ModelloTariffe m;
        m.MaxTrf = maxTrf;
        for (Fascia& f : m.Fasce)
            f.TariffaFeriali = f.TariffaSabato = f.TariffaFestivi = numero;
        for (const QDate& d : {Lunedi, Sabato, Domenica})
            EXPECT_EQ(TariffaInVigore(m, d, QTime(10, 0)), atteso) << maxTrf << " " << numero;
    }
}

// For random valid band sets, every minute of a week finds the band whose
// interval holds it (the last band's runs past midnight), and its tariff.
TEST(TariffaInVigore, OgniMinutoDellaSettimanaTrovaLaSuaFascia)
{
    std::mt19937 caso(2026);
    for (int prova = 0; prova < 60; ++prova) {
        ModelloTariffe m;
        m.MaxTrf = 1 + int(caso() % 5);
        m.MaxFsc = 1 + int(caso() % 5);
        std::vector<int> mezzore(48);
        std::iota(mezzore.begin(), mezzore.end(), 0);
        std::shuffle(mezzore.begin(), mezzore.end(), caso);
        std::vector<int> inizi(mezzore.begin(), mezzore.begin() + m.MaxFsc);
        std::sort(inizi.begin(), inizi.end());
        for (int& v : inizi)
            v *= 30;
        for (int i = 1; i <= m.MaxFsc; ++i) {
            Fascia& f = m.fascia(i);
            f.Inizio = TestoMezzora(inizi[size_t(i - 1)]);
            f.TariffaFeriali = 1 + int(caso() % unsigned(m.MaxTrf));
            f.TariffaSabato = 1 + int(caso() % unsigned(m.MaxTrf));
            f.TariffaFestivi = 1 + int(caso() % unsigned(m.MaxTrf));
        }
        for (int minuto = 0; minuto < 24 * 60; ++minuto) {
            const QTime ora(minuto / 60, minuto % 60, 59);
            const auto dopo = std::upper_bound(inizi.begin(), inizi.end(), minuto);
            const int attesa = dopo == inizi.begin() ? m.MaxFsc : int(dopo - inizi.begin());
            const int f = FasciaInVigore(m, ora);
            ASSERT_EQ(f, attesa) << prova << " " << minuto;
            const Fascia& b = m.fascia(f);
            for (int g = 0; g < 7; ++g) { // the week holds a holiday on its Tuesday
                const QDate giorno = Lunedi.addDays(g);
                const int k = TariffaInVigore(m, giorno, ora);
                const TipoGiorno tipo = TipoDelGiorno(giorno);
                const int atteso = tipo == TipoGiorno::Feriale  ? b.TariffaFeriali
                                   : tipo == TipoGiorno::Sabato ? b.TariffaSabato
                                                                : b.TariffaFestivi;
                ASSERT_EQ(k, atteso) << prova << " " << minuto << " " << g;
            }
        }
    }
}

// One count as the engine drives it: the first pulse at 0 seconds, then one
// every interval (each taken a little after it falls due).
struct Passo {
    qint32 scatti;
    double importo;
    bool iniziata;
};
std::vector<Passo> Conteggio(const ModelloTariffe& m, int passi, float intervallo, float ritardo = 0.01f)
{
    std::vector<Passo> esito;
    qint32 scatti = 0;
    bool riduzione = false;
    for (int i = 0; i < passi; ++i) {
        const float secondi = i == 0 ? 0.0f : float(i) * intervallo + ritardo;
        const PassoScatto p = PrezzaScatto(m, i == 0, scatti, secondi, riduzione);
        scatti += p.scatti;
        riduzione = p.riduzioneAttiva;
        esito.push_back({p.scatti, p.importo, p.riduzioneIniziata});
    }
    return esito;
}

// The default model with the extra pulse and reduction settings given.
ModelloTariffe ConRiduzione(bool sctAgg, bool ridTrf, int tipRid, int limRid)
{
    ModelloTariffe m;
    m.SctAgg = sctAgg;
    m.RidTrf = ridTrf;
    m.TipRid = tipRid;
    m.LimRid = limRid;
    return m;
}

TEST(PrezzaScatto, ScattoAggiuntivoESogliaDellaRiduzione)
{
    struct Caso {
        const char* descrizione;
        bool sctAgg, ridTrf;
        int tipRid, limRid;
        std::vector<Passo> attesi;
    };
    // A full pulse, the one the reduction starts at, and a reduced one.
    const Passo piena{1, 127, false}, avvio{1, 63.5, true}, ridotta{1, 63.5, false};
    const Caso casi[] = {
        {"extra, no reduction", true, false, 0, 1, {{2, 254, false}, piena, piena}},
        {"no extra, no reduction", false, false, 0, 1, {piena, piena}},
        {"after 1 pulse, extra", true, true, 0, 1, {{2, 254, false}, avvio, ridotta, ridotta}},
        {"after 1 pulse, no extra", false, true, 0, 1, {piena, avvio, ridotta}},
        {"after 0 pulses, no extra", false, true, 0, 0, {avvio, ridotta}},
        {"after 0 pulses, the extra pulse stays full", true, true, 0, 0, {{2, 190.5, true}, ridotta}},
        {"after 3 pulses", true, true, 0, 3, {{2, 254, false}, piena, piena, avvio, ridotta}},
        {"after 300 seconds at 220 s", true, true, 1, 300, {{2, 254, false}, piena, avvio}},
        {"after 440 seconds, due exactly at 440", false, true, 1, 440, {piena, piena, piena, avvio}},
        {"after 0 seconds: the first pulse is at 0", false, true, 1, 0, {piena, avvio}},
    };
    for (const Caso& c : casi) {
        const ModelloTariffe m = ConRiduzione(c.sctAgg, c.ridTrf, c.tipRid, c.limRid);
        const std::vector<Passo> passi = Conteggio(m, int(c.attesi.size()), 220, c.limRid == 440 ? 0.0f : 0.01f);
        for (size_t i = 0; i < passi.size(); ++i) {
            EXPECT_EQ(passi[i].scatti, c.attesi[i].scatti) << c.descrizione << ", step " << i;
            EXPECT_DOUBLE_EQ(passi[i].importo, c.attesi[i].importo) << c.descrizione << ", step " << i;
            EXPECT_EQ(passi[i].iniziata, c.attesi[i].iniziata) << c.descrizione << ", step " << i;
        }
    }
}

TEST(PrezzaScatto, SecondiAlLimiteStatoVecchioEContiEstremi)
{
    ModelloTariffe m = ConRiduzione(true, true, 1, 300);
    EXPECT_FALSE(PrezzaScatto(m, false, 3, 300.0f, false).riduzioneAttiva);
    EXPECT_TRUE(PrezzaScatto(m, false, 3, 300.5f, false).riduzioneAttiva);
    // Once on, it stays on whatever the seconds say, and is not "started" again.
    const PassoScatto dopo = PrezzaScatto(m, false, 3, 10, true);
    EXPECT_TRUE(dopo.riduzioneAttiva);
    EXPECT_FALSE(dopo.riduzioneIniziata);
    EXPECT_DOUBLE_EQ(dopo.importo, 63.5);

    // The first pulse starts afresh whatever a previous count left behind.
    const PassoScatto nuovo = PrezzaScatto(m, true, 57, 999, true);
    EXPECT_EQ(nuovo.scatti, 2);
    EXPECT_DOUBLE_EQ(nuovo.importo, 254);
    EXPECT_FALSE(nuovo.riduzioneAttiva);

    m.TipRid = 0;
    m.LimRid = 9999;
    const PassoScatto lungo = PrezzaScatto(m, false, std::numeric_limits<qint32>::max() - 1, 0, false);
    EXPECT_TRUE(lungo.riduzioneAttiva);
}

TEST(PrezzaScatto, PrezzoRidotto)
{
    // Cost of a pulse, reduction, reduced price.
    const std::tuple<int, int, double> ridotti[] = {
        {127, 50, 63.5}, {127, 33, 85.09}, {127, 1, 125.73}, {127, 99, 1.27},
        {200, 25, 150},  {0, 50, 0},       {127, 150, 0},    {127, -10, 127},
    };
    for (const auto& [cstSct, prcRid, atteso] : ridotti) {
        ModelloTariffe m;
        m.CstSct = cstSct;
        m.PrcRid = prcRid;
        EXPECT_NEAR(PrezzoRidotto(m), atteso, 1e-9) << cstSct << " " << prcRid;
    }
}

TEST(PrimaOra, ScattiDellOra)
{
    const std::pair<float, int> casi[] = {{220, 17}, {400, 9},  {10.5f, 343}, {72.5f, 50}, {360, 10},         {3600, 1},
                                          {1, 3600}, {7200, 1}, {0, 0},       {-5, 0},     {std::nanf(""), 0}};
    for (const auto& [secondi, scatti] : casi)
        EXPECT_EQ(ScattiPrimaOra(secondi), scatti) << secondi;
}

// The net cost of the first hour, and the text the viewer shows for it; the
// count below checks the cost for every other setting.
TEST(PrimaOra, CostoETesto)
{
    struct Caso {
        const char* descrizione;
        bool sctAgg, ridTrf;
        int tipRid, limRid;
        float secondi;
        double costo;
        const char* testo;
    };
    const Caso casi[] = {
        {"weekday default: 17 pulses + the extra one", true, false, 0, 1, 220, 2286, "2.286"},
        {"50 % after 1 pulse: 127 + 16 x 63,5 + 127", true, true, 0, 1, 220, 1270, "1.270"},
        {"50 % after 0 pulses: 17 x 63,5", false, true, 0, 0, 220, 1079.5, "1.080"},
        {"50 % after 0 s: the pulse at 0 s stays full", true, true, 1, 0, 220, 1270, "1.270"},
        {"no interval: the extra pulse alone", true, true, 1, 300, 0, 127, "127"},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.descrizione);
        const ModelloTariffe m = ConRiduzione(c.sctAgg, c.ridTrf, c.tipRid, c.limRid);
        EXPECT_DOUBLE_EQ(CostoPrimaOra(m, c.secondi), c.costo);
        EXPECT_EQ(TestoCostoOra(m, c.secondi), QString::fromUtf8("(1ª ora = L. %1 + IVA)").arg(c.testo));
    }
}

// The viewer's first-hour cost is what the engine charges for a one-hour call.
TEST(PrimaOra, CostoUgualeAUnConteggioDiUnOra)
{
    std::mt19937 caso(7);
    for (int prova = 0; prova < 400; ++prova) {
        ModelloTariffe m;
        m.CstSct = int(caso() % 10000);
        m.SctAgg = caso() % 2;
        m.RidTrf = caso() % 4 != 0;
        m.PrcRid = 1 + int(caso() % 99);
        m.TipRid = int(caso() % 2);
        m.LimRid = int(caso() % (m.TipRid == 0 ? 40 : 4000));
        const float secondi = float(10 + caso() % 35991) / 10.0f;
        const int n = ScattiPrimaOra(secondi);
        double totale = 0;
        for (const Passo& p : Conteggio(m, n, secondi))
            totale += p.importo;
        ASSERT_NEAR(CostoPrimaOra(m, secondi), totale, 1e-6 * std::max(1.0, totale))
            << "s " << secondi << " lim " << m.LimRid << " tip " << m.TipRid << " rid " << m.RidTrf;
    }
}

} // namespace
