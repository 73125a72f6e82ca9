// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Colours are stored as one 24-bit number: red + 256 x green + 65536 x blue.
#include <QColor>

inline QColor ColoreDaLong(quint32 valore)
{
    return QColor(int(valore & 0xFF), int((valore >> 8) & 0xFF), int((valore >> 16) & 0xFF));
}

inline quint32 LongDaColore(const QColor& colore)
{
    return quint32(colore.red()) | (quint32(colore.green()) << 8) | (quint32(colore.blue()) << 16);
}

// Window positions are kept in twips, 1/1440 of an inch.
inline double PixelInTwip(double pixel, double dpiLogici) { return pixel * 1440.0 / dpiLogici; }
inline double TwipInPixel(double twip, double dpiLogici) { return twip * dpiLogici / 1440.0; }
