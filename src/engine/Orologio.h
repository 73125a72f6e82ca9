// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDateTime>

// Two readings: elapsed seconds on a monotonic clock that keeps running through
// a suspend (pulses are timed on it, so a change of the system clock or of
// daylight saving time adds or removes none), and the local wall clock, read
// once per pulse for its date and tariff.
class Orologio {
public:
    virtual ~Orologio() = default;
    virtual double Secondi() const = 0;
    virtual QDateTime Adesso() const = 0;
};

class OrologioSistema : public Orologio {
public:
    double Secondi() const override;
    QDateTime Adesso() const override;
};
