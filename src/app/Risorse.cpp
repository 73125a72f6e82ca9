// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Risorse.h"

#include <QDir>
#include <QFileInfo>

QString PercorsoGuida(const QString& cartellaProgramma)
{
    const QDir programma(cartellaProgramma);
    for (const QString& candidato : {programma.filePath(QStringLiteral("Velatrix.html")),
                                     programma.filePath(QStringLiteral(VELATRIX_DATI_DA_PROGRAMMA "/Velatrix.html"))}) {
        if (QFileInfo(candidato).isFile())
            return QDir::cleanPath(candidato);
    }
    return {};
}

QIcon IconaProgramma()
{
    // Kept by the linker only when asked for by name (static library).
    Q_INIT_RESOURCE(risorse);
    QIcon icona;
    for (int lato : {48, 128})
        icona.addFile(QStringLiteral(":/icone/%1/velatrix.png").arg(lato), QSize(lato, lato));
    return icona;
}
