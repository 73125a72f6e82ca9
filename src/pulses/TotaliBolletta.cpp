// SPDX-License-Identifier: GPL-3.0-or-later
#include "TotaliBolletta.h"
#include "common/FormeTesto.h"
#include "common/Totali.h"
#include <algorithm>
#include <cmath>
#include <limits>

TotaliBolletta CalcolaBolletta(qint32 scatti, double netto, qint64 giorni, int percentualeIva)
{
    TotaliBolletta t;
    t.scatti = scatti;
    t.netto = netto;
    t.totale = ConIva(netto, percentualeIva);
    // Both rounded to whole lire first, so shown net + shown VAT = shown total.
    t.iva = std::round(t.totale) - std::round(netto);
    if (giorni > 0) {
        t.mediaScatti = double(scatti) / double(giorni);
        t.mediaImporto = netto / double(giorni);
    }
    return t;
}

std::optional<TotaliBolletta> StimaBolletta(QDate inizio, QDate fine, QDate oggi, qint32 scattiFinora,
                                            double nettoFinora, int percentualeIva, double parteDiOggi)
{
    if (!inizio.isValid() || !fine.isValid() || oggi < inizio || oggi > fine)
        return std::nullopt;
    const double parte = std::isfinite(parteDiOggi) ? std::clamp(parteDiOggi, 0.0, 1.0) : 1.0;
    const double finora = std::max(1.0, double(inizio.daysTo(oggi)) + parte);
    const double fattore = double(inizio.daysTo(fine) + 1) / finora;
    const double scatti = std::min(std::round(scattiFinora * fattore), double(std::numeric_limits<qint32>::max()));
    return CalcolaBolletta(qint32(scatti), nettoFinora * fattore, inizio.daysTo(fine) + 1, percentualeIva);
}

double ParteDelGiorno(const QTime& ora) { return ora.isValid() ? ora.msecsSinceStartOfDay() / 86400000.0 : 1.0; }

TestiBolletta TestiDiBolletta(const TotaliBolletta& t)
{
    return {FormattaNumero(t.scatti, "0 "),
            FormattaNumero(t.mediaScatti, "0.0 "),
            FormattaNumero(t.mediaImporto, "#,##0.0 "),
            FormattaNumero(t.netto, "#,##0 "),
            FormattaNumero(t.iva, "#,##0 "),
            FormattaNumero(t.totale, "#,##0 ")};
}

TestiBolletta EtichetteBolletta(int percentualeIva)
{
    return {QStringLiteral("Totale scatti"),
            QStringLiteral("Media scatti/gg"),
            QStringLiteral("Media L./gg"),
            QStringLiteral("Netto"),
            QStringLiteral("Iva (") + QString::number(percentualeIva) + QStringLiteral("%)"),
            QStringLiteral("TOTALE")};
}

QString TitoloStima() { return QStringLiteral("Stima a fine periodo"); }

qint32 CorreggiScatti(const QString& testo)
{
    const double v = ValoreIniziale(testo);
    return (v < 0 || v > 9999) ? 0 : qint32(v);
}

double CorreggiImporto(const QString& testo)
{
    const auto v = LeggiNumero(testo);
    return (!v || *v < 0 || *v > 9999999) ? 0 : *v;
}
