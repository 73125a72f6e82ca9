// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/RecordLog.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

QByteArray Codifica(const RecordLog& r)
{
    QByteArray b(LunghezzaRecordLog, '\xAA');
    CodificaRecordLog(r, b.data());
    return b;
}

QDateTime Il(int a, int m, int g, int h = 0, int min = 0, int s = 0, int ms = 0)
{
    return QDateTime(QDate(a, m, g), QTime(h, min, s, ms));
}

} // namespace

TEST(RecordLog, DisposizioneByteAByte)
{
    RecordLog r;
    r.Inizio = Il(1998, 1, 1, 12); // 35796.5 days
    r.Durata = 0x01020304;
    r.Scatti = -2;
    r.Importo = 63.5;
    r.Connessione = "RETE";

    QByteArray atteso;
    atteso += QByteArray::fromHex("00000000907ae140"); // offset 0, double LE
    atteso += QByteArray::fromHex("04030201");         // offset 8, int32 LE
    atteso += QByteArray::fromHex("feffffff");         // offset 12
    atteso += QByteArray::fromHex("0000000000c04f40"); // offset 16, double LE
    atteso += "RETE" + QByteArray(46, ' ');            // offset 24, 50 bytes
    EXPECT_EQ(Codifica(r).toHex(' '), atteso.toHex(' '));

    const RecordLog letto = DecodificaRecordLog(atteso.constData());
    EXPECT_EQ(letto.Inizio, r.Inizio);
    EXPECT_EQ(letto.Durata, r.Durata);
    EXPECT_EQ(letto.Scatti, r.Scatti);
    EXPECT_EQ(letto.Importo, r.Importo);
    EXPECT_EQ(letto.Connessione, "RETE" + QString(46, ' '));
}

TEST(RecordLog, NomiInWindows1252)
{
    struct Caso {
        const char* testo;
        QByteArray byte;
        const char* riletto;
    };
    const Caso casi[] = {
        {"Città più", QByteArray("Citt\xE0 pi\xF9"), "Città più"},
        {"€ 5", QByteArray("\x80 5"), "€ 5"},
        {"Œ‰Ÿ“x”–—™", QByteArray("\x8C\x89\x9F\x93x\x94\x96\x97\x99"), "Œ‰Ÿ“x”–—™"},
        {"ÿ\u00A0¿", QByteArray("\xFF\xA0\xBF"), "ÿ\u00A0¿"},
        // Outside the code page: one '?' per character, also for a pair of surrogates.
        {"東京", QByteArray("??"), "??"},
        {"a😀b", QByteArray("a?b"), "a?b"},
        {"Ā", QByteArray("?"), "?"},
        // Controls would break the exported lines.
        {"a\tb\nc", QByteArray("a?b?c"), "a?b?c"},
        {"\u0081", QByteArray("?"), "?"},
        // Cut at the field's end; an empty name is all blanks.
        {"0123456789012345678901234567890123456789012345678901234",
         QByteArray("01234567890123456789012345678901234567890123456789"),
         "01234567890123456789012345678901234567890123456789"},
        {"", QByteArray(), ""},
    };
    for (const Caso& c : casi) {
        const QString testo = QString::fromUtf8(c.testo);
        const QByteArray byte = TestoAnsi(testo, LunghezzaConnessione);
        ASSERT_EQ(byte.size(), LunghezzaConnessione) << c.testo;
        EXPECT_EQ(byte.left(c.byte.size()).toHex(' '), c.byte.toHex(' ')) << c.testo;
        EXPECT_EQ(byte.mid(c.byte.size()), QByteArray(LunghezzaConnessione - c.byte.size(), ' ')) << c.testo;

        RecordLog r;
        r.Connessione = testo;
        const RecordLog letto = DecodificaRecordLog(Codifica(r).constData());
        EXPECT_EQ(letto.ConnessioneSenzaSpazi(), QString::fromUtf8(c.riletto)) << c.testo;
    }
    // Only blanks are padding: a no-break space at the end is part of the name.
    RecordLog n;
    n.Connessione = QString::fromUtf8("  rete\u00A0   ");
    EXPECT_EQ(n.ConnessioneSenzaSpazi(), QString::fromUtf8("rete\u00A0"));
    // Bytes the code page leaves undefined read as the C1 code points.
    EXPECT_EQ(DaTestoAnsi("\x81\x8D\x8F\x90\x9D", 5), QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D"));
}

TEST(RecordLog, DataSerialeLettaDaAltri)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Caso {
        double giorni;
        QDateTime atteso;
    };
    const Caso casi[] = {
        {0.0, Il(1899, 12, 30)},
        {35796.5, Il(1998, 1, 1, 12)},
        // A second stored as a double seldom comes back exact; truncating
        // would lose it.
        {35796.5 - 1e-9, Il(1998, 1, 1, 12)},
        {35796.0 + 43201.0 / 86400 - 1e-10, Il(1998, 1, 1, 12, 0, 1)},
        {35796.999999999, Il(1998, 1, 2)},
        // Before day zero the fraction still counts forward through the day.
        {-1.25, Il(1899, 12, 29, 6)},
        {-0.5, Il(1899, 12, 30, 12)},
        {2958465.5, Il(9999, 12, 31, 12)},
        {nan, QDateTime()},
        // A start kept to the millisecond reads back at the nearest second.
        {DataSeriale(Il(2026, 12, 8, 12, 0, 0, 600)), Il(2026, 12, 8, 12, 0, 1)},
        {DataSeriale(Il(2026, 12, 8, 12, 0, 0, 400)), Il(2026, 12, 8, 12, 0, 0)},
        {DataSeriale(Il(2026, 12, 8, 12, 0, 0, 500)), Il(2026, 12, 8, 12, 0, 1)},
        {DataSeriale(Il(2026, 12, 31, 23, 59, 59, 700)), Il(2027, 1, 1)},
        {1e300, QDateTime()},
        {-1e6, QDateTime()},
    };
    for (const Caso& c : casi)
        EXPECT_EQ(DaDataSeriale(c.giorni), c.atteso) << c.giorni;
    EXPECT_EQ(DataSeriale(Il(1899, 12, 29, 6)), -1.25);
    EXPECT_EQ(DataSeriale(Il(1998, 1, 1, 18)), 35796.75);
    EXPECT_EQ(DataSeriale(QDateTime()), 0.0);
}

TEST(RecordLog, DurataArrotondata)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Caso {
        float secondi;
        qint32 atteso;
    };
    const Caso casi[] = {
        {59.4f, 59}, {59.6f, 60},       {59.5f, 60},
        {0.4f, 0},   {0.0f, 0},         {-3.0f, 0},
        {nan, 0},    {86399.6f, 86400}, {1e12f, std::numeric_limits<qint32>::max()},
    };
    for (const Caso& c : casi)
        EXPECT_EQ(DurataInSecondi(c.secondi), c.atteso) << c.secondi;
}
