// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ripristino.h"
#include "SupportoImpostazioni.h"

#include <charconv>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

namespace {

const QLocale Italiano(QLocale::Italian, QLocale::Italy);
const QLocale Inglese(QLocale::English, QLocale::UnitedStates);
const QLocale Tedesco(QLocale::German, QLocale::Germany);

class LocaleImpostazioni : public ConArchivio {
protected:
    Impostazioni CaricaSotto(const QLocale& l)
    {
        LocaleProva sotto(l);
        ArchivioImpostazioni a(percorso);
        return CaricaImpostazioni(a, Oggi, QLocale(), true, nullptr);
    }

    void FileDellaVersionePrecedente(std::initializer_list<std::pair<const char*, const char*>> valori)
    {
        ArchivioImpostazioni a(percorso);
        for (const auto& [k, v] : valori)
            a.Scrivi(k, v);
        ASSERT_TRUE(a.Salva(nullptr));
    }
};

TEST_F(LocaleImpostazioni, LeDateDellaVersionePrecedenteNellOrdineCheIlFileDice)
{
    const std::tuple<const char*, const char*, const char*> casi[] = {
        {"italiano", "01/12/2026", "31/12/2026"},
        {"americano", "12/1/2026", "12/31/2026"},
        {"tedesco", "01.12.2026", "31.12.2026"},
    };
    for (const auto& [caso, inizio, fine] : casi) {
        FileDellaVersionePrecedente({{"DatIPB", inizio}, {"DatFPB", fine}});
        for (const QLocale& l : {Inglese, Italiano, QLocale::c()}) {
            SCOPED_TRACE(std::string(caso) + " sotto " + l.name().toStdString());
            const Impostazioni imp = CaricaSotto(l);
            EXPECT_EQ(imp.DatIPB, QDate(2026, 12, 1));
            EXPECT_EQ(imp.DatFPB, QDate(2026, 12, 31));
        }
    }
    // Nothing in the file tells the order: the user's locale decides, as before.
    FileDellaVersionePrecedente({{"DatIPB", "01/12/2026"}, {"DatFPB", "05/12/2026"}});
    EXPECT_EQ(CaricaSotto(Italiano).DatIPB, QDate(2026, 12, 1));
    EXPECT_EQ(CaricaSotto(Inglese).DatIPB, QDate(2026, 1, 12));
}

// How earlier versions wrote a number and a date under the user's locale.
template <typename T>
QString NumeroPrecedente(T valore, const QLocale& l)
{
    char buf[64];
    QString t = QString::fromLatin1(buf, std::to_chars(buf, buf + sizeof buf, valore).ptr - buf);
    return t.replace('.', l.decimalPoint()).replace('-', l.negativeSign());
}

QString DataPrecedente(const QDate& d, const QLocale& l)
{
    QString f = l.dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return l.toString(d, f);
}

TEST_F(LocaleImpostazioni, CioCheOgniLocaleScrivevaSiLeggeUgualeSottoOgniLocale)
{
    // A day above 12 in each date, so their order is never a guess.
    const QDate inizio(2026, 11, 15), fine(2026, 12, 14);
    std::map<QStringList, QString> file; // each distinct text once
    for (const QLocale& l : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory))
        file.emplace(QStringList{DataPrecedente(inizio, l), DataPrecedente(fine, l), NumeroPrecedente(72.5, l),
                                 NumeroPrecedente(1234.25, l), NumeroPrecedente(5.25f, l), NumeroPrecedente(-45.5f, l),
                                 NumeroPrecedente(8100.5f, l)},
                     l.name());
    ASSERT_GT(file.size(), 20u);
    const char* const chiavi[] = {"DatIPB", "DatFPB", "MsV001", "MsV002", "SPSTr1", "TopTwp", "LftTwp"};
    for (const auto& [t, scrittore] : file) {
        ArchivioImpostazioni a(percorso);
        for (qsizetype i = 0; i < t.size(); ++i)
            a.Scrivi(chiavi[i], t[i]);
        ASSERT_TRUE(a.Salva(nullptr));
        for (const QLocale& l : {Italiano, Inglese, Tedesco, QLocale::c()}) {
            SCOPED_TRACE((scrittore + " " + t.join(' ') + " sotto " + l.name()).toStdString());
            const Impostazioni imp = CaricaSotto(l);
            EXPECT_EQ(imp.DatIPB, inizio);
            EXPECT_EQ(imp.DatFPB, fine);
            EXPECT_EQ(imp.MsV[1], 72.5);
            EXPECT_EQ(imp.MsV[2], 1234.25);
            EXPECT_EQ(imp.Tariffe.tariffa(1).SecondiPerScatto, 5.25f);
            EXPECT_EQ(imp.TopTwp, -45.5);
            EXPECT_EQ(imp.LftTwp, 8100.5);
        }
    }
    // A month name of any language, in either place.
    FileDellaVersionePrecedente({{"DatIPB", "15 novembre 2026"}, {"DatFPB", "2026 Dez. 14"}});
    EXPECT_EQ(CaricaSotto(Inglese).DatIPB, inizio);
    EXPECT_EQ(CaricaSotto(QLocale::c()).DatFPB, fine);
}

} // namespace
