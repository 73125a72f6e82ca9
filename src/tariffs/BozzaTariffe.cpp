// SPDX-License-Identifier: GPL-3.0-or-later
#include "tariffs/BozzaTariffe.h"

#include "common/FormeTesto.h"
#include "common/Totali.h"
#include "settings/CaricaImpostazioni.h"
#include "settings/TabellaImpostazioni.h"

#include <algorithm>
#include <cmath>

QString CorreggiDescrizione(const QString& testo) { return testo.left(qsizetype(Chiave<"DscTr">::intervallo.massimo)); }

QString CorreggiSecondi(const QString& testo, const QLocale& locale)
{
    const std::optional<double> letto = LeggiNumero(testo, locale);
    double v = letto && std::isfinite(*letto) ? ArrotondaMezzi(*letto * 10) / 10 : 0;
    if (constexpr Intervallo secondi = Chiave<"SPSTr">::intervallo; !secondi.Contiene(v))
        v = 1;
    return TestoNumeroSingolo(float(v), locale);
}

QString CorreggiIntero(const QString& testo, int minimo, int massimo, int sostituto)
{
    const double v = ValoreIniziale(testo);
    return QString::number(v >= minimo && v <= massimo ? int(v) : sostituto);
}

namespace {
QString CorreggiChiave(const QString& testo, Intervallo campo, int sostituto)
{
    return CorreggiIntero(testo, int(campo.minimo), int(campo.massimo), sostituto);
}
} // namespace

QString CorreggiCostoScatto(const QString& testo) { return CorreggiChiave(testo, Chiave<"CstSct">::intervallo, 0); }
QString CorreggiPercentualeIva(const QString& testo) { return CorreggiChiave(testo, Chiave<"PrcIva">::intervallo, 0); }
QString CorreggiPercentualeRiduzione(const QString& testo)
{
    return CorreggiChiave(testo, Chiave<"PrcRid">::intervallo, 1);
}
QString CorreggiLimiteRiduzione(const QString& testo) { return CorreggiChiave(testo, Chiave<"LimRid">::intervallo, 0); }

BozzaTariffe::BozzaTariffe(const ModelloTariffe& modello, const QLocale& locale) : originale_(modello), locale_(locale)
{
    numeroTariffe_ = std::clamp(modello.MaxTrf, 1, MassimoTariffe);
    for (int i = 1; i <= MassimoTariffe; ++i) {
        const Tariffa& t = modello.tariffa(i);
        Riga(i) = {t.Descrizione, TestoNumeroSingolo(t.SecondiPerScatto, locale_), t.Colore & 0xFFFFFF};
    }
    CostoScatto = QString::number(modello.CstSct);
    PercentualeIva = QString::number(modello.PrcIva);
    ScattoAggiuntivo = modello.SctAgg;
    Riduzione = modello.RidTrf;
    PercentualeRiduzione = QString::number(modello.PrcRid);
    LimiteRiduzione = QString::number(modello.LimRid);
    TipoLimite = modello.TipRid == 1 ? 1 : 0;
    Griglia.Carica(modello);
}

bool BozzaTariffe::AggiungiTariffa()
{
    if (!PuoAggiungere())
        return false;
    const int n = ++numeroTariffe_;
    Riga(n) = {QStringLiteral("<Tariffa %1>").arg(n), Riga(n - 1).Secondi, ColoreBianco};
    return true;
}

bool BozzaTariffe::RimuoviTariffa()
{
    if (!PuoRimuovere())
        return false;
    Griglia.RimuoviTariffa(numeroTariffe_);
    --numeroTariffe_;
    return true;
}

QString BozzaTariffe::TotaleScatto() const
{
    const double costo = ValoreIniziale(CostoScatto), iva = ValoreIniziale(PercentualeIva);
    return FormattaNumero(ConIva(costo, iva), QStringLiteral("0.0"), locale_);
}

void BozzaTariffe::CorreggiTutto()
{
    for (int i = 1; i <= numeroTariffe_; ++i) {
        Riga(i).Descrizione = CorreggiDescrizione(Riga(i).Descrizione);
        Riga(i).Secondi = CorreggiSecondi(Riga(i).Secondi, locale_);
    }
    CostoScatto = CorreggiCostoScatto(CostoScatto);
    PercentualeIva = CorreggiPercentualeIva(PercentualeIva);
    PercentualeRiduzione = CorreggiPercentualeRiduzione(PercentualeRiduzione);
    LimiteRiduzione = CorreggiLimiteRiduzione(LimiteRiduzione);
    for (int i = 1; i <= Griglia.NumeroFasce(); ++i)
        for (RigaGiorno r : {RigaGiorno::Feriali, RigaGiorno::Sabato, RigaGiorno::Festivi})
            Griglia.CorreggiCella(i, r, QString::number(Griglia.Cella(i, r)), numeroTariffe_);
}

ModelloTariffe BozzaTariffe::Componi() const
{
    BozzaTariffe b = *this;
    b.CorreggiTutto();
    ModelloTariffe m = originale_;
    m.CstSct = b.CostoScatto.toInt();
    m.PrcIva = b.PercentualeIva.toInt();
    m.SctAgg = b.ScattoAggiuntivo;
    m.MaxTrf = b.numeroTariffe_;
    for (int i = 1; i <= b.numeroTariffe_; ++i) {
        Tariffa& t = m.tariffa(i);
        t.Descrizione = b.Riga(i).Descrizione;
        t.SecondiPerScatto = float(LeggiNumero(b.Riga(i).Secondi, locale_).value_or(1));
        t.Colore = b.Riga(i).Colore;
    }
    b.Griglia.Scrivi(m);
    m.RidTrf = b.Riduzione;
    m.PrcRid = b.PercentualeRiduzione.toInt();
    m.LimRid = b.LimiteRiduzione.toInt();
    m.TipRid = b.TipoLimite;
    return m;
}

bool SalvaModelloTariffe(Impostazioni& imp, ArchivioImpostazioni& archivio, const ModelloTariffe& nuovo,
                         QString* errore)
{
    Impostazioni nuove = imp;
    nuove.Tariffe = nuovo;
    return SostituisciImpostazioni(imp, nuove, archivio, ScritturaTariffe, errore);
}
