// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/GraficoBolletta.h"
#include "pulses/DisegnoBolletta.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {

DisegnoBolletta Disegno(const SerieBolletta& s, const QWidget& w)
{
    return DisegnoBolletta(s, QRectF(w.rect()), w.font(), w.palette(), w.locale());
}

} // namespace

GraficoBolletta::GraficoBolletta(QWidget* genitore) : QWidget(genitore)
{
    setObjectName(QStringLiteral("GraficoBolletta"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void GraficoBolletta::Mostra(const SerieBolletta& serie)
{
    serie_ = serie;
    update();
}

QSize GraficoBolletta::sizeHint() const { return {560, 240}; }
QSize GraficoBolletta::minimumSizeHint() const { return {320, 150}; }

int GraficoBolletta::GiornoInX(double x) const { return Disegno(serie_, *this).GiornoInX(x); }

bool GraficoBolletta::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* h = static_cast<QHelpEvent*>(e);
        const QString testo = TestoPuntoGrafico(serie_, GiornoInX(h->pos().x()), locale());
        if (testo.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(h->globalPos(), testo, this);
        return true;
    }
    return QWidget::event(e);
}

void GraficoBolletta::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    Disegno(serie_, *this).Disegna(p);
}
