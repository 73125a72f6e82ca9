// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Vista.h"

#include "common/FormeTesto.h"

std::optional<QString> TestoImporto(TipoImporto tipo, const Totali& totali, float secondiConnessione, int prcIva)
{
    switch (tipo) {
    case TipoImporto::Importo:
        return QStringLiteral("Lire  ") + FormattaNumero(totali.importo, QStringLiteral("#,##0 "));
    case TipoImporto::ImportoIva:
        return QStringLiteral("L.+Iva  ") + FormattaNumero(ConIva(totali.importo, prcIva), QStringLiteral("#,##0 "));
    case TipoImporto::Scatti: return QStringLiteral("Scatti  ") + FormattaNumero(totali.scatti, QStringLiteral("0 "));
    case TipoImporto::Tempo: return QStringLiteral("Tempo  ") + FormattaTempo(secondiConnessione) + QLatin1Char(' ');
    }
    return std::nullopt;
}
