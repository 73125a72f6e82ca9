// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading all settings at start-up, keeping them in range, placing the main
// window, and the writers that store each window's keys on confirmation. All
// of them walk the key table of TabellaImpostazioni.h.
#include "settings/ArchivioImpostazioni.h"
#include "settings/Impostazioni.h"
#include "settings/PosizioneFinestra.h"
#include "settings/ValoriImpostazioni.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <array>
#include <optional>

// Reads every key once, with its default where absent or unreadable, then
// brings every value into its range. `*primoAvvio` is the stored first-start
// flag: while it is set, the caller places the window and then stores
// everything through ScriviPrimoAvvio. `locale` only orders the day and month
// of a date written by an earlier version when the file itself cannot tell.
Impostazioni CaricaImpostazioni(const ArchivioImpostazioni& archivio, const QDate& oggi, const QLocale& locale,
                                bool schedaAudio, bool* primoAvvio);

// Each value outside its range takes the nearest value in range; an invalid
// bill date takes its default from `oggi` (left alone when `oggi` is invalid).
void NormalizzaImpostazioni(Impostazioni& imp, const QDate& oggi);

// The writers. Each stores its keys, every value brought into its range
// first, and saves; on failure the store's file is unchanged and `errore`
// says why. The caller has already updated `imp`.

// First start: every key the table gives this writer, the first-start flag
// stored as done.
// `coloriCorrenti` are the five display colours in key order.
bool ScriviPrimoAvvio(ArchivioImpostazioni& archivio, const Impostazioni& imp, double topTwp, double lftTwp,
                      const std::array<quint32, 5>& coloriCorrenti, QString* errore);
// Configuration dialog; a colour left at "None" is stored as "None".
bool ScriviOpzioni(ArchivioImpostazioni& archivio, const Impostazioni& imp, QString* errore);
// Tariff editor: the tariff model, only the tariffs and bands in use.
bool ScriviTariffe(ArchivioImpostazioni& archivio, const Impostazioni& imp, QString* errore);
// Bill window: the bill period.
bool ScriviPeriodoBolletta(ArchivioImpostazioni& archivio, const Impostazioni& imp, QString* errore);
// Exit, when the user keeps them: window edges and display choice.
bool ScriviUscita(ArchivioImpostazioni& archivio, const Impostazioni& imp, double topTwp, double lftTwp,
                  QString* errore);

// A window's new values: stored by its writer (ScritturaOpzioni, ...Tariffe,
// ...Bolletta), then put in force in `imp`. On failure `imp` stays as it is and
// its values are queued after the refused ones, so no later save of the store
// brings back what the user was told was not saved.
bool SostituisciImpostazioni(Impostazioni& imp, const Impostazioni& nuove, ArchivioImpostazioni& archivio,
                             unsigned scrittore, QString* errore);
