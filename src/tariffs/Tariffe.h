#pragma once
// The tariff in force at a date and time, and the price of each pulse.
#include "settings/Impostazioni.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

// Band starts "h.mm": hours without a leading zero, two-digit minutes.
// "8.00" is 480 minutes; junk gives nothing.
std::optional<int> MinutiInizio(const QString& inizio);
QString TestoInizio(int minuti);

enum class TipoGiorno { Feriale, Sabato, Festivo };

struct GiornoMese { int giorno; int mese; };
inline constexpr GiornoMese FestivitaFisse[] = {{1, 1}, {6, 1}, {25, 4}, {1, 5}, {15, 8}, {1, 11}, {8, 12}, {25, 12}, {26, 12}};
// Single dates: day, month, year.
struct Data { int giorno; int mese; int anno; };
inline constexpr Data FestivitaAggiuntive[] = {{31, 3, 1997}, {7, 4, 1998}, {30, 3, 1999}, {10, 4, 2000}};

QDate Pasqua(int anno);
TipoGiorno TipoDelGiorno(const QDate& data);

// 1..MaxFsc: the band whose interval holds the time (seconds ignored).
int FasciaInVigore(const ModelloTariffe& modello, const QTime& ora);
// 1..MaxTrf, whatever the stored bands say.
int TariffaInVigore(const ModelloTariffe& modello, const QDate& data, const QTime& ora);

// One pulse of a count: the pulses to add (2 for the first with the extra
// pulse), what they cost, and the reduction state after it.
struct PassoScatto {
    qint32 scatti = 0;
    double importo = 0;
    bool riduzioneAttiva = false;
    bool riduzioneIniziata = false;  // became active at this pulse
};
PassoScatto PrezzaScatto(const ModelloTariffe& modello, bool primoScatto, qint32 scattiPrima, float secondiConnessione,
                         bool riduzioneAttiva);

// The reduced price of one pulse, kept with its fraction (127 at 50 % is 63.5).
double PrezzoRidotto(const ModelloTariffe& modello);
double ConIva(double importo, int prcIva);

// Pulses of the first hour of a call: 3600 / s rounded up, exactly.
int ScattiPrimaOra(float secondiPerScatto);
