// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordLog.h"

#include "common/FusoOrario.h"

#include <QtEndian>
#include <bit>
#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>

namespace {

constexpr int SecondiGiorno = 86400;
// Years 100 and 9999, the range a stored date may take.
constexpr double PrimoGiorno = -657434.0;
constexpr double UltimoGiorno = 2958466.0;

const QDate& GiornoZero()
{
    static const QDate d(1899, 12, 30);
    return d;
}

// Windows-1252 0x80..0x9F. The five bytes the code page leaves undefined read
// as the C1 code points, as the system's own conversion does.
constexpr char16_t Tabella80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ByteAnsi(char32_t c)
{
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
        return '?';
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (Tabella80[i] == c)
            return char(0x80 + i);
    return '?';
}

template <typename T>
void Metti(char* dest, T valore)
{
    qToLittleEndian(valore, dest);
}

qint64 DivisioneInGiu(qint64 a, qint64 b) { return a / b - ((a % b) < 0 ? 1 : 0); }

} // namespace

char16_t CarattereAnsi(unsigned char b) { return (b >= 0x80 && b < 0xA0) ? Tabella80[b - 0x80] : char16_t(b); }

QString RecordLog::ConnessioneSenzaSpazi() const
{
    qsizetype inizio = 0;
    qsizetype fine = Connessione.size();
    while (inizio < fine && Connessione.at(inizio) == u' ')
        ++inizio;
    while (fine > inizio && Connessione.at(fine - 1) == u' ')
        --fine;
    return Connessione.mid(inizio, fine - inizio);
}

QByteArray TestoAnsi(const QString& testo, int lunghezza)
{
    QByteArray out;
    out.reserve(lunghezza);
    const char16_t* p = reinterpret_cast<const char16_t*>(testo.utf16());
    const char16_t* const fine = p + testo.size();
    while (p < fine && out.size() < lunghezza) {
        char32_t c = *p++;
        // One '?' for a whole character outside the plane, not one per half.
        if (QChar::isHighSurrogate(c) && p < fine && QChar::isLowSurrogate(*p))
            c = QChar::surrogateToUcs4(char16_t(c), *p++);
        out.append(ByteAnsi(c));
    }
    out.append(lunghezza - out.size(), ' ');
    return out;
}

QString DaTestoAnsi(const char* byte, int lunghezza)
{
    QString out(lunghezza, Qt::Uninitialized);
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    for (int i = 0; i < lunghezza; ++i)
        d[i] = CarattereAnsi(static_cast<unsigned char>(byte[i]));
    return out;
}

double DataSeriale(const QDateTime& istante)
{
    if (!istante.isValid())
        return 0;
    const QDateTime locale = istante.toLocalTime();
    qint64 giorni = GiornoZero().daysTo(locale.date());
    qint64 secondi = (qint64(locale.time().msecsSinceStartOfDay()) + 500) / 1000;
    if (secondi >= SecondiGiorno) {
        ++giorni;
        secondi -= SecondiGiorno;
    }
    const double frazione = double(secondi) / SecondiGiorno;
    // Before the day zero the whole part counts back but the fraction still
    // runs forward through the day: -1.25 is 29/12/1899 06:00.
    return giorni >= 0 ? double(giorni) + frazione : double(giorni) - frazione;
}

std::optional<GiornoESecondo> DaDataSerialeGrezza(double giorni)
{
    if (!std::isfinite(giorni) || giorni < PrimoGiorno || giorni >= UltimoGiorno)
        return std::nullopt;
    const double intero = std::trunc(giorni);
    qint64 secondi = std::llround(std::fabs(giorni - intero) * SecondiGiorno);
    qint64 giorno = GiornoZero().toJulianDay() + qint64(intero);
    if (secondi >= SecondiGiorno) {
        ++giorno;
        secondi -= SecondiGiorno;
    }
    return GiornoESecondo{giorno, int(secondi)};
}

namespace {

// A wall-clock time that occurs twice (the hour repeated when the clocks go
// back) is read by the C library with the offset of whatever it converted
// last. Converting the moment half a day earlier first makes that the offset
// in force before the change, so such a time always reads as its first
// occurrence, as it does in a log read in order. A time the clock skips is
// kept as stored, at the offset of the day before.
QDateTime Istante(const GiornoESecondo& g)
{
    const QDate d = g.Data();
    const QTime t = g.Ora();
    const QDateTime prima =
        g.secondo >= SecondiGiorno / 2
            ? QDateTime(d, QTime::fromMSecsSinceStartOfDay((g.secondo - SecondiGiorno / 2) * 1000))
            : QDateTime(d.addDays(-1), QTime::fromMSecsSinceStartOfDay((g.secondo + SecondiGiorno / 2) * 1000));
    const QDateTime istante(d, t);
    if (istante.isValid() && istante.date() == d && istante.time() == t)
        return istante;
    const QDateTime giornoPrima(d.addDays(-1), t);
    const QDateTime fisso = ConScarto(d, t, giornoPrima.isValid() ? giornoPrima.offsetFromUtc() : 0);
    Q_UNUSED(prima);
    return fisso.isValid() ? fisso : InUtc(d, t);
}

constexpr qint64 GiornoEpoca = 2440588; // 1/1/1970

// The local clock's offset from UTC at an instant, as Qt's local time takes
// it from the C library.
std::optional<qint64> ScartoA(qint64 secondiUtc)
{
    const time_t t = time_t(secondiUtc);
    tm locale{};
    if (!localtime_r(&t, &locale))
        return std::nullopt;
    return qint64(locale.tm_gmtoff);
}

} // namespace

