// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text forms shared by every window: number patterns, durations, dates in the
// user's locale and in the program's fixed forms.
#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <optional>

// Rounds to the nearest whole number, halves away from zero (63.5 -> 64).
double ArrotondaMezzi(double x);

// Formats like the display patterns "0", "0.0", "#,##0", "#,##0.0", "#,###"
// and "#": '0' forces a digit, '#' an optional one, ',' asks for the locale's
// thousands separator, '.' is the locale's decimal point. Text after the last
// placeholder (a trailing blank) is kept as it is. Halves round away from zero
// on the decimal value as written, so 2.675 with "0.00" gives 2,68.
QString FormattaNumero(double valore, const QString& schema, const QLocale& locale = QLocale());

// 1h05'07", 3'20", 7" ; halves of a second round away from zero.
QString FormattaTempo(double secondi);
// The same text for whole seconds (0 for fewer), in ASCII at `dest`, which
// has room for 16 bytes; returns the end.
char* ScriviTempo(qint32 secondi, char* dest);

// Reads a number the way the whole-number fields do: blanks anywhere are
// ignored, then sign, digits, a point and an exponent; anything else ends
// it; no number is 0. The fraction is dropped toward zero.
double ValoreIniziale(const QString& testo);

// Shortest decimal text of a number with the locale's decimal point and no
// grouping (72,5 and not 72,50000). Singles go through float so 72.5f and
// 0.1f come out as written.
QString TestoNumero(double valore, const QLocale& locale = QLocale());
QString TestoNumeroSingolo(float valore, const QLocale& locale = QLocale());
// Plain number for other programs: rounded to hundredths, a dot for the
// decimals, no grouping, no exponent, no trailing zeros (1202.88, 381, -3.5).
QString NumeroSemplice(double valore);

// Reads a number written in the locale's form; also accepts the plain "72.5"
// form when the locale's own reading fails. Nothing for blank or junk text.
std::optional<double> LeggiNumero(const QString& testo, const QLocale& locale = QLocale());

// The locale's long time form without the time zone, blanks as plain spaces,
// so the time reads the same whichever Qt version drew it.
QString FormatoOra(const QLocale& locale);

// The locale's short date with a four-digit year, in the locale's field order.
QString FormatoQuattroCifre(const QLocale& locale);
QString TestoData(const QDate& data, const QLocale& locale = QLocale());

// The year a one- or two-digit year stands for: the one in the hundred years
// from 80 before today to 19 after (in 2026, 97 is 1997 and 45 is 2045).
// Every reader of a short year goes through here.
int AnnoDaDueCifre(int anno, const QDate& oggi = QDate::currentDate());

// Where the year, the month and the day stand in a numeric date.
enum class OrdineData { GiornoMeseAnno, MeseGiornoAnno, AnnoMeseGiorno };
OrdineData OrdineDelLocale(const QLocale& locale);

// Three numbers parted by '/', '-' or '.' (the same mark both times), in the
// order given; a four-digit first number is a year first (1997-12-01). A year
// of one or two digits goes through AnnoDaDueCifre, one of three is refused.
std::optional<QDate> LeggiDataNumerica(const QString& testo, OrdineData ordine,
                                       const QDate& oggi = QDate::currentDate());

// Reads a date as the user types it: numeric in the locale's order, else the
// locale's own short form.
std::optional<QDate> LeggiData(const QString& testo, const QLocale& locale = QLocale(),
                               const QDate& oggi = QDate::currentDate());

// The fixed forms the program normalises input to: "dd/mm/yyyy" (day first)
// and "h.mm.ss".
QString DataFissa(const QDate& data);
QString OraFissa(const QTime& ora);
