// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoLog.h"
#include "common/FormeTesto.h"
#include "log/TestiLog.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// As read back from the file: the name with its padding.
RecordLog Riletto(const RecordLog& r)
{
    QTemporaryDir tmp;
    const QString p = tmp.filePath("x");
    ScriviCopia(p, {r});
    return *FileLog(p).LeggiRecord(1);
}

const QString Spazi47(47, QLatin1Char(' '));

TEST(TestiLog, ColonneDellaGriglia)
{
    const RecordLog r = Riletto(
        RecordLog{QDateTime(QDate(1997, 12, 31), QTime(23, 59, 30)), 45, 1234, 1234567.5, QStringLiteral("ABC")});
    const QStringList c = ColonneRecordLog(r);
    const QStringList atteso = {"31/12/1997", "23:59:30", "01/01/1998", "00:00:15",
                                "45\"",       "1.234",    "1.234.568",  QStringLiteral("ABC") + Spazi47};
    EXPECT_EQ(c, atteso);

    // A damaged date shows nothing rather than a made-up day.
    RecordLog guasto = r;
    guasto.Inizio = QDateTime();
    const QStringList g = ColonneRecordLog(guasto);
    EXPECT_EQ(g.mid(0, 4), QStringList({"", "", "", ""}));
    EXPECT_EQ(g.at(4), "45\"");
}

TEST(TestiLog, AllineamentoADestra)
{
    const struct {
        const char* testo;
        int larghezza;
        const char* atteso;
    } casi[] = {
        {"", 3, "   "},
        {"ab", 4, "  ab"},
        {"abcd", 4, "abcd"},
        {"12345", 2, "45"},
        {"\U0001E951\U0001E955-\U0001E951", 5, " \U0001E951\U0001E955-\U0001E951"},
        {"\U0001E951\U0001E955-\U0001E951", 2, "-\U0001E951"},
    };
    for (const auto& c : casi)
        EXPECT_EQ(AllineaADestra(c.testo, c.larghezza), QString::fromUtf8(c.atteso)) << c.testo;
}

TEST(TestiLog, RigheDiEsportazioneByteAByte)
{
    const RecordLog r =
        Riletto(RecordLog{QDateTime(QDate(1997, 12, 31), QTime(23, 59, 30)), 45, 3, 381.5, QStringLiteral("ABC")});
    // The tab form's header and this line are pinned by the viewer's export.
    EXPECT_EQ(IntestazioneEsportazione(TipoEsportazione::Spazi),
              "Data Inizio  Ora Inizio   Data Fine    Ora Fine      Durata  Scatti    Importo  "
              "Connessione                                       \r\n");
    // Labels and values end on the same columns.
    EXPECT_EQ(RigaEsportazione(r, TipoEsportazione::Spazi),
              QByteArray(" 31/12/1997") + "    23:59:30" + "  01/01/1998" + "    00:00:15" + "         45\""
                  + "       3" + "        382" + "  ABC" + Spazi47.toLatin1() + "\r\n");

    // Names are trimmed only in the tab form; a duration too long for its
    // field keeps its rightmost characters.
    RecordLog lungo = Riletto(
        RecordLog{QDateTime(QDate(1998, 1, 2), QTime(9, 5, 7)), 999999999, 12, 1e12, QStringLiteral("  Città ")});
    EXPECT_EQ(RigaEsportazione(lungo, TipoEsportazione::Tabulazione),
              QStringLiteral("02/01/1998\t09:05:07\t10/09/2029\t10:51:46\t277777h46'39\"\t12\t1000000000000\tCittà\r\n")
                  .toUtf8());
    const QString fissa = QString::fromUtf8(RigaEsportazione(lungo, TipoEsportazione::Spazi));
    EXPECT_EQ(fissa.mid(47, 12), "77777h46'39\"");
    EXPECT_EQ(fissa.mid(67, 11), "00000000000");
    EXPECT_EQ(fissa.mid(78), QStringLiteral("    Città ") + QString(42, ' ') + "\r\n");
}

TEST(TestiLog, RichiestaDiRighe)
{
    const SorgenteRecordLog sorgente = [](qint64 n) -> std::optional<RecordLog> {
        if (n == 99)
            return std::nullopt; // an unreadable record ends the batch
        return RecordNumerato(int(n));
    };
    const auto indici = [&sorgente](qint64 numero, const QString& marca, bool indietro, int righe) {
        QStringList out;
        for (const RigaLog& r : RichiediRigheLog(sorgente, numero, marca, indietro, righe))
            out << r.segnalibro;
        return out.join(',');
    };
    const struct {
        qint64 numero;
        const char* marca;
        bool indietro;
        int righe;
        const char* attesi; // 0-based indices
    } casi[] = {
        {25, "", true, 10, "24,23,22,21,20,19,18,17,16,15"},
        {25, "", false, 3, "0,1,2"},
        {25, "4", false, 3, "5,6,7"},
        {25, "4", true, 10, "3,2,1,0"},
        {25, "22", false, 10, "23,24"},
        {25, "24", false, 10, ""},
        {25, "0", true, 5, ""},
        {0, "", true, 5, ""},
        {25, "x", false, 2, "0,1"},
        {200, "95", false, 10, "96,97"},
    };
    for (const auto& c : casi)
        EXPECT_EQ(indici(c.numero, c.marca, c.indietro, c.righe), c.attesi) << c.numero << " " << c.marca;
}

