// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The month calendar shared by the bill window and the date picker: the
// month and year lists over a Monday-first grid of the month's days. Days of
// the neighbouring months stay empty and take no clicks.
#include "pulses/CalendarioMese.h"

#include <QStringList>
#include <QWidget>
#include <functional>

class QComboBox;
class QTableWidget;

class SceltaMese : public QWidget {
public:
    SceltaMese(const QStringList& intestazioni, QWidget* genitore = nullptr);

    // Draws the month; a day found in `righe` is shown in parentheses.
    void Mostra(int anno, int mese, const QMap<QDate, Totali>& righe = {});
    int Anno() const { return anno_; }
    int Mese() const { return mese_; }

    // Makes the day's cell current without reporting it; an invalid date
    // leaves no cell current.
    void Seleziona(const QDate& giorno);
    // The day of a cell, invalid for an empty one.
    QDate GiornoDellaCella(int riga, int colonna) const;
    // Where a day sits in the grid; false when it is not in the month shown.
    bool CellaDelGiorno(const QDate& giorno, int* riga, int* colonna) const;

    // The user chose another month or year in the lists.
    std::function<void(int anno, int mese)> MeseScelto;
    // The current cell moved to a day, a day was clicked, a day double-clicked.
    std::function<void(QDate)> GiornoCorrente, GiornoCliccato, GiornoDoppioClic;

    QComboBox* MeseCorrente;
    QComboBox* AnnoCorrente;
    QTableWidget* GrigliaGiorni;

private:
    void ListeCambiate();

    int anno_ = PrimoAnno;
    int mese_ = 1;
    bool ridisegno_ = false;
};
