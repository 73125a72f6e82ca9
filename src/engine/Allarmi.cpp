// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Allarmi.h"

#include "common/FormeTesto.h"

#include <cmath>

int Allarmi::CostoSuperato(const Totali& connessione, const Totali& giorno, const Totali& periodo,
                           const AllarmiDati& dati) const
{
    const Totali* provati[] = {nullptr, &connessione, &giorno, &periodo};
    for (int n = 3; n >= 1; --n) {
        if (!imp_.Msg[size_t(n)] || dati[size_t(n)])
            continue;
        double v = provati[n]->importo;
        if (imp_.MsI[size_t(n)])
            v = ConIva(v, imp_.Tariffe.PrcIva);
        if (std::trunc(v) > imp_.MsV[size_t(n)])
            return n;
    }
    return 0;
}

int Allarmi::DurataSuperata(float secondiConnessione, const AllarmiDati& dati) const
{
    if (!imp_.Msg[4] || dati[4])
        return 0;
    return secondiConnessione / 60.0f > float(imp_.MsV[4]) ? 4 : 0;
}

QString Allarmi::TestoAllarme(const Impostazioni& imp, int n)
{
    const double soglia = imp.MsV[size_t(n)];
    if (n == 4)
        return QStringLiteral("Durata connessione corrente maggiore di ") + FormattaNumero(soglia, QStringLiteral("#"))
               + (soglia == 1 ? QStringLiteral(" minuto") : QStringLiteral(" minuti"));
    static const QString inizio[] = {
        QStringLiteral("Costo connessione corrente maggiore di L. "),
        QStringLiteral("Costo giornaliero maggiore di L. "),
        QStringLiteral("Costo periodo bolletta maggiore di L. "),
    };
    QString testo = inizio[n - 1] + FormattaNumero(soglia, QStringLiteral("#,###"));
    if (!imp.MsI[size_t(n)])
        testo += QStringLiteral(" (+ IVA)");
    return testo;
}
