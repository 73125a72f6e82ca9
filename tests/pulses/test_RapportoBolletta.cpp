// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoFile.h"
#include "pulses/RapportoBolletta.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QDate Inizio(2026, 12, 1), Fine(2026, 12, 10);

// Three stored days of ten, one before and one after the period.
QMap<QDate, Totali> Righe()
{
    return {{QDate(2026, 11, 30), {50, 5000}},
            {QDate(2026, 12, 1), {3, 381}},
            {QDate(2026, 12, 4), {10, 1002.4}},
            {QDate(2026, 12, 10), {1, 127}},
            {QDate(2026, 12, 11), {70, 7000}}};
}

RapportoBolletta Rapporto(QDate oggi) { return *CreaRapporto(Righe(), Inizio, Fine, oggi, 20); }

QByteArray Leggi(const QString& percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(mancante)");
}

} // namespace

TEST(RapportoBolletta, PeriodoVuotoInvertitoEFuoriLimite)
{
    const auto vuoto = CreaRapporto({}, Inizio, Inizio, Inizio, 20);
    ASSERT_TRUE(vuoto);
    EXPECT_EQ(vuoto->giorni.size(), 1);
    EXPECT_EQ(vuoto->stima->totale, 0);

    const auto invertito = CreaRapporto(Righe(), Fine, Inizio, QDate(2026, 12, 4), 20);
    ASSERT_TRUE(invertito);
    EXPECT_TRUE(invertito->giorni.isEmpty());
    EXPECT_FALSE(invertito->stima);
    EXPECT_EQ(SerieDelRapporto(*invertito).fineCumulato, -1);
    EXPECT_EQ(RapportoCsv(*invertito), "voce,dal,al,scatti,netto,iva,totale\n"
                                       "periodo,2026-12-10,2026-12-01,0,0,0,0\n");

    const QMap<QDate, Totali> troppi{{Inizio, {2000000000, 1}}, {Fine, {2000000000, 1}}};
    EXPECT_FALSE(CreaRapporto(troppi, Inizio, Fine, Inizio, 20));
}

TEST(RapportoBolletta, LettoDalDatabase)
{
    QTemporaryDir cartella;
    DatabaseScatti db;
    ASSERT_TRUE(db.Apri(cartella.filePath("scatti.db")));
    for (auto [giorno, t] : Righe().asKeyValueRange())
        ASSERT_TRUE(db.AggiungiScatti(giorno, t.scatti, t.importo));
    const auto r = LeggiRapporto(db, Inizio, Fine, QDate(2026, 12, 4), 20);
    ASSERT_TRUE(r);
    EXPECT_EQ(RapportoCsv(*r), RapportoCsv(Rapporto(QDate(2026, 12, 4))));
}

TEST(RapportoBolletta, NumeriSemplici)
{
    const struct {
        double v;
        const char* atteso;
    } casi[] = {{381, "381"},
                {1202.88, "1202.88"},
                {1002.4 * 1.2, "1202.88"},
                {1234567.5, "1234567.5"},
                {-3.5, "-3.5"},
                {-0.001, "0"},
                {0.005, "0.01"},
                {123456789012.5, "123456789012.5"},
                {0.1 + 0.2, "0.3"},
                {107.95000000001, "107.95"}};
    for (const auto& c : casi)
        EXPECT_EQ(NumeroSemplice(c.v), c.atteso) << c.v;
}

TEST(RapportoBolletta, CsvConDateIsoEPunti)
{
    const QByteArray csv = RapportoCsv(Rapporto(QDate(2026, 12, 4)));
    const QList<QByteArray> righe = csv.split('\n');
    ASSERT_EQ(righe.size(), 1 + 10 + 2 + 1); // header, days, period, estimate, final newline
    EXPECT_EQ(righe[0], "voce,dal,al,scatti,netto,iva,totale");
    EXPECT_EQ(righe[1], "giorno,2026-12-01,2026-12-01,3,381,76.2,457.2");
    EXPECT_EQ(righe[2], "giorno,2026-12-02,2026-12-02,0,0,0,0");
    EXPECT_EQ(righe[4], "giorno,2026-12-04,2026-12-04,10,1002.4,200.48,1202.88");
    EXPECT_EQ(righe[11], "periodo,2026-12-01,2026-12-10,14,1510.4,302.08,1812.48");
    EXPECT_EQ(righe[12], "stima,2026-12-01,2026-12-10,33,3458.5,691.7,4150.2");
    EXPECT_TRUE(righe[13].isEmpty());

    const QByteArray senzaStima = RapportoCsv(Rapporto(QDate(2027, 1, 1)));
    EXPECT_FALSE(senzaStima.contains("stima"));
}

