// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/PeriodoBolletta.h"
#include "settings/CaricaImpostazioni.h"
#include "settings/Impostazioni.h"

bool PeriodoCambiato(const Impostazioni& imp, QDate inizio, QDate fine)
{
    return inizio != imp.DatIPB || fine != imp.DatFPB;
}

bool SalvaPeriodoBolletta(Impostazioni& imp, ArchivioImpostazioni& archivio, QDate inizio, QDate fine, QString* errore)
{
    Impostazioni nuove = imp;
    nuove.DatIPB = inizio;
    nuove.DatFPB = fine;
    return SostituisciImpostazioni(imp, nuove, archivio, ScritturaBolletta, errore);
}
