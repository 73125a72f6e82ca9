// SPDX-License-Identifier: GPL-3.0-or-later
#include "tariffs/GrigliaFasce.h"

#include "common/FormeTesto.h"
#include "tariffs/Tariffe.h"

#include <algorithm>
#include <cmath>

QString TestoMezzora(int minuti)
{
    return QString::number(minuti / 60) + (minuti % 60 == 0 ? QStringLiteral(".00") : QStringLiteral(".30"));
}

// Where a move lands: the text decides, so an off-grid start snaps.
static int Approdo(int minuti) { return MinutiInizio(TestoMezzora(minuti)).value_or(minuti); }

void GrigliaFasce::Carica(const ModelloTariffe& modello)
{
    const int fasce = std::clamp(modello.MaxFsc, 1, MassimoFasce);
    numeroFasce_ = 1;
    for (int i = 2; i <= fasce; ++i) {
        const auto prima = MinutiInizio(modello.fascia(i - 1).Inizio), questa = MinutiInizio(modello.fascia(i).Inizio);
        if (!prima || !questa || *questa <= *prima)
            break;
        numeroFasce_ = i;
    }
    const int tariffe = std::clamp(modello.MaxTrf, 1, MassimoTariffe);
    for (int i = 0; i < MassimoFasce; ++i) {
        const Fascia& f = modello.Fasce[size_t(i)];
        inizio_[size_t(i)] = f.Inizio;
        celle_[size_t(i)] = {std::clamp(f.TariffaFeriali, 1, tariffe), std::clamp(f.TariffaSabato, 1, tariffe),
                             std::clamp(f.TariffaFestivi, 1, tariffe)};
    }
}

QString GrigliaFasce::Orario(int i) const { return i == numeroFasce_ + 1 ? inizio_[0] : inizio_[size_t(i - 1)]; }

int GrigliaFasce::Cella(int fascia, RigaGiorno riga) const { return celle_[size_t(fascia - 1)][size_t(riga)]; }

int GrigliaFasce::minuti(int i) const { return MinutiInizio(Orario(i)).value_or(0); }

bool GrigliaFasce::Anticipa(int fascia)
{
    const int t = minuti(fascia);
    if (t <= 0)
        return false;
    // A start off the half hour near midnight goes to 0.00, never below.
    const int nuovo = Approdo(std::max(0, t - 30));
    if (fascia > 1 && nuovo <= minuti(fascia - 1))
        return false;
    inizio_[size_t(fascia - 1)] = TestoMezzora(nuovo);
    return true;
}

bool GrigliaFasce::Posticipa(int fascia)
{
    const int t = minuti(fascia);
    const int nuovo = Approdo(t + 30);
    if (fascia == numeroFasce_ ? t >= 1410 || nuovo > 1410 : nuovo >= minuti(fascia + 1))
        return false;
    inizio_[size_t(fascia - 1)] = TestoMezzora(nuovo);
    return true;
}

std::optional<GrigliaFasce::NuovaFascia> GrigliaFasce::Aggiunta() const
{
    if (numeroFasce_ >= MassimoFasce)
        return std::nullopt;
    const int n = numeroFasce_;
    int t = minuti(n);
    if (t >= 1410) {
        // Room for the new band at 23.30, unless the band before is in the way.
        t = 1380;
        if (n > 1 && t <= minuti(n - 1))
            return std::nullopt;
    }
    const int nuovo = Approdo(t + 30);
    if (nuovo <= t || nuovo > 1410)
        return std::nullopt;
    return NuovaFascia{t, nuovo};
}

bool GrigliaFasce::AggiungiFascia()
{
    const auto aggiunta = Aggiunta();
    if (!aggiunta)
        return false;
    const int n = numeroFasce_;
    if (aggiunta->ultima != minuti(n))
        inizio_[size_t(n - 1)] = TestoMezzora(aggiunta->ultima);
    inizio_[size_t(n)] = TestoMezzora(aggiunta->nuova);
    celle_[size_t(n)] = {1, 1, 1};
    numeroFasce_ = n + 1;
    return true;
}

bool GrigliaFasce::RimuoviFascia()
{
    if (!PuoRimuovere())
        return false;
    --numeroFasce_;
    return true;
}

int GrigliaFasce::CorreggiCella(int fascia, RigaGiorno riga, const QString& testo, int numeroTariffe)
{
    const double v = ValoreIniziale(testo);
    const int k = v < 1 ? 1 : v > numeroTariffe ? numeroTariffe : int(v);
    celle_[size_t(fascia - 1)][size_t(riga)] = k;
    return k;
}

void GrigliaFasce::RimuoviTariffa(int n)
{
    for (int i = 0; i < numeroFasce_; ++i)
        for (int& k : celle_[size_t(i)])
            if (k == n)
                k = n - 1;
}

void GrigliaFasce::Scrivi(ModelloTariffe& modello) const
{
    modello.MaxFsc = numeroFasce_;
    for (int i = 0; i < numeroFasce_; ++i) {
        Fascia& f = modello.Fasce[size_t(i)];
        f.Inizio = inizio_[size_t(i)];
        f.TariffaFeriali = celle_[size_t(i)][0];
        f.TariffaSabato = celle_[size_t(i)][1];
        f.TariffaFestivi = celle_[size_t(i)][2];
    }
}
