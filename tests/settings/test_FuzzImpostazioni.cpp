// SPDX-License-Identifier: GPL-3.0-or-later
// Random settings files through load and save: nothing crashes, every value
// lands in its range, reading changes no file, and what a writer stores reads
// back the same. Seeded, so a failure repeats.
#include "SupportoImpostazioni.h"

#include <cmath>
#include <random>

namespace {

class Generatore {
public:
    explicit Generatore(unsigned seme) : caso_(seme) {}

    QByteArray File()
    {
        QByteArray f;
        if (Tra(0, 9) > 0)
            f += "[Settings]\n";
        const int righe = Tra(0, 40);
        for (int r = 0; r < righe; ++r) {
            switch (Tra(0, 19)) {
            case 0: f += Uno({"[Settings]", "[Altro]", "[Settings", "[]", "[General]", "[Settings/x]"}); break;
            case 1: f += Byte(Tra(1, 30)); break;
            case 2: f += "Settings/" + Chiave() + "=" + Valore(); break;
            default: f += Chiave() + Uno({"=", " = ", "="}) + Valore(); break;
            }
            f += Uno({"\n", "\n", "\r\n", ""});
        }
        return f;
    }

private:
    std::mt19937 caso_;

    int Tra(int a, int b) { return std::uniform_int_distribution<int>(a, b)(caso_); }
    QByteArray Uno(std::initializer_list<const char*> l) { return *(l.begin() + Tra(0, int(l.size()) - 1)); }

    QByteArray Byte(int n)
    {
        QByteArray b;
        for (int i = 0; i < n; ++i)
            b += char(Tra(0, 255));
        return b;
    }

    QByteArray Chiave()
    {
        const auto& tabella = TabellaImpostazioni;
        const VoceImpostazione& v = tabella[size_t(Tra(0, int(std::size(tabella)) - 1))];
        if (!v.Famiglia())
            return v.chiave;
        return QByteArray(v.chiave) + QByteArray::number(Tra(v.primo - 1, v.ultimo + 1));
    }

    QByteArray Numero()
    {
        switch (Tra(0, 7)) {
        case 0: return QByteArray::number(Tra(-5, 10));
        case 1: return QByteArray::number(qint64(caso_()) * (Tra(0, 1) ? 1 : -1) * 1000003);
        case 2: return QByteArray::number(Tra(-99999, 99999)) + Uno({",", "."}) + QByteArray::number(Tra(0, 999));
        case 3: return Uno({"1e100", "-1e308", "1e-300", "nan", "inf", "-inf", "-0", "1e400", "0x10", "+7"});
        case 4: return QByteArray::number(std::ldexp(double(caso_()), Tra(-80, 140)), 'g', 17);
        case 5:
            return Uno({"1.234,5", "1,2,3", "72,5 lire", " 72.5 ",
                        "\xe2\x88\x92"
                        "5"});
        default: return QByteArray::number(Tra(0, 0xFFFFFF + 2));
        }
    }

    QByteArray Data()
    {
        const QByteArray g = QByteArray::number(Tra(0, 40)), m = QByteArray::number(Tra(0, 14)),
                         a = QByteArray::number(Tra(0, 1) ? Tra(1990, 2100) : Tra(0, 99));
        switch (Tra(0, 3)) {
        case 0: return g + "/" + m + "/" + a;
        case 1: return a + "-" + m + "-" + g;
        case 2: return g + "." + m + "." + a;
        default: return m + "/" + g + "/" + a;
        }
    }

    QByteArray Valore()
    {
        switch (Tra(0, 11)) {
        case 0:
        case 1:
        case 2: return Numero();
        case 3: return Data();
        case 4: return Uno({"None", "", "-1", "0", "\"\"", "\"a,b\"", "a, b, c", "ppp0 wwan1,tun3"});
        case 5: return Byte(Tra(0, 20));
        case 6:
            return Uno({"@Variant(\\0\\0\\0\\x6\\x7f\\xf8\\0\\0\\0\\0\\0\\0)", "@String(x\\0y)", "a, @String(\\0\\x62)",
                        "@ByteArray(a\\0b)", "@Rect(1 2 3 4)", "@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)", "@Invalid()",
                        "@Variant(", "\\x", "\\0", "\"\\n\\t\\\\\""});
        case 7: return QByteArray(Tra(0, 300), char(Tra('a', 'z')));
        case 8: return "\xc3\xa0\xe2\x82\xac \xf0\x9f\x98\x80 " + Numero();
        default: return Numero() + Uno({"", " ", ";x", "#c", ","});
        }
    }
};

TEST(FuzzImpostazioni, FileACasoCaricatiESalvati)
{
    QTemporaryDir tmp;
    const QString percorso = tmp.filePath("Velatrix/Velatrix.conf");
    Generatore g(20261207);
    for (int n = 0; n < 2500; ++n) {
        SCOPED_TRACE(n);
        QFile::remove(percorso + ".danneggiato");
        const QByteArray contenuto = g.File();
        ASSERT_NO_FATAL_FAILURE(ScriviFile(percorso, contenuto));
        ArchivioImpostazioni a(percorso);
        bool primo = false;
        Impostazioni imp = CaricaImpostazioni(a, Oggi, QLocale(), true, &primo);
        ASSERT_EQ(Contenuto(percorso), contenuto) << "reading changed the file";
        Impostazioni limitate = imp;
        NormalizzaImpostazioni(limitate, Oggi);
        const QStringList dentro = Valori(limitate), letti = Valori(imp);
        for (qsizetype i = 0; i < letti.size(); ++i)
            ASSERT_EQ(letti[i].toStdString(), dentro[i].toStdString()) << contenuto.toStdString();

        if (n % 30 != 0)
            continue;
        const unsigned scrittore =
            std::array{ScritturaOpzioni, ScritturaTariffe, ScritturaBolletta, ScritturaUscita}[size_t(n / 30 % 4)];
        if (scrittore == ScritturaUscita)
            imp.TopTwp = imp.LftTwp = -45.5; // where that writer puts the window
        QString errore;
        ASSERT_TRUE(ScriviCon(scrittore, a, imp, &errore)) << errore.toStdString() << "\n" << contenuto.toStdString();
        ArchivioImpostazioni b(percorso);
        const QStringList riletti = Valori(CaricaImpostazioni(b, Oggi, QLocale(), true, nullptr));
        const QStringList attesi = Valori(imp);
        for (qsizetype i = 0; i < attesi.size(); ++i)
            ASSERT_EQ(riletti[i].toStdString(), attesi[i].toStdString()) << contenuto.toStdString();
    }
}

} // namespace
