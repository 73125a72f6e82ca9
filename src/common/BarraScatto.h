// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QWidget>

// The bar that empties through each pulse interval.
class BarraScatto : public QWidget {
    Q_OBJECT
public:
    explicit BarraScatto(QWidget* genitore = nullptr);
    void ImpostaPercento(int percento);
    int Percento() const { return percento_; }
    void ImpostaRiempimento(const QColor& colore);
    QColor Riempimento() const { return riempimento_; }
    void ImpostaSfondo(const QColor& colore);
    QColor Sfondo() const { return sfondo_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int percento_ = 0;
    QColor riempimento_;
    QColor sfondo_;
};
