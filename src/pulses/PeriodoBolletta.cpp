// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/PeriodoBolletta.h"
#include "settings/CaricaImpostazioni.h"
#include "settings/Impostazioni.h"

bool PeriodoCambiato(const Impostazioni& imp, QDate inizio, QDate fine)
{
    return inizio != imp.DatIPB || fine != imp.DatFPB;
}

bool SalvaPeriodoBolletta(Impostazioni& imp, ArchivioImpostazioni& archivio, QDate inizio, QDate fine,
                          QString* errore)
{
    Impostazioni prova = imp;
    prova.DatIPB = inizio;
    prova.DatFPB = fine;
    if (!ScriviPeriodoBolletta(archivio, prova, errore)) {
        // The store keeps refused writes for its next save: queue the period
        // still in force after them, so no later save brings the refused one back.
        ScriviPeriodoBolletta(archivio, imp, nullptr);
        return false;
    }
    imp.DatIPB = inizio;
    imp.DatFPB = fine;
    return true;
}
