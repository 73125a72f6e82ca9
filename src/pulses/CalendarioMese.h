// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Month arithmetic and texts shared by the calendar tab and the date picker,
// independent of any window.
#include "pulses/DatabaseScatti.h"

#include <QDate>
#include <QLocale>
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>

inline constexpr int PrimoAnno = 1980;
inline constexpr int UltimoAnno = 2100;

// "Gennaio" … "Dicembre": item i-1 is month i.
const QStringList& NomiMesi();

// A year the lists can show: 1980..2100, others brought to the nearest end.
int AnnoMostrabile(int anno);

// The six weeks of a month, Monday first. A cell outside the month holds an
// invalid date.
class GrigliaMese {
public:
    static constexpr int Righe = 6, Colonne = 7;

    GrigliaMese(int anno, int mese);

    int Anno() const { return primo_.year(); }
    int Mese() const { return primo_.month(); }
    QDate Primo() const { return primo_; }
    QDate Ultimo() const { return primo_.addDays(primo_.daysInMonth() - 1); }
    int GiorniNelMese() const { return primo_.daysInMonth(); }
    // Column of day 1: Monday 0 … Sunday 6.
    int Scostamento() const { return scostamento_; }
    // riga 0..5, colonna 0..6.
    QDate Giorno(int riga, int colonna) const;

private:
    QDate primo_;
    int scostamento_;
};

// "5" for a day without a row, "( 5 )" for one with.
QString TestoGiorno(const QDate& giorno, bool conRiga);

// Month totals over the rows of the month; the averages divide by every day
// of the month, future days included.
struct TotaliMese {
    qint64 scatti = 0;
    double importo = 0;
    double mediaScatti = 0;
    double mediaImporto = 0;
};
TotaliMese SommaMese(const GrigliaMese& mese, const QMap<QDate, Totali>& righe);

struct TestiMese {
    QString scatti, importo, mediaScatti, mediaImporto;
};
TestiMese TestiDelMese(const TotaliMese& t);

// The day frame: "0  " for pulses and amount of a day without a row.
struct TestiGiorno {
    QString scatti, importo;
};
TestiGiorno TestiDelGiorno(const Totali& t);

// The day editor's exchange text: pulses "/" amount, each in its shortest
// exact form (120/15240, 3/1234,5 in Italian).
QString TestoScambioScatti(const Totali& t, const QLocale& locale = QLocale());
// Pulses to the nearest whole number, amount in the locale's form; a part
// that cannot be read counts as 0.
Totali LeggiScambioScatti(const QString& testo, const QLocale& locale = QLocale());

// The two messages of "Azzera...".
QString DomandaAzzeramento(const QDate& giorno, const QLocale& locale = QLocale());
QString AvvisoAzzeramento(const QDate& giorno, const QLocale& locale = QLocale());
