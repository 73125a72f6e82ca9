// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The date picker: a month calendar that returns one day through
// ValoreScambio, or the integer 0 when the user cancels.
#include <QDialog>

class QPushButton;
class SceltaMese;

class Calendario : public QDialog {
public:
    // Shows the month of the date in ValoreScambio (today's when it holds none).
    explicit Calendario(QWidget* genitore = nullptr);

    SceltaMese* Pannello;
    QPushButton* P_Annulla;

    void MostraCalendario();

protected:
    void reject() override;

private:
    int MM = 1;
    int AA = 2000;
};
