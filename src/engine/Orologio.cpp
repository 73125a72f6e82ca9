// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Orologio.h"

#include <ctime>

double OrologioSistema::Secondi() const
{
    timespec t{};
    // CLOCK_BOOTTIME counts the time spent suspended, so a count catches up
    // the pulses of a suspend; CLOCK_MONOTONIC is the fallback.
    if (clock_gettime(CLOCK_BOOTTIME, &t) != 0)
        clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

QDateTime OrologioSistema::Adesso() const { return QDateTime::currentDateTime(); }
