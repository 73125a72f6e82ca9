#include "engine/Allarmi.h"

#include "common/FormeTesto.h"
#include "engine/Motore.h"
#include "settings/Impostazioni.h"
#include "tariffs/Tariffe.h"

#include <cmath>

Allarmi::Allarmi(const Impostazioni& imp, Motore& motore, FinestraMessaggio& finestra)
    : imp_(imp), motore_(motore), finestra_(finestra)
{
}

void Allarmi::ControllaCosti()
{
    for (int n = 3; n >= 1; --n) {
        if (!imp_.Msg[size_t(n)] || motore_.MessaggioDato[size_t(n)])
            continue;
        double v = n == 1 ? motore_.ImportoConnessione() : n == 2 ? motore_.ImportoOggi() : motore_.ImportoPeriodo();
        if (imp_.MsI[size_t(n)])
            v = ConIva(v, imp_.Tariffe.PrcIva);
        if (std::trunc(v) > imp_.MsV[size_t(n)])
            MostraMessaggio(n);
    }
}

void Allarmi::ControllaDurata()
{
    if (!imp_.Msg[4] || motore_.MessaggioDato[4])
        return;
    if (motore_.SecondiConnessione() / 60.0f > float(imp_.MsV[4]))
        MostraMessaggio(4);
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

void Allarmi::MostraMessaggio(int n)
{
    // One window at a time: the alarm stays armed and is tried again later.
    if (finestra_.Aperta())
        return;
    motore_.MessaggioDato[size_t(n)] = true;
    finestra_.Mostra(TestoAllarme(imp_, n));
}
