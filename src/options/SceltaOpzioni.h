// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the configuration dialog holds, and how its "OK" turns it into the
// new settings. No window here.
#include "settings/Impostazioni.h"
#include "settings/TabellaImpostazioni.h"

#include <QString>
#include <array>
#include <optional>

// The number an alarm field holds: its leading number (a point as decimal
// mark, blanks skipped) rounded to whole lire or minutes; 0 when there is none.
double NumeroSoglia(const QString& testo);
// The field rewritten as that number without separators; empty for 0.
QString TestoSoglia(const QString& testo);

// An interval slider runs over its timer key's range in whole seconds.
struct Cursore {
    int minimo, massimo;
    constexpr explicit Cursore(Intervallo millisecondi)
        : minimo(int(millisecondi.minimo) / 1000), massimo(int(millisecondi.massimo) / 1000)
    {
    }
    // The position for a timer interval: whole seconds, dropping the fraction.
    int DaMillisecondi(int millisecondi) const;
    int Millisecondi(int posizione) const;
};
inline constexpr Cursore CursoreRefresh{Chiave<"IntRfr">::intervallo};
inline constexpr Cursore CursoreControllo{Chiave<"IntCtr">::intervallo};

// The colour list's entries 3 and 4 stand for settings colours 4 and 3.
inline constexpr int VociColori = 5;
int ChiaveDellaVoce(int voce);

// The parts of the preview that select a list entry when clicked.
enum class ElementoAnteprima { Led, Contatore, DurataScatto };
// The entry a click on `elemento` selects while `voceAttuale` is selected.
int VoceDaAnteprima(ElementoAnteprima elemento, int voceAttuale);

struct SceltaOpzioni {
    int cursoreRefresh = 1;
    int cursoreControllo = 1;
    bool primoPiano = true, confermaStop = false, creaLog = true, salvaImpostazioni = true;
    bool automatico = true, avviaSeConnesso = false;

    // Preview colours in the order of Impostazioni::Clr; the fill (index 2) is
    // not kept here but worked out by Colore().
    std::array<quint32, 5> colori{};
    bool coloreTariffa = true;
    // The fill the main window uses when the tariff colour is off.
    quint32 riempimentoProprio = 0;
    // The colour of the tariff in force, once looked up.
    std::optional<quint32> riempimentoTariffa;
    // A fill chosen in this opening of the dialog.
    std::optional<quint32> riempimentoScelto;

    std::array<QString, NumeroSuoni> suoni{};
    std::array<bool, NumeroAllarmi + 1> msg{};       // 1..4
    std::array<QString, NumeroAllarmi + 1> msgVal{}; // 1..4, the fields' texts
    std::array<bool, NumeroAllarmi> msgIva{};        // 1..3
    bool terminaChiamata = false;
    QString comandoTermina;

    // The dialog as it opens on these settings and the main window's
    // colours (key order) and fill now shown.
    static SceltaOpzioni Da(const Impostazioni& imp, const std::array<quint32, 5>& coloriCorrenti,
                            quint32 riempimentoCorrente);

    // The preview's colour of a key. Its fill shows a chosen colour, else the
    // tariff's while the tariff colour is on, else the main window's own.
    quint32 Colore(int chiave) const;
    void CambiaColore(int chiave, quint32 colore);
};

// The settings after "OK". Sounds stay as they were without a sound device;
// an alarm with no value is stored off; the fill stored is the one chosen,
// else the main window's own, never a tariff colour the preview only showed.
Impostazioni ApplicaScelta(const Impostazioni& vecchie, const SceltaOpzioni& scelta);
