// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Captions with a mnemonic: what the user reads, and whether each button of
// a window can be pressed with its own Alt+letter.
#include <QAbstractButton>
#include <QKeySequence>
#include <QSet>
#include <QWidget>
#include <gtest/gtest.h>

inline QString Didascalia(const QAbstractButton* b) { return QString(b->text()).remove(QLatin1Char('&')); }

inline ::testing::AssertionResult MnemoniciDistinti(const QWidget* finestra)
{
    QSet<int> usati;
    for (const QAbstractButton* b : finestra->findChildren<QAbstractButton*>()) {
        const QString testo = Didascalia(b);
        // Glyphs and empty captions have no letter to offer.
        if (testo.isEmpty() || !testo.at(0).isLetter())
            continue;
        const QKeySequence tasto = QKeySequence::mnemonic(b->text());
        if (tasto.isEmpty())
            return ::testing::AssertionFailure() << "no mnemonic: " << testo.toStdString();
        if (usati.contains(tasto[0].toCombined()))
            return ::testing::AssertionFailure() << "mnemonic used twice: " << b->text().toStdString();
        usati.insert(tasto[0].toCombined());
    }
    return ::testing::AssertionSuccess();
}
