// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/TraduzioneQt.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

// The user's locale for the length of a test.
class LocaleDellUtente {
public:
    explicit LocaleDellUtente(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleDellUtente() { QLocale::setDefault(prima_); }

private:
    QLocale prima_;
};

TEST(TraduzioneQt, PulsantiInItalianoConQualsiasiLocale)
{
    for (const QLocale& l :
         {QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        LocaleDellUtente utente(l);
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
