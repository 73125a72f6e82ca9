// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tariff editor's working copy: the field texts as the user leaves them,
// their silent corrections, tariffs added and removed at the end, and the
// model built back from them on confirmation.
#include "settings/Impostazioni.h"
#include "tariffs/GrigliaFasce.h"

#include <QLocale>
#include <QString>
#include <array>

class ArchivioImpostazioni;

// Field corrections; each returns the text to write back.
// Each keeps its key's range from the settings table; a value outside it is
// replaced as noted.
QString CorreggiDescrizione(const QString& testo);                    // cut to the longest
QString CorreggiSecondi(const QString& testo, const QLocale& locale); // one decimal, else 1
// Whole part in minimo..massimo, else `sostituto`.
QString CorreggiIntero(const QString& testo, int minimo, int massimo, int sostituto);
QString CorreggiCostoScatto(const QString& testo);          // else 0
QString CorreggiPercentualeIva(const QString& testo);       // else 0
QString CorreggiPercentualeRiduzione(const QString& testo); // else 1
QString CorreggiLimiteRiduzione(const QString& testo);      // else 0

struct RigaTariffa {
    QString Descrizione;
    QString Secondi;
    quint32 Colore = 0;
};

inline constexpr quint32 ColoreBianco = 0xFFFFFF;

class BozzaTariffe {
public:
    explicit BozzaTariffe(const ModelloTariffe& modello, const QLocale& locale = QLocale());

    int NumeroTariffe() const { return numeroTariffe_; }
    bool PuoAggiungere() const { return numeroTariffe_ < MassimoTariffe; }
    bool PuoRimuovere() const { return numeroTariffe_ > 1; }
    // The new tariff is "<Tariffa n>", white, with the pulse of the one before.
    bool AggiungiTariffa();
    // Cells that used the removed tariff take the one before.
    bool RimuoviTariffa();

    RigaTariffa& Riga(int i) { return righe_[size_t(i - 1)]; }
    const RigaTariffa& Riga(int i) const { return righe_[size_t(i - 1)]; }

    // The pulse with VAT, "0.0": 152,4 for 127 and 20 %.
    QString TotaleScatto() const;

    // Runs every field check, as leaving each field would.
    void CorreggiTutto();
    // The original model with every edited value replaced; tariffs and bands
    // past the counts keep what they had.
    ModelloTariffe Componi() const;

    QString CostoScatto, PercentualeIva, PercentualeRiduzione, LimiteRiduzione;
    bool ScattoAggiuntivo = false;
    bool Riduzione = false;
    int TipoLimite = 0;
    GrigliaFasce Griglia;

private:
    ModelloTariffe originale_;
    QLocale locale_;
    int numeroTariffe_ = 1;
    std::array<RigaTariffa, MassimoTariffe> righe_{};
};

// Stores `nuovo` and, only once it is stored, puts it in `imp`. On failure
// `imp` is unchanged and the store's pending values are those of `imp`.
bool SalvaModelloTariffe(Impostazioni& imp, ArchivioImpostazioni& archivio, const ModelloTariffe& nuovo,
                         QString* errore);
