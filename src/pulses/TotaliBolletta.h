// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QDate>
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

// The period's totals if each day left costs the average of the days so far
// (inizio..oggi, today included); finora are the sums over those days. Nothing
// when oggi lies outside inizio..fine.
std::optional<TotaliBolletta> StimaBolletta(QDate inizio, QDate fine, QDate oggi, qint32 scattiFinora,
                                            double nettoFinora, int percentualeIva);

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
