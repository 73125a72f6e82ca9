// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/SceltaOpzioni.h"

#include <gtest/gtest.h>

namespace {

TEST(CampoSoglia, NumeroInizialeConPuntoArrotondatoSenzaSeparatori)
{
    const struct {
        const char* scritto;
        const char* mostrato;
        double numero;
    } casi[] = {
        {"12.6", "13", 13}, {"12.4x", "12", 12},
        {"12.5", "13", 13}, // halves away from zero
        {"abc", "", 0},     {"", "", 0},
        {"0", "", 0},       {"0.4", "", 0},            // rounds to zero: empty like a zero
        {"7abc", "7", 7},   {" 1 500 ", "1500", 1500}, // blanks do not end the number
        {"12,6", "12", 12},                            // the comma is not the decimal mark here
        {"1.2.3", "1", 1},  {"+40", "40", 40},
        {".", "", 0},       {"99999999999999999999", "1000000000000000", 1e15},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.scritto);
        EXPECT_EQ(TestoSoglia(QString::fromUtf8(c.scritto)), QString::fromUtf8(c.mostrato));
        EXPECT_DOUBLE_EQ(NumeroSoglia(QString::fromUtf8(c.scritto)), c.numero);
        // What the field shows reads back as the same number.
        EXPECT_DOUBLE_EQ(NumeroSoglia(TestoSoglia(QString::fromUtf8(c.scritto))), c.numero);
    }
}

TEST(Cursori, SecondiInteriDaUnoACinque)
{
    const std::pair<int, int> daMillisecondi[] = {{1000, 1}, {1999, 1}, {2500, 2},  {3000, 3},
                                                  {5000, 5}, {0, 1},    {-4000, 1}, {9000, 5}};
    for (const Cursore& c : {CursoreRefresh, CursoreControllo}) {
        for (auto [ms, cursore] : daMillisecondi)
            EXPECT_EQ(c.DaMillisecondi(ms), cursore) << ms;
        for (int s = c.minimo; s <= c.massimo; ++s)
            EXPECT_EQ(c.DaMillisecondi(c.Millisecondi(s)), s);
        EXPECT_EQ(c.Millisecondi(0), 1000);
    }
}

TEST(Applica, IlRiempimentoSalvatoNonEMaiQuelloDellaTariffaSoloMostrato)
{
    const std::array<quint32, 5> correnti{0x10, 0x20, 0x112233, 0x40, 0x50};
    Impostazioni vecchie;
    vecchie.Clr = {0x10, 0x20, 0x112233, 0x40, 0x50};
    constexpr quint32 tariffa = 0xAAAAAA, scelto = 0x0000FF, mostrato = 0x777777;
    const struct {
        bool clrTar;                   // as stored before
        bool spunta;                   // "Colore tariffa corrente" at OK
        std::optional<quint32> scelta; // a fill chosen in the dialog
        quint32 anteprima, salvato;
    } casi[] = {
        {true, true, {}, tariffa, 0x112233},
        {true, true, scelto, scelto, scelto},
        {true, false, {}, 0x112233, 0x112233},
        {true, false, scelto, scelto, scelto},
        // With the tariff colour off the main window's fill is the one shown.
        {false, false, {}, mostrato, mostrato},
        {false, false, scelto, scelto, scelto},
        {false, true, {}, tariffa, mostrato},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(testing::Message() << c.clrTar << c.spunta << c.scelta.has_value());
        vecchie.ClrTar = c.clrTar;
        SceltaOpzioni s = SceltaOpzioni::Da(vecchie, correnti, mostrato);
        s.coloreTariffa = c.spunta;
        if (c.spunta)
            s.riempimentoTariffa = tariffa;
        if (c.scelta)
            s.CambiaColore(2, *c.scelta);
        EXPECT_EQ(s.Colore(2), c.anteprima);
        const Impostazioni nuove = ApplicaScelta(vecchie, s);
        EXPECT_EQ(nuove.Clr[2], c.salvato);
        EXPECT_EQ(nuove.ClrTar, c.spunta);
    }
}

} // namespace
