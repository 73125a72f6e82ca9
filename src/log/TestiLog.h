// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the log viewer shows of a record and the two text forms of an export.
#include "log/RecordLog.h"

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <functional>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

inline constexpr int ColonneLog = 8;

// "Data Inizio" ... "Connessione".
const QStringList& IntestazioniLog();

// The time of day in the locale's long form without the time zone (12:05:07).
QString TestoOraLog(const QTime& ora, const QLocale& locale = QLocale());

// The locale's date and time forms, looked up once for a whole log instead
// of once a field. A form made only of numbers, separators and AM/PM (the
// usual case) is filled in directly, which is several times faster than the
// locale's general formatter on a long export.
class FormatiLog {
public:
    explicit FormatiLog(const QLocale& locale = QLocale());
    const QLocale& Locale() const { return locale_; }
    QString Data(const QDate& data) const;
    QString Ora(const QTime& ora) const;

    // Room a text of ScriviData or ScriviOra may take.
    static constexpr int MassimoTesto = 96;
    // The same texts in UTF-8 at `dest`, returning the end; nullptr when the
    // locale has to fill in this form or this date.
    char* ScriviData(const QDate& data, char* dest) const;
    char* ScriviOra(int secondoDelGiorno, char* dest) const;
    // The time of a whole hour, with where its minutes and its seconds stand
    // (two digits each); nullptr unless the form writes them so.
    char* ScriviModelloOra(int ora, char* dest, int& minuti, int& secondi) const;

    // One field of a numeric form: a letter of the pattern (d M y h H m s),
    // 'a' for the AM/PM text, or literal text (lettera 0), with its width.
    struct Pezzo {
        char lettera = 0;
        int larghezza = 0;
        QByteArray testo;      // literal text, or the morning text of 'a'
        QByteArray pomeriggio; // the afternoon text of 'a'
    };

private:
    QLocale locale_;
    QString data_, ora_;
    std::optional<std::vector<Pezzo>> pezziData_, pezziOra_;
};

// The eight texts of a row: short dates and times of start and end (end =
// Inizio + Durata), the duration text, pulses, "#,##0" amount, and the name
// as stored with its padding. A record without a valid date shows its dates
// and times blank.
QStringList ColonneRecordLog(const RecordLog& record, const FormatiLog& formati = FormatiLog());

// What column c of the grid may show in the locale's forms, to size it from
// the widest: every day of two years, every minute of the day (with its
// AM/PM), durations up to 999 hours, pulses to six digits and amounts to
// eight, grouped as the locale groups them. Empty for the name.
QStringList CampioniColonnaLog(int colonna, const QLocale& locale = QLocale());

enum class TipoEsportazione { Tabulazione, Spazi };

// Right-aligned in `larghezza` characters (a character outside the basic
// plane counts one); a longer text keeps its rightmost ones. The left-aligned
// form keeps the leftmost.
QString AllineaADestra(const QString& testo, int larghezza);
QString AllineaASinistra(const QString& testo, int larghezza);

// One line of an export, CRLF included, in UTF-8.
QByteArray IntestazioneEsportazione(TipoEsportazione tipo);
QByteArray RigaEsportazione(const RecordLog& record, TipoEsportazione tipo, const FormatiLog& formati = FormatiLog());

// Export lines written straight from the stored bytes: the same bytes
// RigaEsportazione gives for the decoded record, without a QString a line.
// A record the direct path cannot vouch for (a form the locale fills in, an
// amount too large for exact whole digits, a field too wide for its column
// that is not plain ASCII) goes through RigaEsportazione.
class ScrittoreRigheLog {
public:
    explicit ScrittoreRigheLog(TipoEsportazione tipo, const QLocale& locale = QLocale());
    // Appends the line of the record stored at `byte`, CRLF included.
    void Aggiungi(const char* byte, QByteArray& uscita);

    // A field's text in a buffer that may always be read 32 bytes past its
    // start, so short fields copy in one fixed-size move.
    static constexpr int Lettura = 32;
    static constexpr char Vuoto[Lettura] = {};
    struct Campo {
        const char* testo = Vuoto;
        int byte = 0;
        int caratteri = 0;
    };
    struct Testo {
        char testo[FormatiLog::MassimoTesto + Lettura];
        int byte = -1; // -1: not filled, or too long for the direct path
        int caratteri = 0;
    };

private:
    struct DataDelGiorno {
        qint64 giorno = std::numeric_limits<qint64>::min();
        Testo data;
    };
    struct ModelloOra {
        Testo modello; // the hour, its minutes and seconds as 00
        int minuti = -1, secondi = -1;
    };
    bool Data(qint64 giorno, DataDelGiorno& posto, Campo& campo);
    bool Ora(int secondo, char* spazio, Campo& campo);
    char* Segno(char* d) const;
    Campo Scatti(qint64 s, char* spazio) const;
    Campo Importo(double x, char* spazio);
    Campo ImportoEnorme(double x);
    static char* Tabulati(const Campo (&c)[7], char* d);
    // Nothing when a field is too wide in a way only the slow path handles.
    static char* Incolonnati(const Campo (&c)[7], char* d);
    char* Connessione(const char* byte, char* d) const;

    TipoEsportazione tipo_;
    FormatiLog formati_;
    CalendarioLocale calendario_;
    QByteArray meno_; // the locale's minus sign in UTF-8
    int caratteriMeno_ = 1;
    char ansi_[256][4]; // each stored byte in UTF-8
    quint8 lunghezzaAnsi_[256];
    bool spazio_[256]; // what trimming removes
    // Dates of the start's and the end's day; the hours' time forms.
    DataDelGiorno giorni_[2];
    ModelloOra ore_[24];
    bool orePerModello_ = false;
    std::unordered_map<int, QByteArray> oreLocale_; // times the locale fills in
    QByteArray importoLento_;
};

// A row the grid asked for: the record's 0-based index as decimal text and
// its eight column texts.
struct RigaLog {
    QString segnalibro;
    QStringList colonne;
};

// Record n (1-based), nothing when it cannot be read.
using SorgenteRecordLog = std::function<std::optional<RecordLog>(qint64 n)>;

// Up to `righe` rows of a log of `numero` records: from the row after (or
// before, going backwards) `segnalibro`, or from the first (last) record when
// there is none. Stops early at either end or at a record that cannot be
// read. A bookmark that is not an index counts as none.
std::vector<RigaLog> RichiediRigheLog(const SorgenteRecordLog& sorgente, qint64 numero, const QString& segnalibro,
                                      bool indietro, int righe, const QLocale& locale = QLocale());
