// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoFile.h"
#include "common/FileIntero.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Leggi(const QString& percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<assente>");
}

QStringList Voci(const QString& cartella)
{
    return QDir(cartella).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

TEST(FileIntero, SostituisceIlFileTenendoneIPermessiOLoLasciaComEra)
{
    QTemporaryDir tmp;
    const QString percorso = tmp.filePath("a.txt");
    QString motivo;
    ASSERT_TRUE(FileIntero::ScriviTutto(percorso, "uno\n", &motivo)) << motivo.toStdString();
    EXPECT_EQ(Leggi(percorso), "uno\n");
    ASSERT_TRUE(QFile::setPermissions(percorso, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(FileIntero::ScriviTutto(percorso, "due\n", &motivo));
    EXPECT_EQ(Leggi(percorso), "due\n");
    EXPECT_EQ(QFileInfo(percorso).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);

    // Dropped half way: the old file stays, nothing else is left.
    {
        FileIntero f(percorso);
        ASSERT_TRUE(f.Apri());
        ASSERT_TRUE(f.Scrivi("tre"));
    }
    EXPECT_EQ(Leggi(percorso), "due\n");
    EXPECT_EQ(Voci(tmp.path()), QStringList{"a.txt"});

    // A folder that is not there: the reason names the file.
    EXPECT_FALSE(FileIntero::ScriviTutto(tmp.filePath("manca/b.txt"), "x", &motivo));
    EXPECT_TRUE(motivo.contains("manca/b.txt")) << motivo.toStdString();
}

TEST(FileIntero, UnCollegamentoSeguitoOSostituito)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(FileIntero::ScriviTutto(tmp.filePath("vero"), "vero", nullptr));
    ASSERT_TRUE(QFile::link(tmp.filePath("vero"), tmp.filePath("nome")));
    ASSERT_TRUE(FileIntero::ScriviTutto(tmp.filePath("nome"), "scelto", nullptr));
    EXPECT_EQ(Leggi(tmp.filePath("vero")), "scelto");
    EXPECT_TRUE(QFileInfo(tmp.filePath("nome")).isSymLink());

    ASSERT_TRUE(FileIntero::ScriviTutto(tmp.filePath("nome"), "proprio", nullptr, {0600, false}));
    EXPECT_EQ(Leggi(tmp.filePath("vero")), "scelto") << "what the link led to is untouched";
    EXPECT_FALSE(QFileInfo(tmp.filePath("nome")).isSymLink());
    EXPECT_EQ(Leggi(tmp.filePath("nome")), "proprio");
    EXPECT_EQ(QFileInfo(tmp.filePath("nome")).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(FileIntero, SuUnDiscoPienoFallisceELasciaIlVecchioFile)
{
    QTemporaryDir tmp;
    DiscoPiccolo disco(tmp.filePath("disco"));
    if (!disco.Pronto())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const QString percorso = tmp.filePath("disco/a.txt");
    ASSERT_TRUE(FileIntero::ScriviTutto(percorso, "vecchio", nullptr));
    disco.Riempi();
    // Larger than any write the kernel could still squeeze in, and small.
    for (const qsizetype dimensione : {qsizetype(1), qsizetype(5000), qsizetype(300000)}) {
        QString motivo;
        EXPECT_FALSE(FileIntero::ScriviTutto(percorso, QByteArray(dimensione, 'x'), &motivo)) << dimensione;
        EXPECT_FALSE(motivo.isEmpty());
        EXPECT_EQ(Leggi(percorso), "vecchio");
        EXPECT_EQ(Voci(tmp.filePath("disco")), (QStringList{".riempimento", "a.txt"}));
    }
    disco.Libera();
    ASSERT_TRUE(FileIntero::ScriviTutto(percorso, QByteArray(5000, 'x'), nullptr));
    EXPECT_EQ(Leggi(percorso), QByteArray(5000, 'x'));
}
