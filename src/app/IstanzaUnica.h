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
