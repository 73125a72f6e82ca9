// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QtGlobal>

// Pulses and their amount, net of VAT, over some span of time: a day's row,
// a connection, a day, a bill period.
struct Totali {
    qint32 scatti = 0;
    double importo = 0;

    friend bool operator==(const Totali&, const Totali&) = default;
};
