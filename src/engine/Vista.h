// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the engine tells the main window. The window only draws; every rule
// about when and what lives in the engine.
#include "common/Totali.h"
#include "settings/Impostazioni.h"

#include <QString>
#include <optional>

enum class Led { Verde, Giallo, Rosso, Blu, Spento };

// Name of each LED picture in the image list.
inline QString NomeLed(Led led)
{
    switch (led) {
    case Led::Verde: return QStringLiteral("Verde");
    case Led::Giallo: return QStringLiteral("Giallo");
    case Led::Rosso: return QStringLiteral("Rosso");
    case Led::Blu: return QStringLiteral("Blu");
    case Led::Spento: return QStringLiteral("Spento");
    }
    return {};
}

// The value display's text for value type `tipo` from the period's totals.
std::optional<QString> TestoImporto(TipoImporto tipo, const Totali& totali, float secondiConnessione, int prcIva);

class VistaMotore {
public:
    virtual ~VistaMotore() = default;
    // Start/stop button, bar, caption and menu items for a count that starts
    // or stops.
    virtual void ConteggioIniziato() = 0;
    virtual void ConteggioTerminato() = 0;
    // A call being set up (true) or given up (false): the menu items of the
    // windows that cannot open meanwhile.
    virtual void ChiamataInCorso(bool inCorso) = 0;
    virtual void MostraLed(Led led) = 0;
    // Part of the interval still to run, and the time left as text.
    virtual void MostraIntervallo(int percento, const QString& tempoRimasto) = 0;
    virtual void ColoreIndicatore(quint32 colore) = 0;
    // Rewrite the value display from the engine's totals.
    virtual void AggiornaImporto() = 0;
    virtual void MostraTesto(const QString& testo) = 0; // "Connessione... "
    // Detection gives up for the rest of the run: stop polling.
    virtual void ModalitaManuale() = 0;
    virtual QString TestoMostrato() const = 0;
    // A failure the user must hear about; shown after the current step, so no
    // message box opens in the middle of a pulse.
    virtual void SegnalaErrore(const QString& testo) = 0;
};
