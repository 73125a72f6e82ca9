// SPDX-License-Identifier: GPL-3.0-or-later
#include "tariffs/BozzaTariffe.h"
#include "tariffs/Tariffe.h"
#include "tariffs/TestiTariffe.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

using R = RigaGiorno;

ModelloTariffe ConFasce(std::initializer_list<const char*> inizi)
{
    ModelloTariffe m;
    m.MaxFsc = int(inizi.size());
    int i = 0;
    for (const char* t : inizi)
        m.Fasce[size_t(i++)] = {t, 1, 1, 1};
    return m;
}

QStringList Orari(const GrigliaFasce& g)
{
    QStringList l;
    for (int i = 1; i <= g.NumeroFasce() + 1; ++i)
        l << g.Orario(i);
    return l;
}

TEST(GrigliaFasce, CaricaLeFasceECelleNeiLimiti)
{
    GrigliaFasce g;
    g.Carica(ModelloTariffe{});
    EXPECT_EQ(g.Cella(3, R::Feriali), 2);
    EXPECT_EQ(g.Cella(2, R::Sabato), 2);
    EXPECT_EQ(g.Cella(1, R::Festivi), 2);

    ModelloTariffe m = ConFasce({"1.00", "2.00", "3.00", "4.00", "5.00"});
    m.MaxFsc = 9;
    m.MaxTrf = 2;
    m.Fasce[0].TariffaFeriali = 7;
    m.Fasce[1].TariffaSabato = -1;
    g.Carica(m);
    EXPECT_EQ(g.NumeroFasce(), 5);
    EXPECT_EQ(g.Cella(1, R::Feriali), 2);
    EXPECT_EQ(g.Cella(2, R::Sabato), 1);
}

TEST(GrigliaFasce, SpostamentiAgliEstremiETraFasceVicine)
{
    struct Caso {
        std::initializer_list<const char*> inizi;
        int fascia;
        bool avanti;
        int passi;
        QStringList atteso;
    };
    const Caso casi[] = {
        {{"0.00", "12.00"}, 1, false, 1, {"0.00", "12.00", "0.00"}},
        {{"8.00", "23.30"}, 2, true, 1, {"8.00", "23.30", "8.00"}},
        {{"8.00", "13.00"}, 1, true, 20, {"12.30", "13.00", "12.30"}},
        {{"8.00", "13.00"}, 2, false, 20, {"8.00", "8.30", "8.00"}},
        {{"8.15", "13.00"}, 1, true, 1, {"8.30", "13.00", "8.30"}},
        {{"8.15", "13.00"}, 1, false, 1, {"7.30", "13.00", "7.30"}},
        {{"0.15"}, 1, false, 1, {"0.00", "0.00"}},
        {{"8.00", "22.00"}, 2, true, 5, {"8.00", "23.30", "8.00"}},
        // An off-grid neighbour is never overtaken by the snap.
        {{"8.00", "8.20"}, 1, true, 1, {"8.00", "8.20", "8.00"}},
    };
    for (const Caso& c : casi) {
        GrigliaFasce g;
        g.Carica(ConFasce(c.inizi));
        for (int k = 0; k < c.passi; ++k)
            c.avanti ? g.Posticipa(c.fascia) : g.Anticipa(c.fascia);
        EXPECT_EQ(Orari(g), c.atteso) << c.atteso.join(' ').toStdString();
    }
}

// A new band starts half an hour after the last; from 23.30 on, the last
// moves back to 23.00 to make room. Refused, nothing moves.
TEST(GrigliaFasce, AggiuntaDopoLUltimaFasciaSoloConUnaMezzoraLibera)
{
    struct Caso {
        std::initializer_list<const char*> inizi;
        QStringList atteso; // empty: refused
    };
    const Caso casi[] = {
        {{"8.00", "13.00", "18.30"}, {"8.00", "13.00", "18.30", "19.00", "8.00"}},
        {{"8.00", "23.00"}, {"8.00", "23.00", "23.30", "8.00"}},
        {{"8.00", "23.30"}, {"8.00", "23.00", "23.30", "8.00"}},
        {{"8.00", "23.45"}, {"8.00", "23.00", "23.30", "8.00"}},
        {{"22.30", "23.30"}, {"22.30", "23.00", "23.30", "22.30"}},
        {{"23.30"}, {"23.00", "23.30", "23.00"}},
        {{"23.00", "23.30"}, {}},
        {{"1.00", "2.00", "3.00", "4.00", "5.00"}, {}},
    };
    for (const Caso& c : casi) {
        GrigliaFasce g;
        g.Carica(ConFasce(c.inizi));
        const QStringList prima = Orari(g);
        SCOPED_TRACE(prima.join(' ').toStdString());
        EXPECT_EQ(g.PuoAggiungere(), !c.atteso.isEmpty());
        EXPECT_EQ(g.AggiungiFascia(), !c.atteso.isEmpty());
        EXPECT_EQ(Orari(g), c.atteso.isEmpty() ? prima : c.atteso);
    }
    // A band hidden before comes back with its cells reset.
    ModelloTariffe m;
    m.Fasce[3] = {"20.00", 2, 2, 2};
    GrigliaFasce g;
    g.Carica(m);
    ASSERT_TRUE(g.AggiungiFascia());
    for (R r : {R::Feriali, R::Sabato, R::Festivi})
        EXPECT_EQ(g.Cella(4, r), 1);
}