TEST(RapportoBolletta, JsonLeggibile)
{
    QJsonParseError e;
    const QJsonObject o = QJsonDocument::fromJson(RapportoJson(Rapporto(QDate(2026, 12, 4))), &e).object();
    ASSERT_EQ(e.error, QJsonParseError::NoError) << e.errorString().toStdString();
    EXPECT_EQ(o["versione_formato"].toInt(), 1);
    EXPECT_EQ(o["dal"].toString(), "2026-12-01");
    EXPECT_EQ(o["al"].toString(), "2026-12-10");
    EXPECT_EQ(o["oggi"].toString(), "2026-12-04");
    EXPECT_EQ(o["iva_percento"].toInt(), 20);
    const QJsonArray giorni = o["giorni"].toArray();
    ASSERT_EQ(giorni.size(), 10);
    EXPECT_EQ(giorni[3].toObject()["data"].toString(), "2026-12-04");
    EXPECT_EQ(giorni[3].toObject()["totale"].toDouble(), 1202.88);
    const QJsonObject periodo = o["periodo"].toObject();
    EXPECT_EQ(periodo["scatti"].toInt(), 14);
    EXPECT_EQ(periodo["media_scatti"].toDouble(), 1.4);
    EXPECT_EQ(periodo["netto"].toDouble(), 1510.4);
    EXPECT_EQ(o["stima"].toObject()["totale"].toDouble(), 4150.2);

    const QJsonObject dopo = QJsonDocument::fromJson(RapportoJson(Rapporto(QDate(2027, 1, 1)))).object();
    EXPECT_TRUE(dopo["stima"].isNull());
    const auto invertito = CreaRapporto({}, Fine, Inizio, Inizio, 20);
    EXPECT_TRUE(QJsonDocument::fromJson(RapportoJson(*invertito)).object()["giorni"].toArray().isEmpty());
}

