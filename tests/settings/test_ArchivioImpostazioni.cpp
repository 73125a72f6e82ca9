// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoFile.h"
#include "SupportoImpostazioni.h"

#include <QSettings>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Archivio : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString percorso = tmp.filePath("Velatrix/Velatrix.conf");

    // Only the store's own file may be left in the folder after a save.
    QStringList AltriFile() const
    {
        QStringList f = QDir(tmp.filePath("Velatrix")).entryList(QDir::Files | QDir::Hidden);
        f.removeAll("Velatrix.conf");
        return f;
    }
};

TEST_F(Archivio, OgniTestoTornaIdenticoDopoIlSalvataggio)
{
    const QStringList testi{"72,5",
                            "01/05/2026",
                            "",
                            " spazio iniziale",
                            "spazio finale ",
                            "a;b",
                            "a=b",
                            "\"virgolette\"",
                            "rovescia\\n",
                            "@chiocciola",
                            "àèìòù €",
                            "riga\nnuova",
                            "tab\tqui",
                            "/home/u/Suoni/a, b.wav",
                            "8.00"};
    {
        ArchivioImpostazioni a(percorso);
        for (int i = 0; i < testi.size(); ++i)
            a.Scrivi(QStringLiteral("K%1").arg(i), testi[i]);
        QString errore;
        ASSERT_TRUE(a.Salva(&errore)) << errore.toStdString();
        EXPECT_FALSE(a.InSospeso());
    }
    ArchivioImpostazioni b(percorso);
    for (int i = 0; i < testi.size(); ++i) {
        SCOPED_TRACE(testi[i].toStdString());
        EXPECT_EQ(b.Leggi(QStringLiteral("K%1").arg(i), "assente"), testi[i]);
    }
    EXPECT_TRUE(AltriFile().isEmpty()) << AltriFile().join(' ').toStdString();
}

TEST_F(Archivio, ChiaveAssenteDaIlPredefinitoESalvareNullaNonCreaIlFile)
{
    ArchivioImpostazioni a(percorso);
    EXPECT_EQ(a.Leggi("CstSct", "127"), "127");
    EXPECT_FALSE(a.Contiene("CstSct"));
    QString errore;
    EXPECT_TRUE(a.Salva(&errore));
    EXPECT_FALSE(QFile::exists(percorso));
}

TEST_F(Archivio, FileScrittoAManoSiLeggeEQuelCheNonSiScriveResta)
{
    // An unquoted comma is a list to the INI reader; it must still read as one text.
    ScriviFile(percorso, "[Altro]\nX=1\n\n[Settings]\nSPSTr1=72,5\nDscTr1=Ordinaria\n");
    ArchivioImpostazioni a(percorso);
    a.Scrivi("DscTr1", "Nuova");
    QString errore;
    ASSERT_TRUE(a.Salva(&errore)) << errore.toStdString();

    QSettings s(percorso, QSettings::IniFormat);
    EXPECT_EQ(s.value("Settings/DscTr1").toString(), "Nuova");
    EXPECT_EQ(ArchivioImpostazioni(percorso).Leggi("SPSTr1", ""), "72,5");
}

// A full disk, simulated by a file size limit so it works for root as well.
TEST_F(Archivio, SalvataggioFallitoLasciaIlFileDiPrimaESiPuoRiprovare)
{
    const QByteArray prima = "[Settings]\nCstSct=127\n";
    ScriviFile(percorso, prima);
    ArchivioImpostazioni a(percorso);
    a.Scrivi("CstSct", "200");
    a.Scrivi("Wav000", QString(20000, 'x'));

    QString errore;
    bool riuscito;
    {
        LimiteDimensione limite(4096);
        riuscito = a.Salva(&errore);
    }

    EXPECT_FALSE(riuscito);
    EXPECT_TRUE(errore.contains(percorso)) << errore.toStdString();
    EXPECT_TRUE(errore.contains("file troppo grande")) << "the real cause: " << errore.toUtf8().constData();
    EXPECT_EQ(Contenuto(percorso), prima);
    EXPECT_TRUE(AltriFile().isEmpty()) << AltriFile().join(' ').toStdString();

    // What failed is still pending.
    ASSERT_TRUE(a.Salva(&errore)) << errore.toStdString();
    ArchivioImpostazioni b(percorso);
    EXPECT_EQ(b.Leggi("CstSct", ""), "200");
    EXPECT_EQ(b.Leggi("Wav000", "").size(), 20000);
}

