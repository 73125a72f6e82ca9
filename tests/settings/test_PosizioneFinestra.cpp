// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/CaricaImpostazioni.h"

#include <gtest/gtest.h>

namespace {

constexpr std::nullopt_t None = std::nullopt;

TEST(PosizioneFinestra, DaiBordiSalvati)
{
    const QSizeF schermo(19200, 14400);
    const QSizeF finestra(3000, 1000);
    const struct {
        const char* caso;
        std::optional<double> top, lft;
        QSizeF schermo, finestra;
        QPointF attesa;
    } casi[] = {
        {"mai salvata: in alto, centrata", None, None, schermo, finestra, {8100, 0}},
        {"salvata", 500, 700, schermo, finestra, {700, 500}},
        {"oltre il fondo e la destra: a filo", 99999, 99999, schermo, finestra, {16200, 13400}},
        {"esattamente a filo", 13400, 16200, schermo, finestra, {16200, 13400}},
        {"negativa: resta", -300, -200, schermo, finestra, {-200, -300}},
        {"solo il bordo sinistro mai salvato", 500, None, schermo, finestra, {8100, 500}},
        {"differenza dispari: metà per difetto", None, None, schermo, {3001, 1000}, {8099, 0}},
        {"differenza frazionaria: prima arrotondata", None, None, schermo, {3000.4, 1000}, {8100, 0}},
        {"finestra più larga dello schermo: verso lo zero", None, None, {1000, 800}, {1003, 900}, {-1, 0}},
        {"schermo più basso della finestra", 50, 0, {1000, 800}, {500, 900}, {0, -100}},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        EXPECT_EQ(PosizioneFinestra(c.top, c.lft, c.schermo, c.finestra), c.attesa);
    }
}

TEST(PosizioneRaggiungibile, AlmenoInParteSuUnoSchermo)
{
    const QList<QRectF> schermi{{0, 0, 19200, 14400}, {19200, 0, 15360, 11520}};
    const QSizeF f(3000, 1000);
    const struct {
        const char* caso;
        QPointF posizione;
        QList<QRectF> schermi;
        bool attesa;
    } casi[] = {
        {"sul primo schermo", {100, 100}, schermi, true},
        {"a cavallo dei due schermi", {18000, 100}, schermi, true},
        {"solo sul secondo", {25000, 100}, schermi, true},
        {"in parte fuori a sinistra", {-2900, 0}, schermi, true},
        {"sotto il secondo, che è più basso", {25000, 12000}, schermi, false},
        {"oltre ogni schermo a destra", {40000, 0}, schermi, false},
        {"sopra ogni schermo", {100, -5000}, schermi, false},
        {"tocca solo il bordo", {-3000, 0}, schermi, false},
        {"nessuno schermo noto", {0, 0}, {}, false},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        EXPECT_EQ(PosizioneRaggiungibile(QRectF(c.posizione, f), c.schermi), c.attesa);
    }
}

} // namespace
