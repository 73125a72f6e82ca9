#pragma once
// The bill period's chart drawn on any paint device: the window's widget, or
// a picture written with no display. One bar a day (the day's amount with
// VAT), today's bar marked, and the running total on its own scale at the
// right, continued by a dashed line to the estimate when today is in the
// period.
#include "pulses/RapportoBolletta.h"

#include <QByteArray>
#include <QFont>
#include <QLocale>
#include <QPalette>
#include <QRectF>
#include <QSize>

class QPainter;

class DisegnoBolletta {
public:
    DisegnoBolletta(const SerieBolletta& serie, const QRectF& tutto, const QFont& font, const QPalette& colori,
                    const QLocale& locale);

    // The plotting area, inside the axes' labels.
    QRectF Area() const;
    // The day under x; -1 outside the bars.
    int GiornoInX(double x) const;

    void Disegna(QPainter& p) const;

    // With days narrower than a pixel, one bar per pixel column (the highest
    // day of the column); off, one bar a day however narrow.
    bool barrePerColonna = true;

private:
    struct Geometria;
    void DisegnaScale(QPainter& p, const Geometria& g) const;
    void DisegnaBarre(QPainter& p, const Geometria& g) const;
    void DisegnaColonne(QPainter& p, const Geometria& g) const;
    void DisegnaCumulato(QPainter& p, const Geometria& g) const;
    void DisegnaGiorni(QPainter& p, const Geometria& g) const;
    void DisegnaLegenda(QPainter& p, const Geometria& g) const;

    const SerieBolletta& serie_;
    QRectF tutto_;
    QFont font_;
    QPalette colori_;
    QLocale locale_;
};

// The chart of a report as a PNG picture of `dimensione` pixels, drawn in the
// application's font and palette. Needs a QGuiApplication (the offscreen
// platform serves) but no display.
QByteArray GraficoPng(const RapportoBolletta& r, QSize dimensione, const QLocale& locale = QLocale());
inline constexpr QSize DimensioneGraficoPng{800, 320};
