// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bill period as a picture: one bar a day (the day's amount with VAT),
// today's bar marked, and the running total on its own scale at the right,
// continued by a dashed line to the estimate when today is in the period.
#include "pulses/RapportoBolletta.h"

#include <QWidget>

class QPainter;

class GraficoBolletta : public QWidget {
public:
    explicit GraficoBolletta(QWidget* genitore = nullptr);

    void Mostra(const SerieBolletta& serie);
    const SerieBolletta& Serie() const { return serie_; }

    // The bar under x in widget pixels; -1 outside the bars.
    int GiornoInX(double x) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    bool event(QEvent* e) override;

private:
    // The plotting area, inside the axes' labels.
    QRectF Area() const;

    struct Geometria;
    void DisegnaScale(QPainter& p, const Geometria& g) const;
    void DisegnaBarre(QPainter& p, const Geometria& g) const;
    void DisegnaCumulato(QPainter& p, const Geometria& g) const;
    void DisegnaGiorni(QPainter& p, const Geometria& g) const;
    void DisegnaLegenda(QPainter& p, const Geometria& g) const;

    SerieBolletta serie_;
};
