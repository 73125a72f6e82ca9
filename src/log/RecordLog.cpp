#include "RecordLog.h"

#include <QtEndian>
#include <bit>
#include <cmath>
#include <cstring>
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
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
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

template <typename T>
T Prendi(const char* orig)
{
    return qFromLittleEndian<T>(orig);
}

} // namespace

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
    for (int i = 0; i < lunghezza; ++i) {
        const auto b = static_cast<unsigned char>(byte[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? Tabella80[b - 0x80] : char16_t(b);
    }
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

QDateTime DaDataSeriale(double giorni)
{
    if (!std::isfinite(giorni) || giorni < PrimoGiorno || giorni >= UltimoGiorno)
        return {};
    const double intero = std::trunc(giorni);
    qint64 secondi = std::llround(std::fabs(giorni - intero) * SecondiGiorno);
    QDate data = GiornoZero().addDays(qint64(intero));
    if (secondi >= SecondiGiorno) {
        data = data.addDays(1);
        secondi -= SecondiGiorno;
    }
    return QDateTime(data, QTime::fromMSecsSinceStartOfDay(int(secondi * 1000)));
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
    r.Inizio = DaDataSeriale(std::bit_cast<double>(Prendi<quint64>(orig + 0)));
    r.Durata = Prendi<qint32>(orig + 8);
    r.Scatti = Prendi<qint32>(orig + 12);
    r.Importo = std::bit_cast<double>(Prendi<quint64>(orig + 16));
    r.Connessione = DaTestoAnsi(orig + 24, LunghezzaConnessione);
    return r;
}
