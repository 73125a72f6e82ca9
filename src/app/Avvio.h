// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QWidget>

class QLabel;

// Splash shown while the main window loads.
class Avvio : public QWidget {
    Q_OBJECT
public:
    explicit Avvio(QWidget* genitore = nullptr);
    void MostraSubito();

private:
    QLabel* Logo;
};
