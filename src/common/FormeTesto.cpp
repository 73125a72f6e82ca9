// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormeTesto.h"

#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// Digits of |x| in plain decimal, shortest form that reads back exactly.
std::string CifreDecimali(double x)
{
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::fixed);
    return std::string(buf, r.ptr);
}

// Rounds a plain decimal text to `decimali` places, halves away from zero.
// Returns integer and fraction digits separately.
void ArrotondaTesto(const std::string& testo, int decimali, std::string& intera, std::string& frazione)
{
    auto punto = testo.find('.');
    intera = testo.substr(0, punto);
    frazione = punto == std::string::npos ? std::string() : testo.substr(punto + 1);
    bool riporto = frazione.size() > size_t(decimali) && frazione[size_t(decimali)] >= '5';
    frazione.resize(size_t(decimali), '0');
    std::string cifre = intera + frazione;
    for (int i = int(cifre.size()) - 1; riporto && i >= 0; --i) {
        if (cifre[size_t(i)] == '9') {
            cifre[size_t(i)] = '0';
        } else {
            ++cifre[size_t(i)];
            riporto = false;
        }
    }
    if (riporto)
        cifre.insert(cifre.begin(), '1');
    intera = cifre.substr(0, cifre.size() - size_t(decimali));
    frazione = cifre.substr(cifre.size() - size_t(decimali));
}

} // namespace

double ArrotondaMezzi(double x) { return std::round(x); }

QString FormattaNumero(double valore, const QString& schema, const QLocale& locale)
{
    // Split the pattern: placeholders first, literal text after them.
    int fine = 0;
    for (int i = 0; i < schema.size(); ++i) {
        QChar c = schema.at(i);
        if (c == '0' || c == '#' || c == ',' || c == '.')
            fine = i + 1;
    }
    const QString segnaposti = schema.left(fine);
    const QString coda = schema.mid(fine);
    const int punto = segnaposti.indexOf('.');
    const QString parteIntera = punto < 0 ? segnaposti : segnaposti.left(punto);
    const QString parteDecimale = punto < 0 ? QString() : segnaposti.mid(punto + 1);
    const bool migliaia = parteIntera.contains(',');
    const int minimoIntere = int(parteIntera.count('0'));
    const int decimali = int(parteDecimale.size());
    const int minimoDecimali = int(parteDecimale.count('0'));

    if (!std::isfinite(valore))
        return locale.toString(valore) + coda;

    std::string intera, frazione;
    ArrotondaTesto(CifreDecimali(valore), decimali, intera, frazione);
    // Optional fraction digits ('#') drop trailing zeros.
    while (int(frazione.size()) > minimoDecimali && !frazione.empty() && frazione.back() == '0')
        frazione.pop_back();
    size_t zeri = 0;
    while (zeri < intera.size() && intera[zeri] == '0')
        ++zeri;
    intera.erase(0, zeri);
    if (int(intera.size()) < minimoIntere)
        intera.insert(0, size_t(minimoIntere) - intera.size(), '0');

    const bool zero =
        intera.find_first_not_of('0') == std::string::npos && frazione.find_first_not_of('0') == std::string::npos;

    QString testo;
    const QString gruppo = locale.groupSeparator();
    for (size_t i = 0; i < intera.size(); ++i) {
        if (migliaia && i > 0 && (intera.size() - i) % 3 == 0)
            testo += gruppo;
        testo += QChar(intera[i]);
    }
    if (!frazione.empty())
        testo += locale.decimalPoint() + QString::fromStdString(frazione);
    if (valore < 0 && !zero)
        testo.prepend(locale.negativeSign());
    return testo + coda;
}

namespace {
char* DueCifre(int n, char* d)
{
    *d++ = char('0' + n / 10);
    *d++ = char('0' + n % 10);
    return d;
}
} // namespace

char* ScriviTempo(qint32 secondi, char* d)
{
    const qint32 s = std::max<qint32>(secondi, 0);
    const qint32 h = s / 3600;
    const qint32 m = (s - 3600 * h) / 60;
    const qint32 r = s % 60;
    if (h >= 1) {
        d = std::to_chars(d, d + 10, h).ptr;
        *d++ = 'h';
        d = DueCifre(m, d);
        *d++ = '\'';
        d = DueCifre(r, d);
    } else if (m >= 1) {
        d = std::to_chars(d, d + 2, m).ptr;
        *d++ = '\'';
        d = DueCifre(r, d);
    } else {
        d = std::to_chars(d, d + 2, r).ptr;
    }
    *d++ = '"';
    return d;
}

