#pragma once
// The band grid of the tariff editor: band starts moved by half hours, bands
// added and removed at the end of the day, one tariff number per band and
// day type.
#include "settings/Impostazioni.h"

#include <QString>
#include <array>

// The three rows of cells.
enum class RigaGiorno { Feriali = 0, Sabato = 1, Festivi = 2 };

// "h.00" for a whole hour, "h.30" for anything else in that hour.
QString TestoMezzora(int minuti);

class GrigliaFasce {
public:
    void Carica(const ModelloTariffe& modello);

    int NumeroFasce() const { return numeroFasce_; }
    // Marks 1..NumeroFasce()+1; the last one repeats the start of band 1.
    QString Orario(int i) const;
    int Cella(int fascia, RigaGiorno riga) const;

    // The spin buttons: false when the move is not allowed.
    bool Anticipa(int fascia);
    bool Posticipa(int fascia);
    bool PuoAggiungere() const { return numeroFasce_ < MassimoFasce; }
    bool PuoRimuovere() const { return numeroFasce_ > 1; }
    // False, and nothing changes, when the new band could not start after
    // the one before it.
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

    int numeroFasce_ = 1;
    std::array<QString, MassimoFasce> inizio_{};
    std::array<std::array<int, 3>, MassimoFasce> celle_{};
};
