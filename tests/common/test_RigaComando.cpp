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
    // Any other word is left to the start, which ignores it.
    EXPECT_EQ(LeggiRigaComando({"/START", "altro"}).argomenti, (QStringList{"/START", "altro"}));
    // The window system's own options are its business.
    r = LeggiRigaComando({"-platform", "offscreen", "-reverse", "/START"});
    EXPECT_TRUE(r.errore.isEmpty()) << r.errore.toStdString();
    EXPECT_EQ(r.argomenti, QStringList{"/START"});
    // The count starts at once only for a lone /START, in any case.
    EXPECT_TRUE(ChiedeAvvio({"/START"}));
    EXPECT_TRUE(ChiedeAvvio({"/start"}));
    EXPECT_FALSE(ChiedeAvvio({"/START", "x"}));
    EXPECT_FALSE(ChiedeAvvio({}));
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
    for (const char* opzione :
         {"--report", "--data-dir", "--log", "--alert", "--group", "--connection", "oneline", "png", "/START"})
        EXPECT_TRUE(TestoUso().contains(opzione)) << opzione;
    EXPECT_FALSE(TestoUso().contains("platform"));
}

TEST(RigaComando, Rapporto)
{
    auto r = LeggiRigaComando({"--report"});
    EXPECT_EQ(r.comando, Comando::Rapporto);
    EXPECT_TRUE(r.errore.isEmpty());
    EXPECT_FALSE(r.da.isValid());
    EXPECT_EQ(r.formato, FormatoRapporto::Testo);

    r = LeggiRigaComando(
        {"--report", "--from", "2026-12-01", "--to=2026-12-31", "--format", "json", "--data-dir", "/d"});
    EXPECT_TRUE(r.errore.isEmpty()) << r.errore.toStdString();
    EXPECT_EQ(r.da, QDate(2026, 12, 1));
    EXPECT_EQ(r.a, QDate(2026, 12, 31));
    EXPECT_EQ(r.formato, FormatoRapporto::Json);
    EXPECT_EQ(r.cartellaDati, "/d");
    EXPECT_EQ(LeggiRigaComando({"--report", "--format", "csv"}).formato, FormatoRapporto::Csv);
    EXPECT_EQ(LeggiRigaComando({"--report", "--format", "text"}).formato, FormatoRapporto::Testo);
    EXPECT_EQ(LeggiRigaComando({"--report", "--from", "2026-12-07", "--to", "2026-12-07"}).da, QDate(2026, 12, 7));
}

TEST(RigaComando, DataIso)
{
    EXPECT_EQ(LeggiDataIso("2028-02-29"), QDate(2028, 2, 29));
    EXPECT_FALSE(LeggiDataIso("2027-02-29").isValid());
    EXPECT_FALSE(LeggiDataIso(" 2026-12-01").isValid());
    EXPECT_FALSE(LeggiDataIso("0000-01-01").isValid());
    EXPECT_FALSE(LeggiDataIso("").isValid());
}

TEST(RigaComando, RegistroLimiteEForme)
{
    const QDate oggi(2026, 12, 7);
    auto r = LeggiRigaComando({"--log", "--from", "oggi", "--to", "TODAY", "--connection", "Casa", "--format", "fixed"},
                              oggi);
    EXPECT_TRUE(r.errore.isEmpty()) << r.errore.toStdString();
    EXPECT_EQ(r.comando, Comando::Log);
    EXPECT_EQ(r.da, oggi);
    EXPECT_EQ(r.a, oggi);
    EXPECT_EQ(r.connessione, "Casa");
    EXPECT_EQ(r.formatoLog, FormatoLog::Colonne);
    EXPECT_EQ(LeggiRigaComando({"--log"}).formatoLog, FormatoLog::Tabulazione);
    EXPECT_EQ(LeggiRigaComando({"--log", "--format", "json"}).formatoLog, FormatoLog::Json);

    r = LeggiRigaComando({"--report", "--from", "2026-01-01", "--to", "oggi", "--group", "month", "--format", "csv"},
                         oggi);
    EXPECT_TRUE(r.errore.isEmpty()) << r.errore.toStdString();
    EXPECT_EQ(r.a, oggi);
    EXPECT_EQ(r.gruppo, GruppoRapporto::Mese);
    EXPECT_EQ(LeggiRigaComando({"--report", "--group", "year"}).gruppo, GruppoRapporto::Anno);
    EXPECT_EQ(LeggiRigaComando({"--report", "--format", "oneline"}).formato, FormatoRapporto::Riga);
    EXPECT_EQ(LeggiRigaComando({"--report", "--format", "png"}).formato, FormatoRapporto::Png);

    r = LeggiRigaComando({"--alert", "estimate:50000.5"});
    EXPECT_TRUE(r.errore.isEmpty()) << r.errore.toStdString();
    EXPECT_EQ(r.comando, Comando::Allarme);
    EXPECT_EQ(r.limite.voce, LimiteComando::Voce::Stima);
    EXPECT_EQ(r.limite.lire, 50000.5);
    EXPECT_EQ(LeggiRigaComando({"--alert=today:0"}).limite.voce, LimiteComando::Voce::Oggi);
    r = LeggiRigaComando({"--alert", "period:9", "--from", "2026-11-01", "--to", "2026-11-30"});
    EXPECT_TRUE(r.errore.isEmpty()) << r.errore.toStdString();
    EXPECT_EQ(r.da, QDate(2026, 11, 1));

    const QList<QStringList> sbagliate = {
        {"--report", "--from", "2026-2-1", "--to", "2026-03-01"}, // not YYYY-MM-DD
        {"--report", "--from", "01/12/2026", "--to", "2026-12-31"},
        {"--report", "--from", "2026-12-31", "--to", "2026-12-01"}, // inverted
        {"--report", "--from", "2026-12-01"},                       // one end only
        {"--report", "--format", "xml"},
        {"--report", "--format", "JSON"},
        {"--report", "2026-12-01"},                     // a stray word
        {"--from", "2026-12-01", "--to", "2026-12-31"}, // without --report
        {"--format", "csv", "/START"},
        {"--log", "--format", "csv", "--report"}, // two commands
        {"--log", "--format", "text"},            // a report's form
        {"--report", "--format", "tab"},          // a log's form
        {"--log", "--group", "month"},
        {"--report", "--connection", "Casa"},
        {"--report", "--group", "week"},
        {"--report", "--group", "month", "--format", "oneline"},
        {"--log", "--connection", "  "},
        {"--log", "--from", "ieri", "--to", "oggi"},
        {"--alert", "estimate"},
        {"--alert", "estimate:"},
        {"--alert", "estimate:-5"},
        {"--alert", "bill:5"},
        {"--alert", "today:5", "--from", "oggi", "--to", "oggi"},
        {"--alert", "period:5", "--format", "csv"},
        {"--connection", "Casa"},
        {"--log", "x"},
    };
    for (const QStringList& riga : sbagliate)
        EXPECT_FALSE(LeggiRigaComando(riga, oggi).errore.isEmpty()) << riga.join(' ').toStdString();
}
