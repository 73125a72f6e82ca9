// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/BarraScatto.h"

#include <QPainter>
#include <algorithm>

BarraScatto::BarraScatto(QWidget* genitore) : QWidget(genitore) {}

void BarraScatto::ImpostaPercento(int percento)
{
    percento = std::clamp(percento, 0, 100);
    if (percento != percento_) {
        percento_ = percento;
        update();
    }
}

void BarraScatto::ImpostaRiempimento(const QColor& colore)
{
    riempimento_ = colore;
    update();
}

void BarraScatto::ImpostaSfondo(const QColor& colore)
{
    sfondo_ = colore;
    update();
}

void BarraScatto::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect area = rect();
    p.fillRect(area, sfondo_);
    QRect pieno = area;
    pieno.setWidth(area.width() * percento_ / 100);
    p.fillRect(pieno, riempimento_);
    p.setPen(QColor(96, 96, 96));
    p.drawRect(area.adjusted(0, 0, -1, -1));
}
