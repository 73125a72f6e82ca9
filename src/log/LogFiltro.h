// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dialog that narrows the log to the connections whose value in one
// field lies between two bounds. Its outcome goes to ValoreScambio as qint16:
// 1 applied, -1 removed, 0 (left as the caller set it) cancelled.
#include "common/Interlocutore.h"
#include "log/FiltroLog.h"
#include "log/RiepilogoLog.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

class LogFiltro : public QDialog {
public:
    LogFiltro(QString cartellaDati, Interlocutore& messaggi, ProgressoLog progresso = {}, QWidget* genitore = nullptr);

    // Modal, and again with the same bounds while the filter matched nothing.
    void Mostra();
    // True after "Applica filtro" found nothing to keep: the dialog is to be shown again.
    bool DaRiproporre() const { return riproporre_; }

    QComboBox* Campo;
    QLineEdit* Valore1;
    QLineEdit* Valore2;
    QPushButton* P_Applica;
    QPushButton* P_Rimuovi;
    QPushButton* P_Annulla;

private:
    void ControllaValori();
    void P_Applica_Click();
    void Esci(qint16 esito);

    QString cartella_;
    Interlocutore& messaggi_;
    ProgressoLog progresso_;
    LimitiFiltro limiti_;
    bool riproporre_ = false;
};