TEST(GrigliaFasce, CelleCorrette)
{
    const std::pair<const char*, int> casi[] = {{"0", 1},   {"", 1},    {"abc", 1}, {"9", 3},  {"2.9", 2},
                                                {"2,9", 2}, {" 3 ", 3}, {"-2", 1},  {"1e1", 3}};
    for (const auto& [testo, atteso] : casi) {
        GrigliaFasce g;
        g.Carica(ModelloTariffe{});
        EXPECT_EQ(g.CorreggiCella(1, R::Sabato, testo, 3), atteso) << testo;
        EXPECT_EQ(g.Cella(1, R::Sabato), atteso);
    }
}

TEST(GrigliaFasce, UnConteggioOltreGliInizioMemorizzatiSiFermaAllUltimoValido)
{
    const std::tuple<int, std::array<const char*, 5>, QStringList> casi[] = {
        {5, {"8.00", "13.00", "18.30", "", ""}, {"8.00", "13.00", "18.30", "8.00"}},
        {4, {"8.00", "13.00", "abc", "20.00", ""}, {"8.00", "13.00", "8.00"}},
        {3, {"8.00", "7.00", "18.30", "", ""}, {"8.00", "8.00"}},
        {3, {"8.00", "8.00", "18.30", "", ""}, {"8.00", "8.00"}},
        {2, {"", "13.00", "", "", ""}, {"", ""}},
    };
    for (const auto& [maxFsc, inizi, atteso] : casi) {
        SCOPED_TRACE(atteso.join(' ').toStdString());
        ModelloTariffe m;
        m.MaxFsc = maxFsc;
        for (int i = 0; i < MassimoFasce; ++i)
            m.Fasce[size_t(i)].Inizio = QString::fromUtf8(inizi[size_t(i)]);
        GrigliaFasce g;
        g.Carica(m);
        EXPECT_EQ(Orari(g), atteso);
        // The spin buttons keep the starts rising from there.
        for (int i = 1; i <= g.NumeroFasce(); ++i)
            for (int k = 0; k < 60; ++k)
                g.Posticipa(i), g.Anticipa(i);
        for (int i = 2; i <= g.NumeroFasce(); ++i)
            EXPECT_LT(MinutiInizio(g.Orario(i - 1)), MinutiInizio(g.Orario(i)));
    }
}

TEST(CorrezioniCampi, InteriSecondiEDescrizioni)
{
    const std::tuple<QString (*)(const QString&), const char*, const char*> casi[] = {
        {CorreggiCostoScatto, "12.7", "12"},      {CorreggiCostoScatto, "12,7", "12"},
        {CorreggiCostoScatto, "-3", "0"},         {CorreggiCostoScatto, "10000", "0"},
        {CorreggiCostoScatto, "abc", "0"},        {CorreggiCostoScatto, "9999", "9999"},
        {CorreggiCostoScatto, "1 2 7", "127"},    {CorreggiCostoScatto, "99999999999999999999", "0"},
        {CorreggiPercentualeIva, "100", "0"},     {CorreggiPercentualeIva, "99", "99"},
        {CorreggiPercentualeRiduzione, "0", "1"}, {CorreggiPercentualeRiduzione, "50", "50"},
        {CorreggiLimiteRiduzione, "1e3", "1000"}, {CorreggiLimiteRiduzione, "10000", "0"},
    };
    for (const auto& [correggi, testo, atteso] : casi)
        EXPECT_EQ(correggi(testo), atteso) << testo;

    const QLocale it(QLocale::Italian, QLocale::Italy);
    const std::pair<const char*, const char*> secondi[] = {
        {"1", "1"},   {"3600", "3600"}, {"0,5", "1"},      {"3600,04", "3600"}, {"3600,06", "1"},
        {"abc", "1"}, {"", "1"},        {"10,55", "10,6"}, {"220", "220"},      {"-5", "1"}};
    for (const auto& [testo, atteso] : secondi)
        EXPECT_EQ(CorreggiSecondi(testo, it), atteso) << testo;

    EXPECT_EQ(CorreggiDescrizione(QString(25, 'x')), QString(20, 'x'));
    EXPECT_EQ(CorreggiDescrizione("Ordinaria"), "Ordinaria");
}

