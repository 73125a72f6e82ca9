// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoImpostazioni.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const QLocale Italiano(QLocale::Italian, QLocale::Italy);

class Caricamento : public ConArchivio {
protected:
    Impostazioni Carica(const ArchivioImpostazioni& a, bool* primo = nullptr, const QDate& oggi = Oggi)
    {
        return CaricaImpostazioni(a, oggi, Italiano, true, primo);
    }

    QSet<QString> ChiaviSalvate() const
    {
        const QStringList k = ArchivioImpostazioni(percorso).Chiavi();
        return QSet<QString>(k.begin(), k.end());
    }
};

// The keys the table gives `scrittore`, of the tariffs and bands in use in `m`.
QSet<QString> ChiaviDi(unsigned scrittore, const ModelloTariffe& m)
{
    QSet<QString> s;
    for (const VoceImpostazione& v : TabellaImpostazioni)
        for (int i = v.primo; i <= v.ultimo; ++i)
            if ((v.scrittori & scrittore) && IndiceInUso(v, m, i))
                s << NomeChiave(v, i);
    return s;
}

TEST(PeriodoPredefinito, DalPrimoAllUltimoGiornoDelMese)
{
    const struct {
        QDate oggi, fine;
    } casi[] = {
        {{2026, 5, 14}, {2026, 5, 31}}, {{2026, 12, 31}, {2026, 12, 31}}, {{2026, 12, 1}, {2026, 12, 31}},
        {{2026, 2, 10}, {2026, 2, 28}}, {{2024, 2, 29}, {2024, 2, 29}},   {{2026, 4, 30}, {2026, 4, 30}},
        {{2026, 1, 31}, {2026, 1, 31}},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.oggi.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(FinePeriodoPredefinita(c.oggi), c.fine);
    }
}

TEST_F(Caricamento, PrimoAvvioSalvaOgniChiaveTranneLaRiduzione)
{
    ArchivioImpostazioni a(percorso);
    Impostazioni imp = Carica(a);
    QString errore;
    ASSERT_TRUE(ScriviPrimoAvvio(a, imp, 0, 8100.5, ColoriProgettati, &errore)) << errore.toStdString();
    // Of the two default tariffs and three bands only; never the reduction.
    EXPECT_EQ(ChiaviSalvate(), ChiaviDi(ScritturaPrimoAvvio, Impostazioni().Tariffe));

    ArchivioImpostazioni b(percorso);
    // The position, the flag and the period are seen in the load below.
    const std::pair<const char*, const char*> valori[] = {
        {"TopWin", "-1"}, {"CnfStp", "0"}, {"Clr000", "8454016"}, {"Clr004", "16777215"}, {"Wav004", ""}};
    for (const auto& [chiave, testo] : valori)
        EXPECT_EQ(b.Leggi(chiave, "assente"), testo) << chiave;

    // From now on the flag is off, every value reads back as it was written,
    // and the bill period stays that of the first start.
    imp.TopTwp = 0;
    imp.LftTwp = 8100.5;
    std::copy(ColoriProgettati.begin(), ColoriProgettati.end(), imp.Clr.begin());
    bool primo = true;
    EXPECT_EQ(Valori(Carica(b, &primo, QDate(2026, 7, 2))), Valori(imp));
    EXPECT_FALSE(primo);
}

