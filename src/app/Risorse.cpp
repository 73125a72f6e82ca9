// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Risorse.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>

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

static QPixmap Png(const QString& percorso)
{
    // Kept by the linker only when asked for by name (static library).
    Q_INIT_RESOURCE(risorse);
    // Read as PNG by name: a reader left to guess the format asks every
    // image plugin first, which loads three libraries at each start.
    QImageReader lettore(percorso, "png");
    lettore.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(lettore.read());
}

QIcon IconaProgramma()
{
    QIcon icona;
    for (int lato : {48, 128})
        icona.addPixmap(Png(QStringLiteral(":/icone/%1/velatrix.png").arg(lato)));
    return icona;
}

// A picture rather than text drawn at start: two more font sizes would cost
// the start two font loads before the panel loads its own.
QPixmap LogoAvvio() { return Png(QStringLiteral(":/avvio/logo.png")); }
