// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every settings key, once: its name (or a family's stem and index range),
// text form, the field it fills, its default, its valid range and the writers
// that store it. Loading, clamping and every writer walk this table; editors
// and the engine take their ranges from it.
#include "settings/Impostazioni.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <string_view>
#include <variant>

// Stored text forms, all independent of the user's locale:
//  Booleano        "-1" / "0", read as a number, non-zero meaning true
//  Intero          decimal digits, optional minus sign
//  Singolo/Doppio  shortest decimal text with a point ("72.5")
//  SingoloONone    a Singolo or "None"
//  Colore          an Intero, red + 256 x green + 65536 x blue
//  ColoreONone     a Colore or "None"
//  Data            year-month-day ("2026-12-01")
//  Testo           as entered
//  Elenco          names separated by blanks or commas
enum class Forma { Booleano, Intero, Singolo, Doppio, SingoloONone, Colore, ColoreONone, Data, Testo, Elenco };

// Who stores a key: the first start, the configuration dialog, the tariff
// editor, the bill window, the exit.
enum Scrittore : unsigned {
    ScritturaPrimoAvvio = 1,
    ScritturaOpzioni = 2,
    ScritturaTariffe = 4,
    ScritturaBolletta = 8,
    ScritturaUscita = 16,
};

// Which entries of a family are in use, checked and written: all, or only
// those up to MaxTrf or MaxFsc.
enum class InUso { Tutte, Tariffe, Fasce };

struct Intervallo {
    double minimo = 0;
    double massimo = 0;
    // NaN takes the minimum.
    template <typename T>
    constexpr T Limita(T v) const
    {
        return v != v ? T(minimo) : std::clamp(v, T(minimo), T(massimo));
    }
    constexpr bool Contiene(double v) const { return v >= minimo && v <= massimo; }
};

using Riferimento = std::variant<bool*, int*, float*, double*, quint32*, std::optional<quint32>*,
                                 std::optional<double>*, QDate*, QString*, QStringList*, TipoImporto*, PeriodoImporto*>;

// The bill period's defaults: the first and the last day of today's month.
QDate InizioPeriodoPredefinito(const QDate& oggi);
QDate FinePeriodoPredefinita(const QDate& oggi);

struct VoceImpostazione {
    const char* chiave; // the key, or a family's stem
    int primo, ultimo;  // a family's indices; -1, -1 for a single key
    Forma forma;
    // Default as stored text, per index of a family; one alone holds for all.
    std::array<const char*, 5> predefinito;
    // Numbers: the valid range. Texts: the longest length, 0 for any.
    Intervallo intervallo;
    unsigned scrittori;
    InUso uso;
    bool finoATariffe; // the range ends at MaxTrf
    // The field, for index i: in the settings or in the tariff model.
    Riferimento (*campo)(Impostazioni&, int i);
    Riferimento (*campoModello)(ModelloTariffe&, int i);
    QDate (*dataPredefinita)(const QDate& oggi);

    constexpr bool Famiglia() const { return primo >= 0; }
    constexpr const char* Predefinito(int i) const
    {
        return Famiglia() && predefinito[1] ? predefinito[size_t(i - primo)] : predefinito[0];
    }
};

namespace tabella {
constexpr int Solo = -1;
constexpr unsigned P = ScritturaPrimoAvvio, O = ScritturaOpzioni, T = ScritturaTariffe, B = ScritturaBolletta,
                   U = ScritturaUscita;
constexpr Intervallo Nessuno{};
constexpr Intervallo Colori{0, 0xFFFFFF};
constexpr Intervallo Twip{-FLT_MAX, FLT_MAX};
// Beyond 15 digits a double no longer holds whole numbers exactly.
constexpr Intervallo Soglia{-1e15, 1e15};
} // namespace tabella

#define VELATRIX_CAMPO(espr)                                                                                           \
    [](Impostazioni& s, int i) -> Riferimento {                                                                        \
        (void)i;                                                                                                       \
        return &(espr);                                                                                                \
    },                                                                                                                 \
        nullptr
#define VELATRIX_MODELLO(espr)                                                                                         \
    nullptr, [](ModelloTariffe& m, int i) -> Riferimento {                                                             \
        (void)i;                                                                                                       \
        return &(espr);                                                                                                \
    }

