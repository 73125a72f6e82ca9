// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The band grid of the tariff editor: marks along the top, spin buttons
// under them, three rows of cells coloured by tariff.
#include "tariffs/BozzaTariffe.h"

#include <QAbstractSpinBox>
#include <QGroupBox>
#include <array>
#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Up and down arrows with no value of their own: each step is handed on.
class PulsantiSpin : public QAbstractSpinBox {
public:
    explicit PulsantiSpin(QWidget* genitore = nullptr);
    std::function<void(int passi)> Passo;
    void stepBy(int passi) override;

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

class RiquadroFasce : public QGroupBox {
public:
    RiquadroFasce(BozzaTariffe& bozza, QWidget* genitore = nullptr);

    std::array<QLineEdit*, MassimoFasce + 1> M_OraInizio{};
    std::array<PulsantiSpin*, MassimoFasce> P_Orario{};
    std::array<QLabel*, MassimoFasce> Freccia{};
    std::array<QFrame*, MassimoFasce + 1> Linea{};
    std::array<QLineEdit*, MassimoFasce> M_Feriali{}, M_Sabato{}, M_Festivi{};
    QPushButton *P_AggiungiFascia, *P_RimuoviFascia;

    void P_Orario_SpinDown(int i);
    void P_Orario_SpinUp(int i);
    void P_AggiungiFascia_Click();
    void P_RimuoviFascia_Click();
    // The cell checks, for M_Feriali_LostFocus(i) and its twins.
    void Cella_LostFocus(int i, RigaGiorno riga);
    // Runs every cell check, as leaving each cell would.
    void ControllaCelle();

    // Controls from the grid model: texts, colours, what shows, what is enabled.
    void Aggiorna();

private:
    QLineEdit* cella(int i, RigaGiorno riga) const;
    BozzaTariffe& bozza_;
};
