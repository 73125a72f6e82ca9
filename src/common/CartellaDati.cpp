// SPDX-License-Identifier: GPL-3.0-or-later
#include "CartellaDati.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ScegliCartellaDati(const QString& daRigaComando, const QString& cartellaProgramma)
{
    QString scelta = daRigaComando;
    if (scelta.isEmpty() && !cartellaProgramma.isEmpty()
        && QFileInfo::exists(QDir(cartellaProgramma).filePath(NomeDatabase)))
        scelta = cartellaProgramma;
    if (scelta.isEmpty())
        scelta = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Velatrix";
    return QDir::cleanPath(QDir(scelta).absolutePath());
}

QString CartellaDati(const QString& daRigaComando, const QString& cartellaProgramma, QString* errore)
{
    const QString scelta = ScegliCartellaDati(daRigaComando, cartellaProgramma);
    if (!QDir().mkpath(scelta)) {
        if (errore)
            *errore = QStringLiteral("Impossibile creare la cartella dei dati %1.").arg(scelta);
        return {};
    }
    return scelta;
}

namespace {
QString& UltimaCartella()
{
    static QString cartella;
    return cartella;
}
} // namespace

QString CartellaEsportazione()
{
    if (!UltimaCartella().isEmpty() && QFileInfo(UltimaCartella()).isDir())
        return UltimaCartella();
    const QString documenti = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documenti.isEmpty() && QFileInfo(documenti).isDir())
        return documenti;
    return QDir::homePath();
}

void RicordaCartellaEsportazione(const QString& fileEsportato)
{
    UltimaCartella() = QFileInfo(fileEsportato).absolutePath();
}
