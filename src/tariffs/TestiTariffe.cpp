// SPDX-License-Identifier: GPL-3.0-or-later
#include "tariffs/TestiTariffe.h"

#include "common/FormeTesto.h"
#include "tariffs/Tariffe.h"

#include <cmath>

QString TestoDurataScatto(float secondi, const QLocale& locale)
{
    const double x = std::max(0.0, double(secondi));
    const qint64 w = qint64(std::trunc(x));
    const qint64 m = w / 60, s = w % 60;
    const double f = x - double(w);
    QString parteSecondi;
    if (f > 0)
        parteSecondi = FormattaNumero(double(s) + f, QStringLiteral("0.0"), locale) + QLatin1Char('"');
    else if (s > 0)
        parteSecondi = QString::number(s) + QLatin1Char('"');
    return m > 0 ? QString::number(m) + QStringLiteral("' ") + parteSecondi : parteSecondi;
}

QString TestoIntervallo(float secondi, const QLocale& locale)
{
    return QStringLiteral("1 scatto ogni ") + TestoDurataScatto(secondi, locale);
}

QString TestoCosto1(const ModelloTariffe& m, const QLocale& locale)
{
    QString t = QStringLiteral("Scatto = L. ") + FormattaNumero(m.CstSct, QStringLiteral("#,##0"), locale)
                + QStringLiteral(" + IVA (%1%)").arg(m.PrcIva);
    if (m.RidTrf && m.PrcRid > 0) {
        t += QStringLiteral(", riduzione %1% dopo %2").arg(m.PrcRid).arg(m.LimRid);
        t += m.TipRid == 1   ? QStringLiteral(" sec.")
             : m.LimRid == 1 ? QStringLiteral(" scatto.")
                             : QStringLiteral(" scatti.");
    }
    return t;
}

QString TestoCosto2(const ModelloTariffe& m)
{
    return m.SctAgg ? QStringLiteral("Scatto aggiuntivo a inizio chiamata.") : QString();
}

QString TestoCostoOra(const ModelloTariffe& m, float secondi, const QLocale& locale)
{
    return QStringLiteral("(1ª ora = L. ") + FormattaNumero(CostoPrimaOra(m, secondi), QStringLiteral("#,##0"), locale)
           + QStringLiteral(" + IVA)");
}

TestiOra TestiIniziali()
{
    return {QStringLiteral("Data corrente"), QStringLiteral("00.00.00"), QStringLiteral("1 scatto ogni ..."),
            QStringLiteral("(1ª ora = L. ...)")};
}

TestiOra TestiDataOraTariffa(const ModelloTariffe& m, const QDateTime& adesso, const QLocale& locale)
{
    const QDate data = adesso.date();
    const QTime ora = adesso.time();
    const float s = m.tariffa(TariffaInVigore(m, data, ora)).SecondiPerScatto;
    return {locale.toString(data, QStringLiteral("dddd dd/MM/yyyy")), locale.toString(ora, FormatoOra(locale)),
            TestoIntervallo(s, locale), TestoCostoOra(m, s, locale)};
}
