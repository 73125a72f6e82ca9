#pragma once
// The program-wide values of every setting, as loaded at start-up and kept in
// step by each writer. Every reader takes them from here; nothing rereads the
// store after start-up.
#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

inline constexpr int MassimoTariffe = 5;
inline constexpr int MassimoFasce = 5;

struct Tariffa {
    QString Descrizione;          // DscTr n
    float SecondiPerScatto = 0;   // SPSTr n
    quint32 Colore = 0;           // ClrTr n, red + 256 x green + 65536 x blue
};

struct Fascia {
    QString Inizio;               // InzFs n, "h.mm"
    int TariffaFeriali = 0;       // TrfFr n
    int TariffaSabato = 0;        // TrfSb n
    int TariffaFestivi = 0;       // TrfFs n
};

// The whole tariff structure; replaced as a whole by the tariff editor.
struct ModelloTariffe {
    int CstSct = 127;
    int PrcIva = 20;
    bool SctAgg = true;
    int MaxTrf = 2;
    std::array<Tariffa, MassimoTariffe> Tariffe{{
        {QStringLiteral("Ordinaria"), 220, 8454143},
        {QStringLiteral("Ridotta"), 400, 16744576},
        {}, {}, {}}};
    int MaxFsc = 3;
    std::array<Fascia, MassimoFasce> Fasce{{
        {QStringLiteral("8.00"), 1, 1, 2},
        {QStringLiteral("13.00"), 1, 2, 2},
        {QStringLiteral("18.30"), 2, 2, 2},
        {}, {}}};
    bool RidTrf = false;
    int PrcRid = 50;
    int LimRid = 1;
    int TipRid = 0;               // 0: LimRid counts pulses, 1: seconds

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

inline constexpr int NumeroSuoni = 5;    // Wav000..Wav004
inline constexpr int NumeroAllarmi = 4;  // Msg001..Msg004

struct Impostazioni {
    int IntRfr = 1000;
    int IntCtr = 1000;
    bool TopWin = true;
    bool CnfStp = false;
    bool SlvImp = true;
    bool CtrAut = true;
    bool CtrCon = false;
    // Clr000..Clr004; nothing means "None": the designed colour stays.
    std::array<std::optional<quint32>, 5> Clr{};
    bool ClrTar = true;
    std::optional<double> TopTwp;  // nothing means "None"
    std::optional<double> LftTwp;
    int TipImp = 1;
    int PerImp = 1;
    QDate DatIPB;
    QDate DatFPB;
    ModelloTariffe Tariffe;
    bool LogCon = true;
    std::array<QString, NumeroSuoni> Wav{};          // index = sound event 0..4
    std::array<bool, NumeroAllarmi + 1> Msg{};       // index 1..4, [0] unused
    std::array<double, NumeroAllarmi + 1> MsV{};     // index 1..4, [0] unused
    std::array<bool, NumeroAllarmi> MsI{};           // index 1..3, [0] unused
    // Other point-to-point interfaces that are calls too (a tun or VPN the
    // user dials by hand); ppp and mobile-broadband links always are.
    QStringList IfcPtp;
    bool SchedaAudio = false;  // at least one sound output device
};

// Designed colours of the five display elements, stored at the first start in
// place of "None": counter text (light green), counter and LED frame
// background (black), indicator fill (blue), time left (black), indicator
// background (white).
inline constexpr std::array<quint32, 5> ColoriProgettati{0x80FF80, 0x000000, 0xC08000, 0x000000, 0xFFFFFF};
