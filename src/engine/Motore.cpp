// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Motore.h"

#include "common/FormeTesto.h"
#include "common/Interlocutore.h"
#include "log/FileLog.h"
#include "pulses/DatabaseScatti.h"
#include "settings/TabellaImpostazioni.h"
#include "tariffs/Tariffe.h"

#include <algorithm>
#include <cmath>
#include <utility>


namespace {
// Draws nothing: the engine before a window is attached.
struct VistaAssente : VistaMotore {
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
};
VistaAssente nessunaVista;
} // namespace

Motore::Motore(Impostazioni& imp, DatabaseScatti& db, FileLog& log, const Orologio& orologio,
               Interlocutore& messaggi, Riproduttore& suoni)
    : imp_(imp), db_(db), log_(log), orologio_(orologio), vista_(&nessunaVista), messaggi_(messaggi), suoni_(suoni),
      allarmi_(imp)
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

void Motore::Suona(Suono s)
{
    const QString& file = imp_.Wav[size_t(s)];
    if (!file.isEmpty() && imp_.SchedaAudio)
        suoni_.RiproduciSuono(file);
}

void Motore::AvviaConteggio(const QString& nomeConnessione)
{
    if (attivo_)
        return;
    nomeConnessione_ = nomeConnessione;
    vista_->ConteggioIniziato();
    vista_->MostraLed(Led::Rosso);
    Suona(Suono::InizioConteggio);
    messaggioDato_.fill(false);
    attivo_ = true;
    ++numeroConteggio_;
    RegistraScatto(true);
    AggiornaConteggio();
    ControllaCosti();
}

void Motore::ControllaCosti()
{
    // One window at a time: a due alarm stays armed and is tried again later.
    if (!finestra_ || finestra_->Aperta())
        return;
    if (const int n = allarmi_.CostoSuperato(connessione_, oggi_, periodo_, messaggioDato_))
        MostraMessaggio(n);
}

void Motore::MostraMessaggio(int n)
{
    messaggioDato_[size_t(n)] = true;
    const QString testo = Allarmi::TestoAllarme(imp_, n);
    if (imp_.TrmAll && chiusura_ && (n == 1 || n == 3) && chiusuraDelConteggio_ != numeroConteggio_)
        ChiudiChiamata(testo);
    else
        finestra_->Mostra(testo);
}

void Motore::ChiudiChiamata(const QString& testoAllarme)
{
    // Once per count; the alarm says how it went once that is known.
    const quint64 conteggio = chiusuraDelConteggio_ = numeroConteggio_;
    chiusura_->TerminaChiamata([this, testoAllarme, conteggio](const QString& perche) {
        // With no link followed nobody else sees the call end.
        if (perche.isEmpty() && attivo_ && numeroConteggio_ == conteggio && !(seguita_ && seguita_->Seguita()))
            FermaContatore(TipoArresto::FineConnessione);
        MostraOAttendi(testoAllarme + QLatin1Char('\n')
                       + (perche.isEmpty() ? TestoChiamataChiusa : TestoChiamataNonChiusa + perche));
    });
}

void Motore::MostraOAttendi(const QString& testo)
{
    if (finestra_->Aperta())
        messaggioInAttesa_ = testo;
    else
        finestra_->Mostra(testo);
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
        Suona(Suono::Scatto);

    const ModelloTariffe& modello = imp_.Tariffe;
    const int k = TariffaInVigore(modello, data, adesso.time());
    // A tariff that somehow has no positive length must not make catch-up spin.
    durataScatto_ = Chiave<"SPSTr">::intervallo.Limita(modello.tariffa(k).SecondiPerScatto);

    const PassoScatto passo =
        PrezzaScatto(modello, primoScatto, connessione_.scatti, secondiConnessione_, riduzione_);
    connessione_.scatti += passo.scatti;
    connessione_.importo += passo.importo;
    if (passo.riduzioneIniziata)
        vista_->MostraLed(Led::Blu);
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

    vista_->AggiornaImporto();
    if (imp_.ClrTar)
        vista_->ColoreIndicatore(modello.tariffa(k).Colore);
}

void Motore::AggiornaConteggio()
{
    bool registrati = false;
    // Overdue pulses (a busy machine, a suspend) are caught up in a loop,
    // each priced with the tariff in force now; the disk is written once.
    for (;;) {
        const double e = std::max(0.0, orologio_.Secondi() - inizioIntervallo_);
        secondiConnessione_ = float(secondiCompletati_ + e);
        if (attivo_ && finestra_ && !finestra_->Aperta() && allarmi_.DurataSuperata(secondiConnessione_, messaggioDato_))
            MostraMessaggio(4);
        if (e < durataScatto_) {
            if (attivo_) {
                vista_->MostraIntervallo(100 - int(e * 100 / durataScatto_), FormattaTempo(durataScatto_ - e));
                if (imp_.TipImp == TipoImporto::Tempo)
                    vista_->AggiornaImporto();
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
    vista_->SegnalaErrore(QStringLiteral("Errore %1 nella scrittura degli scatti: %2.\n"
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
                vista_->SegnalaErrore(QStringLiteral("Impossibile scrivere il riepilogo connessioni: %1.\n"
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

void Motore::Recupera(const Pendenti& recuperati)
{
    pendenti_.Unisci(recuperati);
}

void Motore::TimerScatto_Timer()
{
    if (!messaggioInAttesa_.isEmpty() && !finestra_->Aperta())
        finestra_->Mostra(std::exchange(messaggioInAttesa_, {}));
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
        vista_->AggiornaImporto();
    }
}

bool Motore::FermaContatore(TipoArresto tipo)
{
    if (!attivo_)
        return false;
    const quint64 conteggio = numeroConteggio_;
    bool stop = false;
    bool manuale = false;
    switch (tipo) {
    case TipoArresto::Manuale:
        if (!imp_.CtrAut || !seguita_ || !seguita_->Seguita()) {
            stop = imp_.CnfStp ? messaggi_.Domanda(QStringLiteral("Confermi l'interruzione del conteggio ?")) : true;
        } else {
            stop = messaggi_.Domanda(
                QStringLiteral("ATTENZIONE: per interrompere il conteggio su una connessione attiva \n"
                               "è necessario disattivare il rilevamento automatico. \n"
                               "Confermi l'interruzione del conteggio e il passaggio alla modalità manuale ?"));
            manuale = stop;
        }
        break;
    case TipoArresto::FineConnessione:
        stop = true;
        break;
    case TipoArresto::Uscita:
        stop = messaggi_.Domanda(QStringLiteral("Conteggio attivo: confermi l'interruzione e l'uscita ?"));
        break;
    }
    // While the question was open the timers ran on: the connection may have
    // ended the count already, or a new one may have begun. That count was
    // not what the user was asked about, unless the answer was to exit: then
    // whatever runs now is closed as well, so its record is written.
    if (!stop)
        return false;
    if (!attivo_)
        return tipo == TipoArresto::Uscita;
    if (numeroConteggio_ != conteggio && tipo != TipoArresto::Uscita)
        return false;
    if (manuale) {
        vista_->ModalitaManuale();
        if (seguita_)
            seguita_->Lascia();
        imp_.CtrAut = false;
    }

    attivo_ = false;
    AggiornaConteggio();
    vista_->ConteggioTerminato();
    vista_->MostraLed(imp_.CtrAut ? Led::Verde : Led::Spento);
    Suona(Suono::FineConteggio);
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
