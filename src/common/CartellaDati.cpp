#include "CartellaDati.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

RigaComando LeggiRigaComando(const QStringList& argomenti)
{
    RigaComando riga;
    for (int i = 0; i < argomenti.size(); ++i) {
        const QString& a = argomenti.at(i);
        if (a == QLatin1String("--data-dir")) {
            if (i + 1 >= argomenti.size()) {
                riga.errore = QStringLiteral("--data-dir vuole il nome di una cartella.");
                return riga;
            }
            riga.cartellaDati = argomenti.at(++i);
        } else if (a.startsWith(QLatin1String("--data-dir="))) {
            riga.cartellaDati = a.mid(11);
        } else {
            riga.argomenti << a;
        }
    }
    return riga;
}

QString CartellaDati(const QString& daRigaComando, const QString& cartellaProgramma, QString* errore)
{
    QString scelta = daRigaComando;
    if (scelta.isEmpty() && !cartellaProgramma.isEmpty()
        && QFileInfo::exists(QDir(cartellaProgramma).filePath(NomeDatabase)))
        scelta = cartellaProgramma;
    if (scelta.isEmpty())
        scelta = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Velatrix";
    scelta = QDir::cleanPath(QDir(scelta).absolutePath());
    if (!QDir().mkpath(scelta)) {
        if (errore)
            *errore = QStringLiteral("Impossibile creare la cartella dei dati %1.").arg(scelta);
        return {};
    }
    return scelta;
}
