// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window that shows the connection log, and from which it is filtered,
// exported and cleared.
#include "common/Interlocutore.h"
#include "log/RiepilogoLog.h"

#include <QDialog>
#include <functional>

class LogFiltro;
class ModelloLog;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

class Log : public QDialog {
public:
    Log(QString cartellaDati, Interlocutore& messaggi, QWidget* genitore = nullptr);
    ~Log() override;

    // Replace the save dialog (tests answer without a window).
    void ImpostaSceltaFile(SceltaFileEsportazione scelta) { sceltaFile_ = std::move(scelta); }
    // Replace how the filter dialog is shown (tests drive it without a modal loop).
    void ImpostaMostraFiltro(std::function<void(LogFiltro&)> mostra) { mostraFiltro_ = std::move(mostra); }

    const RiepilogoLog& Riepilogo() const { return riepilogo_; }
    ModelloLog& Modello() { return *modello_; }

    QTableView* GrigliaLog;
    QLabel* StatoLog;
    QPushButton* P_Filtro;
    QPushButton* P_Esporta;
    QPushButton* P_Elimina;
    QPushButton* P_Chiudi;
    QWidget* PannelloProgresso;
    QProgressBar* Progresso;
    QLabel* StatoProgresso;
    QPushButton* P_Interrompi; // "Annulla", stops an export

protected:
    // While an export or a filter runs, Esc and the frame stop the export
    // (or wait for the filter) instead of closing the window under it.
    void reject() override;

private:
    void P_Filtro_Click();
    void P_Esporta_Click();
    void P_Elimina_Click();
    void Rileggi();
    std::optional<SceltaEsportazione> DialogoEsporta();
    ProgressoLog PannelloDiProgresso(bool annullabile);
    void DimensionaColonne();

    QString cartella_;
    Interlocutore& messaggi_;
    RiepilogoLog riepilogo_;
    ModelloLog* modello_;
    SceltaFileEsportazione sceltaFile_;
    std::function<void(LogFiltro&)> mostraFiltro_;
    qint64 scala_ = 1; // records per step of the bar, which counts in int
    int ultimoPasso_ = -1;
    bool occupato_ = false;
    bool annullabile_ = false;
    bool annullato_ = false;
};
