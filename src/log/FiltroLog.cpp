// SPDX-License-Identifier: GPL-3.0-or-later
#include "FiltroLog.h"

#include "common/FormeTesto.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace {

// Far beyond any stored value, and small enough to take x 60 in 64 bits.
constexpr double MassimoNumero = 1e15;

std::optional<QTime> LeggiOra(const QString& testo)
{
    // The hour alone, or with minutes and seconds, separated by '.' or ':'.
    static const QRegularExpression forma(QStringLiteral(R"(^\s*(\d{1,2})(?:[.:](\d{1,2}))?(?:[.:](\d{1,2}))?\s*$)"));
    const QRegularExpressionMatch m = forma.match(testo);
    if (!m.hasMatch())
        return std::nullopt;
    const QTime t(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!t.isValid())
        return std::nullopt;
    return t;
}

template <typename T>
bool FuoriDa(const T& valore, const ValoreLimite& basso, const ValoreLimite& alto)
{
    if (const T* b = std::get_if<T>(&basso); b && valore < *b)
        return true;
    if (const T* a = std::get_if<T>(&alto); a && *a < valore)
        return true;
    return false;
}

} // namespace

const QStringList& NomiCampiLog()
{
    static const QStringList n = {QStringLiteral("Data Inizio"),   QStringLiteral("Ora Inizio"),
                                  QStringLiteral("Data Fine"),     QStringLiteral("Ora Fine"),
                                  QStringLiteral("Durata (min.)"), QStringLiteral("Scatti"),
                                  QStringLiteral("Importo"),       QStringLiteral("Connessione")};
    return n;
}

GenereCampo GenereDi(CampoLog campo)
{
    switch (campo) {
    case CampoLog::DataInizio:
    case CampoLog::DataFine: return GenereCampo::Data;
    case CampoLog::OraInizio:
    case CampoLog::OraFine: return GenereCampo::Ora;
    case CampoLog::Durata:
    case CampoLog::Scatti:
    case CampoLog::Importo: return GenereCampo::Numero;
    case CampoLog::Connessione: break;
    }
    return GenereCampo::Testo;
}

QString NomeConfrontato(const QString& nome) { return nome.trimmed().toUpper(); }

void LimitiFiltro::ImpostaCampo(CampoLog campo)
{
    campo_ = campo;
    // Texts written for another kind of field are read afresh.
    scritti_ = {};
    valori_ = {};
}

ValoreLimite LimitiFiltro::Leggi(const QString& testo) const
{
    switch (GenereDi(campo_)) {
    case GenereCampo::Data:
        if (const auto d = LeggiData(testo))
            return *d;
        return {};
    case GenereCampo::Ora:
        if (const auto t = LeggiOra(testo))
            return *t;
        return {};
    case GenereCampo::Numero:
        if (const auto x = LeggiNumero(testo); x && std::isfinite(*x))
            return qint64(std::min(std::trunc(std::fabs(*x)), MassimoNumero));
        return {};
    case GenereCampo::Testo: break;
    }
    return testo;
}

QString LimitiFiltro::Scrivi(const ValoreLimite& v) const
{
    if (const QDate* d = std::get_if<QDate>(&v))
        return DataFissa(*d);
    if (const QTime* t = std::get_if<QTime>(&v))
        return OraFissa(*t);
    if (const qint64* n = std::get_if<qint64>(&v))
        return QString::number(*n);
    if (const QString* s = std::get_if<QString>(&v))
        return *s;
    return {};
}

void LimitiFiltro::ControllaValori()
{
    for (int i = 0; i < 2; ++i) {
        if (testi_[i].isEmpty()) {
            valori_[i] = {};
        } else if (scritti_[i].isEmpty() || testi_[i] != scritti_[i]) {
            valori_[i] = Leggi(testi_[i]);
            testi_[i] = Scrivi(valori_[i]);
        }
        scritti_[i] = testi_[i];
    }
    const ValoreLimite& a = valori_[0];
    const ValoreLimite& b = valori_[1];
    if (a.index() == 0 || b.index() != a.index())
        return;
    bool scambia = false;
    if (const QString* s = std::get_if<QString>(&a))
        scambia = NomeConfrontato(std::get<QString>(b)) < NomeConfrontato(*s);
    else
        scambia = b < a;
    if (scambia) {
        std::swap(valori_[0], valori_[1]);
        std::swap(testi_[0], testi_[1]);
        std::swap(scritti_[0], scritti_[1]);
    }
}

