// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ripristino.h"
#include "common/TraduzioneQt.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

TEST(TraduzioneQt, PulsantiInItalianoConQualsiasiLocale)
{
    for (const QLocale& l :
         {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        const LocaleProva utente(l);
        QObject proprietario;
        QTranslator* t = InstallaTraduzioneQt(&proprietario);
        ASSERT_NE(t, nullptr) << "Qt's Italian translation is not installed";
        // The clear question: its text says <OK> and <Annulla>, so do its buttons.
        QMessageBox domanda(QMessageBox::Question, QStringLiteral("Velatrix"), QStringLiteral("premere <OK>"),
                            QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(domanda.button(QMessageBox::Ok)->text(), "OK") << l.name().toStdString();
        EXPECT_EQ(domanda.button(QMessageBox::Cancel)->text(), "Annulla") << l.name().toStdString();
        QMessageBox sino(QMessageBox::Question, QStringLiteral("Velatrix"), QString(),
                         QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(sino.button(QMessageBox::Yes)->text().remove('&'), QString::fromUtf8("Sì"));
        // Numbers and dates still follow the user.
        EXPECT_EQ(QLocale().name(), l.name());
        QCoreApplication::removeTranslator(t);
    }
}

} // namespace
