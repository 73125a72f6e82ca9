// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDate>
#include <QtGlobal>
#include <map>

// Pulses and their amount, net of VAT, over some span of time: a day's row,
// a connection, a day, a bill period.
struct Totali {
    qint32 scatti = 0;
    double importo = 0;

    friend bool operator==(const Totali&, const Totali&) = default;
    Totali& operator+=(const Totali& altri)
    {
        scatti += altri.scatti;
        importo += altri.importo;
        return *this;
    }
};

// Pulses still waiting for the disk belong to the totals all the same:
// `aggiungi(giorno, totali)` for each day of `inAttesa` from `primo` to `ultimo`.
template <typename F>
void PerGiornoInAttesa(const std::map<QDate, Totali>& inAttesa, QDate primo, QDate ultimo, F aggiungi)
{
    for (auto it = inAttesa.lower_bound(primo); it != inAttesa.end() && it->first <= ultimo; ++it)
        aggiungi(it->first, it->second);
}

// An amount with VAT at `percentuale` added.
constexpr double ConIva(double importo, double percentuale) { return importo * (percentuale / 100 + 1); }
