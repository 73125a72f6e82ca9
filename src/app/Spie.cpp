// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Spie.h"

#include "common/PannelloContatore.h"

std::pair<QColor, bool> Lampada(Led led)
{
    switch (led) {
    case Led::Verde: return {QColor(0, 200, 0), true};
    case Led::Giallo: return {QColor(240, 210, 0), true};
    case Led::Rosso: return {QColor(230, 0, 0), true};
    case Led::Blu: return {QColor(30, 90, 255), true};
    case Led::Spento: break;
    }
    return {QColor(90, 90, 90), false};
}

QIcon IconaLed(Led led)
{
    const auto [colore, acceso] = Lampada(led);
    QIcon icona;
    for (int lato : {16, 22, 24, 32, 48})
        icona.addPixmap(DisegnaLed(lato, colore, acceso));
    return icona;
}
