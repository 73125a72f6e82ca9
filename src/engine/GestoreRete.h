// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's network service (NetworkManager on Linux), asked without
// ever waiting on it: every answer comes later, from the event loop, so a
// slow or hung service never stalls the panel.
#include <QString>
#include <functional>

// How asking to end a connection went.
struct EsitoDisattivazione {
    bool gestita = false; // the service manages the interface's connection
    QString errore;       // empty: deactivated; else why the service refused
};

class GestoreRete {
public:
    virtual ~GestoreRete() = default;
    // The name of the connection whose IP interface this is: empty when there
    // is none, or no answer came in time. The answer never comes after this
    // object is gone.
    virtual void ChiediNome(const QString& interfaccia, std::function<void(const QString& nome)> risposta) = 0;
    // Deactivates the connection whose IP interface this is; not managed when
    // the service is absent or has no active connection there.
    virtual void Disattiva(const QString& interfaccia, std::function<void(const EsitoDisattivazione&)> esito) = 0;
};
