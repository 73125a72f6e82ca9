// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who talks to whom around a count. The engine counts and reports what
// happened (EventiMotore); the controller answers those reports, asks the
// user where a stop needs the user's word, and takes the orders of the
// window and of detection (ComandoConteggio).
#include "engine/Suoni.h"
#include "engine/Vista.h"

#include <QString>
#include <QtGlobal>
#include <functional>

// How a count is stopped.
enum class TipoArresto : qint16 { Manuale = 1, FineConnessione = 2, Uscita = 3 };

// The orders a count takes: from the window's buttons and menus, and from
// detection when a link comes up, gets a name or goes.
class ComandoConteggio {
public:
    virtual ~ComandoConteggio() = default;
    // The name goes into the count's log record.
    virtual void AvviaConteggio(const QString& nomeConnessione = {}) = 0;
    // True when the count was stopped (or, for an exit, may end).
    virtual bool FermaContatore(TipoArresto tipo) = 0;
    // A name for the connection being counted that became known during the
    // call; its record carries it.
    virtual void RinominaConnessione(const QString& nome) = 0;
    virtual bool ConteggioAttivo() const = 0;
};

// What the engine reports beyond what the window draws.
class EventiMotore : public VistaMotore {
public:
    virtual void SuonoDovuto(Suono suono) = 0;
    // Alarm n (1..4) is due. False keeps it armed, to be tried again at a
    // later step (the alarm window is taken, or there is none).
    virtual bool AllarmeDovuto(int n) = 0;
};

// Hears and draws nothing: what stands in before the real listener or window
// is attached.
EventiMotore& NessunAscolto();

// What the controller asks of detection about the connection it follows.
class ConnessioneSeguita {
public:
    virtual ~ConnessioneSeguita() = default;
    // A connection is being watched (found, and not yet gone).
    virtual bool Seguita() const = 0;
    // Forget it: the user stopped its count and left automatic mode.
    virtual void Lascia() = 0;
};

// Ends the call being counted, when the user asked the cost cap to act.
class ChiusuraChiamata {
public:
    virtual ~ChiusuraChiamata() = default;
    // `esito` gets, later or at once, an empty text when the call was ended,
    // else why it could not be; never after this object is gone.
    virtual void TerminaChiamata(std::function<void(const QString& perche)> esito) = 0;
};

inline const QString TestoChiamataChiusa = QStringLiteral("La chiamata è stata chiusa.");
inline const QString TestoChiamataNonChiusa = QStringLiteral("Impossibile chiudere la chiamata: ");
