// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ends the call being counted when the cost cap acts: NetworkManager
// deactivates its connection when it manages the link detection follows;
// otherwise the user's command runs (through /bin/sh, with the call's name
// and interface in VELATRIX_CONNESSIONE and VELATRIX_INTERFACCIA). Nothing
// here waits: every outcome comes from the event loop.
#include "engine/Conteggio.h"

#include <QObject>

class GestoreRete;
class Rilevamento;
class SorgenteConnessioni;
struct Impostazioni;

class TerminatoreChiamata : public QObject, public ChiusuraChiamata {
public:
    // `rete` may be null: then only the command acts.
    TerminatoreChiamata(const Impostazioni& imp, const Rilevamento& rilevamento, SorgenteConnessioni& sorgente,
                        GestoreRete* rete);
    void TerminaChiamata(std::function<void(const QString& perche)> esito) override;

    // A command that runs longer is ended, and the call counts as not ended.
    static constexpr int AttesaComando = 30000;

private:
    void EseguiComando(const QString& nome, const QString& interfaccia, std::function<void(const QString&)> esito);
    void Rispondi(std::function<void(const QString&)> esito, const QString& perche);

    const Impostazioni& imp_;
    const Rilevamento& rilevamento_;
    SorgenteConnessioni& sorgente_;
    GestoreRete* rete_;
};
