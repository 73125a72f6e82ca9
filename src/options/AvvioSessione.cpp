// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/AvvioSessione.h"

#include "common/FileIntero.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>

AvvioSessione::AvvioSessione(QString voce, QStringList comando) : voce_(std::move(voce)), comando_(std::move(comando))
{
}

AvvioSessione AvvioSessione::Predefinito(const QStringList& argomenti)
{
    const QString cartella = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return AvvioSessione(cartella + QStringLiteral("/autostart/velatrix.desktop"),
                         QStringList{QCoreApplication::applicationFilePath()} + argomenti);
}

namespace {
// The keys of the entry's [Desktop Entry] group, as written.
QMap<QByteArray, QByteArray> Chiavi(const QString& percorso)
{
    QMap<QByteArray, QByteArray> chiavi;
    QFile f(percorso);
    if (!f.open(QIODevice::ReadOnly))
        return chiavi;
    bool gruppo = false;
    for (const QByteArray& grezza : f.read(64 * 1024).split('\n')) {
        const QByteArray riga = grezza.trimmed();
        if (riga.startsWith('['))
            gruppo = riga == "[Desktop Entry]";
        const qsizetype uguale = riga.indexOf('=');
        if (gruppo && uguale > 0 && !riga.startsWith('#'))
            chiavi.insert(riga.left(uguale).trimmed(), riga.mid(uguale + 1).trimmed());
    }
    return chiavi;
}
} // namespace

bool AvvioSessione::Attivo() const
{
    if (!QFileInfo::exists(voce_))
        return false;
    const auto chiavi = Chiavi(voce_);
    QByteArray nostro;
    for (const QByteArray& riga : Testo(comando_).split('\n'))
        if (riga.startsWith("Exec="))
            nostro = riga.mid(5);
    return chiavi.value("Hidden").toLower() != "true"
           && chiavi.value("X-GNOME-Autostart-enabled", "true").toLower() != "false" && chiavi.value("Exec") == nostro;
}

bool AvvioSessione::DaAggiornare(bool attivo) const { return attivo ? !Attivo() : QFileInfo::exists(voce_); }

QString AvvioSessione::ArgomentoExec(const QString& argomento)
{
    // Reserved characters need the argument in double quotes, with ", `, $
    // and \ escaped inside; every \ of the value is then doubled once more
    // because the desktop file's own string escapes come first.
    static const QString riservati = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quota = argomento.isEmpty();
    for (QChar c : argomento)
        quota = quota || riservati.contains(c);
    if (!quota)
        return argomento;
    QString dentro;
    for (QChar c : argomento) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            dentro += u'\\';
        dentro += c;
    }
    dentro.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return u'"' + dentro + u'"';
}

QByteArray AvvioSessione::Testo(const QStringList& comando)
{
    QStringList exec;
    for (const QString& a : comando)
        exec << ArgomentoExec(a);
    // A percent sign would be read as a field code.
    const QString riga = exec.join(u' ').replace(u'%', QStringLiteral("%%"));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Velatrix\n"
                          "Comment=Misura il costo delle connessioni telefoniche a tariffa a scatti\n"
                          "Exec=%1\n"
                          "Icon=velatrix\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(riga)
        .toUtf8();
}

bool AvvioSessione::Imposta(bool attivo, QString* motivo) const
{
    if (!attivo) {
        if (!QFileInfo::exists(voce_) || QFile::remove(voce_))
            return true;
        if (motivo)
            *motivo = QStringLiteral("Impossibile eliminare %1.").arg(QDir::toNativeSeparators(voce_));
        return false;
    }
    const QString cartella = QFileInfo(voce_).absolutePath();
    if (!QDir().mkpath(cartella)) {
        if (motivo)
            *motivo = QStringLiteral("Impossibile scrivere %1: impossibile creare la cartella %2.")
                          .arg(QDir::toNativeSeparators(voce_), QDir::toNativeSeparators(cartella));
        return false;
    }
    QString causa;
    if (!FileIntero::ScriviTutto(voce_, Testo(comando_), &causa)) {
        if (motivo)
            *motivo = QStringLiteral("Impossibile scrivere %1").arg(causa);
        return false;
    }
    return true;
}
