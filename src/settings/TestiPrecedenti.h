#pragma once
// Values as earlier versions stored them: numbers and dates in the form of
// whatever locale the writer ran under. Digits of any script, the locale's
// decimal mark and minus sign, direction marks, the short date's own order
// and trimmings ("15. 11. 2026.", "15.11.2026 г.", "15 Nov 2026").
#include "common/FormeTesto.h"

#include <QDate>
#include <QString>
#include <optional>

// Digits of every script as ASCII digits, the minus sign U+2212 as '-', and
// no invisible format marks (U+200E, U+200F, U+061C ...).
QString TestoSemplificato(const QString& testo);

// A number as any earlier version wrote it: "72.5", "72,5", "72٫5",
// "\u200E-45", "−45"; also the plain forms with an exponent. None of them
// grouped digits, so a single mark between digits is the decimal mark.
std::optional<double> LeggiNumeroPrecedente(const QString& testo);

// A date in any short form an earlier version wrote, with a four-digit year:
// year first is year, month, day; year last takes day and month in `ordine`
// (year first there counts as day first); a month written as a name is read
// in any language Qt knows.
std::optional<QDate> LeggiDataPrecedente(const QString& testo, OrdineData ordine);