TEST_F(Archivio, CartellaInSolaLetturaOFileIlleggibileLascianoIlFileIntatto)
{
    ScriviFile(percorso, "[Settings]\nCstSct=127\n");
    const QByteArray prima = Contenuto(percorso);
    const QByteArray cartella = QFile::encodeName(tmp.filePath("Velatrix"));
    const QByteArray file = QFile::encodeName(percorso);
    // Root runs the cases as nobody, so every mode gives all what the owner gets.
    ::chmod(QFile::encodeName(tmp.path()).constData(), 0755);
    const struct {
        const char* caso;
        mode_t cartella, file;
    } casi[] = {
        {"cartella in sola lettura", 0555, 0666},
        {"file illeggibile", 0777, 0000},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        ::chmod(cartella.constData(), c.cartella);
        ::chmod(file.constData(), c.file);
        bool riuscito = true;
        QString errore;
        {
            SenzaPrivilegi nobody;
            if (::faccessat(AT_FDCWD, c.file ? cartella.constData() : file.constData(), W_OK | R_OK, AT_EACCESS) == 0)
                GTEST_SKIP() << "permissions are not enforced here";
            ArchivioImpostazioni a(percorso);
            a.Scrivi("CstSct", "200");
            riuscito = a.Salva(&errore);
        }
        ::chmod(cartella.constData(), 0700);
        ::chmod(file.constData(), 0600);
        EXPECT_FALSE(riuscito);
        EXPECT_FALSE(errore.isEmpty());
        EXPECT_EQ(Contenuto(percorso), prima);
    }
}

TEST(ArchivioPercorso, SegueLaCartellaDiConfigurazioneDellUtente)
{
    EXPECT_EQ(ArchivioImpostazioni::PercorsoPredefinito(),
              qEnvironmentVariable("XDG_CONFIG_HOME") + "/Velatrix/Velatrix.conf");
}

TEST_F(Archivio, IResiduiDiUnSalvataggioInterrottoSiTolgonoAllAvvio)
{
    const QString cartella = tmp.filePath("Velatrix");
    const QStringList residui{".Velatrix.conf.aB3dE9", ".Velatrix.conf.aB3dE9.lock", ".Velatrix.conf.Zz0011",
                              ".velatrix-Qw12Er.conf"};
    const QStringList altri{".Velatrix.conf.nota", "Velatrix.conf", "Velatrix.conf.danneggiato", "note.txt"};
    for (const QString& f : residui + altri)
        ScriviFile(cartella + "/" + f, "[Settings]\nCstSct=1\n");
    ArchivioImpostazioni a(percorso);
    EXPECT_EQ(QDir(cartella).entryList(QDir::Files | QDir::Hidden, QDir::Name), altri);
}