// Lines written from the stored bytes are byte for byte those of the decoded
// record; every line of the fixed-column form has the header's number of
// characters, whatever the name holds and whatever digits the locale writes.
void RigheDiretteUguali(const std::vector<QByteArray>& record, const QList<QLocale>& locali)
{
    const qsizetype caratteri = QString::fromUtf8(IntestazioneEsportazione(TipoEsportazione::Spazi)).toUcs4().size();
    for (const QLocale& l : locali) {
        const FormatiLog formati(l);
        for (const TipoEsportazione tipo : {TipoEsportazione::Tabulazione, TipoEsportazione::Spazi}) {
            ScrittoreRigheLog scrittore(tipo, l);
            for (const QByteArray& b : record) {
                QByteArray riga;
                scrittore.Aggiungi(b.constData(), riga);
                const QString testo = QString::fromUtf8(riga);
                ASSERT_EQ(riga, RigaEsportazione(DecodificaRecordLog(b.constData()), tipo, formati))
                    << l.name().toStdString() << " " << b.toHex().constData();
                if (tipo == TipoEsportazione::Spazi) {
                    ASSERT_EQ(testo.toUcs4().size(), caratteri) << l.name().toStdString() << " " << riga.constData();
                }
                ASSERT_FALSE(testo.contains(QChar::ReplacementCharacter)) << l.name().toStdString();
            }
        }
    }
}

} // namespace

// Every locale Qt knows: the forms filled in directly, AM/PM included, give
// what the locale itself gives.
TEST(TestiLog, FormatiRapidiUgualiInOgniLocale)
{
    const QList<QLocale> tutti =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory) << QLocale::c();
    ASSERT_GT(tutti.size(), 100);
    int diretti = 0;
    for (const QLocale& l : tutti) {
        const FormatiLog f(l);
        char prova[FormatiLog::MassimoTesto];
        diretti += f.ScriviOra(0, prova) != nullptr;
        for (int ora = 0; ora < 24; ++ora)
            for (const QTime t : {QTime(ora, 0, 0), QTime(ora, 5, 9), QTime(ora, 59, 7)})
                ASSERT_EQ(f.Ora(t), TestoOraLog(t, l)) << l.name().toStdString() << " " << ora;
        for (const QDate d : {QDate(100, 1, 1), QDate(1899, 12, 30), QDate(1998, 1, 2), QDate(2026, 12, 7),
                              QDate(2026, 12, 31), QDate(2100, 2, 28), QDate(9999, 12, 31)})
            ASSERT_EQ(f.Data(d), TestoData(d, l)) << l.name().toStdString();
    }
    // Most locales, the 12-hour ones included, take the direct way.
    EXPECT_GT(diretti, tutti.size() / 2);
    char prova[FormatiLog::MassimoTesto];
    EXPECT_NE(FormatiLog(QLocale(QLocale::English, QLocale::UnitedStates)).ScriviOra(0, prova), nullptr);
}

// Random records, in zones with summer time and in locales of every kind.
TEST(TestiLog, RigheDiretteUgualiAQuelleDelRecord)
{
    std::mt19937_64 g(20261207);
    std::vector<QByteArray> record;
    for (int i = 0; i < 800; ++i)
        record.push_back(RecordCasuale(g));
    const QList<QLocale> locali = {QLocale(QLocale::Italian, QLocale::Italy),
                                   QLocale(QLocale::English, QLocale::UnitedStates),
                                   QLocale(QLocale::Arabic, QLocale::Egypt),
                                   QLocale(QLocale::Korean),
                                   QLocale(QLocale::Swedish),
                                   QLocale::c(),
                                   QLocale(QLocale::Hindi)};
    for (const char* zona : {"Europe/Rome", "America/Sao_Paulo", "Australia/Lord_Howe", "UTC"}) {
        FusoOrarioProva fuso(zona);
        SCOPED_TRACE(zona);
        RigheDiretteUguali(record, locali);
    }
}

