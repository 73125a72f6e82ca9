// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The LED pictures: the lamp each state lights, for the panel and the tray.
#include "engine/Vista.h"

#include <QColor>
#include <QIcon>
#include <utility>

// The lamp of each LED picture, lit or not.
std::pair<QColor, bool> Lampada(Led led);
// The same LED at the sizes a tray asks for.
QIcon IconaLed(Led led);
