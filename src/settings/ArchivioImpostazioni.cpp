#include "settings/ArchivioImpostazioni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QVariant>

#include <cstdio>

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

} // namespace

ArchivioImpostazioni::ArchivioImpostazioni(const QString& percorso)
    : percorso_(percorso)
{
    if (!QFileInfo::exists(percorso_))
        return;
    QSettings file(percorso_, QSettings::IniFormat);
    danneggiato_ = file.status() == QSettings::FormatError;
    file.beginGroup(Gruppo);
    for (const QString& k : file.childKeys())
        valori_.insert(k, Testo(file.value(k)));
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
        QSettings attuale(percorso_, QSettings::IniFormat);
        if (attuale.status() == QSettings::AccessError)
            return fallito(QStringLiteral("Impossibile leggere il file delle impostazioni %1: "
                                          "nessuna modifica è stata salvata.").arg(nome));
        // QSettings reports a parse error only to the first reader of a file.
        if (danneggiato_ || attuale.status() == QSettings::FormatError) {
            // What could not be parsed would be dropped by the rewrite.
            const QString copia = percorso_ + QStringLiteral(".danneggiato");
            QFile::remove(copia);
            if (!QFile::copy(percorso_, copia))
                return fallito(QStringLiteral("Il file delle impostazioni %1 è danneggiato e non è stato "
                                              "possibile conservarne una copia: nessuna modifica è stata "
                                              "salvata.").arg(nome));
        }
        for (const QString& k : attuale.allKeys())
            atteso.insert(k, attuale.value(k));
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
    // Under a name never opened before, so the parse comes from the file.
    const QString verificato = scritto + QStringLiteral(".v");
    provvisori.nomi << verificato;
    if (std::rename(QFile::encodeName(scritto).constData(), QFile::encodeName(verificato).constData()) != 0)
        return fallito(nonSalvato);
    {
        QSettings letto(verificato, QSettings::IniFormat);
        if (letto.status() != QSettings::NoError)
            return fallito(nonSalvato);
        const QStringList chiavi = letto.allKeys();
        if (chiavi.size() != atteso.size())
            return fallito(nonSalvato);
        for (const QString& k : chiavi) {
            auto it = atteso.constFind(k);
            if (it == atteso.constEnd() || *it != letto.value(k))
                return fallito(nonSalvato);
        }
    }
    QFile::setPermissions(verificato, permessi);
    if (std::rename(QFile::encodeName(verificato).constData(), QFile::encodeName(percorso_).constData()) != 0)
        return fallito(nonSalvato);

    sospese_.clear();
    danneggiato_ = false;
    return true;
}
