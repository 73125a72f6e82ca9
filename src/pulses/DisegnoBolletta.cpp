// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/DisegnoBolletta.h"
#include "common/FormeTesto.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>

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

DisegnoBolletta::DisegnoBolletta(const SerieBolletta& serie, const QRectF& tutto, const QFont& font,
                                 const QPalette& colori, const QLocale& locale)
    : serie_(serie), tutto_(tutto), font_(font), colori_(colori), locale_(locale)
{
}

QRectF DisegnoBolletta::Area() const
{
    const QFontMetricsF fm(font_);
    const double alto = fm.height() * 1.5;
    const double basso = fm.height() + 8;
    // Room for the longest labels either side, whatever the figures.
    const double massimoS = serie_.barre.isEmpty() ? 0 : *std::max_element(serie_.barre.begin(), serie_.barre.end());
    const double massimoD =
        std::max(serie_.cumulato.isEmpty() ? 0.0 : serie_.cumulato.back(), serie_.stimaFinale.value_or(0));
    const double sinistra = fm.horizontalAdvance(Cifre(Cima(massimoS, PassoScala(massimoS, Tacche)), locale_)) + 10;
    const double destra = fm.horizontalAdvance(Cifre(Cima(massimoD, PassoScala(massimoD, Tacche)), locale_)) + 10;
    return tutto_.adjusted(sinistra, alto, -destra, -basso);
}

int DisegnoBolletta::GiornoInX(double x) const
{
    const QRectF a = Area();
    const qsizetype n = serie_.barre.size();
    if (n == 0 || x < a.left() || x >= a.right())
        return -1;
    return std::clamp(int((x - a.left()) / a.width() * n), 0, int(n) - 1);
}

