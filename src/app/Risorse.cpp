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

static QPixmap Immagine(const QString& percorso, const char* formato)
{
    // Kept by the linker only when asked for by name (static library).
    Q_INIT_RESOURCE(risorse);
    // Read by its format's name: a reader left to guess the format asks
    // every image plugin first, which loads three libraries at each start.
    QImageReader lettore(percorso, formato);
    lettore.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(lettore.read());
}

QIcon IconaProgramma()
{
    QIcon icona;
    for (int lato : {48, 128})
        icona.addPixmap(Immagine(QStringLiteral(":/icone/%1/velatrix.png").arg(lato), "png"));
    return icona;
}

// A picture rather than text drawn at start: two more font sizes would cost
// the start two font loads before the panel loads its own. A 256-colour RLE
// bitmap decodes in a third of the time of the same picture as PNG.
QPixmap LogoAvvio() { return Immagine(QStringLiteral(":/avvio/logo.bmp"), "bmp"); }
