// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The texts of the tariff viewer.
#include "settings/Impostazioni.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

// 220 -> 3' 40", 180 -> 3' (with the blank), 72.5 -> 1' 12,5", 0 -> "".
QString TestoDurataScatto(float secondi, const QLocale& locale = QLocale());
// "1 scatto ogni " and the interval.
QString TestoIntervallo(float secondi, const QLocale& locale = QLocale());
// The pulse price and its reduction; the extra-pulse line.
QString TestoCosto1(const ModelloTariffe& modello, const QLocale& locale = QLocale());
QString TestoCosto2(const ModelloTariffe& modello);

// "(1ª ora = L. 2.286 + IVA)": CostoPrimaOra in whole lire.
QString TestoCostoOra(const ModelloTariffe& modello, float secondi, const QLocale& locale = QLocale());

struct TestiOra {
    QString Data, Ora, Tariffa, CostoOra;
};
// What the viewer shows before its first refresh.
TestiOra TestiIniziali();
TestiOra TestiDataOraTariffa(const ModelloTariffe& modello, const QDateTime& adesso, const QLocale& locale = QLocale());