// Around the changes of summer time in Rome (2026: clocks forward on 29/3 at
// 2:00, back on 25/10 at 3:00) and across a leap day, stored wall clocks are
// shown as they are and an end is never before its start, in the grid and in
// both export paths.
TEST(TestiLog, OrariAiCambiDellOra)
{
    FusoOrarioProva fuso("Europe/Rome");
    const struct {
        QDate giorno;
        QTime ora;
        qint32 durata;
        const char* atteso;
    } casi[] = {
        // A start in the repeated hour: as its second occurrence when the
        // first would end before it.
        {QDate(2026, 10, 25), QTime(2, 59, 50), 22, "25/10/2026\t02:59:50\t25/10/2026\t03:00:12"},
        {QDate(2026, 10, 25), QTime(2, 30), 2400, "25/10/2026\t02:30:00\t25/10/2026\t03:10:00"},
        // Clocks that change during a call move its end.
        {QDate(2026, 10, 25), QTime(1, 30), 7200, "25/10/2026\t01:30:00\t25/10/2026\t02:30:00"},
        {QDate(2026, 3, 29), QTime(1, 50), 1200, "29/03/2026\t01:50:00\t29/03/2026\t03:10:00"},
        // A start in the skipped hour, written under another zone.
        {QDate(2026, 3, 29), QTime(2, 30), 600, "29/03/2026\t02:30:00\t29/03/2026\t02:40:00"},
        {QDate(2028, 2, 28), QTime(23, 0), 3600, "28/02/2028\t23:00:00\t29/02/2028\t00:00:00"},
    };
    ScrittoreRigheLog scrittore(TipoEsportazione::Tabulazione);
    for (const auto& c : casi) {
        QByteArray b(LunghezzaRecordLog, ' ');
        CodificaRecordLog(RecordLog{QDateTime(), c.durata, 1, 127, QStringLiteral("x")}, b.data());
        const double giorni = double(QDate(1899, 12, 30).daysTo(c.giorno)) + c.ora.msecsSinceStartOfDay() / 86400000.0;
        qToLittleEndian(std::bit_cast<quint64>(giorni), b.data());
        const RecordLog r = DecodificaRecordLog(b.constData());
        QByteArray diretta;
        scrittore.Aggiungi(b.constData(), diretta);
        EXPECT_TRUE(diretta.startsWith(c.atteso)) << diretta.constData();
        EXPECT_EQ(RigaEsportazione(r, TipoEsportazione::Tabulazione), diretta);
        EXPECT_EQ(ColonneRecordLog(r).mid(0, 4).join('\t'), QString::fromLatin1(c.atteso));
    }
}

// Names holding every byte, the widest fields and every hour, in every
// locale Qt knows.
TEST(TestiLog, RigheInOgniLocale)
{
    QByteArray tutti(LunghezzaConnessione, ' ');
    std::vector<QByteArray> record;
    for (int primo = 0; primo < 256; primo += LunghezzaConnessione) {
        for (int i = 0; i < LunghezzaConnessione; ++i)
            tutti[i] = char((primo + i) % 256);
        QByteArray b(LunghezzaRecordLog, ' ');
        CodificaRecordLog(RecordLog{QDateTime(QDate(2026, 12, 7), QTime(9, 5)), 999999999, -12, -1e12, "x"}, b.data());
        b.replace(24, LunghezzaConnessione, tutti);
        record.push_back(b);
    }
    record.push_back(QByteArray(LunghezzaRecordLog, ' '));
    CodificaRecordLog(RecordLog{QDateTime(QDate(1998, 1, 2), QTime(23, 59)), 75, 3, 381, QStringLiteral("Società €")},
                      record.back().data());
    for (int ora = 0; ora < 24; ++ora) {
        record.push_back(QByteArray(LunghezzaRecordLog, ' '));
        CodificaRecordLog(RecordLog{QDateTime(QDate(2026, 12, 7), QTime(ora, 59, 58)), 3, 1, 127, "y"},
                          record.back().data());
    }
    RigheDiretteUguali(record,
                       QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory));
}

TEST(TestiLog, CampioniDelleColonne)
{
    const QLocale inglese(QLocale::English, QLocale::UnitedStates);
    const QStringList ore = CampioniColonnaLog(1, inglese);
    EXPECT_TRUE(ore.contains("11:59:59 PM"));
    EXPECT_TRUE(ore.contains("12:00:00 AM"));
    EXPECT_TRUE(CampioniColonnaLog(0, inglese).contains("12/31/2000"));
    EXPECT_TRUE(CampioniColonnaLog(0).contains("29/02/2000"));
    EXPECT_TRUE(CampioniColonnaLog(4).contains("999h59'58\""));
    EXPECT_TRUE(CampioniColonnaLog(6).contains("99.999.999"));
    EXPECT_TRUE(CampioniColonnaLog(5, inglese).contains("999,999"));
    // The blank before AM/PM a plain space, whichever Qt version drew it.
    EXPECT_EQ(TestoOraLog(QTime(13, 5, 9), inglese), "1:05:09 PM");
}
