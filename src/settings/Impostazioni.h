// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program-wide values of every setting, as loaded at start-up and kept in
// step by each writer. Every reader takes them from here; nothing rereads the
// store after start-up. Keys, defaults and ranges are those of
// TabellaImpostazioni.h; a default-constructed value holds the defaults.
#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

inline constexpr int MassimoTariffe = 5;
inline constexpr int MassimoFasce = 5;

struct Tariffa {
    QString Descrizione;
    float SecondiPerScatto = 0;
    quint32 Colore = 0; // red + 256 x green + 65536 x blue
};

struct Fascia {
    QString Inizio; // "h.mm"
    int TariffaFeriali = 0;
    int TariffaSabato = 0;
    int TariffaFestivi = 0;
};

// The whole tariff structure; replaced as a whole by the tariff editor.
struct ModelloTariffe {
    ModelloTariffe();
    struct Vuoto {};
    explicit ModelloTariffe(Vuoto) {}

    int CstSct = 0;
    int PrcIva = 0;
    bool SctAgg = false;
    int MaxTrf = 1;
    std::array<Tariffa, MassimoTariffe> Tariffe{};
    int MaxFsc = 1;
    std::array<Fascia, MassimoFasce> Fasce{};
    bool RidTrf = false;
    int PrcRid = 0;
    int LimRid = 0;
    int TipRid = 0; // 0: LimRid counts pulses, 1: seconds

    // 1-based, as the keys are numbered.
    const Tariffa& tariffa(int n) const { return Tariffe[size_t(n - 1)]; }
    Tariffa& tariffa(int n) { return Tariffe[size_t(n - 1)]; }
    const Fascia& fascia(int n) const { return Fasce[size_t(n - 1)]; }
    Fascia& fascia(int n) { return Fasce[size_t(n - 1)]; }

    bool operator==(const ModelloTariffe&) const = default;
};

inline bool operator==(const Tariffa& a, const Tariffa& b)
{
    return a.Descrizione == b.Descrizione && a.SecondiPerScatto == b.SecondiPerScatto && a.Colore == b.Colore;
}
inline bool operator==(const Fascia& a, const Fascia& b)
{
    return a.Inizio == b.Inizio && a.TariffaFeriali == b.TariffaFeriali && a.TariffaSabato == b.TariffaSabato
           && a.TariffaFestivi == b.TariffaFestivi;
}

inline constexpr int NumeroSuoni = 5;   // index = sound event 0..4
inline constexpr int NumeroAllarmi = 4; // alarms 1..4

// The value the main window shows, and over which period.
enum class TipoImporto { Importo, ImportoIva, Scatti, Tempo };
enum class PeriodoImporto { Connessione, Giorno, Bolletta };

// Time is shown only for the current connection: what shows instead of `tipo`
// over `periodo`.
constexpr TipoImporto TipoMostrato(TipoImporto tipo, PeriodoImporto periodo)
{
    return tipo == TipoImporto::Tempo && periodo != PeriodoImporto::Connessione ? TipoImporto::Importo : tipo;
}

struct Impostazioni {
    Impostazioni();
    struct Vuoto {};
    explicit Impostazioni(Vuoto) : Tariffe(ModelloTariffe::Vuoto{}) {}

    int IntRfr = 0;
    int IntCtr = 0;
    bool TopWin = false;
    bool CnfStp = false;
    bool SlvImp = false;
    bool CtrAut = false;
    bool CtrCon = false;
    // Nothing means "None": the designed colour stays.
    std::array<std::optional<quint32>, 5> Clr{};
    bool ClrTar = false;
    std::optional<double> TopTwp; // nothing means "None"
    std::optional<double> LftTwp;
    TipoImporto TipImp = TipoImporto::Importo;
    PeriodoImporto PerImp = PeriodoImporto::Connessione;
    QDate DatIPB;
    QDate DatFPB;
    ModelloTariffe Tariffe;
    bool LogCon = false;
    std::array<QString, NumeroSuoni> Wav{};
    std::array<bool, NumeroAllarmi + 1> Msg{};   // index 1..4, [0] unused
    std::array<double, NumeroAllarmi + 1> MsV{}; // index 1..4, [0] unused
    std::array<bool, NumeroAllarmi> MsI{};       // index 1..3, [0] unused
    // Other point-to-point interfaces that are calls too (a tun or VPN the
    // user dials by hand); ppp and mobile-broadband links always are.
    QStringList IfcPtp;
    // End the call when the connection's or the bill period's cost alarm
    // fires; CmdTrm ends it where NetworkManager does not manage the link.
    bool TrmAll = false;
    QString CmdTrm;
    bool SchedaAudio = false; // false once asked and no sound output device was found
};

// Designed colours of the five display elements, stored at the first start in
// place of "None": counter text (light green), counter and LED frame
// background (black), indicator fill (blue), time left (black), indicator
// background (white).
inline constexpr std::array<quint32, 5> ColoriProgettati{0x80FF80, 0x000000, 0xC08000, 0x000000, 0xFFFFFF};
