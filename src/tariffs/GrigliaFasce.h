// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The band grid of the tariff editor: band starts moved by half hours, bands
// added and removed at the end of the day, one tariff number per band and
// day type.
#include "settings/Impostazioni.h"

#include <QString>
#include <array>
#include <optional>

// The three rows of cells.
enum class RigaGiorno { Feriali = 0, Sabato = 1, Festivi = 2 };

// "h.00" for a whole hour, "h.30" for anything else in that hour.
QString TestoMezzora(int minuti);

class GrigliaFasce {
public:
    // The bands in use are those of MaxFsc that have a start, each after the
    // one before: a count edited by hand past the stored starts stops there.
    void Carica(const ModelloTariffe& modello);

    int NumeroFasce() const { return numeroFasce_; }
    // Marks 1..NumeroFasce()+1; the last one repeats the start of band 1.
    QString Orario(int i) const;
    int Cella(int fascia, RigaGiorno riga) const;

    // The spin buttons: false when the move is not allowed.
    bool Anticipa(int fascia);
    bool Posticipa(int fascia);
    // False when five bands are in use or no half hour is left for a new one.
    bool PuoAggiungere() const { return Aggiunta().has_value(); }
    bool PuoRimuovere() const { return numeroFasce_ > 1; }
    // False, and nothing changes, when PuoAggiungere is false.
    bool AggiungiFascia();
    bool RimuoviFascia();

    // A cell left by the user: its corrected tariff number, 1..numeroTariffe.
    int CorreggiCella(int fascia, RigaGiorno riga, const QString& testo, int numeroTariffe);
    // The last tariff is going: cells that used it take the one before.
    void RimuoviTariffa(int n);

    // Bands 1..NumeroFasce() of `modello` and MaxFsc replaced.
    void Scrivi(ModelloTariffe& modello) const;

private:
    int minuti(int i) const;
    // Where a new band would go: the last band's start (moved back from 23.30
    // to make room) and the new start, in minutes.
    struct NuovaFascia {
        int ultima;
        int nuova;
    };
    std::optional<NuovaFascia> Aggiunta() const;

    int numeroFasce_ = 1;
    std::array<QString, MassimoFasce> inizio_{};
    std::array<std::array<int, 3>, MassimoFasce> celle_{};
};
