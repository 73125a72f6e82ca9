// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/TraduzioneQt.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QTranslator* InstallaTraduzioneQt(QObject* proprietario)
{
    auto* traduzione = new QTranslator(proprietario);
    // Qt's own folder first, then one beside the program for a copy that
    // travels without it.
    const QStringList cartelle = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
    for (const QString& cartella : cartelle) {
        if (traduzione->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                             cartella)
            && QCoreApplication::installTranslator(traduzione))
            return traduzione;
    }
    delete traduzione;
    return nullptr;
}
