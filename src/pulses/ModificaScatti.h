// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Corrects one day's pulses and amount. It touches no data: it shows what its
// caller gives and, on "OK" only, hands the values back through ValoreScambio.
#include "pulses/DatabaseScatti.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class ModificaScatti : public QDialog {
public:
    ModificaScatti(const QDate& giorno, const Totali& valori, QWidget* genitore = nullptr);

    QLabel* M_DataScatti;
    QLineEdit* M_NumeroScatti;
    QLineEdit* M_Importo;
    QPushButton* P_OK;
    QPushButton* P_Annulla;

    void M_NumeroScatti_LostFocus();
    void M_Importo_LostFocus();

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    void P_OK_Click();

    // The texts the fields opened with.
    QString scattiDati_;
    QString importoDato_;
};
