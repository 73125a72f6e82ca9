// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Motore.h"

#include "common/FormeTesto.h"
#include "log/FileLog.h"
#include "pulses/DatabaseScatti.h"
#include "settings/TabellaImpostazioni.h"
#include "tariffs/Tariffe.h"

#include <algorithm>
#include <cmath>

namespace {
struct EventiAssenti : EventiMotore {
    void ConteggioIniziato() override {}
    void ConteggioTerminato() override {}
    void ChiamataInCorso(bool) override {}
    void MostraLed(Led) override {}
    void MostraIntervallo(int, const QString&) override {}
    void ColoreIndicatore(quint32) override {}
    void AggiornaImporto() override {}
    void MostraTesto(const QString&) override {}
    QString TestoMostrato() const override { return {}; }
    void ModalitaManuale() override {}
    void SegnalaErrore(const QString&) override {}
    void SuonoDovuto(Suono) override {}
    bool AllarmeDovuto(int) override { return false; }
};
} // namespace

EventiMotore& NessunAscolto()
{
    static EventiAssenti nessuno;
    return nessuno;
}

Motore::Motore(Impostazioni& imp, DatabaseScatti& db, FileLog& log, const Orologio& orologio)
    : imp_(imp), db_(db), log_(log), orologio_(orologio), eventi_(&NessunAscolto()), allarmi_(imp)
{
}

Motore::~Motore() = default;

Totali Motore::TotaliDelPeriodo(PeriodoImporto periodo) const
{
    switch (periodo) {
    case PeriodoImporto::Giorno: return oggi_;
    case PeriodoImporto::Bolletta: return periodo_;
    case PeriodoImporto::Connessione: break;
    }
    return connessione_;
}

Totali Motore::SommaConPendenti(const QDate& primo, const QDate& ultimo, ErroreDatabase* errore)
{
    Totali t;
    const auto somma = db_.Somma(primo, ultimo);
    if (somma) {
        t.scatti = somma->scatti;
        t.importo = somma->importo;
    } else if (errore) {
        *errore = somma.Errore();
    }
    PerGiornoInAttesa(pendenti_.scatti, primo, ultimo, [&t](QDate, const Totali& inAttesa) { t += inAttesa; });
    return t;
}

EsitoDb<> Motore::CaricaTotali()
{
    ErroreDatabase errorePeriodo, erroreOggi;
    periodo_ = SommaConPendenti(imp_.DatIPB, imp_.DatFPB, &errorePeriodo);
    if (!dataOggi_.isValid())
        dataOggi_ = orologio_.Adesso().date();
    oggi_ = SommaConPendenti(dataOggi_, dataOggi_, &erroreOggi);
    if (errorePeriodo.numero != 0)
        return errorePeriodo;
    if (erroreOggi.numero != 0)
        return erroreOggi;
    return std::monostate{};
}

void Motore::AvviaConteggio(const QString& nomeConnessione)
{
    if (attivo_)
        return;
    nomeConnessione_ = nomeConnessione;
    eventi_->ConteggioIniziato();
    eventi_->MostraLed(Led::Rosso);
    eventi_->SuonoDovuto(Suono::InizioConteggio);
    messaggioDato_.fill(false);
    attivo_ = true;
    ++numeroConteggio_;
    RegistraScatto(true);
    AggiornaConteggio();
    ControllaCosti();
}

void Motore::ControllaCosti()
{
    if (const int n = allarmi_.CostoSuperato(connessione_, oggi_, periodo_, messaggioDato_))
        Allarme(n);
}

void Motore::Allarme(int n)
{
    // Marked before it is reported, as what hears it may end the count.
    messaggioDato_[size_t(n)] = true;
    if (!eventi_->AllarmeDovuto(n))
        messaggioDato_[size_t(n)] = false;
}

void Motore::RegistraScatto(bool primoScatto)
{
    // One reading of the wall clock gives the date and the tariff of this
    // pulse, so memory and disk agree on its day even at 23:59:59.9.
    const QDateTime adesso = orologio_.Adesso();
    const QDate data = adesso.date();
    if (primoScatto) {
        inizioIntervallo_ = orologio_.Secondi();
        if (imp_.LogCon)
            inizioConnessione_ = adesso;
        riduzione_ = false;
        secondiCompletati_ = 0;
        secondiConnessione_ = 0;
        connessione_ = {};
    }
    if (!(primoScatto && !imp_.Wav[size_t(Suono::InizioConteggio)].isEmpty()))
        eventi_->SuonoDovuto(Suono::Scatto);

    const ModelloTariffe& modello = imp_.Tariffe;
    const int k = TariffaInVigore(modello, data, adesso.time());
    // A tariff that somehow has no positive length must not make catch-up spin.
    durataScatto_ = Chiave<"SPSTr">::intervallo.Limita(modello.tariffa(k).SecondiPerScatto);

    const PassoScatto passo = PrezzaScatto(modello, primoScatto, connessione_.scatti, secondiConnessione_, riduzione_);
    connessione_.scatti += passo.scatti;
    connessione_.importo += passo.importo;
    if (passo.riduzioneIniziata)
        eventi_->MostraLed(Led::Blu);
    riduzione_ = passo.riduzioneAttiva;

    if (data != dataOggi_) {
        dataOggi_ = data;
        ErroreDatabase errore;
        oggi_ = SommaConPendenti(data, data, &errore);
        if (errore.numero != 0)
            SegnalaErroreDatabase(errore);
        messaggioDato_[2] = false;
    }
    oggi_.scatti += passo.scatti;
    oggi_.importo += passo.importo;
    if (imp_.DatIPB <= data && data <= imp_.DatFPB) {
        periodo_.scatti += passo.scatti;
        periodo_.importo += passo.importo;
    }
    Totali& daScrivere = pendenti_.scatti[data];
    daScrivere.scatti += passo.scatti;
    daScrivere.importo += passo.importo;

    eventi_->AggiornaImporto();
    if (imp_.ClrTar)
        eventi_->ColoreIndicatore(modello.tariffa(k).Colore);
}

