// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The stored text of each form and the field of each table entry, used by the
// loader and the writers.
#include "settings/TabellaImpostazioni.h"

#include "common/FormeTesto.h"

#include <QLocale>
#include <optional>

// A family key: stem and decimal index ("SPSTr", 3 -> "SPSTr3").
QString ChiaveFamiglia(const char* radice, int indice);
QString NomeChiave(const VoceImpostazione& v, int i);
QString TestoBooleano(bool valore); // "-1" / "0"

Riferimento CampoDi(const VoceImpostazione& v, Impostazioni& imp, int i);
// Whether index i of a family is in use (the tariffs and bands counted).
bool IndiceInUso(const VoceImpostazione& v, const ModelloTariffe& m, int i);

// Reads a stored text into the field; false, leaving the field alone, when it
// cannot be read. `ordine` orders the fields of a date written by an earlier
// version.
bool LeggiValore(const VoceImpostazione& v, const QString& testo, Riferimento r, OrdineData ordine);
// The text the field is stored as.
QString TestoValore(const VoceImpostazione& v, Riferimento r);
// Brings the field into the entry's range; tariff numbers up to `tariffeInUso`.
void LimitaValore(const VoceImpostazione& v, Riferimento r, int tariffeInUso);

// Numbers: "72.5"; what earlier versions wrote ("72,5") reads too, as
// LeggiNumeroPrecedente tells.
std::optional<double> LeggiNumeroArchivio(const QString& testo);
QString TestoNumeroArchivio(double valore);
QString TestoSingoloArchivio(float valore);

// Dates: "2026-12-01"; earlier versions wrote the user's short date, as
// "01/12/2026" or "12/1/2026", read with LeggiDataPrecedente in `ordine`.
QString TestoDataArchivio(const QDate& data);

// Interface names as stored: separated by blanks or commas. Names the kernel
// could never give (too long, with '/', ':' or control characters) are
// dropped, as are repeats; at most NumeroMassimoInterfacce are kept.
inline constexpr int NumeroMassimoInterfacce = 16;
QStringList NomiInterfacce(const QString& testo);
QString TestoNomiInterfacce(const QStringList& nomi);

// The stored numbers of the display choice, 1-based.
int NumeroDi(TipoImporto t);
int NumeroDi(PeriodoImporto p);
TipoImporto TipoImportoDaNumero(int n);
PeriodoImporto PeriodoImportoDaNumero(int n);
