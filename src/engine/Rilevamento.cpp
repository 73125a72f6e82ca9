#include "engine/Rilevamento.h"

#include "engine/Orologio.h"
#include "engine/Suoni.h"
#include "settings/Impostazioni.h"

Rilevamento::Rilevamento(const Impostazioni& imp, Motore& motore, SorgenteConnessioni& sorgente, VistaMotore& vista,
                         Riproduttore& suoni, const Orologio& orologio)
    : imp_(imp), motore_(motore), sorgente_(sorgente), vista_(vista), suoni_(suoni), orologio_(orologio)
{
}

StatoLink Rilevamento::StatoConnessione(quint32 maniglia)
{
    const StatoLink stato = sorgente_.StatoConnessione(maniglia);
    if (stato == StatoLink::Autenticazione && !imp_.CtrCon)
        return StatoLink::Connesso;
    return stato;
}

void Rilevamento::Lascia()
{
    maniglia_ = 0;
    nome_.clear();
    portante_ = false;
    senzaPortante_ = 0;
    inizioComposizione_ = -1;
    dormiente_ = false;
}

void Rilevamento::TornaInAttesa()
{
    vista_.AggiornaImporto();
    vista_.MostraLed(Led::Verde);
    vista_.ChiamataInCorso(false);
}

void Rilevamento::TimerControllo_Timer()
{
    sorgente_.InterfacceNominate(imp_.IfcPtp);
    // A dormant link must not hide a call on another one: look again.
    if (maniglia_ == 0 || (dormiente_ && !motore_.ConteggioAttivo())) {
        QString nome;
        const quint32 trovata = sorgente_.CercaConnessione(&nome);
        if (trovata != maniglia_) {
            Lascia();
            maniglia_ = trovata;
            nome_ = trovata ? nome : QString();
        }
    }
    if (maniglia_ == 0)
        return;
    const StatoLink s = StatoConnessione(maniglia_);

    if (motore_.ConteggioAttivo()) {
        // A failed query or a single odd reading must not split a call: only
        // a link gone, or seen without carrier on consecutive polls, ends it.
        switch (s) {
        case StatoLink::Disconnesso:
            motore_.FermaContatore(TipoArresto::FineConnessione);
            Lascia();
            break;
        case StatoLink::Composizione:
            if (portante_ && ++senzaPortante_ >= ControlliSenzaPortante) {
                motore_.FermaContatore(TipoArresto::FineConnessione);
                // The link is still there: it is not a new call being set up.
                portante_ = false;
                senzaPortante_ = 0;
                dormiente_ = true;
            }
            break;
        case StatoLink::Ignoto:
            senzaPortante_ = 0;
            break;
        case StatoLink::Autenticazione:
        case StatoLink::Connesso:
            portante_ = true;
            senzaPortante_ = 0;
            break;
        }
        return;
    }

    senzaPortante_ = 0;
    switch (s) {
    case StatoLink::Composizione:
        portante_ = false;
        Composizione();
        break;
    case StatoLink::Autenticazione:
        portante_ = true;
        dormiente_ = false;
        inizioComposizione_ = -1;
        break;
    case StatoLink::Connesso:
        portante_ = true;
        dormiente_ = false;
        inizioComposizione_ = -1;
        motore_.AvviaConteggio(nome_);
        break;
    case StatoLink::Ignoto:
        // A link already left idle stays so: one failed query must not show
        // it as a call being set up all over again.
        if (dormiente_)
            break;
        [[fallthrough]];
    case StatoLink::Disconnesso:  // or the query failed: the call was given up
        TornaInAttesa();
        Lascia();
        break;
    }
}

void Rilevamento::Composizione()
{
    if (dormiente_)
        return;
    const double adesso = orologio_.Secondi();
    if (inizioComposizione_ < 0)
        inizioComposizione_ = adesso;
    if (adesso - inizioComposizione_ >= SecondiComposizioneMassima) {
        // Set-up ends on a real line; a Linux link can stay so for ever.
        dormiente_ = true;
        TornaInAttesa();
        return;
    }
    if (vista_.TestoMostrato() != TestoConnessione) {
        if (!imp_.Wav[0].isEmpty() && imp_.SchedaAudio)
            suoni_.RiproduciSuono(imp_.Wav[0]);
        vista_.MostraTesto(TestoConnessione);
        vista_.MostraLed(Led::Giallo);
        vista_.ChiamataInCorso(true);
    }
}
