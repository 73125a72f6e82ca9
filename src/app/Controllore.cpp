// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Controllore.h"

#include "common/Interlocutore.h"
#include "engine/Motore.h"
#include "settings/Impostazioni.h"

#include <utility>

Controllore::Controllore(Impostazioni& imp, Motore& motore, Interlocutore& messaggi, Riproduttore& suoni)
    : imp_(imp), motore_(motore), messaggi_(messaggi), suoni_(suoni), vista_(&NessunAscolto())
{
    motore_.ImpostaEventi(*this);
}

void Controllore::TimerScatto_Timer()
{
    if (!messaggioInAttesa_.isEmpty() && finestra_ && !finestra_->Aperta())
        finestra_->Mostra(std::exchange(messaggioInAttesa_, {}));
    motore_.TimerScatto_Timer();
}

void Controllore::AvviaConteggio(const QString& nomeConnessione) { motore_.AvviaConteggio(nomeConnessione); }

void Controllore::RinominaConnessione(const QString& nome) { motore_.RinominaConnessione(nome); }

bool Controllore::ConteggioAttivo() const { return motore_.ConteggioAttivo(); }

bool Controllore::Chiedi(TipoArresto tipo, bool* manuale)
{
    *manuale = false;
    switch (tipo) {
    case TipoArresto::Manuale:
        if (!imp_.CtrAut || !seguita_ || !seguita_->Seguita())
            return imp_.CnfStp ? messaggi_.Domanda(QStringLiteral("Confermi l'interruzione del conteggio ?")) : true;
        *manuale = messaggi_.Domanda(
            QStringLiteral("ATTENZIONE: per interrompere il conteggio su una connessione attiva \n"
                           "è necessario disattivare il rilevamento automatico. \n"
                           "Confermi l'interruzione del conteggio e il passaggio alla modalità manuale ?"));
        return *manuale;
    case TipoArresto::FineConnessione: return true;
    case TipoArresto::Uscita:
        return messaggi_.Domanda(QStringLiteral("Conteggio attivo: confermi l'interruzione e l'uscita ?"));
    }
    return false;
}

bool Controllore::FermaContatore(TipoArresto tipo)
{
    if (!motore_.ConteggioAttivo())
        return false;
    const quint64 conteggio = motore_.NumeroConteggio();
    bool manuale = false;
    if (!Chiedi(tipo, &manuale))
        return false;
    // While the question was open the timers ran on: the connection may have
    // ended the count already, or a new one may have begun. That count was
    // not what the user was asked about, unless the answer was to exit: then
    // whatever runs now is closed as well, so its record is written.
    if (!motore_.ConteggioAttivo())
        return tipo == TipoArresto::Uscita;
    if (motore_.NumeroConteggio() != conteggio && tipo != TipoArresto::Uscita)
        return false;
    if (manuale) {
        vista_->ModalitaManuale();
        if (seguita_)
            seguita_->Lascia();
        imp_.CtrAut = false;
    }
    return motore_.FermaContatore(tipo);
}

void Controllore::SuonoDovuto(Suono suono)
{
    const QString& file = imp_.Wav[size_t(suono)];
    if (!file.isEmpty() && imp_.SchedaAudio)
        suoni_.RiproduciSuono(file);
}

bool Controllore::AllarmeDovuto(int n)
{
    // One window at a time: a due alarm stays armed and is tried again later.
    if (!finestra_ || finestra_->Aperta())
        return false;
    const QString testo = Allarmi::TestoAllarme(imp_, n);
    if (imp_.TrmAll && chiusura_ && (n == 1 || n == 3) && chiusuraDelConteggio_ != motore_.NumeroConteggio())
        ChiudiChiamata(testo);
    else
        finestra_->Mostra(testo);
    return true;
}

void Controllore::ChiudiChiamata(const QString& testoAllarme)
{
    // Once per count; the alarm says how it went once that is known.
    const quint64 conteggio = chiusuraDelConteggio_ = motore_.NumeroConteggio();
    chiusura_->TerminaChiamata([this, testoAllarme, conteggio](const QString& perche) {
        // With no link followed nobody else sees the call end.
        if (perche.isEmpty() && motore_.ConteggioAttivo() && motore_.NumeroConteggio() == conteggio
            && !(seguita_ && seguita_->Seguita()))
            FermaContatore(TipoArresto::FineConnessione);
        MostraOAttendi(testoAllarme + QLatin1Char('\n')
                       + (perche.isEmpty() ? TestoChiamataChiusa : TestoChiamataNonChiusa + perche));
    });
}

void Controllore::MostraOAttendi(const QString& testo)
{
    if (finestra_->Aperta())
        messaggioInAttesa_ = testo;
    else
        finestra_->Mostra(testo);
}
