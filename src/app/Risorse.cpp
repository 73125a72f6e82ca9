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

QIcon IconaProgramma()
{
    // Kept by the linker only when asked for by name (static library).
    Q_INIT_RESOURCE(risorse);
    // Read as PNG by name: a reader left to guess the format asks every
    // image plugin first, which loads three libraries at each start.
    QIcon icona;
    for (int lato : {48, 128}) {
        QImageReader lettore(QStringLiteral(":/icone/%1/velatrix.png").arg(lato), "png");
        lettore.setAutoDetectImageFormat(false);
        icona.addPixmap(QPixmap::fromImage(lettore.read()));
    }
    return icona;
}
