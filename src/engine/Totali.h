#pragma once
#include <QtGlobal>

// Pulses and their amount, net of VAT, over some span of time.
struct Totali {
    qint32 scatti = 0;
    double importo = 0;
};
