// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One record of the connection log and its fixed 74-byte form on disk:
//   0  double  Inizio       days from 30/12/1899 00:00, fraction = time of day
//   8  int32   Durata       seconds
//  12  int32   Scatti
//  16  double  Importo      lire, net of VAT
//  24  char50  Connessione  Windows-1252, padded with spaces
// All little-endian, no header, no padding between fields.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtEndian>
#include <bit>
#include <limits>
#include <optional>
#include <unordered_map>

inline constexpr int LunghezzaRecordLog = 74;
inline constexpr int LunghezzaConnessione = 50;

// A wall clock as a Julian day and a second of that day.
struct GiornoESecondo {
    qint64 giorno = 0;
    int secondo = 0;
    QDate Data() const { return QDate::fromJulianDay(giorno); }
    QTime Ora() const { return QTime::fromMSecsSinceStartOfDay(secondo * 1000); }
};

// Start and end of a record as the log shows them.
struct TempiRecord {
    bool valido = false; // false when the record holds no date
    GiornoESecondo inizio, fine;
};

// The end shown for a call started at `inizio` on the wall clock: the start
// plus the duration, on the clock as it went (a change of summer time during
// the call moves it). A start the clock shows twice (the hour repeated when
// summer time ends) is taken as its first occurrence, unless that would show
// the end before the start; a start the clock skipped (written under another
// zone) simply adds the duration.
GiornoESecondo FineMostrata(const GiornoESecondo& inizio, qint32 durata);

struct RecordLog {
    // Local wall clock, whole seconds; invalid when the file holds no date. A
    // time the local clock skips is kept at the offset before the skip, so its
    // date and time are still the stored ones.
    QDateTime Inizio;
    qint32 Durata = 0; // seconds
    qint32 Scatti = 0;
    double Importo = 0;
    QString Connessione; // as read back: 50 characters with the padding

    // The name without the padding (only blanks are removed).
    QString ConnessioneSenzaSpazi() const;
    // Start and end as shown; the end is never stored.
    TempiRecord Tempi() const;
};

// Writes exactly LunghezzaRecordLog bytes.
void CodificaRecordLog(const RecordLog& record, char* destinazione);
// Reads exactly LunghezzaRecordLog bytes.
RecordLog DecodificaRecordLog(const char* origine);

// Single fields read straight from the stored bytes, for the long runs that
// look at one or two of them.
inline double InizioGrezzo(const char* b) { return std::bit_cast<double>(qFromLittleEndian<quint64>(b)); }
inline qint32 DurataGrezza(const char* b) { return qFromLittleEndian<qint32>(b + 8); }
inline qint32 ScattiGrezzi(const char* b) { return qFromLittleEndian<qint32>(b + 12); }
inline double ImportoGrezzo(const char* b) { return std::bit_cast<double>(qFromLittleEndian<quint64>(b + 16)); }
inline const char* ConnessioneGrezza(const char* b) { return b + 24; }

// The character a Windows-1252 byte stands for.
char16_t CarattereAnsi(unsigned char byte);

// Windows-1252 text of `lunghezza` bytes: cut, padded with spaces; what the
// code page lacks (and control characters, which would break the exported
// lines) becomes '?'.
QByteArray TestoAnsi(const QString& testo, int lunghezza);
QString DaTestoAnsi(const char* byte, int lunghezza);

// Days from 30/12/1899 with the time of day as fraction, to the nearest
// second; the local wall clock is what is stored. 0 for an invalid value.
double DataSeriale(const QDateTime& istante);
// Local date-time to the nearest second; invalid for what is not a date
// between the years 100 and 9999 (NaN, infinities, damaged bytes).
QDateTime DaDataSeriale(double giorni);
std::optional<GiornoESecondo> DaDataSerialeGrezza(double giorni);

// Start and end of a record as its decoded form gives them (Tempi()),
// without building a QDateTime for the usual record: on a day whose offset
// from UTC stays the same all day (asked of QDateTime once per day and
// remembered) the end is plain arithmetic; a day with a change of offset goes
// through FineMostrata.
class CalendarioLocale {
public:
    TempiRecord Tempi(const char* byte);

private:
    std::optional<qint64> Scarto(qint64 giorno);

    struct Ricordo {
        qint64 giorno = std::numeric_limits<qint64>::min();
        std::optional<qint64> scarto;
    };
    Ricordo ricordi_[2];
    std::unordered_map<qint64, std::optional<qint64>> scarti_;
};

// Elapsed seconds of a count as stored: nearest whole second (59.4 -> 59,
// 59.6 -> 60, halves up); never negative, NaN gives 0.
qint32 DurataInSecondi(float secondi);
