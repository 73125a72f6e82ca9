// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tariff viewer: the whole tariff model at a glance, and each second the
// date, the time and the tariff in force with the cost of a first hour.
#include "settings/Impostazioni.h"

#include <QDateTime>
#include <QDialog>
#include <array>
#include <functional>

class QDialogButtonBox;
class QFrame;
class QGridLayout;
class QLabel;
class QPushButton;
class QTimer;
class ArchivioImpostazioni;
class Interlocutore;
class ModificaTariffe;
struct Impostazioni;

class Tariffe : public QDialog {
public:
    // modificaVietata: a count runs or a call is being set up.
    Tariffe(Impostazioni& imp, ArchivioImpostazioni& archivio, Interlocutore& messaggi,
            std::function<bool()> modificaVietata, std::function<QDateTime()> adesso, QWidget* genitore = nullptr);

    // Handed to the editor: run after it has stored a new model.
    std::function<void()> AggiornaImporto;
    // How the editor is shown; tests replace it to drive the editor.
    std::function<void(ModificaTariffe&)> MostraEditor;

    QLabel *V_Data, *V_Ora, *V_Tariffa, *V_CostoOra;
    std::array<QLabel*, MassimoFasce + 1> Orario{};
    std::array<QFrame*, MassimoFasce + 1> Linea{};
    std::array<QLabel*, MassimoFasce> Feriali{}, Sabato{}, Festivi{};
    std::array<QLabel*, MassimoTariffe> ColoreTariffa{}, Legenda{};
    QLabel *V_Costo1, *V_Costo2;
    QPushButton *P_Modifica, *P_Chiudi;
    QTimer* TimerOra;

    void VisualizzaMaschera();
    void VisualizzaDataOraTariffa();
    void P_Modifica_Click();

private:
    QGridLayout* CreaGriglia();
    QGridLayout* CreaLegenda();
    QDialogButtonBox* CreaPulsanti();

    Impostazioni& imp_;
    ArchivioImpostazioni& archivio_;
    Interlocutore& messaggi_;
    std::function<bool()> modificaVietata_;
    std::function<QDateTime()> adesso_;
};
