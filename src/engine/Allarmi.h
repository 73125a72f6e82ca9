// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Cost and duration alarms: when each is due and what it says. The engine
// keeps which ones were raised and decides what is shown.
#include "common/Totali.h"
#include "settings/Impostazioni.h"

#include <QString>
#include <array>

class FinestraMessaggio {
public:
    virtual ~FinestraMessaggio() = default;
    // Marks itself open before it appears, so two alarms of one pulse never
    // open two windows; plays the alarm sound.
    virtual void Mostra(const QString& testo) = 0;
    virtual bool Aperta() const = 0;
};

// Alarm n (1..4) already raised in this count; [0] unused.
using AllarmiDati = std::array<bool, NumeroAllarmi + 1>;

class Allarmi {
public:
    explicit Allarmi(const Impostazioni& imp) : imp_(imp) {}

    // The cost alarm to raise after a pulse, bill period first, then day,
    // then connection; 0 when none is due.
    int CostoSuperato(const Totali& connessione, const Totali& giorno, const Totali& periodo,
                      const AllarmiDati& dati) const;
    // 4 when the duration alarm is due, else 0.
    int DurataSuperata(float secondiConnessione, const AllarmiDati& dati) const;

    static QString TestoAllarme(const Impostazioni& imp, int n);

private:
    const Impostazioni& imp_;
};
