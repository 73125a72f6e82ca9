// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/IstanzaUnica.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
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

namespace {
QString PercorsoCartellaInUso(const QString& percorsoBlocco) { return percorsoBlocco + QStringLiteral(".dati"); }
} // namespace

void ScriviCartellaInUso(const QString& percorsoBlocco, const QString& cartellaDati)
{
    // Only a hint for later starts: a failed write costs nothing more.
    QSaveFile f(PercorsoCartellaInUso(percorsoBlocco));
    if (f.open(QIODevice::WriteOnly)) {
        f.write(QFileInfo(cartellaDati).absoluteFilePath().toUtf8());
        f.commit();
    }
}

QString LeggiCartellaInUso(const QString& percorsoBlocco)
{
    QFile f(PercorsoCartellaInUso(percorsoBlocco));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.read(4096)).trimmed();
}

bool StessaCartella(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}