void Motore::AggiornaConteggio()
{
    bool registrati = false;
    // Overdue pulses (a busy machine, a suspend) are caught up in a loop,
    // each priced with the tariff in force now; the disk is written once.
    for (;;) {
        const double e = std::max(0.0, orologio_.Secondi() - inizioIntervallo_);
        secondiConnessione_ = float(secondiCompletati_ + e);
        if (attivo_ && allarmi_.DurataSuperata(secondiConnessione_, messaggioDato_))
            Allarme(4);
        if (e < durataScatto_) {
            if (attivo_) {
                eventi_->MostraIntervallo(100 - int(e * 100 / durataScatto_), FormattaTempo(durataScatto_ - e));
                if (imp_.TipImp == TipoImporto::Tempo)
                    eventi_->AggiornaImporto();
            }
            break;
        }
        secondiCompletati_ += durataScatto_;
        inizioIntervallo_ += durataScatto_;
        RegistraScatto(false);
        registrati = true;
    }
    ScriviPendenti();
    if (registrati && attivo_)
        ControllaCosti();
}

void Motore::SegnalaErroreDatabase(const ErroreDatabase& errore)
{
    if (erroreSegnalato_)
        return;
    erroreSegnalato_ = true;
    eventi_->SegnalaErrore(QStringLiteral("Errore %1 nella scrittura degli scatti: %2.\n"
                                          "Il conteggio continua e la scrittura sarà ritentata.")
                               .arg(errore.numero)
                               .arg(errore.testo));
}

bool Motore::ScriviPendenti()
{
    auto& scatti = pendenti_.scatti;
    while (!scatti.empty()) {
        const auto it = scatti.begin();
        const auto scritto = db_.AggiungiScatti(it->first, it->second.scatti, it->second.importo);
        if (!scritto) {
            SegnalaErroreDatabase(scritto.Errore());
            return false;
        }
        scatti.erase(it);
    }
    erroreSegnalato_ = false;
    return true;
}

bool Motore::ScriviLogPendenti()
{
    auto& log = pendenti_.log;
    while (!log.empty()) {
        QString motivo;
        if (!log_.Aggiungi(log.front(), &motivo)) {
            if (!erroreLogSegnalato_) {
                erroreLogSegnalato_ = true;
                eventi_->SegnalaErrore(QStringLiteral("Impossibile scrivere il riepilogo connessioni: %1.\n"
                                                      "La connessione sarà registrata al prossimo tentativo.")
                                           .arg(motivo));
            }
            return false;
        }
        log.erase(log.begin());
    }
    erroreLogSegnalato_ = false;
    return true;
}

bool Motore::RiprovaScritture()
{
    const bool scatti = ScriviPendenti();
    const bool log = ScriviLogPendenti();
    return scatti && log;
}

void Motore::Recupera(const Pendenti& recuperati) { pendenti_.Unisci(recuperati); }

void Motore::TimerScatto_Timer()
{
    if (attivo_) {
        AggiornaConteggio();
        return;
    }
    // A failure has been reported already; the next tick tries again.
    if (!pendenti_.Vuoto())
        static_cast<void>(RiprovaScritture());
    const QDate oggi = orologio_.Adesso().date();
    if (oggi != dataOggi_) {
        dataOggi_ = oggi;
        oggi_ = SommaConPendenti(oggi, oggi, nullptr);
        eventi_->AggiornaImporto();
    }
}

bool Motore::FermaContatore(TipoArresto)
{
    if (!attivo_)
        return false;
    attivo_ = false;
    AggiornaConteggio();
    eventi_->ConteggioTerminato();
    eventi_->MostraLed(imp_.CtrAut ? Led::Verde : Led::Spento);
    eventi_->SuonoDovuto(Suono::FineConteggio);
    if (imp_.LogCon) {
        RecordLog record;
        record.Inizio = inizioConnessione_;
        record.Durata = DurataInSecondi(secondiConnessione_);
        record.Scatti = connessione_.scatti;
        record.Importo = connessione_.importo;
        record.Connessione = nomeConnessione_;
        pendenti_.log.push_back(record);
        ScriviLogPendenti();
    }
    nomeConnessione_.clear();
    return true;
}
