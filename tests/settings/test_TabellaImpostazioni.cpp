// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupportoImpostazioni.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace {

struct ChiaveTabella {
    const VoceImpostazione* voce;
    int indice;
    QString nome;
};

std::vector<ChiaveTabella> TutteLeChiavi()
{
    std::vector<ChiaveTabella> k;
    for (const VoceImpostazione& v : TabellaImpostazioni)
        for (int i = v.primo; i <= v.ultimo; ++i)
            k.push_back({&v, i, NomeChiave(v, i)});
    return k;
}

bool HaCampo(const VoceImpostazione& v) { return v.campo || v.campoModello; }

QString TestoDelCampo(const ChiaveTabella& c, Impostazioni& imp)
{
    return TestoValore(*c.voce, CampoDi(*c.voce, imp, c.indice));
}

class Tabella : public ConArchivio {};

// Every key once, with a writer and a default that an empty store and a new
// object both give.
TEST_F(Tabella, OgniChiaveUnaVoltaConScrittoreEPredefinito)
{
    ArchivioImpostazioni vuoto(percorso);
    bool primo = false;
    Impostazioni caricate = CaricaImpostazioni(vuoto, Oggi, QLocale(), true, &primo);
    Impostazioni costruite;
    EXPECT_TRUE(primo);
    std::map<QString, int> visti;
    for (const ChiaveTabella& c : TutteLeChiavi()) {
        SCOPED_TRACE(c.nome.toStdString());
        EXPECT_EQ(++visti[c.nome], 1);
        EXPECT_NE(c.voce->scrittori, 0u);
        // Only the reduction keys wait for the tariff editor.
        const bool riduzione = c.nome == "RidTrf" || c.nome == "PrcRid" || c.nome == "LimRid" || c.nome == "TipRid";
        EXPECT_EQ(bool(c.voce->scrittori & ScritturaPrimoAvvio), !riduzione);
        if (!HaCampo(*c.voce))
            continue;
        if (c.voce->dataPredefinita) {
            EXPECT_EQ(*std::get<QDate*>(CampoDi(*c.voce, caricate, c.indice)), c.voce->dataPredefinita(Oggi));
            continue;
        }
        EXPECT_EQ(TestoDelCampo(c, caricate), QString::fromUtf8(c.voce->Predefinito(c.indice)));
        EXPECT_EQ(TestoDelCampo(c, costruite), QString::fromUtf8(c.voce->Predefinito(c.indice)));
    }
}

// A value of each form other than its default, stored and read back.
QString Campione(const VoceImpostazione& v)
{
    switch (v.forma) {
    case Forma::Booleano: return QString::fromUtf8(v.predefinito[0]) == "0" ? "-1" : "0";
    case Forma::Intero:
        if (v.finoATariffe)
            return "2"; // of the two tariffs in use
        return QString::number(int(v.intervallo.massimo) == 1 ? 1 : int(v.intervallo.massimo) - 1);
    case Forma::Singolo: return "72.5";
    case Forma::Doppio: return "-1234567.25";
    case Forma::SingoloONone: return "-45.5";
    case Forma::Colore:
    case Forma::ColoreONone: return "1193046";
    case Forma::Data: return "2027-02-28";
    case Forma::Testo: return v.intervallo.massimo > 0 ? "Serale, ridotta" : "/home/u/Suoni/a b=c;d \"x\".wav";
    case Forma::Elenco: return "ppp0 wwan1 tun3";
    }
    return {};
}

TEST_F(Tabella, OgniFormaTornaUgualeDalFile)
{
    for (const ChiaveTabella& c : TutteLeChiavi()) {
        if (!HaCampo(*c.voce))
            continue;
        QStringList testi{Campione(*c.voce)};
        if (c.voce->forma == Forma::ColoreONone)
            testi << "None"; // no colour chosen
        for (const QString& testo : testi) {
            SCOPED_TRACE((c.nome + "=" + testo).toStdString());
            Impostazioni imp = CaricaDa({{c.nome, testo}});
            EXPECT_EQ(TestoDelCampo(c, imp), testo);

            // Through the writer that owns it and back.
            QFile::remove(percorso);
            ArchivioImpostazioni a(percorso);
            QString errore;
            ASSERT_TRUE(ScriviCon(c.voce->scrittori & ~unsigned(ScritturaPrimoAvvio), a, imp, &errore))
                << errore.toStdString();
            if (IndiceInUso(*c.voce, imp.Tariffe, c.indice)) {
                EXPECT_EQ(ArchivioImpostazioni(percorso).Leggi(c.nome, "assente"), testo);
            }
        }
    }
}