// A removed tariff's cells fall to the one before; the others stay.
TEST(BozzaTariffe, AggiuntaERimozioneDelleTariffe)
{
    BozzaTariffe b{ModelloTariffe{}};
    ASSERT_TRUE(b.AggiungiTariffa());
    b.Griglia.CorreggiCella(2, R::Sabato, "3", b.NumeroTariffe());
    b.Griglia.CorreggiCella(1, R::Feriali, "3", b.NumeroTariffe());
    ASSERT_TRUE(b.RimuoviTariffa());
    EXPECT_EQ(b.Griglia.Cella(2, R::Sabato), 2);
    EXPECT_EQ(b.Griglia.Cella(1, R::Feriali), 2);
    EXPECT_EQ(b.Griglia.Cella(1, R::Sabato), 1);

    ASSERT_TRUE(b.RimuoviTariffa());
    EXPECT_FALSE(b.PuoRimuovere());
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(b.Griglia.Cella(i, R::Festivi), 1);
    for (int i = 0; i < 4; ++i)
        b.AggiungiTariffa();
    EXPECT_EQ(b.NumeroTariffe(), 5);
    EXPECT_FALSE(b.AggiungiTariffa());
}

TEST(BozzaTariffe, ComponeIlModelloCorreggendoOgniCampo)
{
    ModelloTariffe m;
    m.MaxTrf = 5;
    for (int i = 3; i <= 5; ++i)
        m.tariffa(i) = {QStringLiteral("T%1").arg(i), float(i * 10), 123};
    BozzaTariffe b{m};
    b.RimuoviTariffa();
    b.RimuoviTariffa();
    b.CostoScatto = "200,9";
    b.PercentualeIva = "100";
    b.Riga(1).Secondi = "72,5";
    b.Riga(2).Descrizione = QString(30, 'd');
    b.Riduzione = true;
    b.PercentualeRiduzione = "0";
    b.TipoLimite = 1;
    b.Griglia.AggiungiFascia();
    const ModelloTariffe n = b.Componi();
    EXPECT_EQ(n.CstSct, 200);
    EXPECT_EQ(n.PrcIva, 0);
    EXPECT_EQ(n.MaxTrf, 3);
    EXPECT_FLOAT_EQ(n.tariffa(1).SecondiPerScatto, 72.5f);
    EXPECT_EQ(n.tariffa(2).Descrizione, QString(20, 'd'));
    EXPECT_EQ(n.tariffa(4), m.tariffa(4)); // past the count: untouched
    EXPECT_TRUE(n.RidTrf);
    EXPECT_EQ(n.PrcRid, 1);
    EXPECT_EQ(n.TipRid, 1);
    EXPECT_EQ(n.MaxFsc, 4);
    EXPECT_EQ(n.fascia(4).Inizio, "19.00");
}

TEST(TestiTariffe, DurataDelloScatto)
{
    const std::pair<float, const char*> casi[] = {{220, "3' 40\""},  {400, "6' 40\""},     {45, "45\""},
                                                  {180, "3' "},      {72.5f, "1' 12,5\""}, {0, ""},
                                                  {10.5f, "10,5\""}, {3600, "60' "}};
    for (const auto& [secondi, atteso] : casi)
        EXPECT_EQ(TestoDurataScatto(secondi), QString::fromUtf8(atteso)) << secondi;
}

TEST(TestiTariffe, RigheDelCostoDelloScatto)
{
    ModelloTariffe m;
    EXPECT_EQ(TestoCosto1(m), "Scatto = L. 127 + IVA (20%)");
    m.RidTrf = true;
    EXPECT_EQ(TestoCosto1(m), "Scatto = L. 127 + IVA (20%), riduzione 50% dopo 1 scatto.");
    m.LimRid = 3;
    EXPECT_EQ(TestoCosto1(m), "Scatto = L. 127 + IVA (20%), riduzione 50% dopo 3 scatti.");
    m.TipRid = 1;
    m.LimRid = 1;
    m.CstSct = 1270;
    EXPECT_EQ(TestoCosto1(m), "Scatto = L. 1.270 + IVA (20%), riduzione 50% dopo 1 sec.");
    m.PrcRid = 0;
    m.SctAgg = false;
    EXPECT_EQ(TestoCosto1(m), "Scatto = L. 1.270 + IVA (20%)");
    EXPECT_EQ(TestoCosto2(m), "");
}

} // namespace
