// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLockFile>
#include <QString>
#include <memory>

// One running copy per user. The lock holds the owner's process id, so a lock
// left behind by a crashed run is recognised as stale and taken over.
class IstanzaUnica {
public:
    explicit IstanzaUnica(const QString& percorsoBlocco = PercorsoPredefinito());
    bool Acquisisci();
    static QString PercorsoPredefinito();
    // The user's runtime folder, which holds the lock and the running copy's
    // socket.
    static QString CartellaEsecuzione();

private:
    std::unique_ptr<QLockFile> blocco_;
};

// Beside the lock, the running copy names its data folder, so a later start
// with another --data-dir can say which one is in use. Empty when unknown.
void ScriviCartellaInUso(const QString& percorsoBlocco, const QString& cartellaDati);
QString LeggiCartellaInUso(const QString& percorsoBlocco);
// The same folder, however it was written (relative, with "..", a link).
bool StessaCartella(const QString& a, const QString& b);
