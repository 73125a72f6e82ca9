// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/IstanzaUnica.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Empty when the folder is safe to hold a lock or a socket, else why not.
QString Insicura(const QString& cartella)
{
    struct stat st {};
    if (cartella.isEmpty() || !QDir::isAbsolutePath(cartella))
        return QStringLiteral("non è un percorso assoluto");
    if (::lstat(QFile::encodeName(cartella).constData(), &st) != 0)
        return QStringLiteral("non esiste");
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("non è una cartella");
    if (st.st_uid != ::getuid())
        return QStringLiteral("appartiene a un altro utente");
    if ((st.st_mode & 077) != 0)
        return QStringLiteral("è accessibile ad altri utenti");
    return {};
}

QString Sicura(const QString& cartella) { return Insicura(cartella).isEmpty() ? cartella : QString(); }

} // namespace

IstanzaUnica::IstanzaUnica(const QString& percorsoBlocco) : blocco_(std::make_unique<QLockFile>(percorsoBlocco))
{
    // Only a live owner counts: age alone never makes a lock stale.
    blocco_->setStaleLockTime(0);
}

bool IstanzaUnica::Acquisisci() { return blocco_->tryLock(0); }

QString IstanzaUnica::CartellaPropria() { return QDir::tempPath() + QStringLiteral("/velatrix-%1").arg(::getuid()); }

QString IstanzaUnica::CartellaEsecuzione(QString* errore, bool crea)
{
    for (const QString& c : {qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/run/user/%1").arg(::getuid())})
        if (!Sicura(c).isEmpty())
            return c;
    const QString propria = CartellaPropria();
    if (crea)
        ::mkdir(QFile::encodeName(propria).constData(), 0700);
    const QString perche = Insicura(propria);
    if (perche.isEmpty())
        return propria;
    if (errore)
        *errore = QStringLiteral("nessuna cartella di esecuzione sicura: %1 %2")
                      .arg(QDir::toNativeSeparators(propria), perche);
    return {};
}

QStringList IstanzaUnica::CartelleEsecuzione()
{
    QStringList cartelle;
    for (const QString& c :
         {qEnvironmentVariable("XDG_RUNTIME_DIR"), QStringLiteral("/run/user/%1").arg(::getuid()), CartellaPropria()})
        if (!Sicura(c).isEmpty() && !cartelle.contains(c))
            cartelle << c;
    return cartelle;
}

QString IstanzaUnica::PercorsoPredefinito(QString* errore)
{
    const QString cartella = CartellaEsecuzione(errore);
    return cartella.isEmpty() ? QString() : QDir(cartella).filePath(QStringLiteral("Velatrix.lock"));
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
