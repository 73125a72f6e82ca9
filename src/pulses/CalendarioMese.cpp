// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/CalendarioMese.h"
#include "common/FormeTesto.h"

#include <algorithm>
#include <cmath>
#include <limits>

const QStringList& NomiMesi()
{
    static const QStringList nomi{"Gennaio", "Febbraio", "Marzo",     "Aprile",  "Maggio",   "Giugno",
                                  "Luglio",  "Agosto",   "Settembre", "Ottobre", "Novembre", "Dicembre"};
    return nomi;
}

int AnnoMostrabile(int anno) { return std::clamp(anno, PrimoAnno, UltimoAnno); }

GrigliaMese::GrigliaMese(int anno, int mese)
    : primo_(anno, std::clamp(mese, 1, 12), 1), scostamento_(primo_.dayOfWeek() - 1)
{
}

QDate GrigliaMese::Giorno(int riga, int colonna) const
{
    const QDate d = primo_.addDays(riga * Colonne + colonna - scostamento_);
    return d.month() == primo_.month() && d.year() == primo_.year() ? d : QDate();
}

QString TestoGiorno(const QDate& giorno, bool conRiga)
{
    const QString n = QString::number(giorno.day());
    return conRiga ? QStringLiteral("( ") + n + QStringLiteral(" )") : n;
}

TotaliMese SommaMese(const GrigliaMese& mese, const QMap<QDate, Totali>& righe)
{
    TotaliMese t;
    for (auto it = righe.lowerBound(mese.Primo()); it != righe.end() && it.key() <= mese.Ultimo(); ++it) {
        t.scatti += it->scatti;
        t.importo += it->importo;
    }
    t.mediaScatti = double(t.scatti) / mese.GiorniNelMese();
    t.mediaImporto = t.importo / mese.GiorniNelMese();
    return t;
}

TestiMese TestiDelMese(const TotaliMese& t)
{
    return {FormattaNumero(double(t.scatti), "0  "), FormattaNumero(t.importo, "#,##0  "),
            FormattaNumero(t.mediaScatti, "0.0  "), FormattaNumero(t.mediaImporto, "#,##0.0  ")};
}

TestiGiorno TestiDelGiorno(const Totali& t)
{
    return {FormattaNumero(t.scatti, "0  "), FormattaNumero(t.importo, "#,##0  ")};
}

QString TestoScambioScatti(const Totali& t, const QLocale& locale)
{
    return QString::number(t.scatti) + QLatin1Char('/') + TestoNumero(t.importo, locale);
}

Totali LeggiScambioScatti(const QString& testo, const QLocale& locale)
{
    const qsizetype p = testo.indexOf(QLatin1Char('/'));
    const auto scatti = LeggiNumero(p < 0 ? testo : testo.left(p), locale);
    const auto importo = p < 0 ? std::nullopt : LeggiNumero(testo.mid(p + 1), locale);
    Totali t;
    if (scatti && std::abs(*scatti) <= std::numeric_limits<qint32>::max())
        t.scatti = qint32(ArrotondaMezzi(*scatti));
    t.importo = importo.value_or(0);
    return t;
}

namespace {
QString MeseAnno(const QDate& giorno, const QLocale& locale)
{
    return locale.toString(giorno, QStringLiteral("MMMM yyyy"));
}
} // namespace

QString DomandaAzzeramento(const QDate& giorno, const QLocale& locale)
{
    return QStringLiteral("Attenzione!!! Gli scatti conteggiati nel mese di ") + MeseAnno(giorno, locale)
           + QStringLiteral(" stanno per essere azzerati: premere <OK>")
           + QStringLiteral(" per procedere all'azzeramento oppure <Annulla>")
           + QStringLiteral(" per lasciare invariato.");
}

QString AvvisoAzzeramento(const QDate& giorno, const QLocale& locale)
{
    return QStringLiteral("Gli scatti conteggiati nel mese di ") + MeseAnno(giorno, locale)
           + QStringLiteral(" sono stati azzerati.");
}