// Scales and positions shared by the pieces of one painting.
struct DisegnoBolletta::Geometria {
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

void DisegnoBolletta::Disegna(QPainter& p) const
{
    p.setFont(font_);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF a = Area();
    p.fillRect(a, colori_.base());
    if (a.width() < 10 || a.height() < 10)
        return;

    const qsizetype n = serie_.barre.size();
    const double massimoS = n ? *std::max_element(serie_.barre.begin(), serie_.barre.end()) : 0;
    const double massimoD = std::max(n ? serie_.cumulato.back() : 0.0, serie_.stimaFinale.value_or(0));
    const double passoS = PassoScala(massimoS, Tacche), passoD = PassoScala(massimoD, Tacche);
    const Geometria g{a,
                      locale_,
                      QFontMetricsF(font_),
                      n,
                      passoS,
                      Cima(massimoS, passoS),
                      passoD,
                      Cima(massimoD, passoD),
                      n ? a.width() / n : a.width()};

    DisegnaScale(p, g);
    DisegnaBarre(p, g);
    DisegnaCumulato(p, g);
    DisegnaGiorni(p, g);
    DisegnaLegenda(p, g);
}

void DisegnoBolletta::DisegnaScale(QPainter& p, const Geometria& g) const
{
    // Left scale with its grid, right scale in the line's colour.
    const QRectF& a = g.a;
    const QFontMetricsF& fm = g.fm;
    p.setPen(colori_.color(QPalette::Text));
    for (double v = 0; v <= g.cimaS * (1 + 1e-9); v += g.passoS) {
        const double y = g.yS(v);
        p.setPen(QPen(colori_.color(QPalette::Mid), 0, Qt::DotLine));
        p.drawLine(QPointF(a.left(), y), QPointF(a.right(), y));
        p.setPen(colori_.color(QPalette::Text));
        p.drawText(QRectF(tutto_.left(), y - fm.height() / 2, a.left() - tutto_.left() - 5, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, Cifre(v, g.l));
    }
    p.setPen(ColoreLinea);
    for (double v = 0; v <= g.cimaD * (1 + 1e-9); v += g.passoD) {
        const double y = g.yD(v);
        p.drawText(QRectF(a.right() + 6, y - fm.height() / 2, tutto_.right() - a.right() - 6, fm.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, Cifre(v, g.l));
    }
}

void DisegnoBolletta::DisegnaBarre(QPainter& p, const Geometria& g) const
{
    const QRectF& a = g.a;
    // Today's column, behind its bar.
    if (serie_.oggi >= 0) {
        QColor fondo = ColoreOggi;
        fondo.setAlpha(40);
        p.fillRect(QRectF(a.left() + serie_.oggi * g.slot, a.top(), g.slot, a.height()), fondo);
    }
    if (barrePerColonna && g.slot < 1)
        return DisegnaColonne(p, g);
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

void DisegnoBolletta::DisegnaColonne(QPainter& p, const Geometria& g) const
{
    // Days narrower than a pixel: one bar a pixel column, as high as the
    // highest day centred in it, so no peak is lost and no pixel is painted
    // over and over.
    const QRectF& a = g.a;
    const double x0 = std::floor(a.left());
    QVector<QRectF> barre, oggi;
    barre.reserve(int(a.width()) + 2);
    qsizetype i = 0;
    for (double x = x0; i < g.n; x += 1) {
        double massimo = -std::numeric_limits<double>::infinity();
        bool haOggi = false;
        for (; i < g.n && g.centro(int(i)) < x + 1; ++i) {
            massimo = std::max(massimo, serie_.barre[i]);
            haOggi = haOggi || i == serie_.oggi;
        }
        if (massimo == -std::numeric_limits<double>::infinity())
            continue;
        const double y = g.yS(massimo);
        (haOggi ? oggi : barre).push_back(QRectF(x, y, 1, a.bottom() - y));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(ColoreBarre);
    p.drawRects(barre);
    p.setBrush(ColoreOggi);
    p.drawRects(oggi);
}

void DisegnoBolletta::DisegnaCumulato(QPainter& p, const Geometria& g) const
{
    // Running total as far as it is known, then the estimate dashed.
    if (serie_.fineCumulato < 0)
        return;
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath linea;
    linea.moveTo(g.a.left(), g.a.bottom());
    // With days narrower than a pixel, one point a pixel column: the last
    // day centred in it.
    const bool perColonna = barrePerColonna && g.slot < 1;
    for (int i = 0; i <= serie_.fineCumulato; ++i)
        if (!perColonna || i == serie_.fineCumulato || std::floor(g.centro(i)) != std::floor(g.centro(i + 1)))
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

void DisegnoBolletta::DisegnaGiorni(QPainter& p, const Geometria& g) const
{
    // Axis and day, month or year labels; today's date always shown, in its colour.
    const QRectF& a = g.a;
    const QLocale& l = g.l;
    p.setPen(colori_.color(QPalette::Text));
    p.drawLine(a.bottomLeft(), a.bottomRight());
    const auto misura = [&](const QString& testo) { return g.fm.horizontalAdvance(testo); };
    const auto posto = [&](int i, const QString& testo) {
        const double larghezza = misura(testo) + 8;
        return QRectF(g.centro(i) - larghezza / 2, a.bottom() + 3, larghezza, g.fm.height());
    };
    const QString testoOggi =
        serie_.oggi >= 0 ? l.toString(serie_.giorni[serie_.oggi], FormatoGiornoMese(l)) : QString();
    const std::optional<QRectF> postoOggi =
        serie_.oggi >= 0 ? std::optional(posto(serie_.oggi, testoOggi)) : std::nullopt;
    for (const EtichettaGrafico& e : EtichetteGrafico(serie_.giorni, a.width(), misura, l)) {
        p.drawLine(QPointF(g.centro(e.indice), a.bottom()), QPointF(g.centro(e.indice), a.bottom() + 3));
        const QRectF r = posto(e.indice, e.testo);
        if (e.indice != serie_.oggi && !(postoOggi && postoOggi->intersects(r)))
            p.drawText(r, Qt::AlignCenter, e.testo);
    }
    if (postoOggi) {
        QFont grassetto = font_;
        grassetto.setBold(true);
        p.setFont(grassetto);
        p.setPen(ColoreOggi.darker(130));
        p.drawText(postoOggi->adjusted(-10, 0, 10, 0), Qt::AlignCenter, testoOggi);
        p.setFont(font_);
    }
}

void DisegnoBolletta::DisegnaLegenda(QPainter& p, const Geometria& g) const
{
    // Top left.
    const QFontMetricsF& fm = g.fm;
    double x = g.a.left();
    const double yl = fm.height() * 0.1;
    const auto voce = [&](const QString& testo, auto segno) {
        segno(QRectF(x, yl + fm.height() * 0.2, 18, fm.height() * 0.6));
        p.setPen(colori_.color(QPalette::Text));
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

QByteArray GraficoPng(const RapportoBolletta& r, QSize dimensione, const QLocale& locale)
{
    const SerieBolletta serie = SerieDelRapporto(r);
    QImage immagine(dimensione, QImage::Format_ARGB32_Premultiplied);
    const QPalette colori = QGuiApplication::palette();
    immagine.fill(colori.color(QPalette::Window));
    {
        QPainter p(&immagine);
        DisegnoBolletta(serie, QRectF(QPointF(0, 0), QSizeF(dimensione)), QGuiApplication::font(), colori, locale)
            .Disegna(p);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!immagine.save(&buffer, "PNG"))
        return {};
    return png;
}
