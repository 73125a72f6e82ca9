// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Automatic mode: follows a dial-up link, shows a call being set up, starts
// the count when the link is up and stops it when the link is gone or has
// lost its carrier.
#include "engine/Conteggio.h"
#include "engine/SorgenteConnessioni.h"

#include <QHash>

class Orologio;
class Riproduttore;
class VistaMotore;
struct Impostazioni;

inline const QString TestoConnessione = QStringLiteral("Connessione... ");

// A link in set-up (without carrier, or without an address when counting
// waits for one) for this long in one state is not a call being set up any
// more.
inline constexpr double SecondiComposizioneMassima = 60;
// Polls in a row a counted link must be seen without carrier to end its call.
inline constexpr int ControlliSenzaPortante = 2;

class Rilevamento : public ConnessioneSeguita {
public:
    Rilevamento(const Impostazioni& imp, ComandoConteggio& conteggio, SorgenteConnessioni& sorgente, VistaMotore& vista,
                Riproduttore& suoni, const Orologio& orologio);

    // One tick of the control timer.
    void TimerControllo_Timer();
    // The link's state after the CtrCon rule.
    StatoLink StatoConnessione(quint32 maniglia);

    // The connection followed, 0 and empty when none.
    quint32 ManigliaConnessione() const { return maniglia_; }
    QString NomeConnessione() const { return nome_; }

    bool Seguita() const override { return maniglia_ != 0; }
    void Lascia() override;

private:
    // The set-up of a link: the state it has been in since `dal` (monotonic
    // seconds, negative when not in set-up), and whether it was given up as
    // no call (dormant) until its state changes.
    struct Allestimento {
        StatoLink stato = StatoLink::Ignoto;
        double dal = -1;
        bool dormiente = false;
    };

    void Segui(quint32 maniglia, const QString& nome);
    void AggiornaNome(const QString& nome);
    void DuranteIlConteggio(StatoLink s);
    void InAttesa(StatoLink s);
    void TornaInAttesa();
    void InAllestimento(StatoLink s);

    const Impostazioni& imp_;
    ComandoConteggio& conteggio_;
    SorgenteConnessioni& sorgente_;
    VistaMotore& vista_;
    Riproduttore& suoni_;
    const Orologio& orologio_;

    quint32 maniglia_ = 0;
    QString nome_;
    // The link has shown a carrier since it was last seen without one: only
    // such a link can lose it and end a call.
    bool portante_ = false;
    int senzaPortante_ = 0;
    Allestimento allestimento_;
    // Links left for a call on another one while in set-up or dormant: their
    // minute goes on from where it was when they are followed again.
    QHash<quint32, Allestimento> lasciati_;
};