// Each text as its key's form reads it; unreadable texts keep the default.
TEST_F(Caricamento, OgniTestoLettoSecondoLaSuaForma)
{
    const struct {
        const char *chiave, *testo, *letto;
    } casi[] = {
        {"CtrAut", "1", "-1"}, // any non-zero number is true
        {"CtrCon", "abc", "0"},
        {"SlvImp", "", "-1"},
        {"MsV001", "72,5", "72.5"},
        {"SPSTr2", "72,5", "72.5"},
        {"CstSct", "12,7", "127"}, // a whole-number key holds no fraction
        {"CstSct", "abc", "127"},
        // Grouped, listed or followed by a word: no locale's number.
        {"MsV001", "1.234,5", "0"},
        {"SPSTr1", "1,2,3", "220"},
        {"MsV002", "72,5 lire", "0"},
        {"SPSTr1", "abc", "220"},
        {"LftTwp", "abc", "None"},
        {"Clr002", "-5", "None"},
        {"ClrTr1", "abc", "8454143"},
        {"DatIPB", "1/5/26", "2026-05-01"}, // a two-digit year is in this century
        {"DatIPB", "31/02/2026", "2026-05-01"},
        {"DatIPB", "31/31/2026", "2026-05-01"},
        {"DatFPB", "abc", "2026-05-31"},
        {"DscTr1", "Tariffa serale festiva", "Tariffa serale festi"},
        // A character outside the basic plane is dropped whole, never cut in two.
        {"DscTr2", "1234567890123456789😀", "1234567890123456789"},
        {"IfcPtp", " , ", ""},
        {"IfcPtp", " tun7, wg0  vpn-casa,,tun7 ", "tun7 wg0 vpn-casa"},
        // Tariffs and bands beyond the counts in use are kept as read.
        {"SPSTr3", "-5", "-5"},
        {"SPSTr3", "99999", "99999"},
        {"TrfFs4", "99999", "99999"},
        {"TrfFs4", "99999999999999999999999", "2147483647"},
    };
    for (const auto& c : casi) {
        const QString chiave = QString::fromLatin1(c.chiave) + "=";
        const QStringList letto = Valori(CaricaDa({{chiave.chopped(1), QString::fromUtf8(c.testo)}})).filter(chiave);
        EXPECT_EQ(letto, QStringList(chiave + QString::fromUtf8(c.letto))) << c.chiave << "=" << c.testo;
    }
}

TEST_F(Caricamento, InterfacceNominateComeCalleIlKernel)
{
    // Names the kernel could never give are dropped, the others kept.
    EXPECT_EQ(NomiInterfacce("abcdefghijklmnop tun/1 ppp0:1 . .. t\x01x abcdefghijklmno"),
              QStringList{"abcdefghijklmno"});
    QString molti;
    for (int i = 0; i < 40; ++i)
        molti += QStringLiteral("tun%1 ").arg(i);
    const QStringList primi = NomiInterfacce(molti);
    ASSERT_EQ(primi.size(), NumeroMassimoInterfacce);
    EXPECT_EQ(primi.last(), QStringLiteral("tun%1").arg(NumeroMassimoInterfacce - 1));
    EXPECT_EQ(NomiInterfacce(TestoNomiInterfacce(primi)), primi);
}

TEST_F(Caricamento, IlTempoSiMostraSoloPerLaConnessione)
{
    EXPECT_EQ(CaricaDa({{"TipImp", "4"}, {"PerImp", "1"}}).TipImp, TipoImporto::Tempo);
    EXPECT_EQ(CaricaDa({{"TipImp", "4"}, {"PerImp", "2"}}).TipImp, TipoImporto::Importo);
    EXPECT_EQ(CaricaDa({{"TipImp", "9"}, {"PerImp", "3"}}).TipImp, TipoImporto::Importo);
}

TEST_F(Caricamento, UnaCorrezioneNonRiscriveLArchivio)
{
    ScriviFile(percorso, "[Settings]\nIntRfr=0\n");
    ArchivioImpostazioni a(percorso);
    EXPECT_EQ(Carica(a).IntRfr, 1000);
    EXPECT_FALSE(a.InSospeso());
    EXPECT_EQ(a.Leggi("IntRfr", ""), "0");
}

