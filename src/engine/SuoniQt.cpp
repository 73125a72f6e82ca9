// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/SuoniQt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

SuoniQt::SuoniQt(QStringList moduli) : moduli_(std::move(moduli)) {}
SuoniQt::~SuoniQt() = default;

QStringList SuoniQt::PercorsiModulo()
{
    const QDir programma(QCoreApplication::applicationDirPath());
    return {programma.filePath(QStringLiteral(VELATRIX_NOME_MODULO_SUONI)),
            programma.filePath(QStringLiteral(VELATRIX_MODULI_DA_PROGRAMMA "/" VELATRIX_NOME_MODULO_SUONI))};
}

Riproduttore* SuoniQt::Modulo() const
{
    if (caricato_)
        return modulo_.get();
    caricato_ = true; // one try: a module that failed once stays silence
    using Crea = Riproduttore* (*)();
    for (const QString& percorso : moduli_) {
        if (!QFileInfo(percorso).isFile())
            continue;
        // Never unloaded: the player it made lives until the program ends.
        QLibrary libreria(percorso);
        if (const auto crea = reinterpret_cast<Crea>(libreria.resolve("VelatrixCreaRiproduttore"))) {
            modulo_.reset(crea());
            break;
        }
        qWarning("Velatrix: modulo dei suoni non caricato: %s", qPrintable(libreria.errorString()));
    }
    return modulo_.get();
}

int SuoniQt::NumeroDispositivi() const
{
    const Riproduttore* modulo = Modulo();
    return modulo ? modulo->NumeroDispositivi() : 0;
}

void SuoniQt::RiproduciSuono(const QString& file)
{
    // A file that is not there needs no device.
    if (!QFileInfo(file).isFile())
        return;
    if (Riproduttore* modulo = Modulo())
        modulo->RiproduciSuono(file);
}
