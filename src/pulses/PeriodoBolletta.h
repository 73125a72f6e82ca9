// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Adopting the bill period chosen in the bill window.
#include <QDate>
#include <QString>

class ArchivioImpostazioni;
struct Impostazioni;

// True when the window's period differs from the program's.
bool PeriodoCambiato(const Impostazioni& imp, QDate inizio, QDate fine);

// Stores inizio..fine as DatIPB/DatFPB and makes it the program's period.
// On a failed save the program keeps its old period and *errore says why.
bool SalvaPeriodoBolletta(Impostazioni& imp, ArchivioImpostazioni& archivio, QDate inizio, QDate fine, QString* errore);