QString FormattaTempo(double secondi)
{
    const double arrotondati = std::round(secondi);
    const qint32 s = arrotondati > std::numeric_limits<qint32>::max() ? std::numeric_limits<qint32>::max()
                     : !(arrotondati >= 0)                            ? 0
                                                                      : qint32(arrotondati);
    char testo[16];
    return QString::fromLatin1(testo, ScriviTempo(s, testo) - testo);
}

double ValoreIniziale(const QString& testo)
{
    QString t;
    for (QChar c : testo)
        if (!c.isSpace())
            t += c;
    int i = 0;
    const int n = int(t.size());
    auto cifre = [&] {
        const int da = i;
        while (i < n && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'))
            ++i;
        return i > da;
    };
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    bool numero = cifre();
    if (i < n && t[i] == QLatin1Char('.')) {
        ++i;
        numero = cifre() || numero;
    }
    if (!numero)
        return 0;
    int fine = i;
    if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ++i;
        if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            ++i;
        if (cifre())
            fine = i;
    }
    bool ok = false;
    const double v = t.left(fine).toDouble(&ok);
    return ok && std::isfinite(v) ? std::trunc(v) : 0;
}

namespace {
template <typename T>
QString Breve(T valore, const QLocale& locale)
{
    if (!std::isfinite(valore))
        return QStringLiteral("0");
    // Room for every digit of the largest double written out in full.
    char buf[std::numeric_limits<double>::max_exponent10 + 64];
    auto r = std::to_chars(buf, buf + sizeof buf, valore);
    if (r.ec == std::errc() && std::find(buf, r.ptr, 'e') != r.ptr)
        r = std::to_chars(buf, buf + sizeof buf, valore, std::chars_format::fixed);
    if (r.ec != std::errc())
        return QStringLiteral("0");
    QString testo = QString::fromLatin1(buf, int(r.ptr - buf));
    testo.replace('.', locale.decimalPoint());
    testo.replace('-', locale.negativeSign());
    return testo;
}
} // namespace

QString TestoNumero(double valore, const QLocale& locale) { return Breve(valore, locale); }
QString TestoNumeroSingolo(float valore, const QLocale& locale) { return Breve(valore, locale); }

QString NumeroSemplice(double valore)
{
    // + 0.0 turns a negative zero into a plain one.
    return TestoNumero(std::round(valore * 100) / 100 + 0.0, QLocale::c());
}

namespace {
// The text without the locale's thousands separators, when they stand where
// grouping puts them ("1.500", "12.345.678"); as it is otherwise. Qt 6.8
// reads a grouped number only where its own grouping would write one, so
// Italian "1.500" no longer reads as 1500 there.
QString SenzaMigliaia(const QString& t, const QLocale& locale)
{
    const QString gruppo = locale.groupSeparator();
    if (gruppo.isEmpty() || !t.contains(gruppo))
        return t;
    const qsizetype punto = t.indexOf(locale.decimalPoint());
    const QString intera = punto < 0 ? t : t.left(punto);
    QStringList parti = intera.split(gruppo);
    qsizetype inizio = 0;
    while (inizio < parti.first().size() && !parti.first().at(inizio).isDigit())
        ++inizio;
    const qsizetype prime = parti.first().size() - inizio;
    if (prime < 1 || prime > 3)
        return t;
    for (qsizetype i = 0; i < parti.size(); ++i) {
        const QString& p = parti.at(i);
        if (i > 0 && p.size() != 3)
            return t;
        for (qsizetype k = i == 0 ? inizio : 0; k < p.size(); ++k)
            if (p.at(k) < QLatin1Char('0') || p.at(k) > QLatin1Char('9'))
                return t;
    }
    return parti.join(QString()) + (punto < 0 ? QString() : t.mid(punto));
}
} // namespace