TEST(Normalizza, ValoriNonNumericiDaiChiamanti)
{
    Impostazioni imp;
    imp.TopTwp = std::nan("");
    imp.LftTwp = -120;
    imp.DatIPB = QDate();
    NormalizzaImpostazioni(imp, QDate(2026, 2, 3));
    EXPECT_FALSE(imp.TopTwp.has_value());
    EXPECT_EQ(imp.LftTwp, -120) << "a negative edge is a real position";
    EXPECT_EQ(imp.DatIPB, QDate(2026, 2, 1));
    EXPECT_EQ(imp.DatFPB, QDate(2026, 2, 28));
}

class Scrittori : public Caricamento {};

TEST_F(Scrittori, OgniScrittoreSalvaSoloLeSueChiavi)
{
    Impostazioni imp;
    imp.DatIPB = QDate(2026, 5, 1);
    imp.DatFPB = QDate(2026, 5, 31);
    const struct {
        unsigned scrittore;
        QStringList alcune, nessuna; // a few keys it must and must not store
    } casi[] = {
        {ScritturaOpzioni, {"IfcPtp", "MsI003", "Clr004"}, {"TipImp", "RegFlg"}},
        {ScritturaTariffe, {"TipRid", "TrfFs3", "DscTr2"}, {"TrfFs4", "DscTr3"}},
        {ScritturaBolletta, {"DatIPB", "DatFPB"}, {"TipImp"}},
        {ScritturaUscita, {"TopTwp", "LftTwp", "TipImp", "PerImp"}, {"DatIPB"}},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.scrittore);
        QFile::remove(percorso);
        ArchivioImpostazioni a(percorso);
        QString errore;
        ASSERT_TRUE(ScriviCon(c.scrittore, a, imp, &errore)) << errore.toStdString();
        const QSet<QString> salvate = ChiaviSalvate();
        EXPECT_EQ(salvate, ChiaviDi(c.scrittore, imp.Tariffe));
        for (const QString& k : c.alcune)
            EXPECT_TRUE(salvate.contains(k)) << k.toStdString();
        for (const QString& k : c.nessuna)
            EXPECT_FALSE(salvate.contains(k)) << k.toStdString();
    }
}

TEST_F(Scrittori, UnConteggioFuoriMisuraNonEsceDallaTabella)
{
    ArchivioImpostazioni a(percorso);
    Impostazioni imp;
    imp.Tariffe.MaxTrf = 9;
    imp.Tariffe.MaxFsc = -1;
    ASSERT_TRUE(ScriviTariffe(a, imp, nullptr));
    EXPECT_TRUE(a.Contiene("DscTr5"));
    EXPECT_FALSE(a.Contiene("DscTr6"));
    // The counts are stored in range, with just the entries they cover.
    EXPECT_EQ(a.Leggi("MaxTrf", ""), "5");
    EXPECT_EQ(a.Leggi("MaxFsc", ""), "1");
    EXPECT_TRUE(a.Contiene("InzFs1"));
    EXPECT_FALSE(a.Contiene("InzFs2"));
}

// A folder that cannot be made, a file in its place: memory keeps what it
// held, and the old values go back in the queue so that a later save by
// another window stores what memory holds.
TEST_F(Scrittori, UnSalvataggioFallitoSiSegnalaELasciaLaMemoria)
{
    ScriviFile(tmp.filePath("file"), "x");
    ArchivioImpostazioni a(tmp.filePath("file/Velatrix.conf"));
    QString errore;
    EXPECT_FALSE(ScriviUscita(a, Impostazioni{}, 0, 0, &errore));
    EXPECT_FALSE(errore.isEmpty());
    EXPECT_TRUE(a.InSospeso());
    EXPECT_EQ(Contenuto(tmp.filePath("file")), "x");

    Impostazioni imp, nuove;
    nuove.Tariffe.CstSct = 200;
    errore.clear();
    EXPECT_FALSE(SostituisciImpostazioni(imp, nuove, a, ScritturaTariffe, &errore));
    EXPECT_FALSE(errore.isEmpty());
    EXPECT_EQ(imp.Tariffe, ModelloTariffe{});
    EXPECT_EQ(a.Leggi("CstSct", ""), "127");
}

} // namespace
