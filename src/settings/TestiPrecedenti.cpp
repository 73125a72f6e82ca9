// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/TestiPrecedenti.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <unordered_map>

QString TestoSemplificato(const QString& testo)
{
    QString out;
    out.reserve(testo.size());
    for (const char32_t c : testo.toUcs4()) {
        if (QChar::category(c) == QChar::Other_Format)
            continue;
        if (c == 0x2212)
            out += QLatin1Char('-');
        else if (QChar::isDigit(c) && QChar::digitValue(c) >= 0)
            out += QLatin1Char(char('0' + QChar::digitValue(c)));
        else
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}

std::optional<double> LeggiNumeroPrecedente(const QString& testo)
{
    QString t = TestoSemplificato(testo).trimmed();
    static const QRegularExpression marcato(QStringLiteral(R"(^([+-]?[0-9]*)\p{Po}([0-9]+)$)"));
    if (const QRegularExpressionMatch m = marcato.match(t); m.hasMatch())
        t = m.captured(1) + QLatin1Char('.') + m.captured(2);
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

namespace {

QString ChiaveMese(QString nome)
{
    nome = TestoSemplificato(nome).trimmed().toCaseFolded();
    while (nome.endsWith(QLatin1Char('.')))
        nome.chop(1);
    return nome;
}

using TabellaMesi = std::unordered_map<QString, int>;

void AggiungiMesi(TabellaMesi& m, const QLocale& l)
{
    for (int mese = 1; mese <= 12; ++mese)
        for (const QLocale::FormatType f : {QLocale::LongFormat, QLocale::ShortFormat}) {
            m.emplace(ChiaveMese(l.monthName(mese, f)), mese);
            m.emplace(ChiaveMese(l.standaloneMonthName(mese, f)), mese);
        }
    m.erase(QString());
}

// Month names of every language, first the C locale's (the only short date
// that spells its month): a name two languages give to different months
// reads as the first one's, whatever the user's locale, so a file reads the
// same everywhere. The other languages are gathered only when needed.
int MeseDelNome(const QString& nome)
{
    const QString chiave = ChiaveMese(nome);
    static const TabellaMesi c = [] {
        TabellaMesi m;
        AggiungiMesi(m, QLocale::c());
        return m;
    }();
    if (const auto trovato = c.find(chiave); trovato != c.end())
        return trovato->second;
    static const TabellaMesi tutti = [] {
        TabellaMesi m = c;
        for (const QLocale& l :
             QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory))
            AggiungiMesi(m, l);
        return m;
    }();
    const auto trovato = tutti.find(chiave);
    return trovato == tutti.end() ? 0 : trovato->second;
}

} // namespace

std::optional<QDate> LeggiDataPrecedente(const QString& testo, OrdineData ordine)
{
    const QString t = TestoSemplificato(testo);
    if (const auto d = LeggiDataNumerica(t, ordine))
        return d;
    QStringList numeri, parole;
    static const QRegularExpression pezzo(QStringLiteral(R"([0-9]+|\p{L}+)"));
    for (auto i = pezzo.globalMatch(t); i.hasNext();) {
        const QString p = i.next().captured();
        (p.front().isDigit() ? numeri : parole) << p;
    }
    if (numeri.size() == 3) {
        if (numeri.front().size() <= 2 && ordine == OrdineData::AnnoMeseGiorno)
            ordine = OrdineData::GiornoMeseAnno;
        return LeggiDataNumerica(numeri.join(QLatin1Char('/')), ordine);
    }
    // Day and year around a month name, in either order.
    if (numeri.size() != 2 || (numeri.front().size() >= 3) == (numeri.back().size() >= 3))
        return std::nullopt;
    const bool annoPrima = numeri.front().size() >= 3;
    for (const QString& p : parole)
        if (const int mese = MeseDelNome(p)) {
            const QDate d(numeri.at(annoPrima ? 0 : 1).toInt(), mese, numeri.at(annoPrima ? 1 : 0).toInt());
            return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
        }
    return std::nullopt;
}