std::optional<double> LeggiNumero(const QString& testo, const QLocale& locale)
{
    const QString t = testo.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double v = locale.toDouble(SenzaMigliaia(t, locale), &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString FormatoOra(const QLocale& locale)
{
    QString formato = locale.timeFormat(QLocale::LongFormat);
    formato.remove(QLatin1Char('t'));
    // Qt 6.8 puts a narrow no-break space before AM/PM where 6.4 has a blank.
    formato.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0x00A0), QLatin1Char(' '));
    return formato.trimmed();
}

QString FormatoQuattroCifre(const QLocale& locale)
{
    QString f = locale.dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

QString TestoData(const QDate& data, const QLocale& locale)
{
    return locale.toString(data, FormatoQuattroCifre(locale));
}

int AnnoDaDueCifre(int anno, const QDate& oggi)
{
    const int adesso = oggi.isValid() ? oggi.year() : QDate::currentDate().year();
    const int primo = adesso - 80;
    // The first year at or after `primo` that ends in the same two digits.
    return primo + (((anno - primo) % 100) + 100) % 100;
}

OrdineData OrdineDelLocale(const QLocale& locale)
{
    const QString f = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype g = f.indexOf(QLatin1Char('d')), m = f.indexOf(QLatin1Char('M')), a = f.indexOf(QLatin1Char('y'));
    if (a >= 0 && (g < 0 || a < g) && (m < 0 || a < m))
        return OrdineData::AnnoMeseGiorno;
    if (m >= 0 && g >= 0 && m < g)
        return OrdineData::MeseGiornoAnno;
    return OrdineData::GiornoMeseAnno;
}

std::optional<QDate> LeggiDataNumerica(const QString& testo, OrdineData ordine, const QDate& oggi)
{
    static const QRegularExpression forma(
        QStringLiteral(R"(^\s*([0-9]{1,4})\s*([/.-])\s*([0-9]{1,2})\s*\2\s*([0-9]{1,4})\s*$)"));
    const QRegularExpressionMatch m = forma.match(testo);
    if (!m.hasMatch())
        return std::nullopt;
    const QString primo = m.captured(1), terzo = m.captured(4);
    if (primo.size() == 4)
        ordine = OrdineData::AnnoMeseGiorno;
    else if (primo.size() > 2)
        return std::nullopt;
    const QString& anno = ordine == OrdineData::AnnoMeseGiorno ? primo : terzo;
    const QString& altro = ordine == OrdineData::AnnoMeseGiorno ? terzo : primo;
    if (anno.size() == 3 || altro.size() > 2)
        return std::nullopt;
    const int a = anno.size() <= 2 ? AnnoDaDueCifre(anno.toInt(), oggi) : anno.toInt();
    const int centrale = m.captured(3).toInt();
    QDate d;
    switch (ordine) {
    case OrdineData::GiornoMeseAnno: d = QDate(a, centrale, altro.toInt()); break;
    case OrdineData::MeseGiornoAnno: d = QDate(a, altro.toInt(), centrale); break;
    case OrdineData::AnnoMeseGiorno: d = QDate(a, centrale, altro.toInt()); break;
    }
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QDate> LeggiData(const QString& testo, const QLocale& locale, const QDate& oggi)
{
    const QString t = testo.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (const auto d = LeggiDataNumerica(t, OrdineDelLocale(locale), oggi))
        return d;
    // The locale's own form, where it spells the month or marks the fields
    // otherwise; one- or two-digit days and months, two- or four-digit years.
    QString lungo = FormatoQuattroCifre(locale);
    static const QRegularExpression giorno(QStringLiteral("(?<!d)dd(?!d)")), mese(QStringLiteral("(?<!M)MM(?!M)"));
    lungo.replace(giorno, QStringLiteral("d")).replace(mese, QStringLiteral("M"));
    QDate d = locale.toDate(t, lungo);
    if (d.isValid())
        return d;
    QString breve = lungo;
    breve.replace(QLatin1String("yyyy"), QLatin1String("yy"));
    d = locale.toDate(t, breve);
    if (d.isValid())
        d = QDate(AnnoDaDueCifre(d.year() % 100, oggi), d.month(), d.day());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

QString DataFissa(const QDate& data) { return data.toString(QStringLiteral("dd/MM/yyyy")); }

QString OraFissa(const QTime& ora) { return ora.toString(QStringLiteral("H.mm.ss")); }