TEST(RapportoBolletta, TestoNelleFormeDellaFinestra)
{
    const QString t = RapportoTesto(Rapporto(QDate(2026, 12, 4)), QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_TRUE(t.startsWith("Periodo bolletta: dal 01/12/2026 al 10/12/2026\n")) << t.toStdString();
    EXPECT_TRUE(t.contains(QRegularExpression("\n04/12/2026 +10 +1\\.002 +1\\.203\n"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QRegularExpression("\nIva \\(20%\\) +302\n"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QRegularExpression("\nTOTALE +1\\.812\n"))) << t.toStdString();
    // The estimate after the rate per day it stands on.
    EXPECT_TRUE(t.contains(QRegularExpression("\nStima a fine periodo\nMedia L\\./gg +345,9\nNetto +3\\.459\n")))
        << t.toStdString();
    EXPECT_FALSE(RapportoTesto(Rapporto(QDate(2027, 1, 1))).contains("Stima"));
}

TEST(RapportoBolletta, CsvScrittoInteroONiente)
{
    QTemporaryDir cartella;
    const QString percorso = cartella.filePath("bolletta.csv");
    const RapportoBolletta r = Rapporto(QDate(2026, 12, 4));
    QString motivo;
    ASSERT_TRUE(ScriviRapportoCsv(r, percorso, &motivo)) << motivo.toStdString();
    EXPECT_EQ(Leggi(percorso), RapportoCsv(r));

    // A write cut short, as on a full disk, leaves the earlier file whole and no scraps.
    QFile vecchio(percorso);
    ASSERT_TRUE(vecchio.open(QIODevice::WriteOnly));
    vecchio.write("vecchio\n");
    vecchio.close();
    {
        LimiteDimensione limite(200);
        EXPECT_FALSE(ScriviRapportoCsv(r, percorso, &motivo));
    }
    EXPECT_TRUE(motivo.contains(percorso)) << motivo.toStdString();
    EXPECT_EQ(Leggi(percorso), "vecchio\n");
    EXPECT_EQ(QDir(cartella.path()).entryList(QDir::Files), QStringList{"bolletta.csv"});
}

TEST(SerieBolletta, BarreCumulatoEOggi)
{
    const SerieBolletta s = SerieDelRapporto(Rapporto(QDate(2026, 12, 4)));
    ASSERT_EQ(s.barre.size(), 10);
    ASSERT_EQ(s.cumulato.size(), 10);
    EXPECT_EQ(s.giorni[9], Fine);
    EXPECT_DOUBLE_EQ(s.barre[3], 1202.88);
    EXPECT_DOUBLE_EQ(s.cumulato[9], 1812.48);
    EXPECT_EQ(s.oggi, 3);
    EXPECT_EQ(s.fineCumulato, 3);
    ASSERT_TRUE(s.stimaFinale);
    EXPECT_DOUBLE_EQ(*s.stimaFinale, (381 + 1002.4) / 4 * 10 * 1.2);

    for (QDate fuori : {QDate(2026, 11, 1), QDate(2027, 1, 1)}) {
        const SerieBolletta f = SerieDelRapporto(Rapporto(fuori));
        EXPECT_EQ(f.oggi, -1);
        EXPECT_EQ(f.fineCumulato, 9);
        EXPECT_FALSE(f.stimaFinale);
    }
    EXPECT_EQ(SerieDelRapporto(Rapporto(Fine)).oggi, 9);
}

TEST(SerieBolletta, PassoScalaTondo)
{
    const struct {
        double massimo;
        int tacche;
        double atteso;
    } casi[] = {{0, 5, 1}, {-3, 5, 1}, {1, 5, 0.2}, {457.2, 5, 100}, {1812.48, 4, 500}, {10, 5, 2}, {99999, 5, 20000}};
    for (const auto& c : casi)
        EXPECT_DOUBLE_EQ(PassoScala(c.massimo, c.tacche), c.atteso) << c.massimo;
}

TEST(SerieBolletta, EtichetteDeiGiorni)
{
    // Each locale's own short date, without the year.
    for (const QLocale& l :
         {QLocale(QLocale::Italian, QLocale::Italy), QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Japanese, QLocale::Japan),
          QLocale(QLocale::Hungarian, QLocale::Hungary)}) {
        const QString f = FormatoGiornoMese(l);
        EXPECT_FALSE(f.contains('y')) << l.name().toStdString() << " "
                                      << l.dateFormat(QLocale::ShortFormat).toStdString();
        EXPECT_EQ(l.toString(QDate(2026, 12, 7), f).remove(QRegularExpression("[^0-9]")),
                  l.toString(QDate(2026, 12, 7), l.dateFormat(QLocale::ShortFormat))
                      .remove(QRegularExpression("[^0-9]"))
                      .remove(QRegularExpression("(20)?26")))
            << l.name().toStdString() << " " << f.toStdString();
    }

    EXPECT_EQ(PassoEtichette(31, 40, 2000), 1);
    EXPECT_EQ(PassoEtichette(31, 40, 600), 7);
    EXPECT_EQ(PassoEtichette(61, 40, 450), 7);
    EXPECT_EQ(PassoEtichette(123, 40, 450), 14);
    EXPECT_EQ(PassoEtichette(366, 40, 450), 60);
    EXPECT_EQ(PassoEtichette(0, 40, 450), 1);

    const SerieBolletta s = SerieDelRapporto(Rapporto(QDate(2026, 12, 4)));
    EXPECT_EQ(TestoPuntoGrafico(s, 3), "04/12/2026\nL. 1.203 con Iva\nProgressivo L. 1.660");
    EXPECT_EQ(TestoPuntoGrafico(s, -1), "");
    EXPECT_EQ(TestoPuntoGrafico(s, 10), "");
}

TEST(RapportoBolletta, PerMeseEPerAnno)
{
    // 15 November 2026 to 10 January 2028: three months cut by the ends.
    const QMap<QDate, Totali> righe{{QDate(2026, 11, 20), {2, 254}},
                                    {QDate(2026, 12, 31), {1, 127}},
                                    {QDate(2027, 12, 1), {4, 508}},
                                    {QDate(2028, 1, 10), {3, 381}}};
    const auto r = CreaRapporto(righe, QDate(2026, 11, 15), QDate(2028, 1, 10), QDate(2030, 1, 1), 20);
    ASSERT_TRUE(r);
    const QVector<GruppoBolletta> mesi = Raggruppa(*r, Raggruppamento::Mese);
    ASSERT_EQ(mesi.size(), 15);
    EXPECT_EQ(mesi.front().dal, QDate(2026, 11, 15));
    EXPECT_EQ(mesi.front().al, QDate(2026, 11, 30));
    EXPECT_EQ(mesi[1].al, QDate(2026, 12, 31));
    EXPECT_EQ(mesi.back().dal, QDate(2028, 1, 1));
    EXPECT_EQ(mesi.back().al, QDate(2028, 1, 10));
    EXPECT_EQ(mesi.back().scatti, 3);

    const QList<QByteArray> anni = RapportoCsv(*r, Raggruppamento::Anno).split('\n');
    ASSERT_EQ(anni.size(), 1 + 3 + 1 + 1);
    EXPECT_EQ(anni[1], "anno,2026-11-15,2026-12-31,3,381,76.2,457.2");
    EXPECT_EQ(anni[2], "anno,2027-01-01,2027-12-31,4,508,101.6,609.6");
    EXPECT_EQ(anni[3], "anno,2028-01-01,2028-01-10,3,381,76.2,457.2");
    EXPECT_EQ(anni[4], "periodo,2026-11-15,2028-01-10,10,1270,254,1524");

    const QJsonObject o = QJsonDocument::fromJson(RapportoJson(*r, Raggruppamento::Mese)).object();
    EXPECT_FALSE(o.contains("giorni"));
    const QJsonArray m = o["mesi"].toArray();
    ASSERT_EQ(m.size(), 15);
    EXPECT_EQ(m[0].toObject()["dal"].toString(), "2026-11-15");
    EXPECT_EQ(m[0].toObject()["totale"].toDouble(), 304.8);

    const QString t = RapportoTesto(*r, QLocale(QLocale::Italian, QLocale::Italy), Raggruppamento::Mese);
    EXPECT_TRUE(t.contains(QRegularExpression("\nMese +Scatti +Netto +TOTALE\nnov 2026 +2 +254 +305\n")))
        << t.toStdString();
    EXPECT_TRUE(RapportoTesto(*r, QLocale(QLocale::Italian, QLocale::Italy), Raggruppamento::Anno)
                    .contains(QRegularExpression("\n2027 +4 +508 +610\n")));
    // By day, the rows are the days as always.
    EXPECT_EQ(RapportoCsv(*r, Raggruppamento::Giorno), RapportoCsv(*r));
}

TEST(RapportoBolletta, UnaRigaPerGliScript)
{
    EXPECT_EQ(RapportoRiga(Rapporto(QDate(2026, 12, 4))), "1;2026-12-01;2026-12-10;14;1510.4;1812.48;4150.2\n");
    EXPECT_EQ(RapportoRiga(Rapporto(QDate(2027, 1, 1))), "1;2026-12-01;2026-12-10;14;1510.4;1812.48;\n");
}

TEST(SerieBolletta, EtichetteDiPeriodiLunghi)
{
    const QLocale it(QLocale::Italian, QLocale::Italy);
    const auto misura = [](const QString& t) { return 7.0 * t.size(); };
    const auto giorni = [](QDate dal, QDate al) {
        QVector<QDate> g;
        for (QDate d = dal; d <= al; d = d.addDays(1))
            g.push_back(d);
        return g;
    };
    // A month keeps its day labels.
    const auto mese = EtichetteGrafico(giorni(QDate(2026, 12, 1), QDate(2026, 12, 31)), 560, misura, it);
    ASSERT_FALSE(mese.isEmpty());
    EXPECT_EQ(mese[0], (EtichettaGrafico{0, "01/12"}));
    EXPECT_EQ(mese[1].indice, PassoEtichette(31, 7 * 5 + 8, 560));

    // A year of days: the month starts, with the year as it spans two.
    const auto anno = EtichetteGrafico(giorni(QDate(2025, 12, 8), QDate(2026, 12, 8)), 560, misura, it);
    ASSERT_FALSE(anno.isEmpty());
    for (const EtichettaGrafico& e : anno)
        EXPECT_EQ(QDate(2025, 12, 8).addDays(e.indice).day(), 1) << e.testo.toStdString();
    EXPECT_EQ(anno[0].testo, "gen 2026");
    EXPECT_EQ(anno[1].testo, "mar 2026");
    // Within one year, the month alone; wide enough, every month.
    const auto stessoAnno = EtichetteGrafico(giorni(QDate(2026, 1, 1), QDate(2026, 12, 31)), 1000, misura, it);
    ASSERT_EQ(stessoAnno.size(), 12);
    EXPECT_EQ(stessoAnno[11], (EtichettaGrafico{334, "dic"}));

    // Ten years: the year starts.
    const auto dieci = EtichetteGrafico(giorni(QDate(2016, 12, 8), QDate(2026, 12, 7)), 560, misura, it);
    ASSERT_EQ(dieci.size(), 10);
    EXPECT_EQ(dieci[0].testo, "2017");
    EXPECT_EQ(dieci[9].testo, "2026");
    // A century on a few pixels: every tenth or fiftieth year, never a crowd.
    const auto secolo = EtichetteGrafico(giorni(QDate(1900, 1, 1), QDate(1999, 12, 31)), 300, misura, it);
    ASSERT_FALSE(secolo.isEmpty());
    EXPECT_LE(secolo.size(), 300 / (7 * 4 + 8));
    EXPECT_TRUE(EtichetteGrafico({}, 560, misura, it).isEmpty());
}
