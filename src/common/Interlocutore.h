// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the program talks to the user: message boxes titled "Velatrix".
// Logic classes ask through this so tests can answer for the user.
#include <QString>

class Interlocutore {
public:
    virtual ~Interlocutore() = default;
    // Yes/No with the question icon and No as the default; true on Yes.
    virtual bool Domanda(const QString& testo) = 0;
    // OK/Cancel with the question icon and Cancel as the default; true on OK.
    virtual bool Conferma(const QString& testo) = 0;
    virtual void Avviso(const QString& testo) = 0;       // exclamation icon
    virtual void Informazione(const QString& testo) = 0; // information icon
    virtual void Errore(const QString& testo) = 0;       // critical-stop icon
};

inline const QString TitoloApplicazione = QStringLiteral("Velatrix");
