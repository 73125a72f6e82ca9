// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/AvvioSessione.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(AvvioSessione, ScriveERimuoveLaVoceEDiceSeCE)
{
    QTemporaryDir tmp;
    const QString voce = tmp.filePath("config/autostart/velatrix.desktop");
    const AvvioSessione avvio(voce, {"/opt/vx/velatrix", "--data-dir", "/home/u/dati"});
    EXPECT_FALSE(avvio.Attivo());
    QString motivo;
    ASSERT_TRUE(avvio.Imposta(true, &motivo)) << motivo.toStdString();
    EXPECT_TRUE(avvio.Attivo());
    QFile f(voce);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString testo = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(testo.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(testo.contains("\nType=Application\n"));
    EXPECT_TRUE(testo.contains("\nExec=/opt/vx/velatrix --data-dir /home/u/dati\n")) << testo.toStdString();
    // Writing twice and removing twice are both harmless.
    EXPECT_TRUE(avvio.Imposta(true, &motivo));
    EXPECT_TRUE(avvio.Imposta(false, &motivo));
    EXPECT_FALSE(avvio.Attivo());
    EXPECT_TRUE(avvio.Imposta(false, &motivo));

    EXPECT_EQ(AvvioSessione::Predefinito().Voce(),
              QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/autostart/velatrix.desktop");
}

TEST(AvvioSessione, ArgomentiCitatiComeVuoleLaRigaExec)
{
    EXPECT_EQ(AvvioSessione::ArgomentoExec("/usr/bin/velatrix"), "/usr/bin/velatrix");
    EXPECT_EQ(AvvioSessione::ArgomentoExec("/home/u/I miei dati"), "\"/home/u/I miei dati\"");
    EXPECT_EQ(AvvioSessione::ArgomentoExec("a$b\"c`d"), "\"a\\\\$b\\\\\"c\\\\`d\"");
    // A backslash becomes four: one level for the quotes, one for the string.
    EXPECT_EQ(AvvioSessione::ArgomentoExec("a\\b"), "\"a\\\\\\\\b\"");
    EXPECT_EQ(AvvioSessione::ArgomentoExec(""), "\"\"");
    EXPECT_TRUE(AvvioSessione::Testo({"/x/100%/velatrix"}).contains("Exec=/x/100%%/velatrix\n"));
}

} // namespace
