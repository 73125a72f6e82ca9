// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ArchivioImpostazioni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QVariant>

#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
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

// Whether a value read from the file comes back the same once rewritten: a
// NUL inside a text does not, nor a stored NaN, which never equals itself.
bool Sopravvive(const QVariant& v)
{
    const auto senzaNul = [](const QString& t) { return !t.contains(QChar(0)); };
    switch (v.typeId()) {
    case QMetaType::QString:
        return senzaNul(v.toString());
    case QMetaType::QStringList: {
        const QStringList l = v.toStringList();
        return std::all_of(l.begin(), l.end(), senzaNul);
    }
    case QMetaType::QVariantList: {
        const QVariantList l = v.toList();
        return std::all_of(l.begin(), l.end(), Sopravvive);
    }
    default:
        return v == v;
    }
}

// Only text is a setting; anything else keeps its key's default.
bool Testuale(const QVariant& v)
{
    return (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QStringList) && Sopravvive(v);
}

// Why a system call failed, in the user's words.
QString Causa(int codice)
{
    switch (codice) {
    case 0: return QStringLiteral("errore di scrittura");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("disco pieno");
    case EACCES:
    case EPERM: return QStringLiteral("permesso negato");
    case EROFS: return QStringLiteral("disco in sola lettura");
    case EFBIG: return QStringLiteral("file troppo grande");
    case EIO: return QStringLiteral("errore di lettura o scrittura del disco");
    default: return QString::fromLocal8Bit(std::strerror(codice));
    }
}

// The writer of the INI text does not report a short write; writing a little
// more to the same file brings back the error that cut it short.
QString CausaScritturaCorta(const QString& nome)
{
    const int fd = ::open(QFile::encodeName(nome).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return Causa(errno);
    static const char zeri[1 << 16] = {};
    size_t scritti = 0;
    int codice = 0;
    while (scritti < sizeof zeri) {
        const ssize_t n = ::write(fd, zeri + scritti, sizeof zeri - scritti);
        if (n <= 0) {
            codice = n < 0 ? errno : EIO;
            break;
        }
        scritti += size_t(n);
    }
    if (codice == 0 && ::fsync(fd) != 0)
        codice = errno;
    ::close(fd);
    return codice ? Causa(codice) : QStringLiteral("il file scritto non si rilegge uguale");
}

// What a save killed half-way leaves beside the file: its temporary copy
// and that copy's lock, and the private copy a reading makes.
// Six letters or digits, as a temporary file's name gets, then `resto`.
bool SeiCaratteri(std::string_view t, std::string_view resto)
{
    return t.size() == 6 + resto.size() && t.substr(6) == resto
        && std::all_of(t.begin(), t.begin() + 6, [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

bool Residuo(std::string_view nome, std::string_view file)
{
    const std::string copia = "." + std::string(file) + ".";
    if (nome.substr(0, copia.size()) == copia) {
        std::string_view t = nome.substr(copia.size());
        if (t.size() >= 5 && t.substr(t.size() - 5) == ".lock")
            t.remove_suffix(5);
        return SeiCaratteri(t, "") || (t.size() == 13 && SeiCaratteri(t.substr(0, 6), "") && t[6] == '.'
                                       && SeiCaratteri(t.substr(7), ""));
    }
    constexpr std::string_view lettura = ".velatrix-";
    return nome.substr(0, lettura.size()) == lettura && SeiCaratteri(nome.substr(lettura.size()), ".conf");
}

void RimuoviResidui(const QString& percorso)
{
    const QFileInfo info(percorso);
    const QByteArray file = QFile::encodeName(info.fileName());
    // Names only, no regular expression: this runs at every start.
    DIR* d = ::opendir(QFile::encodeName(info.absolutePath()).constData());
    if (!d)
        return;
    QStringList trovati;
    while (const dirent* voce = ::readdir(d))
        if (Residuo(voce->d_name, std::string_view(file.constData(), size_t(file.size()))))
            trovati << QFile::decodeName(voce->d_name);
    ::closedir(d);
    for (const QString& f : trovati)
        QFile::remove(info.absolutePath() + QLatin1Char('/') + f);
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
    bool perso = false;
    for (const QString& k : ini.allKeys()) {
        // An empty section name lists its keys with a leading slash, under
        // which no value can be found again or written back.
        const bool normale = !k.startsWith(QLatin1Char('/')) && !k.endsWith(QLatin1Char('/'))
            && !k.contains(QLatin1String("//"));
        // In our own group anything but text would come back changed.
        const QVariant v = ini.value(k);
        if (normale && (k.startsWith(Gruppo + QLatin1Char('/')) ? Testuale(v) : Sopravvive(v)))
            valori.insert(k, v);
        else
            perso = true;
    }
    return ini.status() == QSettings::FormatError || perso ? Lettura::Danneggiata : Lettura::Letta;
}

} // namespace

ArchivioImpostazioni::ArchivioImpostazioni(const QString& percorso)
    : percorso_(percorso)
{
    RimuoviResidui(percorso_);
    // An unreadable file reads as empty here; Salva then refuses to replace it.
    QMap<QString, QVariant> tutto;
    danneggiato_ = LeggiIni(percorso_, tutto) == Lettura::Danneggiata;
    const QString prefisso = Gruppo + QLatin1Char('/');
    for (auto it = tutto.cbegin(); it != tutto.cend(); ++it) {
        const QString k = it.key();
        if (k.startsWith(prefisso) && !k.mid(prefisso.size()).contains(QLatin1Char('/')) && Testuale(*it))
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
    auto nonSalvato = [&nome](const QString& causa) {
        return QStringLiteral("Impossibile salvare le impostazioni in %1 (%2); il file precedente è rimasto "
                              "invariato.").arg(nome, causa);
    };

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
            return fallito(nonSalvato(QStringLiteral("non è un file")));
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
        errno = 0;
        if (!t.open())
            return fallito(nonSalvato(Causa(errno)));
        scritto = t.fileName();
        provvisori.nomi << scritto;
    }
    {
        QSettings nuovo(scritto, QSettings::IniFormat);
        for (auto it = atteso.cbegin(); it != atteso.cend(); ++it)
            nuovo.setValue(it.key(), it.value());
        errno = 0;
        nuovo.sync();
        if (nuovo.status() != QSettings::NoError)
            return fallito(nonSalvato(Causa(errno)));
    }

    // A short write can go unreported, so read back what reached the disk.
    QMap<QString, QVariant> letto;
    if (LeggiIni(scritto, letto) != Lettura::Letta || letto != atteso)
        return fallito(nonSalvato(CausaScritturaCorta(scritto)));
    QFile::setPermissions(scritto, permessi);
    if (std::rename(QFile::encodeName(scritto).constData(), QFile::encodeName(percorso_).constData()) != 0)
        return fallito(nonSalvato(Causa(errno)));

    provvisori.nomi.clear();
    sospese_.clear();
    danneggiato_ = false;
    return true;
}