GiornoESecondo FineMostrata(const GiornoESecondo& inizio, qint32 durata)
{
    // Wall-clock seconds counted as if the clock were UTC.
    const qint64 muro = (inizio.giorno - GiornoEpoca) * SecondiGiorno + inizio.secondo;
    qint64 fine = muro + durata;
    // The offsets a day either side: the start reads under each that gives
    // it back, the earliest first.
    std::optional<qint64> scarto;
    for (const qint64 lato : {-SecondiGiorno, SecondiGiorno}) {
        const std::optional<qint64> s = ScartoA(muro + lato);
        if (s && ScartoA(muro - *s) == s && (!scarto || *s > *scarto))
            scarto = s;
    }
    if (scarto) {
        const qint64 utc = muro - *scarto + durata;
        if (const std::optional<qint64> s = ScartoA(utc); s && utc + *s >= muro)
            fine = utc + *s;
    }
    const qint64 giorni = DivisioneInGiu(fine, SecondiGiorno);
    return {GiornoEpoca + giorni, int(fine - giorni * SecondiGiorno)};
}

namespace {

GiornoESecondo Parti(const QDateTime& istante)
{
    return {istante.date().toJulianDay(), istante.time().msecsSinceStartOfDay() / 1000};
}

} // namespace

TempiRecord RecordLog::Tempi() const
{
    if (!Inizio.isValid())
        return {};
    const GiornoESecondo inizio = Parti(Inizio);
    return {true, inizio, FineMostrata(inizio, Durata)};
}

QDateTime DaDataSeriale(double giorni)
{
    const std::optional<GiornoESecondo> g = DaDataSerialeGrezza(giorni);
    return g ? Istante(*g) : QDateTime();
}

std::optional<qint64> CalendarioLocale::Scarto(qint64 giorno)
{
    // Records go in order: the start's day and the end's are nearly always
    // one of the last two asked.
    for (const Ricordo& r : ricordi_)
        if (r.giorno == giorno)
            return r.scarto;
    auto trovato = scarti_.find(giorno);
    if (trovato == scarti_.end()) {
        // The offset from a day before the day's midnight (taken as UTC) to
        // two days after it: the same at both ends and at noon covers the
        // whole day in any zone, as no zone changes its offset twice within
        // a day and a half.
        const qint64 mezzanotte = (giorno - GiornoEpoca) * SecondiGiorno;
        const std::optional<qint64> prima = ScartoA(mezzanotte - SecondiGiorno);
        const bool costante = prima && ScartoA(mezzanotte + SecondiGiorno / 2) == prima
                              && ScartoA(mezzanotte + 2 * SecondiGiorno) == prima;
        trovato = scarti_.emplace(giorno, costante ? prima : std::nullopt).first;
    }
    ricordi_[1] = ricordi_[0];
    ricordi_[0] = {giorno, trovato->second};
    return trovato->second;
}

TempiRecord CalendarioLocale::Tempi(const char* byte)
{
    const std::optional<GiornoESecondo> inizio = DaDataSerialeGrezza(InizioGrezzo(byte));
    if (!inizio)
        return {};
    const qint32 durata = DurataGrezza(byte);
    if (const std::optional<qint64> scarto = Scarto(inizio->giorno)) {
        const qint64 fine = inizio->secondo + qint64(durata);
        const qint64 giorni = DivisioneInGiu(fine, SecondiGiorno);
        const GiornoESecondo g{inizio->giorno + giorni, int(fine - giorni * SecondiGiorno)};
        if (Scarto(g.giorno) == scarto)
            return {true, *inizio, g};
    }
    return {true, *inizio, FineMostrata(*inizio, durata)};
}

qint32 DurataInSecondi(float secondi)
{
    if (!(secondi > 0))
        return 0;
    const double s = std::floor(double(secondi) + 0.5);
    if (s >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    return qint32(s);
}

void CodificaRecordLog(const RecordLog& r, char* dest)
{
    Metti<quint64>(dest + 0, std::bit_cast<quint64>(DataSeriale(r.Inizio)));
    Metti<qint32>(dest + 8, r.Durata);
    Metti<qint32>(dest + 12, r.Scatti);
    Metti<quint64>(dest + 16, std::bit_cast<quint64>(r.Importo));
    const QByteArray nome = TestoAnsi(r.Connessione, LunghezzaConnessione);
    std::memcpy(dest + 24, nome.constData(), LunghezzaConnessione);
}

RecordLog DecodificaRecordLog(const char* orig)
{
    RecordLog r;
    r.Inizio = DaDataSeriale(InizioGrezzo(orig));
    r.Durata = DurataGrezza(orig);
    r.Scatti = ScattiGrezzi(orig);
    r.Importo = ImportoGrezzo(orig);
    r.Connessione = DaTestoAnsi(ConnessioneGrezza(orig), LunghezzaConnessione);
    return r;
}
