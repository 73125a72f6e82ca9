// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>
#include <QTimeZone>

// Every log record's start is a local time, and the C library looks at the
// zone file again on each local-time conversion unless TZ is set: on a long
// log that check costs more than the rest of the decoding. Naming the system's
// own zone file reads it once. Daylight saving still applies; a zone changed
// for the whole system is seen at the next start.
//
// Call first thing in main. A TZ the user set, even an empty one, is kept.
void FissaFusoOrario();

// A date and time at a fixed offset from UTC, and in UTC: Qt 6.5 takes a
// lightweight zone where 6.4 takes a time spec (deprecated from 6.8).
inline QDateTime ConScarto(QDate data, QTime ora, int secondiDaUtc)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return QDateTime(data, ora, QTimeZone::fromSecondsAheadOfUtc(secondiDaUtc));
#else
    return QDateTime(data, ora, Qt::OffsetFromUTC, secondiDaUtc);
#endif
}
inline QDateTime InUtc(QDate data, QTime ora) { return ConScarto(data, ora, 0).toUTC(); }
