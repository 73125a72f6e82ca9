// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RigaComando.h"

#include <gtest/gtest.h>

TEST(RigaComando, AvvioComeSempre)
{
    auto r = LeggiRigaComando({"--data-dir", "/tmp/x", "/start"});
    EXPECT_EQ(r.comando, Comando::Avvia);
    EXPECT_TRUE(r.errore.isEmpty());
    EXPECT_EQ(r.cartellaDati, "/tmp/x");
    EXPECT_EQ(r.argomenti, QStringList{"/start"});
    EXPECT_EQ(LeggiRigaComando({"--data-dir=/y"}).cartellaDati, "/y");
    // Any other word is left to the start, which ignores it.
    EXPECT_EQ(LeggiRigaComando({"/START", "altro"}).argomenti, (QStringList{"/START", "altro"}));
    // The window system's own options are its business.
    r = LeggiRigaComando({"-platform", "offscreen", "-reverse", "/START"});
    EXPECT_TRUE(r.errore.isEmpty()) << r.errore.toStdString();
    EXPECT_EQ(r.argomenti, QStringList{"/START"});
}

TEST(RigaComando, AiutoVersioneEOpzioniSconosciute)
{
    EXPECT_EQ(LeggiRigaComando({"--help"}).comando, Comando::Aiuto);
    EXPECT_EQ(LeggiRigaComando({"-h", "/START"}).comando, Comando::Aiuto);
    EXPECT_EQ(LeggiRigaComando({"--version"}).comando, Comando::Versione);
    EXPECT_EQ(LeggiRigaComando({"-v"}).comando, Comando::Versione);

    for (const QStringList& riga : {QStringList{"--nulla"}, QStringList{"-x"}, QStringList{"/START", "--start"}}) {
        const auto r = LeggiRigaComando(riga);
        EXPECT_FALSE(r.errore.isEmpty()) << riga.join(' ').toStdString();
        EXPECT_TRUE(r.mostraUso) << riga.join(' ').toStdString();
    }
    EXPECT_FALSE(LeggiRigaComando({"--data-dir"}).errore.isEmpty());
    EXPECT_FALSE(LeggiRigaComando({"--data-dir="}).errore.isEmpty());
    EXPECT_TRUE(TestoUso().contains("--report"));
    EXPECT_TRUE(TestoUso().contains("--data-dir"));
    EXPECT_FALSE(TestoUso().contains("platform"));
}

TEST(RigaComando, Rapporto)
{
    auto r = LeggiRigaComando({"--report"});
    EXPECT_EQ(r.comando, Comando::Rapporto);
    EXPECT_TRUE(r.errore.isEmpty());
    EXPECT_FALSE(r.da.isValid());
    EXPECT_EQ(r.formato, FormatoRapporto::Testo);

    r = LeggiRigaComando({"--report", "--from", "2026-12-01", "--to=2026-12-31", "--format", "json",
                          "--data-dir", "/d"});
    EXPECT_TRUE(r.errore.isEmpty()) << r.errore.toStdString();
    EXPECT_EQ(r.da, QDate(2026, 12, 1));
    EXPECT_EQ(r.a, QDate(2026, 12, 31));
    EXPECT_EQ(r.formato, FormatoRapporto::Json);
    EXPECT_EQ(r.cartellaDati, "/d");
    EXPECT_EQ(LeggiRigaComando({"--report", "--format", "csv"}).formato, FormatoRapporto::Csv);
    EXPECT_EQ(LeggiRigaComando({"--report", "--from", "2026-12-07", "--to", "2026-12-07"}).da, QDate(2026, 12, 7));

    // Each of these is refused with a message.
    const QList<QStringList> sbagliate = {
        {"--report", "--from", "2026-02-30", "--to", "2026-03-01"},   // no such day
        {"--report", "--from", "2026-2-1", "--to", "2026-03-01"},     // not YYYY-MM-DD
        {"--report", "--from", "01/12/2026", "--to", "2026-12-31"},
        {"--report", "--from", "2026-12-31", "--to", "2026-12-01"},   // inverted
        {"--report", "--from", "2026-12-01"},                         // one end only
        {"--report", "--format", "xml"},
        {"--report", "--format", "JSON"},
        {"--report", "2026-12-01"},                                   // a stray word
        {"--from", "2026-12-01", "--to", "2026-12-31"},               // without --report
        {"--format", "csv", "/START"},
    };
    for (const QStringList& riga : sbagliate)
        EXPECT_FALSE(LeggiRigaComando(riga).errore.isEmpty()) << riga.join(' ').toStdString();
}

TEST(RigaComando, DataIso)
{
    EXPECT_EQ(LeggiDataIso("2028-02-29"), QDate(2028, 2, 29));
    EXPECT_FALSE(LeggiDataIso("2027-02-29").isValid());
    EXPECT_FALSE(LeggiDataIso(" 2026-12-01").isValid());
    EXPECT_FALSE(LeggiDataIso("0000-01-01").isValid());
    EXPECT_FALSE(LeggiDataIso("").isValid());
}
