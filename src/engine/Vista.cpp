#include "engine/Vista.h"

#include "common/FormeTesto.h"
#include "tariffs/Tariffe.h"

std::optional<QString> TestoImporto(int tipo, const Totali& totali, float secondiConnessione, int prcIva)
{
    switch (tipo) {
    case 1: return QStringLiteral("Lire  ") + FormattaNumero(totali.importo, QStringLiteral("#,##0 "));
    case 2: return QStringLiteral("L.+Iva  ") + FormattaNumero(ConIva(totali.importo, prcIva), QStringLiteral("#,##0 "));
    case 3: return QStringLiteral("Scatti  ") + FormattaNumero(totali.scatti, QStringLiteral("0 "));
    case 4: return QStringLiteral("Tempo  ") + FormattaTempo(secondiConnessione) + QLatin1Char(' ');
    default: return std::nullopt;
    }
}
