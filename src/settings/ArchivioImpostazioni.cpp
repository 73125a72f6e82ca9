#include "settings/ArchivioImpostazioni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QVariant>

#include <cstdio>
#include <memory>

namespace {

const QString Gruppo = QStringLiteral("Settings");

// A value edited by hand without quotes, as 72,5, comes back as a list.
QString Testo(const QVariant& v)
{
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

// Removes the temporary files of a save unless the save went through.
struct FileProvvisori {
    QStringList nomi;
    ~FileProvvisori()
    {
        for (const QString& n : nomi) {
            QFile::remove(n);
            QFile::remove(n + QStringLiteral(".lock"));
        }
    }
};

enum class Lettura { Letta, Danneggiata, Impossibile };

// Parses an INI file through a private copy. QSettings keeps every file it has
// parsed in a process-wide cache and serves that instead when size and time
// look unchanged, which the renames of Salva can bring about within one
// millisecond; a name never seen before always gets parsed.
Lettura LeggiIni(const QString& percorso, QMap<QString, QVariant>& valori)
{
    valori.clear();
    QFile file(percorso);
    if (!file.exists())
        return Lettura::Letta;
    if (!file.open(QIODevice::ReadOnly))
        return Lettura::Impossibile;
    const QByteArray dati = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Lettura::Impossibile;

    // In the temporary folder, else beside the file when that one is full.
    std::unique_ptr<QTemporaryFile> copia;
    for (const QString& cartella : {QDir::tempPath(), QFileInfo(percorso).absolutePath()}) {
        auto c = std::make_unique<QTemporaryFile>(cartella + QStringLiteral("/.velatrix-XXXXXX.conf"));
        if (!c->open() || c->write(dati) != dati.size() || !c->flush())
            continue;
        c->close();
        if (!c->open() || c->readAll() != dati)
            continue;
        c->close();
        copia = std::move(c);
        break;
    }
    if (!copia)
        return Lettura::Impossibile;

    QSettings ini(copia->fileName(), QSettings::IniFormat);
    if (ini.status() == QSettings::AccessError)
        return Lettura::Impossibile;
    for (const QString& k : ini.allKeys())
        valori.insert(k, ini.value(k));
    return ini.status() == QSettings::FormatError ? Lettura::Danneggiata : Lettura::Letta;
}

} // namespace

ArchivioImpostazioni::ArchivioImpostazioni(const QString& percorso)
    : percorso_(percorso)
{
    // An unreadable file reads as empty here; Salva then refuses to replace it.
    QMap<QString, QVariant> tutto;
    danneggiato_ = LeggiIni(percorso_, tutto) == Lettura::Danneggiata;
    const QString prefisso = Gruppo + QLatin1Char('/');
    for (auto it = tutto.cbegin(); it != tutto.cend(); ++it) {
        const QString k = it.key();
        if (k.startsWith(prefisso) && !k.mid(prefisso.size()).contains(QLatin1Char('/')))
            valori_.insert(k.mid(prefisso.size()), Testo(*it));
    }
}

QString ArchivioImpostazioni::PercorsoPredefinito()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Velatrix/Velatrix.conf");
}

QString ArchivioImpostazioni::Leggi(const QString& chiave, const QString& predefinito) const
{
    auto it = valori_.constFind(chiave);
    return it == valori_.constEnd() ? predefinito : *it;
}

bool ArchivioImpostazioni::Contiene(const QString& chiave) const
{
    return valori_.contains(chiave);
}

QStringList ArchivioImpostazioni::Chiavi() const
{
    return valori_.keys();
}

void ArchivioImpostazioni::Scrivi(const QString& chiave, const QString& testo)
{
    valori_.insert(chiave, testo);
    sospese_.append({chiave, testo});
}

bool ArchivioImpostazioni::Salva(QString* errore)
{
    if (sospese_.isEmpty())
        return true;
    const QString nome = QDir::toNativeSeparators(percorso_);
    auto fallito = [errore](const QString& motivo) {
        if (errore)
            *errore = motivo;
        return false;
    };
    const QString nonSalvato = QStringLiteral(
        "Impossibile salvare le impostazioni in %1 (disco pieno o file non scrivibile); "
        "il file precedente è rimasto invariato.").arg(nome);

    const QFileInfo info(percorso_);
    const QString cartella = info.absolutePath();
    if (!QDir().mkpath(cartella))
        return fallito(QStringLiteral("Impossibile creare la cartella %1 per le impostazioni.")
                           .arg(QDir::toNativeSeparators(cartella)));

    // Everything the file holds now, in every group, goes into the new one.
    QMap<QString, QVariant> atteso;
    QFile::Permissions permessi = QFile::ReadOwner | QFile::WriteOwner;
    if (info.exists()) {
        if (!info.isFile())
            return fallito(nonSalvato);
        const Lettura lettura = LeggiIni(percorso_, atteso);
        if (lettura == Lettura::Impossibile)
            return fallito(QStringLiteral("Impossibile leggere il file delle impostazioni %1: "
                                          "nessuna modifica è stata salvata.").arg(nome));
        if (lettura == Lettura::Danneggiata) {
            // What could not be parsed would be dropped by the rewrite.
            const QString copia = percorso_ + QStringLiteral(".danneggiato");
            QFile::remove(copia);
            if (!QFile::copy(percorso_, copia))
                return fallito(QStringLiteral("Il file delle impostazioni %1 è danneggiato e non è stato "
                                              "possibile conservarne una copia: nessuna modifica è stata "
                                              "salvata.").arg(nome));
        }
        permessi = info.permissions();
    }
    for (const auto& [k, v] : sospese_)
        atteso.insert(Gruppo + QLatin1Char('/') + k, v);

    FileProvvisori provvisori;
    QString scritto;
    {
        QTemporaryFile t(cartella + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
        t.setAutoRemove(false);
        if (!t.open())
            return fallito(nonSalvato);
        scritto = t.fileName();
        provvisori.nomi << scritto;
    }
    {
        QSettings nuovo(scritto, QSettings::IniFormat);
        for (auto it = atteso.cbegin(); it != atteso.cend(); ++it)
            nuovo.setValue(it.key(), it.value());
        nuovo.sync();
        if (nuovo.status() != QSettings::NoError)
            return fallito(nonSalvato);
    }

    // A short write can go unreported, so read back what reached the disk.
    QMap<QString, QVariant> letto;
    if (LeggiIni(scritto, letto) != Lettura::Letta || letto != atteso)
        return fallito(nonSalvato);
    QFile::setPermissions(scritto, permessi);
    if (std::rename(QFile::encodeName(scritto).constData(), QFile::encodeName(percorso_).constData()) != 0)
        return fallito(nonSalvato);

    provvisori.nomi.clear();
    sospese_.clear();
    danneggiato_ = false;
    return true;
}
