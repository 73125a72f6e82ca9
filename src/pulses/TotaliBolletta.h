// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDate>
#include <QString>
#include <QTime>
#include <QtGlobal>
#include <optional>

// Values and texts of the bill tab, independent of any window.
struct TotaliBolletta {
    qint32 scatti = 0;
    double mediaScatti = 0;
    double mediaImporto = 0;
    double netto = 0;
    double iva = 0;
    double totale = 0;
};

// giorni <= 0 (an inverted period) gives zero averages instead of dividing by it.
TotaliBolletta CalcolaBolletta(qint32 scatti, double netto, qint64 giorni, int percentualeIva);

// The period's totals if the rest of it costs what the time so far cost, at
// the same rate; finora are the sums over inizio..oggi. The time so far is
// the days before today plus `parteDiOggi` of today (0..1; 1 counts today
// whole), so the estimate moves smoothly through a day and across midnight.
// It counts as one day at least: the first hour's call is no hourly rate.
// The estimate's averages (mediaScatti, mediaImporto) are the rates per day
// it used. Nothing when oggi lies outside inizio..fine.
std::optional<TotaliBolletta> StimaBolletta(QDate inizio, QDate fine, QDate oggi, qint32 scattiFinora,
                                            double nettoFinora, int percentualeIva, double parteDiOggi = 1);

// How much of its day has passed at `ora`, 0 at midnight; an invalid time
// counts the whole day (1).
double ParteDelGiorno(const QTime& ora);

struct TestiBolletta {
    QString scatti, mediaScatti, mediaImporto, netto, iva, totale;
};
TestiBolletta TestiDiBolletta(const TotaliBolletta& t);

// The bill tab's labels ("Totale scatti" … "Iva (20%)", "TOTALE"), which the
// text report shares.
TestiBolletta EtichetteBolletta(int percentualeIva);
// Heads the estimate of the period's total.
QString TitoloStima();

// Day editor field rules: out of range or unreadable gives 0.
qint32 CorreggiScatti(const QString& testo);
double CorreggiImporto(const QString& testo);
