// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/CartellaDati.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(CartellaDati, OrdineDiScelta)
{
    QTemporaryDir tmp;
    const QString programma = tmp.filePath("bin");
    QDir().mkpath(programma);
    QString errore;

    // An explicit folder wins and is created.
    EXPECT_EQ(CartellaDati(tmp.filePath("scelta"), programma, &errore), tmp.filePath("scelta"));
    EXPECT_TRUE(QDir(tmp.filePath("scelta")).exists());

    // Without a database beside the program, the per-user folder.
    const QString utente = CartellaDati({}, programma, &errore);
    EXPECT_TRUE(utente.endsWith("/Velatrix"));
    EXPECT_TRUE(QDir(utente).exists());

    // A portable install keeps its data beside the program.
    QFile f(QDir(programma).filePath(NomeDatabase));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(CartellaDati({}, programma, &errore), programma);
}

TEST(CartellaDati, LaSceltaSenzaCreareNulla)
{
    QTemporaryDir tmp;
    EXPECT_EQ(ScegliCartellaDati(tmp.filePath("a/../nuova"), {}), tmp.filePath("nuova"));
    EXPECT_FALSE(QDir(tmp.filePath("nuova")).exists());
}
