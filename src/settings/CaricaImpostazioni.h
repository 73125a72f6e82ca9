#pragma once
// Reading all settings at start-up, keeping them in range, placing the main
// window, and the writers that store each window's keys on confirmation.
#include "settings/ArchivioImpostazioni.h"
#include "settings/Impostazioni.h"
#include "settings/PosizioneFinestra.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <array>
#include <optional>

// Text forms of the stored values.
QString TestoBooleano(bool valore);                       // "-1" / "0"
// A family key: stem and decimal index ("SPSTr", 3 -> "SPSTr3").
QString ChiaveFamiglia(const char* radice, int indice);

// Interface names as stored: separated by blanks or commas. Names the kernel
// could never give (too long, with '/', ':' or control characters) are
// dropped, as are repeats; at most NumeroMassimoInterfacce are kept.
inline constexpr int NumeroMassimoInterfacce = 16;
QStringList NomiInterfacce(const QString& testo);
QString TestoNomiInterfacce(const QStringList& nomi);

// Reads every key once, with its default where absent or unreadable, then
// brings every value into the range its editor allows. `*primoAvvio` is the
// stored first-start flag: while it is set, the caller places the window and
// then stores everything through ScriviPrimoAvvio.
Impostazioni CaricaImpostazioni(const ArchivioImpostazioni& archivio, const QDate& oggi, const QLocale& locale,
                                bool schedaAudio, bool* primoAvvio);

// Each value outside its editor's range takes the nearest value in range;
// an invalid bill date takes its default from `oggi`.
void NormalizzaImpostazioni(Impostazioni& imp, const QDate& oggi);

// The bill period's defaults: the first and the last day of today's month.
QDate InizioPeriodoPredefinito(const QDate& oggi);
QDate FinePeriodoPredefinita(const QDate& oggi);

// The writers. Each stores its keys and saves; on failure the store's file is
// unchanged and `errore` says why. The caller has already updated `imp`.

// First start: every key except the four reduction keys, then RegFlg "0".
// `coloriCorrenti` are the five display colours in key order Clr000..Clr004.
bool ScriviPrimoAvvio(ArchivioImpostazioni& archivio, const Impostazioni& imp, double topTwp, double lftTwp,
                      const std::array<quint32, 5>& coloriCorrenti, const QLocale& locale, QString* errore);
// Configuration dialog; a colour left at "None" is stored as "None".
bool ScriviOpzioni(ArchivioImpostazioni& archivio, const Impostazioni& imp, const QLocale& locale,
                   QString* errore);
// Tariff editor: the tariff model, tariffs 1..MaxTrf and bands 1..MaxFsc only.
bool ScriviTariffe(ArchivioImpostazioni& archivio, const Impostazioni& imp, const QLocale& locale,
                   QString* errore);
// Bill window: DatIPB, DatFPB.
bool ScriviPeriodoBolletta(ArchivioImpostazioni& archivio, const Impostazioni& imp, const QLocale& locale,
                           QString* errore);
// Exit, called only while SlvImp is on: window edges and display choice.
bool ScriviUscita(ArchivioImpostazioni& archivio, const Impostazioni& imp, double topTwp, double lftTwp,
                  const QLocale& locale, QString* errore);