// The store owns only its own section: whatever else the file holds is kept
// as it stands and never blocks a save, however the INI reader takes it.
TEST_F(Archivio, RigheEstraneeSiConservanoENonBloccanoIlSalvataggio)
{
    const struct {
        QByteArray prima, estranee; // the file, and what of it must stay as it is
    } casi[] = {
        {"[Altro]\nFoo=a,@Variant(b\n[Settings]\nCstSct=150\n", "[Altro]\nFoo=a,@Variant(b\n"},
        {"Foo=@Variant(b\r\n; nota\r\n[Settings]\r\nCstSct=150\r\n", "Foo=@Variant(b\r\n; nota\r\n"},
        {"[Settings]\nCstSct=150\n[Altro]\nFoo=a, @Rect(1 2 3 4), @Size(1",
         "[Altro]\nFoo=a, @Rect(1 2 3 4), @Size(1\n"},
        {"[Altro]\nFoo=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1\\x7f\\x7f)\n[Settings]\nCstSct=150\n",
         "[Altro]\nFoo=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1\\x7f\\x7f)\n"},
        {"[Altro]\nFoo=1\\\n  2\nBar=@ByteArray(\\0)\n[Settings]\nCstSct=150\n[Altro]\nX=1\n",
         "[Altro]\nFoo=1\\\n  2\nBar=@ByteArray(\\0)\n[Altro]\nX=1\n"},
        {"[Altro\nFoo=\"a,@Variant(b\"\n[Settings]\nCstSct=150\n", "[Altro\nFoo=\"a,@Variant(b\"\n"},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.prima.constData());
        ScriviFile(percorso, c.prima);
        ArchivioImpostazioni a(percorso);
        EXPECT_FALSE(a.Danneggiato());
        EXPECT_EQ(a.Leggi("CstSct", ""), "150");
        a.Scrivi("CstSct", "200");
        QString errore;
        ASSERT_TRUE(a.Salva(&errore)) << errore.toStdString();
        EXPECT_TRUE(Contenuto(percorso).startsWith(c.estranee)) << Contenuto(percorso).constData();
        EXPECT_EQ(ArchivioImpostazioni(percorso).Leggi("CstSct", ""), "200");
        EXPECT_TRUE(AltriFile().isEmpty()) << AltriFile().join(' ').toStdString();
    }
}

// A file the store cannot write back as it stands is kept aside whole in a
// copy before it is written again; what can be read of it stays.
TEST_F(Archivio, UnFileCheNonSiRiscriveUgualeSiConservaPrima)
{
    const struct {
        const char* caso;
        QByteArray prima;
        const char *chiave, *valore; // a value that survives
        QStringList scartate;        // values that read back changed: absent
        bool visto;                  // seen as damaged on opening, not only when saving
    } casi[] = {
        {"broken lines", "[Settings\n\x01\x02 rotto\nCstSct=150\n[Settings]\nPrcIva=10\n", "PrcIva", "10", {}, true},
        // A NaN, a list holding a NUL, a text holding one, a foreign NaN.
        {"lost in a rewrite",
         "[Settings]\n"
         "MsV001=@Variant(\\0\\0\\0\\x6\\x7f\\xf8\\0\\0\\0\\0\\0\\0)\n"
         "Wav001=a, @String(\\0\\x62)\n"
         "Wav002=@String(x\\0y)\n"
         "CstSct=150\n"
         "[Altro]\n"
         "Numero=@Variant(\\0\\0\\0\\x6\\x7f\\xf8\\0\\0\\0\\0\\0\\0)\n",
         "CstSct",
         "150",
         {"MsV001", "Wav001", "Wav002"},
         true},
        // An open quote would run into the section written after it.
        {"an open quote", "[Altro]\nFoo=\"aperta\n[Settings]\nCstSct=150\n", "CstSct", "150", {}, false},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        ScriviFile(percorso, c.prima);
        QFile::remove(percorso + ".danneggiato");
        ArchivioImpostazioni a(percorso);
        EXPECT_EQ(a.Danneggiato(), c.visto);
        EXPECT_EQ(a.Leggi(c.chiave, ""), c.valore);
        for (const QString& k : c.scartate)
            EXPECT_FALSE(a.Contiene(k)) << k.toStdString();
        a.Scrivi("RegFlg", "0");
        QString errore;
        ASSERT_TRUE(a.Salva(&errore)) << errore.toStdString();
        EXPECT_EQ(Contenuto(percorso + ".danneggiato"), c.prima);
        ArchivioImpostazioni b(percorso);
        EXPECT_FALSE(b.Danneggiato());
        EXPECT_EQ(b.Leggi(c.chiave, ""), c.valore);
        EXPECT_EQ(b.Leggi("RegFlg", ""), "0");
        b.Scrivi("RegFlg", "-1");
        ASSERT_TRUE(b.Salva(&errore)) << errore.toStdString();
    }
}

} // namespace
