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

inline constexpr int LunghezzaRecordLog = 74;
inline constexpr int LunghezzaConnessione = 50;

struct RecordLog {
    QDateTime Inizio;          // local wall clock, whole seconds; invalid when the file holds no date
    qint32 Durata = 0;         // seconds
    qint32 Scatti = 0;
    double Importo = 0;
    QString Connessione;       // as read back: 50 characters with the padding

    // The name without the padding (only blanks are removed).
    QString ConnessioneSenzaSpazi() const;
    // The end is never stored.
    QDateTime Fine() const { return Inizio.addSecs(Durata); }
};

// Writes exactly LunghezzaRecordLog bytes.
void CodificaRecordLog(const RecordLog& record, char* destinazione);
// Reads exactly LunghezzaRecordLog bytes.
RecordLog DecodificaRecordLog(const char* origine);

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

// Elapsed seconds of a count as stored: nearest whole second (59.4 -> 59,
// 59.6 -> 60, halves up); never negative, NaN gives 0.
qint32 DurataInSecondi(float secondi);
