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

bool Compreso(const QDateTime& istante, bool data, const ValoreLimite& basso, const ValoreLimite& alto)
{
    if (!istante.isValid())
        return false;
    return data ? !FuoriDa(istante.date(), basso, alto) : !FuoriDa(istante.time(), basso, alto);
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
    case CampoLog::DataFine:
        return GenereCampo::Data;
    case CampoLog::OraInizio:
    case CampoLog::OraFine:
        return GenereCampo::Ora;
    case CampoLog::Durata:
    case CampoLog::Scatti:
    case CampoLog::Importo:
        return GenereCampo::Numero;
    case CampoLog::Connessione:
        break;
    }
    return GenereCampo::Testo;
}

QString NomeConfrontato(const QString& nome)
{
    return nome.trimmed().toUpper();
}

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
    case GenereCampo::Testo:
        break;
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

bool LimitiFiltro::Corrisponde(const RecordLog& r) const
{
    const ValoreLimite& a = valori_[0];
    const ValoreLimite& b = valori_[1];
    switch (campo_) {
    case CampoLog::DataInizio:
        return Compreso(r.Inizio, true, a, b);
    case CampoLog::OraInizio:
        return Compreso(r.Inizio, false, a, b);
    case CampoLog::DataFine:
        return Compreso(r.Fine(), true, a, b);
    case CampoLog::OraFine:
        return Compreso(r.Fine(), false, a, b);
    case CampoLog::Durata: {
        // Minutes against seconds, in 64 bits.
        const auto secondi = [](const ValoreLimite& v) -> ValoreLimite {
            if (const qint64* n = std::get_if<qint64>(&v))
                return *n * 60;
            return {};
        };
        return !FuoriDa(qint64(r.Durata), secondi(a), secondi(b));
    }
    case CampoLog::Scatti:
        return !FuoriDa(qint64(r.Scatti), a, b);
    case CampoLog::Importo: {
        if (std::isnan(r.Importo))
            return false;
        if (const qint64* n = std::get_if<qint64>(&a); n && r.Importo < double(*n))
            return false;
        if (const qint64* n = std::get_if<qint64>(&b); n && r.Importo > double(*n))
            return false;
        return true;
    }
    case CampoLog::Connessione: {
        const QString nome = NomeConfrontato(r.Connessione);
        if (const QString* s = std::get_if<QString>(&a); s && nome < NomeConfrontato(*s))
            return false;
        if (const QString* s = std::get_if<QString>(&b); s && NomeConfrontato(*s) < nome)
            return false;
        return true;
    }
    }
    return true;
}

EsitoFiltroLog EseguiFiltroLog(const QString& log, const QString& filtrato, const LimitiFiltro& limiti,
                               const AvanzamentoLog& avanzamento)
{
    EsitoFiltroLog esito;
    esito.letti = FileLog(log).NumeroRecord();
    esito.tenuti = ScriviCopiaFiltrata(
        log, filtrato, [&](const RecordLog& r) { return limiti.Corrisponde(r); }, &esito.errore,
        [&](qint64 letti, qint64 totale) {
            esito.letti = totale;
            if (avanzamento)
                avanzamento(letti, totale);
        });
    return esito;
}