inline constexpr VoceImpostazione TabellaImpostazioni[] = {
    // clang-format off
    // key     indices         form                 default                                    range              writers                 in use          to MaxTrf field
    {"RegFlg", -1, -1,   Forma::Booleano,     {"-1"},                                           tabella::Nessuno, tabella::P,             InUso::Tutte,   false, nullptr, nullptr, nullptr},
    {"IntRfr", -1, -1,   Forma::Intero,       {"1000"},                                         {1000, 5000},     tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.IntRfr), nullptr},
    {"IntCtr", -1, -1,   Forma::Intero,       {"1000"},                                         {1000, 5000},     tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.IntCtr), nullptr},
    {"TopWin", -1, -1,   Forma::Booleano,     {"-1"},                                           tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.TopWin), nullptr},
    {"CnfStp", -1, -1,   Forma::Booleano,     {"0"},                                            tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.CnfStp), nullptr},
    {"SlvImp", -1, -1,   Forma::Booleano,     {"-1"},                                           tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.SlvImp), nullptr},
    {"CtrAut", -1, -1,   Forma::Booleano,     {"-1"},                                           tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.CtrAut), nullptr},
    {"CtrCon", -1, -1,   Forma::Booleano,     {"0"},                                            tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.CtrCon), nullptr},
    {"Clr00",   0,  4,   Forma::ColoreONone,  {"None"},                                         tabella::Colori,  tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.Clr[size_t(i)]), nullptr},
    {"ClrTar", -1, -1,   Forma::Booleano,     {"-1"},                                           tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.ClrTar), nullptr},
    {"TopTwp", -1, -1,   Forma::SingoloONone, {"None"},                                         tabella::Twip,    tabella::P|tabella::U,  InUso::Tutte,   false, VELATRIX_CAMPO(s.TopTwp), nullptr},
    {"LftTwp", -1, -1,   Forma::SingoloONone, {"None"},                                         tabella::Twip,    tabella::P|tabella::U,  InUso::Tutte,   false, VELATRIX_CAMPO(s.LftTwp), nullptr},
    {"TipImp", -1, -1,   Forma::Intero,       {"1"},                                            {1, 4},           tabella::P|tabella::U,  InUso::Tutte,   false, VELATRIX_CAMPO(s.TipImp), nullptr},
    {"PerImp", -1, -1,   Forma::Intero,       {"1"},                                            {1, 3},           tabella::P|tabella::U,  InUso::Tutte,   false, VELATRIX_CAMPO(s.PerImp), nullptr},
    {"DatIPB", -1, -1,   Forma::Data,         {""},                                             tabella::Nessuno, tabella::P|tabella::B,  InUso::Tutte,   false, VELATRIX_CAMPO(s.DatIPB), InizioPeriodoPredefinito},
    {"DatFPB", -1, -1,   Forma::Data,         {""},                                             tabella::Nessuno, tabella::P|tabella::B,  InUso::Tutte,   false, VELATRIX_CAMPO(s.DatFPB), FinePeriodoPredefinita},
    {"CstSct", -1, -1,   Forma::Intero,       {"127"},                                          {0, 9999},        tabella::P|tabella::T,  InUso::Tutte,   false, VELATRIX_MODELLO(m.CstSct), nullptr},
    {"PrcIva", -1, -1,   Forma::Intero,       {"20"},                                           {0, 99},          tabella::P|tabella::T,  InUso::Tutte,   false, VELATRIX_MODELLO(m.PrcIva), nullptr},
    {"SctAgg", -1, -1,   Forma::Booleano,     {"-1"},                                           tabella::Nessuno, tabella::P|tabella::T,  InUso::Tutte,   false, VELATRIX_MODELLO(m.SctAgg), nullptr},
    {"MaxTrf", -1, -1,   Forma::Intero,       {"2"},                                            {1, MassimoTariffe}, tabella::P|tabella::T, InUso::Tutte, false, VELATRIX_MODELLO(m.MaxTrf), nullptr},
    {"DscTr",   1,  5,   Forma::Testo,        {"Ordinaria", "Ridotta", "", "", ""},             {0, 20},          tabella::P|tabella::T,  InUso::Tariffe, false, VELATRIX_MODELLO(m.tariffa(i).Descrizione), nullptr},
    {"SPSTr",   1,  5,   Forma::Singolo,      {"220", "400", "0", "0", "0"},                     {1, 3600},        tabella::P|tabella::T,  InUso::Tariffe, false, VELATRIX_MODELLO(m.tariffa(i).SecondiPerScatto), nullptr},
    {"ClrTr",   1,  5,   Forma::Colore,       {"8454143", "16744576", "0", "0", "0"},            tabella::Colori,  tabella::P|tabella::T,  InUso::Tariffe, false, VELATRIX_MODELLO(m.tariffa(i).Colore), nullptr},
    {"MaxFsc", -1, -1,   Forma::Intero,       {"3"},                                            {1, MassimoFasce}, tabella::P|tabella::T, InUso::Tutte,   false, VELATRIX_MODELLO(m.MaxFsc), nullptr},
    {"InzFs",   1,  5,   Forma::Testo,        {"8.00", "13.00", "18.30", "", ""},                tabella::Nessuno, tabella::P|tabella::T,  InUso::Fasce,   false, VELATRIX_MODELLO(m.fascia(i).Inizio), nullptr},
    {"TrfFr",   1,  5,   Forma::Intero,       {"1", "1", "2", "0", "0"},                         {1, MassimoTariffe}, tabella::P|tabella::T, InUso::Fasce, true,  VELATRIX_MODELLO(m.fascia(i).TariffaFeriali), nullptr},
    {"TrfSb",   1,  5,   Forma::Intero,       {"1", "2", "2", "0", "0"},                         {1, MassimoTariffe}, tabella::P|tabella::T, InUso::Fasce, true,  VELATRIX_MODELLO(m.fascia(i).TariffaSabato), nullptr},
    {"TrfFs",   1,  5,   Forma::Intero,       {"2", "2", "2", "0", "0"},                         {1, MassimoTariffe}, tabella::P|tabella::T, InUso::Fasce, true,  VELATRIX_MODELLO(m.fascia(i).TariffaFestivi), nullptr},
    {"RidTrf", -1, -1,   Forma::Booleano,     {"0"},                                            tabella::Nessuno, tabella::T,             InUso::Tutte,   false, VELATRIX_MODELLO(m.RidTrf), nullptr},
    {"PrcRid", -1, -1,   Forma::Intero,       {"50"},                                           {1, 99},          tabella::T,             InUso::Tutte,   false, VELATRIX_MODELLO(m.PrcRid), nullptr},
    {"LimRid", -1, -1,   Forma::Intero,       {"1"},                                            {0, 9999},        tabella::T,             InUso::Tutte,   false, VELATRIX_MODELLO(m.LimRid), nullptr},
    {"TipRid", -1, -1,   Forma::Intero,       {"0"},                                            {0, 1},           tabella::T,             InUso::Tutte,   false, VELATRIX_MODELLO(m.TipRid), nullptr},
    {"LogCon", -1, -1,   Forma::Booleano,     {"-1"},                                           tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.LogCon), nullptr},
    {"Wav00",   0,  4,   Forma::Testo,        {""},                                             tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.Wav[size_t(i)]), nullptr},
    {"Msg00",   1,  4,   Forma::Booleano,     {"0"},                                            tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.Msg[size_t(i)]), nullptr},
    {"MsV00",   1,  4,   Forma::Doppio,       {"0"},                                            tabella::Soglia,  tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.MsV[size_t(i)]), nullptr},
    {"MsI00",   1,  3,   Forma::Booleano,     {"0"},                                            tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.MsI[size_t(i)]), nullptr},
    {"IfcPtp", -1, -1,   Forma::Elenco,       {""},                                             tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.IfcPtp), nullptr},
    {"TrmAll", -1, -1,   Forma::Booleano,     {"0"},                                            tabella::Nessuno, tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.TrmAll), nullptr},
    {"CmdTrm", -1, -1,   Forma::Testo,        {""},                                             {0, 1024},        tabella::P|tabella::O,  InUso::Tutte,   false, VELATRIX_CAMPO(s.CmdTrm), nullptr},
    // clang-format on
};

#undef VELATRIX_CAMPO
#undef VELATRIX_MODELLO

// A key's name (a family's stem) as a template argument.
template <size_t N>
struct NomeFisso {
    char testo[N]{};
    consteval NomeFisso(const char (&nome)[N]) { std::copy_n(nome, N, testo); }
    constexpr std::string_view Vista() const { return {testo, N - 1}; }
};

consteval const VoceImpostazione& VoceTabella(std::string_view chiave)
{
    for (const VoceImpostazione& v : TabellaImpostazioni)
        if (chiave == v.chiave)
            return v;
    throw "chiave assente dalla tabella delle impostazioni";
}

// The handle of a key, `Chiave<"CstSct">`: its row, found while compiling, so
// a name missing from the table does not compile. Range, default and field
// are the row's; nothing else states them.
template <NomeFisso N>
struct Chiave {
    static constexpr const VoceImpostazione& voce = VoceTabella(N.Vista());
    static constexpr Intervallo intervallo = voce.intervallo;
};
