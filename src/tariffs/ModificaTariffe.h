// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tariff editor: works on a copy and replaces the tariff model, in memory
// and in the store, only on "OK".
#include "tariffs/BozzaTariffe.h"

#include <QColor>
#include <QDialog>
#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ArchivioImpostazioni;
class Interlocutore;
class RiquadroFasce;
struct Impostazioni;

class ModificaTariffe : public QDialog {
public:
    ModificaTariffe(Impostazioni& imp, ArchivioImpostazioni& archivio, Interlocutore& messaggi,
                    QWidget* genitore = nullptr);

    // The colour chooser, replaceable so no real dialog opens in a test;
    // nothing when the user cancels.
    std::function<std::optional<QColor>(const QColor&)> ScegliColore;
    // Run once after a successful save, so the main window shows the new prices.
    std::function<void()> AggiornaImporto;

    std::array<QLabel*, MassimoTariffe> Numero{}, Colore{};
    std::array<QLineEdit*, MassimoTariffe> Descrizione{}, SecondiPerScatto{};
    std::array<QPushButton*, MassimoTariffe> P_Colore{};
    QPushButton *P_AggiungiTariffa, *P_RimuoviTariffa;
    RiquadroFasce* Griglia;
    QLineEdit *M_CostoScatto, *M_PercentualeIva;
    QLabel* TotaleScatto;
    QCheckBox* M_ScattoAggiuntivo;
    QCheckBox* M_Riduzione;
    QLineEdit *M_PercentualeRiduzione, *M_LimiteRiduzione;
    QComboBox* M_TipoLimiteRiduzione;
    QPushButton *P_Salva, *P_Annulla;

    void Descrizione_LostFocus(int i);
    void SecondiPerScatto_LostFocus(int i);
    void M_CostoScatto_LostFocus();
    void M_PercentualeIva_LostFocus();
    void M_PercentualeRiduzione_LostFocus();
    void M_LimiteRiduzione_LostFocus();
    void M_Riduzione_Click();
    void P_AggiungiTariffa_Click();
    void P_RimuoviTariffa_Click();
    void CambiaColore(int i);
    void P_Salva_Click();

    const BozzaTariffe& Bozza() const { return bozza_; }

private:
    QGroupBox* CreaTariffe();
    QGroupBox* CreaCosto();
    QGroupBox* CreaRiduzione();
    QDialogButtonBox* CreaPulsanti();
    void Carica();
    void MostraTariffe();
    void LeggiCampi();

    Impostazioni& imp_;
    ArchivioImpostazioni& archivio_;
    Interlocutore& messaggi_;
    BozzaTariffe bozza_;
};