bool LimitiFiltro::CorrispondeIstante(const Istante& t) const
{
    if (!t.valido)
        return false;
    const bool data = GenereDi(campo_) == GenereCampo::Data;
    if (data)
        return !FuoriDa(QDate::fromJulianDay(t.giorno), valori_[0], valori_[1]);
    return !FuoriDa(QTime::fromMSecsSinceStartOfDay(t.secondo * 1000), valori_[0], valori_[1]);
}

bool LimitiFiltro::CorrispondeNumero(qint64 n) const
{
    if (campo_ == CampoLog::Durata) {
        // Minutes against seconds, in 64 bits.
        const auto secondi = [](const ValoreLimite& v) -> ValoreLimite {
            if (const qint64* n = std::get_if<qint64>(&v))
                return *n * 60;
            return {};
        };
        return !FuoriDa(n, secondi(valori_[0]), secondi(valori_[1]));
    }
    return !FuoriDa(n, valori_[0], valori_[1]);
}

bool LimitiFiltro::CorrispondeImporto(double importo) const
{
    if (std::isnan(importo))
        return false;
    if (const qint64* n = std::get_if<qint64>(&valori_[0]); n && importo < double(*n))
        return false;
    if (const qint64* n = std::get_if<qint64>(&valori_[1]); n && importo > double(*n))
        return false;
    return true;
}

bool LimitiFiltro::CorrispondeNome(const QString& connessione) const
{
    const QString nome = NomeConfrontato(connessione);
    if (const QString* s = std::get_if<QString>(&valori_[0]); s && nome < NomeConfrontato(*s))
        return false;
    if (const QString* s = std::get_if<QString>(&valori_[1]); s && NomeConfrontato(*s) < nome)
        return false;
    return true;
}

bool LimitiFiltro::Corrisponde(const RecordLog& r) const
{
    const auto istante = [&](bool inizio) {
        const TempiRecord t = r.Tempi();
        const GiornoESecondo& g = inizio ? t.inizio : t.fine;
        return t.valido ? Istante{true, g.giorno, g.secondo} : Istante{};
    };
    switch (campo_) {
    case CampoLog::DataInizio:
    case CampoLog::OraInizio: return CorrispondeIstante(istante(true));
    case CampoLog::DataFine:
    case CampoLog::OraFine: return CorrispondeIstante(istante(false));
    case CampoLog::Durata: return CorrispondeNumero(r.Durata);
    case CampoLog::Scatti: return CorrispondeNumero(r.Scatti);
    case CampoLog::Importo: return CorrispondeImporto(r.Importo);
    case CampoLog::Connessione: return CorrispondeNome(r.Connessione);
    }
    return true;
}

bool LimitiFiltro::Corrisponde(const char* byte, CalendarioLocale& calendario) const
{
    switch (campo_) {
    case CampoLog::DataInizio:
    case CampoLog::OraInizio:
    case CampoLog::DataFine:
    case CampoLog::OraFine: {
        const TempiRecord t = calendario.Tempi(byte);
        const bool inizio = campo_ == CampoLog::DataInizio || campo_ == CampoLog::OraInizio;
        if (!t.valido)
            return false;
        const GiornoESecondo& g = inizio ? t.inizio : t.fine;
        return CorrispondeIstante({true, g.giorno, g.secondo});
    }
    case CampoLog::Durata: return CorrispondeNumero(DurataGrezza(byte));
    case CampoLog::Scatti: return CorrispondeNumero(ScattiGrezzi(byte));
    case CampoLog::Importo: return CorrispondeImporto(ImportoGrezzo(byte));
    case CampoLog::Connessione: return CorrispondeNome(DaTestoAnsi(ConnessioneGrezza(byte), LunghezzaConnessione));
    }
    return true;
}

EsitoFiltroLog EseguiFiltroLog(const QString& log, const QString& filtrato, const LimitiFiltro& limiti,
                               const AvanzamentoLog& avanzamento)
{
    EsitoFiltroLog esito;
    esito.letti = FileLog(log).NumeroRecord();
    CalendarioLocale calendario;
    esito.tenuti = ScriviCopiaFiltrata(
        log, filtrato, [&](const char* byte) { return limiti.Corrisponde(byte, calendario); }, &esito.errore,
        [&](qint64 letti, qint64 totale) {
            esito.letti = totale;
            if (avanzamento)
                avanzamento(letti, totale);
        });
    return esito;
}
