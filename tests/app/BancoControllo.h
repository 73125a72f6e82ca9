// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine's bench with the controller in front of it, a user who answers
// from a script, and speakers.
#include "Finti.h"
#include "app/Controllore.h"
#include "engine/BancoMotore.h"

struct BancoControllo : BancoMotore {
    bool Prepara()
    {
        if (!BancoMotore::Prepara())
            return false;
        controllo = std::make_unique<Controllore>(imp, *motore, utente, suoni);
        controllo->ImpostaVista(vista);
        return true;
    }
    // Ticks once a second for the given time, as the pulse timer does.
    void Conta(double secondi)
    {
        for (double t = 0; t < secondi; t += 1) {
            orologio.Avanza(1);
            controllo->TimerScatto_Timer();
        }
    }

    UtenteFinto utente;
    std::unique_ptr<Controllore> controllo;
};
