#pragma once
// What the configuration dialog holds, and how its "OK" turns it into the
// new settings. No window here.
#include "settings/Impostazioni.h"

#include <QString>
#include <array>

// The number an alarm field holds: its leading number (a point as decimal
// mark) rounded to whole lire or minutes; 0 when there is none.
double NumeroSoglia(const QString& testo);
// The field rewritten as that number without separators; empty for 0.
QString TestoSoglia(const QString& testo);

struct SceltaOpzioni {
    int secondiRefresh = 1;    // slider 1..5
    int secondiControllo = 1;  // slider 1..5
    bool primoPiano = true, confermaStop = false, creaLog = true, salvaImpostazioni = true;
    bool automatico = true, avviaSeConnesso = false;
    // Preview colours in key order Clr000..Clr004.
    std::array<quint32, 5> colori{};
    bool coloreTariffa = true;
    // The user chose a fill colour in this opening of the dialog.
    bool riempimentoScelto = false;
    std::array<QString, NumeroSuoni> suoni{};
    std::array<bool, NumeroAllarmi + 1> msg{};        // 1..4
    std::array<QString, NumeroAllarmi + 1> msgVal{};  // 1..4, the fields' texts
    std::array<bool, NumeroAllarmi> msgIva{};         // 1..3

    // The dialog as it opens on these settings and main-window colours.
    static SceltaOpzioni Da(const Impostazioni& imp, const std::array<quint32, 5>& coloriCorrenti);
};

// The settings after "OK": sounds kept as they were without a sound device,
// an alarm with no value stored off, and the user's own fill colour kept when
// the preview only showed the tariff's.
Impostazioni ApplicaScelta(const Impostazioni& vecchie, const SceltaOpzioni& scelta);
