#pragma once
// The bill period's chart in a window, drawn by DisegnoBolletta; hovering a
// bar tells its day.
#include "pulses/RapportoBolletta.h"

#include <QWidget>

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
    SerieBolletta serie_;
};
