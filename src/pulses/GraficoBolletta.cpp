// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/GraficoBolletta.h"
#include "common/FormeTesto.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {

const QColor ColoreBarre(70, 130, 180);
const QColor ColoreOggi(230, 126, 34);
const QColor ColoreLinea(192, 57, 43);

const QString TestoBarre = QStringLiteral("L./gg con Iva");
const QString TestoLinea = QStringLiteral("Totale progressivo");
const QString TestoStima = QStringLiteral("Stima");
const QString TestoOggi = QStringLiteral("Oggi");

constexpr int Tacche = 4;

// The top of an axis: whole steps, at least one.
double Cima(double massimo, double passo) { return passo * std::max(1.0, std::ceil(massimo / passo - 1e-9)); }

QString Cifre(double v, const QLocale& l) { return FormattaNumero(v, QStringLiteral("#,##0"), l); }

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

QRectF GraficoBolletta::Area() const
{
    const QFontMetricsF fm(font());
    const double alto = fm.height() * 1.5;
    const double basso = fm.height() + 8;
    // Room for the longest labels either side, whatever the figures.
    const double massimoS = serie_.barre.isEmpty() ? 0 : *std::max_element(serie_.barre.begin(), serie_.barre.end());
    const double massimoD = std::max(serie_.cumulato.isEmpty() ? 0.0 : serie_.cumulato.back(), serie_.stimaFinale.value_or(0));
    const double sinistra = fm.horizontalAdvance(Cifre(Cima(massimoS, PassoScala(massimoS, Tacche)), locale())) + 10;
    const double destra = fm.horizontalAdvance(Cifre(Cima(massimoD, PassoScala(massimoD, Tacche)), locale())) + 10;
    return QRectF(rect()).adjusted(sinistra, alto, -destra, -basso);
}

int GraficoBolletta::GiornoInX(double x) const
{
    const QRectF a = Area();
    const qsizetype n = serie_.barre.size();
    if (n == 0 || x < a.left() || x >= a.right())
        return -1;
    return std::clamp(int((x - a.left()) / a.width() * n), 0, int(n) - 1);
}

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

// Scales and positions shared by the pieces of one painting.
struct GraficoBolletta::Geometria {
    QRectF a;
    QLocale l;
    QFontMetricsF fm;
    qsizetype n;
    double passoS, cimaS, passoD, cimaD;
    double slot;

    double yS(double v) const { return a.bottom() - v / cimaS * a.height(); }
    double yD(double v) const { return a.bottom() - v / cimaD * a.height(); }
    double centro(int i) const { return a.left() + (i + 0.5) * slot; }
};

void GraficoBolletta::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF a = Area();
    p.fillRect(a, palette().base());
    if (a.width() < 10 || a.height() < 10)
        return;

    const qsizetype n = serie_.barre.size();
    const double massimoS = n ? *std::max_element(serie_.barre.begin(), serie_.barre.end()) : 0;
    const double massimoD = std::max(n ? serie_.cumulato.back() : 0.0, serie_.stimaFinale.value_or(0));
    const double passoS = PassoScala(massimoS, Tacche), passoD = PassoScala(massimoD, Tacche);
    const Geometria g{a,      locale(), QFontMetricsF(font()), n, passoS, Cima(massimoS, passoS),
                      passoD, Cima(massimoD, passoD), n ? a.width() / n : a.width()};

    DisegnaScale(p, g);
    DisegnaBarre(p, g);
    DisegnaCumulato(p, g);
    DisegnaGiorni(p, g);
    DisegnaLegenda(p, g);
}

void GraficoBolletta::DisegnaScale(QPainter& p, const Geometria& g) const
{
    // Left scale with its grid, right scale in the line's colour.
    const QRectF& a = g.a;
    const QFontMetricsF& fm = g.fm;
    p.setPen(palette().color(QPalette::Text));
    for (double v = 0; v <= g.cimaS * (1 + 1e-9); v += g.passoS) {
        const double y = g.yS(v);
        p.setPen(QPen(palette().color(QPalette::Mid), 0, Qt::DotLine));
        p.drawLine(QPointF(a.left(), y), QPointF(a.right(), y));
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRectF(0, y - fm.height() / 2, a.left() - 5, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   Cifre(v, g.l));
    }
    p.setPen(ColoreLinea);
    for (double v = 0; v <= g.cimaD * (1 + 1e-9); v += g.passoD) {
        const double y = g.yD(v);
        p.drawText(QRectF(a.right() + 6, y - fm.height() / 2, width() - a.right() - 6, fm.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, Cifre(v, g.l));
    }
}

void GraficoBolletta::DisegnaBarre(QPainter& p, const Geometria& g) const
{
    const QRectF& a = g.a;
    // Today's column, behind its bar.
    if (serie_.oggi >= 0) {
        QColor fondo = ColoreOggi;
        fondo.setAlpha(40);
        p.fillRect(QRectF(a.left() + serie_.oggi * g.slot, a.top(), g.slot, a.height()), fondo);
    }
    const double larghezza = std::max(1.0, g.slot * 0.7);
    // Bars narrower than a pixel or two gain nothing from smoothing and cost the most.
    p.setRenderHint(QPainter::Antialiasing, g.slot >= 3);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < g.n; ++i) {
        const double y = g.yS(serie_.barre[i]);
        p.setBrush(i == serie_.oggi ? ColoreOggi : ColoreBarre);
        p.drawRect(QRectF(g.centro(i) - larghezza / 2, y, larghezza, a.bottom() - y));
    }
}

