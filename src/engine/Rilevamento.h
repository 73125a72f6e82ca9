#pragma once
// Automatic mode: follows a dial-up link, shows a call being set up, starts
// the count when the link is up and stops it when the link is gone.
#include "engine/SorgenteConnessioni.h"

class Motore;
class Riproduttore;
class VistaMotore;
struct Impostazioni;

inline const QString TestoConnessione = QStringLiteral("Connessione... ");

class Rilevamento {
public:
    Rilevamento(const Impostazioni& imp, Motore& motore, SorgenteConnessioni& sorgente, VistaMotore& vista,
                Riproduttore& suoni);

    // One tick of the control timer.
    void TimerControllo_Timer();
    // 1..4 after the CtrCon rule; a failed query while idle counts as gone.
    int StatoConnessione(quint32 maniglia);

private:
    const Impostazioni& imp_;
    Motore& motore_;
    SorgenteConnessioni& sorgente_;
    VistaMotore& vista_;
    Riproduttore& suoni_;
};
