#pragma once
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>

// One running copy per user. The lock holds the owner's process id, so a lock
// left behind by a crashed run is recognised as stale and taken over.
class IstanzaUnica {
public:
    explicit IstanzaUnica(const QString& percorsoBlocco);
    bool Acquisisci();
    // In the user's runtime folder; empty, with the reason, when there is none.
    static QString PercorsoPredefinito(QString* errore = nullptr);

    // The folder of the lock and the running copy's socket: $XDG_RUNTIME_DIR,
    // else /run/user/<uid>, else the program's own folder in the temporary
    // folder (created when `crea`). Each is taken only when it is a folder,
    // not a link, of the user's own that nobody else may enter: a lock or a
    // socket is never looked for where another user could have put one.
    // Empty, with the reason, when none is.
    static QString CartellaEsecuzione(QString* errore = nullptr, bool crea = true);
    // Every such folder there is, that one first: where a report from any
    // login of the user (a terminal, ssh, cron) looks for the running copy.
    static QStringList CartelleEsecuzione();
    // The program's own folder: <temporary folder>/velatrix-<uid>.
    static QString CartellaPropria();

private:
    std::unique_ptr<QLockFile> blocco_;
};