TEST_F(Tabella, OgniNumeroSiFermaAgliEstremiDelCampo)
{
    for (const ChiaveTabella& c : TutteLeChiavi()) {
        const VoceImpostazione& v = *c.voce;
        const Intervallo campo = v.intervallo;
        if (!HaCampo(v) || campo.minimo == campo.massimo || c.indice > 1)
            continue;
        SCOPED_TRACE(c.nome.toStdString());
        switch (v.forma) {
        case Forma::Intero: {
            const double massimo = v.finoATariffe ? 2 : campo.massimo; // two tariffs in use
            for (auto [testo, atteso] : {std::pair{"-99999999999", campo.minimo}, {"99999999999", massimo}}) {
                Impostazioni imp = CaricaDa({{c.nome, testo}});
                EXPECT_EQ(TestoDelCampo(c, imp), QString::number(atteso)) << testo;
            }
            break;
        }
        case Forma::Singolo:
        case Forma::Doppio:
        case Forma::SingoloONone:
            for (auto [testo, atteso] : {std::pair{"-1e300", campo.minimo}, {"1e300", campo.massimo}}) {
                Impostazioni imp = CaricaDa({{c.nome, testo}});
                const double letto = *LeggiNumeroArchivio(TestoDelCampo(c, imp));
                if (v.forma == Forma::Doppio)
                    EXPECT_EQ(letto, atteso) << testo;
                else
                    EXPECT_EQ(float(letto), float(atteso)) << testo;
            }
            break;
        case Forma::Testo: {
            const QString lungo(int(campo.massimo) + 5, QLatin1Char('x'));
            Impostazioni imp = CaricaDa({{c.nome, lungo}});
            EXPECT_EQ(TestoDelCampo(c, imp).size(), int(campo.massimo));
            break;
        }
        case Forma::Colore:
        case Forma::ColoreONone: {
            // A colour beyond white cannot be told from a mistake: default.
            Impostazioni imp = CaricaDa({{c.nome, "16777216"}});
            EXPECT_EQ(TestoDelCampo(c, imp), QString::fromUtf8(v.Predefinito(c.indice)));
            break;
        }
        default: ADD_FAILURE() << "range on a form without one";
        }
    }
}

TEST_F(Tabella, UnValoreFuoriCampoInMemoriaSiScriveAlSuoEstremo)
{
    Impostazioni imp;
    imp.MsV[1] = 1e100;
    imp.MsV[2] = -std::numeric_limits<double>::infinity();
    imp.IntRfr = 0;
    imp.Clr[0] = 0xFFFFFFFFu;
    imp.IfcPtp = {"ppp0", "", "a,b"};
    ArchivioImpostazioni a(percorso);
    ASSERT_TRUE(ScriviOpzioni(a, imp, nullptr));

    ArchivioImpostazioni b(percorso);
    EXPECT_EQ(b.Leggi("MsV001", ""), "1000000000000000");
    EXPECT_EQ(b.Leggi("MsV002", ""), "0");
    EXPECT_EQ(b.Leggi("IntRfr", ""), "1000");
    EXPECT_EQ(b.Leggi("Clr000", ""), "16777215");
    EXPECT_EQ(b.Leggi("IfcPtp", ""), "ppp0 a b");
    for (char ch : Contenuto(percorso))
        EXPECT_TRUE(ch == '\n' || (ch >= 0x20 && ch < 0x7F)) << int(ch);
}

TEST(TabellaIntervalli, GliEditorLeggonoIlCampoDallaTabella)
{
    // A stored interval that would make every instant a pulse is kept sane.
    const float infinito = std::numeric_limits<float>::infinity();
    const std::pair<float, float> secondi[] = {{220, 220},   {72.5f, 72.5f},     {0, 1},
                                               {-5, 1},      {0.5f, 1},          {5000, 3600},
                                               {7200, 3600}, {std::nanf(""), 1}, {infinito, 3600}};
    for (const auto& [memorizzati, limitati] : secondi)
        EXPECT_EQ(Chiave<"SPSTr">::intervallo.Limita(memorizzati), limitati) << memorizzati;
}

} // namespace
