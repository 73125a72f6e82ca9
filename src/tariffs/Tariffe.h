// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tariff in force at a date and time, and the price of each pulse.
#include "settings/Impostazioni.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

// Band starts "h.mm": hours 0..23 without a leading zero (one is tolerated),
// a point, two-digit minutes. "8.00" is 480 minutes; junk gives nothing.
std::optional<int> MinutiInizio(const QString& inizio);

enum class TipoGiorno { Feriale, Sabato, Festivo };

struct GiornoMese {
    int giorno;
    int mese;
};
inline constexpr GiornoMese FestivitaFisse[] = {{1, 1},  {6, 1},  {25, 4},  {1, 5},  {15, 8},
                                                {1, 11}, {8, 12}, {25, 12}, {26, 12}};
struct GiornoMeseAnno {
    int giorno;
    int mese;
    int anno;
};
inline constexpr GiornoMeseAnno FestivitaAggiuntive[] = {{31, 3, 1997}, {7, 4, 1998}, {30, 3, 1999}, {10, 4, 2000}};
// Recurring dates that became holidays in a given year: 2 June (Festa della
// Repubblica) again from 2001.
struct GiornoMeseDal {
    int giorno;
    int mese;
    int dal;
};
inline constexpr GiornoMeseDal FestivitaFisseDal[] = {{2, 6, 2001}};

// Gregorian Easter Sunday; an invalid date before the Gregorian calendar.
QDate Pasqua(int anno);
// Holiday tables first, then Easter Monday, then the weekday. An invalid
// date counts as a weekday.
TipoGiorno TipoDelGiorno(const QDate& data);

// 1..MaxFsc: the band whose interval holds the time; seconds are ignored.
// When stored starts break the rules and no interval holds it (or the time is
// invalid), the last band in use applies.
int FasciaInVigore(const ModelloTariffe& modello, const QTime& ora);
// The band's tariff for the day type, always within 1..MaxTrf so it can index
// the tariff table.
int TariffaDellaFascia(const ModelloTariffe& modello, int fascia, TipoGiorno tipo);
int TariffaInVigore(const ModelloTariffe& modello, const QDate& data, const QTime& ora);

// One pulse of a count: the pulses to add (2 for the first with the extra
// pulse), what they cost, and the reduction state after it. At the first pulse
// the count starts afresh: the pulses, seconds and flag passed are ignored.
struct PassoScatto {
    qint32 scatti = 0;
    double importo = 0;
    bool riduzioneAttiva = false;
    bool riduzioneIniziata = false; // became active at this pulse
};
PassoScatto PrezzaScatto(const ModelloTariffe& modello, bool primoScatto, qint32 scattiPrima, float secondiConnessione,
                         bool riduzioneAttiva);

// The reduced price of one pulse, kept with its fraction (127 at 50 % is 63.5).
double PrezzoRidotto(const ModelloTariffe& modello);

// Pulses of the first hour of a call: 3600 / s rounded up, with the exact
// seconds (10.5 s gives 343); 0 for a non-positive interval.
int ScattiPrimaOra(float secondiPerScatto);
// Net cost of the first hour of a call at that interval: reduction after its
// threshold and the extra pulse included.
double CostoPrimaOra(const ModelloTariffe& modello, float secondiPerScatto);
