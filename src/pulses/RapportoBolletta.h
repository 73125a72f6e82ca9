// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The figures of a bill period as one value, and its texts for people and for
// other programs; no window needed.
#include "common/FormeTesto.h"
#include "pulses/DatabaseScatti.h"
#include "pulses/TotaliBolletta.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QMap>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

struct GiornoBolletta {
    QDate giorno;
    qint32 scatti = 0;
    double netto = 0;
    // netto with VAT, as the totals compute it.
    double totale = 0;
};

struct RapportoBolletta {
    QDate inizio, fine, oggi;
    int percentualeIva = 0;
    // Every day of inizio..fine in order, days without a row as 0 and 0;
    // empty when the period is inverted.
    QVector<GiornoBolletta> giorni;
    TotaliBolletta totali;
    // Only when oggi lies inside the period.
    std::optional<TotaliBolletta> stima;
};

// The report over inizio..fine from the stored rows (rows outside the
// period are ignored), asked at `adesso`: the estimate scales by the time
// elapsed in the period. Given only a day, that day counts as elapsed whole.
// Nothing when the period's pulses pass 32 bits.
std::optional<RapportoBolletta> CreaRapporto(const QMap<QDate, Totali>& righe, QDate inizio, QDate fine,
                                             const QDateTime& adesso, int percentualeIva);
std::optional<RapportoBolletta> CreaRapporto(const QMap<QDate, Totali>& righe, QDate inizio, QDate fine, QDate oggi,
                                             int percentualeIva);

// The same, read from the database in one query. Nothing on a read error or
// when the pulses pass 32 bits; *errore then says which.
std::optional<RapportoBolletta> LeggiRapporto(DatabaseScatti& db, QDate inizio, QDate fine, const QDateTime& adesso,
                                              int percentualeIva, ErroreDatabase* errore = nullptr);
std::optional<RapportoBolletta> LeggiRapporto(DatabaseScatti& db, QDate inizio, QDate fine, QDate oggi,
                                              int percentualeIva, ErroreDatabase* errore = nullptr);

// The rows of a report: a day, a month or a year each. A month or year cut by
// the period's ends covers only its days inside the period.
enum class Raggruppamento { Giorno, Mese, Anno };
struct GruppoBolletta {
    QDate dal, al;
    qint64 scatti = 0;
    double netto = 0;
    double totale = 0;
};
QVector<GruppoBolletta> Raggruppa(const RapportoBolletta& r, Raggruppamento per);

// The version of the JSON texts ("versione_formato"), raised when a key
// changes meaning or goes.
inline constexpr int VersioneFormatoJson = 1;

// One line a day (a month: "mese", a year: "anno"), then the period and,
// when there is one, the estimate:
//   voce,dal,al,scatti,netto,iva,totale
//   giorno,2026-12-01,2026-12-01,3,381,76.2,457.2
//   periodo,2026-12-01,2026-12-31,...
//   stima,2026-12-01,2026-12-31,...
// VAT is the rounded total less the rounded net, so net + VAT = total.
QByteArray RapportoCsv(const RapportoBolletta& r, Raggruppamento per = Raggruppamento::Giorno);

// The same figures as one JSON object, with the averages; "stima" is null
// without an estimate. Months and years come as "mesi" and "anni" in place
// of "giorni".
QByteArray RapportoJson(const RapportoBolletta& r, Raggruppamento per = Raggruppamento::Giorno);

// For people: the window's labels and number forms, dates in the locale's
// short form, months as the locale's short name and the year.
QString RapportoTesto(const RapportoBolletta& r, const QLocale& locale = QLocale(),
                      Raggruppamento per = Raggruppamento::Giorno);

// One line for scripts, fields separated by ';': the version of the line
// (1), first and last day, pulses, net, total with VAT, and the estimate's
// total with VAT (empty without one):
//   1;2026-12-05;2026-12-09;39;4889.5;5867.4;9779
QByteArray RapportoRiga(const RapportoBolletta& r);

// Writes RapportoCsv to percorso whole or not at all: on any failure an
// existing file is left as it was, and *motivo says why.
bool ScriviRapportoCsv(const RapportoBolletta& r, const QString& percorso, QString* motivo = nullptr);

// What the chart draws: one bar a day (the day's amount with VAT), the
// running total, and where today is.
struct SerieBolletta {
    QVector<QDate> giorni;
    QVector<double> barre;
    QVector<double> cumulato;
    // Index of today; -1 when today is outside the period.
    int oggi = -1;
    // The running total is known up to this index (today when inside the
    // period, otherwise the last day); -1 without days.
    int fineCumulato = -1;
    // The estimate's total with VAT at the period's end, when there is one.
    std::optional<double> stimaFinale;
};
SerieBolletta SerieDelRapporto(const RapportoBolletta& r);

// A round step for an axis from 0 to massimo with at most `tacche` steps:
// 1, 2 or 5 times a power of ten. 1 when massimo is not above 0.
double PassoScala(double massimo, int tacche);

// The locale's short date without its year, for the chart's day labels
// ("dd/MM" in Italian, "M/d" in American English).
QString FormatoGiornoMese(const QLocale& locale);

// Every how many days a label fits, when `giorni` labels of `larghezza`
// pixels share `spazio` pixels: 1, 2, 7, 14, then whole months of 30 days.
int PassoEtichette(int giorni, double larghezza, double spazio);

// The labels under the chart's bars: the day labels of PassoEtichette while
// they come at most every 14 days; past that the starts of months (every 1,
// 2, 3 or 6 months, as they fit), then of years (every 1, 2, 5, 10, ...).
// Months are the locale's short name, with the year when the period spans
// years. `misura` gives a text's width in the units of `spazio`.
struct EtichettaGrafico {
    int indice = 0;
    QString testo;
    friend bool operator==(const EtichettaGrafico&, const EtichettaGrafico&) = default;
};
QVector<EtichettaGrafico> EtichetteGrafico(const QVector<QDate>& giorni, double spazio,
                                           const std::function<double(const QString&)>& misura,
                                           const QLocale& locale = QLocale());

// The hint of one bar: its date, the day's amount with VAT and the running
// total, in the locale's forms.
QString TestoPuntoGrafico(const SerieBolletta& s, int indice, const QLocale& locale = QLocale());