void GraficoBolletta::DisegnaCumulato(QPainter& p, const Geometria& g) const
{
    // Running total as far as it is known, then the estimate dashed.
    if (serie_.fineCumulato < 0)
        return;
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath linea;
    linea.moveTo(g.a.left(), g.a.bottom());
    for (int i = 0; i <= serie_.fineCumulato; ++i)
        linea.lineTo(g.centro(i), g.yD(serie_.cumulato[i]));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ColoreLinea, 2));
    p.drawPath(linea);
    if (serie_.stimaFinale && serie_.oggi >= 0) {
        p.setPen(QPen(ColoreLinea, 1.5, Qt::DashLine));
        p.drawLine(QPointF(g.centro(serie_.oggi), g.yD(serie_.cumulato[serie_.oggi])),
                   QPointF(g.a.right(), g.yD(*serie_.stimaFinale)));
    }
}

void GraficoBolletta::DisegnaGiorni(QPainter& p, const Geometria& g) const
{
    // Axis and day labels; today's date always shown, in its colour.
    const QRectF& a = g.a;
    const QLocale& l = g.l;
    p.setPen(palette().color(QPalette::Text));
    p.drawLine(a.bottomLeft(), a.bottomRight());
    const QString formato = FormatoGiornoMese(l);
    const double etichetta = g.fm.horizontalAdvance(l.toString(QDate(2000, 12, 28), formato)) + 8;
    const auto posto = [&](int i) {
        return QRectF(g.centro(i) - etichetta / 2, a.bottom() + 3, etichetta, g.fm.height());
    };
    const std::optional<QRectF> postoOggi = serie_.oggi >= 0 ? std::optional(posto(serie_.oggi)) : std::nullopt;
    const int passo = PassoEtichette(int(g.n), etichetta, a.width());
    for (int i = 0; i < g.n; i += passo) {
        p.drawLine(QPointF(g.centro(i), a.bottom()), QPointF(g.centro(i), a.bottom() + 3));
        if (i != serie_.oggi && !(postoOggi && postoOggi->intersects(posto(i))))
            p.drawText(posto(i), Qt::AlignCenter, l.toString(serie_.giorni[i], formato));
    }
    if (postoOggi) {
        QFont grassetto = font();
        grassetto.setBold(true);
        p.setFont(grassetto);
        p.setPen(ColoreOggi.darker(130));
        p.drawText(postoOggi->adjusted(-10, 0, 10, 0), Qt::AlignCenter, l.toString(serie_.giorni[serie_.oggi], formato));
        p.setFont(font());
    }
}

void GraficoBolletta::DisegnaLegenda(QPainter& p, const Geometria& g) const
{
    // Top left.
    const QFontMetricsF& fm = g.fm;
    double x = g.a.left();
    const double yl = fm.height() * 0.1;
    const auto voce = [&](const QString& testo, auto segno) {
        segno(QRectF(x, yl + fm.height() * 0.2, 18, fm.height() * 0.6));
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRectF(x + 22, yl, fm.horizontalAdvance(testo) + 2, fm.height()), Qt::AlignVCenter, testo);
        x += 22 + fm.horizontalAdvance(testo) + 16;
    };
    voce(TestoBarre, [&](const QRectF& r) { p.fillRect(r.adjusted(4, 0, -4, 0), ColoreBarre); });
    if (serie_.oggi >= 0)
        voce(TestoOggi, [&](const QRectF& r) { p.fillRect(r.adjusted(4, 0, -4, 0), ColoreOggi); });
    voce(TestoLinea, [&](const QRectF& r) {
        p.setPen(QPen(ColoreLinea, 2));
        p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    });
    if (serie_.stimaFinale && serie_.oggi >= 0)
        voce(TestoStima, [&](const QRectF& r) {
            p.setPen(QPen(ColoreLinea, 1.5, Qt::DashLine));
            p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
        });
}
