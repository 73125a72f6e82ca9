// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The counter panel: value display, LED, period letter, start/stop and menu
// buttons, and the bar that empties through each pulse interval with the
// time left on it. The main window shows it, the configuration dialog
// previews its colours on it.
#include <QLabel>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

class BarraScatto;
class QPushButton;

// A LED lamp of that colour, lit or not, `lato` pixels wide.
QPixmap DisegnaLed(int lato, const QColor& colore, bool acceso);

// A value display that never clips: a text wider than the display is drawn
// whole in a smaller size of the same font.
class DisplayValore : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    // The font `testo` is drawn with.
    QFont CarattereAdattato(const QString& testo) const;

protected:
    void paintEvent(QPaintEvent* evento) override;
};

class PannelloContatore : public QWidget {
    Q_OBJECT
public:
    explicit PannelloContatore(QWidget* genitore = nullptr);

    // Sizes every part from its font at this many dots per inch: the display
    // shows the everyday texts (TestiComuni) in full size.
    void Adatta(double dpi);
    static const QStringList& TestiComuni();

    // The LED, a lit or an unlit lamp of that colour.
    void MostraLed(const QColor& colore, bool acceso);

    QLabel* CorniceLed = nullptr;
    QLabel* LedStato = nullptr;
    DisplayValore* Importo = nullptr;
    QPushButton* P_Periodo = nullptr;
    QPushButton* P_Avvia = nullptr;
    QPushButton* P_Ferma = nullptr;
    QPushButton* P_Menu = nullptr;
    BarraScatto* Indicatore = nullptr;
    QLabel* ValoreIndicatore = nullptr;

private:
    QColor led_;
    bool acceso_ = false;
};
