// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/CaricaImpostazioni.h"

#include "settings/TestiPrecedenti.h"

#include <algorithm>
#include <cmath>

namespace {

bool HaCampo(const VoceImpostazione& v) { return v.campo || v.campoModello; }

// Earlier versions wrote dates in the user's order: a day above 12 in any
// stored date tells it; else the locale's order is the best guess.
OrdineData OrdineNelFile(const ArchivioImpostazioni& archivio, const QLocale& locale)
{
    for (const VoceImpostazione& v : TabellaImpostazioni) {
        if (v.forma != Forma::Data)
            continue;
        for (int i = v.primo; i <= v.ultimo; ++i) {
            const QString testo = archivio.Leggi(NomeChiave(v, i), QString());
            const bool giornoPrima = LeggiDataPrecedente(testo, OrdineData::GiornoMeseAnno).has_value();
            const bool mesePrima = LeggiDataPrecedente(testo, OrdineData::MeseGiornoAnno).has_value();
            if (giornoPrima != mesePrima)
                return giornoPrima ? OrdineData::GiornoMeseAnno : OrdineData::MeseGiornoAnno;
        }
    }
    return OrdineDelLocale(locale);
}

bool Scrivi(ArchivioImpostazioni& archivio, Impostazioni imp, unsigned scrittore, QString* errore)
{
    NormalizzaImpostazioni(imp, QDate());
    for (const VoceImpostazione& v : TabellaImpostazioni) {
        if (!(v.scrittori & scrittore))
            continue;
        for (int i = v.primo; i <= v.ultimo; ++i) {
            if (!IndiceInUso(v, imp.Tariffe, i))
                continue;
            // The first-start flag, the one key without a field, is only
            // ever stored as done.
            archivio.Scrivi(NomeChiave(v, i), HaCampo(v) ? TestoValore(v, CampoDi(v, imp, i)) : TestoBooleano(false));
        }
    }
    return archivio.Salva(errore);
}

} // namespace

Impostazioni CaricaImpostazioni(const ArchivioImpostazioni& archivio, const QDate& oggi, const QLocale& locale,
                                bool schedaAudio, bool* primoAvvio)
{
    Impostazioni imp; // the defaults
    imp.SchedaAudio = schedaAudio;
    const OrdineData ordine = OrdineNelFile(archivio, locale);
    bool regFlg = true;
    // The store never holds a NUL, so this stands for an absent key.
    const QString assente(QChar(0));
    for (const VoceImpostazione& v : TabellaImpostazioni) {
        for (int i = v.primo; i <= v.ultimo; ++i) {
            const QString testo = archivio.Leggi(NomeChiave(v, i), assente);
            if (testo == assente)
                continue;
            const Riferimento campo = HaCampo(v) ? CampoDi(v, imp, i) : Riferimento(&regFlg);
            LeggiValore(v, testo, campo, ordine);
        }
    }
    NormalizzaImpostazioni(imp, oggi);
    if (primoAvvio)
        *primoAvvio = regFlg;
    return imp;
}

void NormalizzaImpostazioni(Impostazioni& imp, const QDate& oggi)
{
    // The table lists the counts before the families they bound.
    for (const VoceImpostazione& v : TabellaImpostazioni) {
        if (!HaCampo(v))
            continue;
        for (int i = v.primo; i <= v.ultimo; ++i) {
            if (!IndiceInUso(v, imp.Tariffe, i))
                continue;
            const Riferimento campo = CampoDi(v, imp, i);
            if (v.dataPredefinita) {
                QDate& d = *std::get<QDate*>(campo);
                if (!d.isValid() && oggi.isValid())
                    d = v.dataPredefinita(oggi);
            } else {
                LimitaValore(v, campo, imp.Tariffe.MaxTrf);
            }
        }
    }
    imp.TipImp = TipoMostrato(imp.TipImp, imp.PerImp);
}

QPointF PosizioneFinestra(std::optional<double> topTwp, std::optional<double> lftTwp, const QSizeF& schermoTwp,
                          const QSizeF& finestraTwp)
{
    const double spazioVerticale = schermoTwp.height() - finestraTwp.height();
    const double spazioOrizzontale = schermoTwp.width() - finestraTwp.width();
    double top = 0;
    if (topTwp)
        top = spazioVerticale < *topTwp ? spazioVerticale : *topTwp;
    double left;
    if (lftTwp)
        left = spazioOrizzontale < *lftTwp ? spazioOrizzontale : *lftTwp;
    else
        left = std::trunc(std::round(spazioOrizzontale) / 2);
    return {left, top};
}

bool PosizioneRaggiungibile(const QRectF& finestraTwp, const QList<QRectF>& schermiTwp)
{
    return std::any_of(schermiTwp.begin(), schermiTwp.end(),
                       [&](const QRectF& s) { return finestraTwp.intersects(s); });
}

bool ScriviPrimoAvvio(ArchivioImpostazioni& archivio, const Impostazioni& imp, double topTwp, double lftTwp,
                      const std::array<quint32, 5>& coloriCorrenti, QString* errore)
{
    Impostazioni valori = imp;
    valori.TopTwp = topTwp;
    valori.LftTwp = lftTwp;
    for (size_t i = 0; i < coloriCorrenti.size(); ++i)
        valori.Clr[i] = coloriCorrenti[i];
    return Scrivi(archivio, valori, ScritturaPrimoAvvio, errore);
}

bool ScriviOpzioni(ArchivioImpostazioni& archivio, const Impostazioni& imp, QString* errore)
{
    return Scrivi(archivio, imp, ScritturaOpzioni, errore);
}

bool ScriviTariffe(ArchivioImpostazioni& archivio, const Impostazioni& imp, QString* errore)
{
    return Scrivi(archivio, imp, ScritturaTariffe, errore);
}

bool ScriviPeriodoBolletta(ArchivioImpostazioni& archivio, const Impostazioni& imp, QString* errore)
{
    return Scrivi(archivio, imp, ScritturaBolletta, errore);
}

bool ScriviUscita(ArchivioImpostazioni& archivio, const Impostazioni& imp, double topTwp, double lftTwp,
                  QString* errore)
{
    Impostazioni valori = imp;
    valori.TopTwp = topTwp;
    valori.LftTwp = lftTwp;
    return Scrivi(archivio, valori, ScritturaUscita, errore);
}

bool SostituisciImpostazioni(Impostazioni& imp, const Impostazioni& nuove, ArchivioImpostazioni& archivio,
                             unsigned scrittore, QString* errore)
{
    if (!Scrivi(archivio, nuove, scrittore, errore)) {
        Scrivi(archivio, imp, scrittore, nullptr);
        return false;
    }
    imp = nuove;
    return true;
}
