// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/TabellaImpostazioni.h"

#include "common/FormeTesto.h"
#include "settings/TestiPrecedenti.h"
#include "settings/ValoriImpostazioni.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

const QString None = QStringLiteral("None");

template <typename... F>
struct Casi : F... {
    using F::operator()...;
};

// Out-of-range doubles must not be converted to float directly.
float Singolo(double v) { return float(std::clamp(v, double(-FLT_MAX), double(FLT_MAX))); }

// Whole-number text: optional sign and digits only. Too many digits saturate,
// so an absurd value still lands on the nearest end of its range.
std::optional<qint64> LeggiIntero(QString t)
{
    static const QRegularExpression forma(QStringLiteral("^[+-]?[0-9]+$"));
    t = t.trimmed().replace(QChar(0x2212), QLatin1Char('-'));
    if (!forma.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (ok)
        return v;
    return t.startsWith(QLatin1Char('-')) ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
}

int Satura(qint64 v)
{
    return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::optional<quint32> LeggiColore(const QString& testo)
{
    const auto v = LeggiIntero(testo);
    if (!v || *v < 0 || *v > qint64(tabella::Colori.massimo))
        return std::nullopt;
    return quint32(*v);
}

} // namespace

QStringList NomiInterfacce(const QString& testo)
{
    QStringList nomi;
    static const QRegularExpression separatori(QStringLiteral("[\\s,]+"));
    for (const QString& nome : testo.split(separatori, Qt::SkipEmptyParts)) {
        // The kernel's own rule: at most 15 bytes, no '/', no ':' (an alias
        // label), nothing unprintable.
        const bool valido =
            QFile::encodeName(nome).size() <= 15 && nome != QLatin1String(".") && nome != QLatin1String("..")
            && std::none_of(nome.begin(), nome.end(), [](QChar c) { return c == u'/' || c == u':' || !c.isPrint(); });
        if (valido && !nomi.contains(nome))
            nomi << nome;
        if (nomi.size() == NumeroMassimoInterfacce)
            break;
    }
    return nomi;
}

QString TestoNomiInterfacce(const QStringList& nomi) { return nomi.join(QLatin1Char(' ')); }

std::optional<double> LeggiNumeroArchivio(const QString& testo) { return LeggiNumeroPrecedente(testo); }

QString TestoNumeroArchivio(double valore) { return TestoNumero(valore, QLocale::c()); }

QString TestoSingoloArchivio(float valore) { return TestoNumeroSingolo(valore, QLocale::c()); }

QString TestoDataArchivio(const QDate& data) { return data.isValid() ? data.toString(Qt::ISODate) : QString(); }

QString ChiaveFamiglia(const char* radice, int indice) { return QString::fromLatin1(radice) + QString::number(indice); }

QString NomeChiave(const VoceImpostazione& v, int i)
{
    return v.Famiglia() ? ChiaveFamiglia(v.chiave, i) : QString::fromLatin1(v.chiave);
}

QString TestoBooleano(bool valore) { return valore ? QStringLiteral("-1") : QStringLiteral("0"); }

Riferimento CampoDi(const VoceImpostazione& v, Impostazioni& imp, int i)
{
    return v.campoModello ? v.campoModello(imp.Tariffe, i) : v.campo(imp, i);
}

bool LeggiValore(const VoceImpostazione& v, const QString& testo, Riferimento r, OrdineData ordine)
{
    switch (v.forma) {
    case Forma::Booleano: {
        const auto n = LeggiNumeroArchivio(testo);
        if (n)
            *std::get<bool*>(r) = *n != 0;
        return n.has_value();
    }
    case Forma::Intero: {
        const auto n = LeggiIntero(testo);
        if (!n)
            return false;
        std::visit(Casi{[&](int* p) { *p = Satura(*n); }, [&](TipoImporto* p) { *p = TipoImportoDaNumero(Satura(*n)); },
                        [&](PeriodoImporto* p) { *p = PeriodoImportoDaNumero(Satura(*n)); },
                        [](auto*) { Q_UNREACHABLE(); }},
                   r);
        return true;
    }
    case Forma::Singolo:
    case Forma::Doppio: {
        const auto n = LeggiNumeroArchivio(testo);
        if (!n)
            return false;
        if (v.forma == Forma::Singolo)
            *std::get<float*>(r) = Singolo(*n);
        else
            *std::get<double*>(r) = *n;
        return true;
    }
    case Forma::SingoloONone: {
        auto* p = std::get<std::optional<double>*>(r);
        if (testo == None) {
            p->reset();
            return true;
        }
        const auto n = LeggiNumeroArchivio(testo);
        if (n)
            *p = double(Singolo(*n));
        return n.has_value();
    }
    case Forma::Colore: {
        const auto c = LeggiColore(testo);
        if (c)
            *std::get<quint32*>(r) = *c;
        return c.has_value();
    }
    case Forma::ColoreONone:
        // "None" and anything unreadable give nothing.
        *std::get<std::optional<quint32>*>(r) = LeggiColore(testo);
        return true;
    case Forma::Data: {
        const auto d = LeggiDataPrecedente(testo, ordine);
        if (d)
            *std::get<QDate*>(r) = *d;
        return d.has_value();
    }
    case Forma::Testo: *std::get<QString*>(r) = testo; return true;
    case Forma::Elenco: *std::get<QStringList*>(r) = NomiInterfacce(testo); return true;
    }
    return false;
}

QString TestoValore(const VoceImpostazione& v, Riferimento r)
{
    switch (v.forma) {
    case Forma::Booleano: return TestoBooleano(*std::get<bool*>(r));
    case Forma::Intero:
        return std::visit(Casi{[](int* p) { return QString::number(*p); },
                               [](TipoImporto* p) { return QString::number(NumeroDi(*p)); },
                               [](PeriodoImporto* p) { return QString::number(NumeroDi(*p)); },
                               [](auto*) -> QString { Q_UNREACHABLE(); }},
                          r);
    case Forma::Singolo: return TestoSingoloArchivio(*std::get<float*>(r));
    case Forma::Doppio: return TestoNumeroArchivio(*std::get<double*>(r));
    case Forma::SingoloONone: {
        const auto& p = *std::get<std::optional<double>*>(r);
        return p ? TestoSingoloArchivio(Singolo(*p)) : None;
    }
    case Forma::Colore: return QString::number(*std::get<quint32*>(r));
    case Forma::ColoreONone: {
        const auto& p = *std::get<std::optional<quint32>*>(r);
        return p ? QString::number(*p) : None;
    }
    case Forma::Data: return TestoDataArchivio(*std::get<QDate*>(r));
    case Forma::Testo: return *std::get<QString*>(r);
    case Forma::Elenco: return TestoNomiInterfacce(*std::get<QStringList*>(r));
    }
    return {};
}

namespace {

// At most `n` characters, never splitting a surrogate pair.
QString Tronca(const QString& testo, int n)
{
    if (n <= 0 || testo.size() <= n)
        return testo;
    return testo.left(testo.at(n - 1).isHighSurrogate() ? n - 1 : n);
}

} // namespace

void LimitaValore(const VoceImpostazione& v, Riferimento r, int tariffeInUso)
{
    Intervallo campo = v.intervallo;
    if (v.finoATariffe)
        campo.massimo = std::min(campo.massimo, double(tariffeInUso));
    std::visit(Casi{[&](int* p) { *p = campo.Limita(*p); }, [&](float* p) { *p = campo.Limita(*p); },
                    [&](double* p) { *p = std::isfinite(*p) ? campo.Limita(*p) : 0; },
                    [&](quint32* p) { *p = std::min(*p, quint32(campo.massimo)); },
                    [&](std::optional<quint32>* p) {
                        if (*p)
                            **p = std::min(**p, quint32(campo.massimo));
                    },
                    [&](std::optional<double>* p) {
                        if (*p && !std::isfinite(**p))
                            p->reset();
                        else if (*p)
                            **p = campo.Limita(**p);
                    },
                    [&](QString* p) { *p = Tronca(*p, int(campo.massimo)); },
                    [&](QStringList* p) { *p = NomiInterfacce(TestoNomiInterfacce(*p)); }, [](auto*) {}},
               r);
}

bool IndiceInUso(const VoceImpostazione& v, const ModelloTariffe& m, int i)
{
    switch (v.uso) {
    case InUso::Tariffe: return i <= std::clamp(m.MaxTrf, 0, MassimoTariffe);
    case InUso::Fasce: return i <= std::clamp(m.MaxFsc, 0, MassimoFasce);
    case InUso::Tutte: break;
    }
    return true;
}

QDate InizioPeriodoPredefinito(const QDate& oggi) { return QDate(oggi.year(), oggi.month(), 1); }

QDate FinePeriodoPredefinita(const QDate& oggi) { return InizioPeriodoPredefinito(oggi).addMonths(1).addDays(-1); }

int NumeroDi(TipoImporto t) { return int(t) + 1; }

int NumeroDi(PeriodoImporto p) { return int(p) + 1; }

TipoImporto TipoImportoDaNumero(int n) { return TipoImporto(Chiave<"TipImp">::intervallo.Limita(n) - 1); }

PeriodoImporto PeriodoImportoDaNumero(int n) { return PeriodoImporto(Chiave<"PerImp">::intervallo.Limita(n) - 1); }

namespace {

// Fills every field of the table that `campo` reaches with its default.
template <typename T>
void Predefiniti(T& destinazione, Riferimento (*VoceImpostazione::*campo)(T&, int))
{
    for (const VoceImpostazione& v : TabellaImpostazioni) {
        if (!(v.*campo) || v.forma == Forma::Data)
            continue;
        for (int i = v.primo; i <= v.ultimo; ++i)
            LeggiValore(v, QString::fromUtf8(v.Predefinito(i)), (v.*campo)(destinazione, i),
                        OrdineData::AnnoMeseGiorno);
    }
}

const ModelloTariffe& ModelloPredefinito()
{
    static const ModelloTariffe m = [] {
        ModelloTariffe m{ModelloTariffe::Vuoto{}};
        Predefiniti(m, &VoceImpostazione::campoModello);
        return m;
    }();
    return m;
}

const Impostazioni& ImpostazioniPredefinite()
{
    static const Impostazioni imp = [] {
        Impostazioni imp{Impostazioni::Vuoto{}};
        imp.Tariffe = ModelloPredefinito();
        Predefiniti(imp, &VoceImpostazione::campo);
        return imp;
    }();
    return imp;
}

} // namespace

ModelloTariffe::ModelloTariffe() : ModelloTariffe(ModelloPredefinito()) {}

Impostazioni::Impostazioni() : Impostazioni(ImpostazioniPredefinite()) {}
