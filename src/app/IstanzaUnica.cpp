#include "app/IstanzaUnica.h"

#include <QDir>
#include <QStandardPaths>

IstanzaUnica::IstanzaUnica(const QString& percorsoBlocco)
    : blocco_(std::make_unique<QLockFile>(percorsoBlocco))
{
    // Only a live owner counts: age alone never makes a lock stale.
    blocco_->setStaleLockTime(0);
}

bool IstanzaUnica::Acquisisci()
{
    return blocco_->tryLock(0);
}

QString IstanzaUnica::CartellaEsecuzione()
{
    const QString cartella = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return cartella.isEmpty() ? QDir::tempPath() : cartella;
}

QString IstanzaUnica::PercorsoPredefinito()
{
    return QDir(CartellaEsecuzione()).filePath(QStringLiteral("Velatrix.lock"));
}
