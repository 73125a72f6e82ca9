// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ArchivioImpostazioni.h"

#include "common/FileIntero.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QVariant>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

const QString Gruppo = QStringLiteral("Settings");

// A value edited by hand without quotes, as 72,5, comes back as a list.
QString Testo(const QVariant& v)
{
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

// Only text without a NUL is a setting: anything else would come back
// changed once rewritten, so it keeps its key's default.
bool Testuale(const QVariant& v)
{
    const auto senzaNul = [](const QString& t) { return !t.contains(QChar(0)); };
    if (v.typeId() == QMetaType::QString)
        return senzaNul(v.toString());
    const QStringList l = v.toStringList();
    return v.typeId() == QMetaType::QStringList && std::all_of(l.begin(), l.end(), senzaNul);
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
        return SeiCaratteri(t, "")
               || (t.size() == 13 && SeiCaratteri(t.substr(0, 6), "") && t[6] == '.' && SeiCaratteri(t.substr(7), ""));
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

// The whole file; a missing one reads as empty.
Lettura LeggiFile(const QString& percorso, QByteArray& dati)
{
    dati.clear();
    QFile file(percorso);
    if (!file.exists())
        return Lettura::Letta;
    if (!file.open(QIODevice::ReadOnly))
        return Lettura::Impossibile;
    dati = file.readAll();
    return file.error() == QFileDevice::NoError ? Lettura::Letta : Lettura::Impossibile;
}

// The store owns the [Settings] sections; every other line (comments, other
// sections, keys before the first section) is kept byte for byte, never parsed
// and written back, so nothing there can block or change a save.
struct Parti {
    QByteArray nostre, estranee;
};

Parti Dividi(const QByteArray& dati)
{
    Parti parti;
    bool nostra = false;
    for (qsizetype inizio = 0; inizio < dati.size();) {
        const qsizetype a = dati.indexOf('\n', inizio);
        const qsizetype fine = a < 0 ? dati.size() : a + 1;
        const QByteArrayView riga = QByteArrayView(dati).sliced(inizio, fine - inizio).trimmed();
        if (riga.startsWith('[')) {
            // A header without its bracket still opens a section, as the parser has it.
            const qsizetype chiusa = riga.indexOf(']');
            nostra = (chiusa < 0 ? riga.sliced(1) : riga.sliced(1, chiusa - 1)).trimmed() == Gruppo.toLatin1();
        }
        (nostra ? parti.nostre : parti.estranee).append(dati.constData() + inizio, fine - inizio);
        inizio = fine;
    }
    return parti;
}

// Parses INI text through a private copy, keeping the keys of our group.
// QSettings keeps every file it has parsed in a process-wide cache and serves
// that instead when size and time look unchanged, which the renames of Salva
// can bring about within one millisecond; a name never seen before always
// gets parsed.
Lettura Analizza(const QByteArray& dati, const QString& cartellaRiserva, QMap<QString, QVariant>& valori)
{
    valori.clear();
    if (dati.isEmpty())
        return Lettura::Letta;
    // In the temporary folder, else beside the file when that one is full.
    std::unique_ptr<QTemporaryFile> copia;
    for (const QString& cartella : {QDir::tempPath(), cartellaRiserva}) {
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
    const QString prefisso = Gruppo + QLatin1Char('/');
    for (const QString& k : ini.allKeys()) {
        if (!k.startsWith(prefisso))
            continue;
        const QVariant v = ini.value(k);
        if (!k.endsWith(QLatin1Char('/')) && !k.contains(QLatin1String("//")) && Testuale(v))
            valori.insert(k, v);
        else
            perso = true;
    }
    return ini.status() == QSettings::FormatError || perso ? Lettura::Danneggiata : Lettura::Letta;
}

QString Cartella(const QString& percorso) { return QFileInfo(percorso).absolutePath(); }

} // namespace

ArchivioImpostazioni::ArchivioImpostazioni(const QString& percorso) : percorso_(percorso)
{
    RimuoviResidui(percorso_);
    // An unreadable file reads as empty here; Salva then refuses to replace it.
    QByteArray dati;
    QMap<QString, QVariant> nostri;
    if (LeggiFile(percorso_, dati) == Lettura::Letta)
        danneggiato_ = Analizza(Dividi(dati).nostre, Cartella(percorso_), nostri) == Lettura::Danneggiata;
    const QString prefisso = Gruppo + QLatin1Char('/');
    for (auto it = nostri.cbegin(); it != nostri.cend(); ++it)
        if (!it.key().mid(prefisso.size()).contains(QLatin1Char('/')))
            valori_.insert(it.key().mid(prefisso.size()), Testo(*it));
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

bool ArchivioImpostazioni::Contiene(const QString& chiave) const { return valori_.contains(chiave); }

QStringList ArchivioImpostazioni::Chiavi() const { return valori_.keys(); }

void ArchivioImpostazioni::Scrivi(const QString& chiave, const QString& testo)
{
    valori_.insert(chiave, testo);
    sospese_.append({chiave, testo});
}

namespace {

QString NonSalvato(const QString& percorso, const QString& causa)
{
    return QStringLiteral("Impossibile salvare le impostazioni in %1 (%2); il file precedente è rimasto "
                          "invariato.")
        .arg(QDir::toNativeSeparators(percorso), causa);
}

// Writes `testo` over the temporary file `nome` and reads it back.
bool RiscriviProvvisorio(const QString& nome, const QByteArray& testo, QString* causa)
{
    QFile f(nome);
    errno = 0;
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) || f.write(testo) != testo.size()
        || !f.flush()) {
        *causa = Causa(errno);
        return false;
    }
    f.close();
    QByteArray letto;
    if (LeggiFile(nome, letto) != Lettura::Letta || letto != testo) {
        *causa = CausaScritturaCorta(nome);
        return false;
    }
    return true;
}

// Writes the new file into the temporary `scritto`: our group as `atteso`,
// after the lines of others. When those lines would change how our group
// reads (an open quote or a trailing backslash running into it), they are
// left out, which `fuoriEstranee` reports; the caller keeps a copy.
bool ScriviNuovo(const QString& scritto, const QMap<QString, QVariant>& atteso, const QByteArray& estranee,
                 bool* fuoriEstranee, QString* causa)
{
    {
        QSettings nuovo(scritto, QSettings::IniFormat);
        for (auto it = atteso.cbegin(); it != atteso.cend(); ++it)
            nuovo.setValue(it.key(), it.value());
        errno = 0;
        nuovo.sync();
        if (nuovo.status() != QSettings::NoError) {
            *causa = Causa(errno);
            return false;
        }
    }
    // A short write can go unreported, so read back what reached the disk.
    QByteArray nostre;
    QMap<QString, QVariant> letto;
    if (LeggiFile(scritto, nostre) != Lettura::Letta || Analizza(nostre, Cartella(scritto), letto) != Lettura::Letta
        || letto != atteso) {
        *causa = CausaScritturaCorta(scritto);
        return false;
    }
    if (estranee.isEmpty())
        return true;
    QByteArray tutto = estranee;
    if (!tutto.endsWith('\n'))
        tutto += '\n';
    tutto += nostre;
    *fuoriEstranee = Analizza(tutto, Cartella(scritto), letto) == Lettura::Impossibile || letto != atteso;
    return *fuoriEstranee || RiscriviProvvisorio(scritto, tutto, causa);
}

} // namespace

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
    const QFileInfo info(percorso_);
    const QString cartella = info.absolutePath();
    if (!QDir().mkpath(cartella))
        return fallito(QStringLiteral("Impossibile creare la cartella %1 per le impostazioni.")
                           .arg(QDir::toNativeSeparators(cartella)));
    if (info.exists() && !info.isFile())
        return fallito(NonSalvato(percorso_, QStringLiteral("non è un file")));

    // Everything our group holds now goes into the new file, beside the lines of others.
    QByteArray dati;
    QMap<QString, QVariant> atteso;
    Lettura lettura = LeggiFile(percorso_, dati);
    const Parti parti = Dividi(dati);
    if (lettura == Lettura::Letta)
        lettura = Analizza(parti.nostre, cartella, atteso);
    if (lettura == Lettura::Impossibile)
        return fallito(QStringLiteral("Impossibile leggere il file delle impostazioni %1: "
                                      "nessuna modifica è stata salvata.")
                           .arg(nome));
    const QString copia = percorso_ + QStringLiteral(".danneggiato");
    auto conservaCopia = [&] {
        // What could not be parsed would be dropped by the rewrite.
        return FileIntero::ScriviTutto(copia, dati, nullptr, {0600, false});
    };
    const QString copiaImpossibile = QStringLiteral("Il file delle impostazioni %1 è danneggiato e non è stato "
                                                    "possibile conservarne una copia: nessuna modifica è stata "
                                                    "salvata.")
                                         .arg(nome);
    if (lettura == Lettura::Danneggiata && !conservaCopia())
        return fallito(copiaImpossibile);
    for (const auto& [k, v] : sospese_)
        atteso.insert(Gruppo + QLatin1Char('/') + k, v);

    FileProvvisori provvisori;
    QString scritto;
    {
        QTemporaryFile t(cartella + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
        t.setAutoRemove(false);
        errno = 0;
        if (!t.open())
            return fallito(NonSalvato(percorso_, Causa(errno)));
        scritto = t.fileName();
        provvisori.nomi << scritto;
    }
    bool fuoriEstranee = false;
    QString causa;
    if (!ScriviNuovo(scritto, atteso, parti.estranee, &fuoriEstranee, &causa))
        return fallito(NonSalvato(percorso_, causa));
    if (fuoriEstranee && lettura != Lettura::Danneggiata && !conservaCopia())
        return fallito(copiaImpossibile);
    QFile::setPermissions(scritto, info.exists() ? info.permissions() : QFile::ReadOwner | QFile::WriteOwner);
    if (std::rename(QFile::encodeName(scritto).constData(), QFile::encodeName(percorso_).constData()) != 0)
        return fallito(NonSalvato(percorso_, Causa(errno)));

    provvisori.nomi.clear();
    sospese_.clear();
    danneggiato_ = false;
    return true;
}
