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

QString IstanzaUnica::PercorsoPredefinito()
{
    QString cartella = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (cartella.isEmpty())
        cartella = QDir::tempPath();
    return QDir(cartella).filePath(QStringLiteral("Velatrix.lock"));
}
