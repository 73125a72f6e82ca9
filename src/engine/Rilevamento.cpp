// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Rilevamento.h"

#include "engine/Orologio.h"
#include "engine/Suoni.h"
#include "settings/Impostazioni.h"

Rilevamento::Rilevamento(const Impostazioni& imp, ComandoConteggio& conteggio, SorgenteConnessioni& sorgente,
                         VistaMotore& vista, Riproduttore& suoni, const Orologio& orologio)
    : imp_(imp), conteggio_(conteggio), sorgente_(sorgente), vista_(vista), suoni_(suoni), orologio_(orologio)
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
    allestimento_ = {};
}

void Rilevamento::Segui(quint32 maniglia, const QString& nome)
{
    // The minute belongs to the link's own state, not to what detection
    // looked at meanwhile: a few links at most are ever left so.
    constexpr qsizetype MassimoLasciati = 16;
    if (maniglia_ != 0 && allestimento_.dal >= 0) {
        if (lasciati_.size() >= MassimoLasciati)
            lasciati_.clear();
        lasciati_.insert(maniglia_, allestimento_);
    }
    Lascia();
    maniglia_ = maniglia;
    nome_ = maniglia ? nome : QString();
    allestimento_ = lasciati_.take(maniglia);
}

void Rilevamento::AggiornaNome(const QString& nome)
{
    // A name can come after the link (pppd's files, NetworkManager's answer):
    // the count being made carries the latest.
    if (nome.isEmpty() || nome == nome_)
        return;
    nome_ = nome;
    if (conteggio_.ConteggioAttivo())
        conteggio_.RinominaConnessione(nome_);
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
    bool cercata = false;
    if (maniglia_ == 0 || (allestimento_.dormiente && !conteggio_.ConteggioAttivo())) {
        QString nome;
        const quint32 trovata = sorgente_.CercaConnessione(&nome);
        cercata = true;
        if (trovata != maniglia_)
            Segui(trovata, nome);
        else if (trovata)
            AggiornaNome(nome);
    }
    if (maniglia_ == 0)
        return;
    const StatoLink s = StatoConnessione(maniglia_);
    if (!cercata && s != StatoLink::Disconnesso)
        AggiornaNome(sorgente_.NomeConnessione(maniglia_));

    if (conteggio_.ConteggioAttivo())
        DuranteIlConteggio(s);
    else
        InAttesa(s);
}

void Rilevamento::DuranteIlConteggio(StatoLink s)
{
    // A failed query or a single odd reading must not split a call: only a
    // link gone, or seen without carrier on consecutive polls, ends it.
    switch (s) {
    case StatoLink::Disconnesso:
        conteggio_.FermaContatore(TipoArresto::FineConnessione);
        Lascia();
        break;
    case StatoLink::Composizione:
        if (portante_ && ++senzaPortante_ >= ControlliSenzaPortante) {
            conteggio_.FermaContatore(TipoArresto::FineConnessione);
            // The link is still there: it is not a new call being set up.
            portante_ = false;
            senzaPortante_ = 0;
            allestimento_ = {StatoLink::Composizione, orologio_.Secondi(), true};
        }
        break;
    case StatoLink::Ignoto: senzaPortante_ = 0; break;
    case StatoLink::Autenticazione:
    case StatoLink::Connesso:
        portante_ = true;
        senzaPortante_ = 0;
        break;
    }
}

void Rilevamento::InAttesa(StatoLink s)
{
    senzaPortante_ = 0;
    switch (s) {
    case StatoLink::Composizione:
        portante_ = false;
        InAllestimento(s);
        break;
    case StatoLink::Autenticazione:
        portante_ = true;
        InAllestimento(s);
        break;
    case StatoLink::Connesso:
        portante_ = true;
        allestimento_ = {};
        conteggio_.AvviaConteggio(nome_);
        break;
    case StatoLink::Ignoto:
        // A link already left idle stays so: one failed query must not show
        // it as a call being set up all over again.
        if (allestimento_.dormiente)
            break;
        [[fallthrough]];
    case StatoLink::Disconnesso: // or the query failed: the call was given up
        TornaInAttesa();
        Lascia();
        break;
    }
}

void Rilevamento::InAllestimento(StatoLink s)
{
    const double adesso = orologio_.Secondi();
    if (s != allestimento_.stato)
        allestimento_ = {s, adesso, false};
    if (allestimento_.dormiente)
        return;
    if (adesso - allestimento_.dal >= SecondiComposizioneMassima) {
        // Set-up ends on a real line; a Linux link can stay so for ever.
        allestimento_.dormiente = true;
        TornaInAttesa();
        return;
    }
    if (s == StatoLink::Composizione && vista_.TestoMostrato() != TestoConnessione) {
        if (!imp_.Wav[0].isEmpty() && imp_.SchedaAudio)
            suoni_.RiproduciSuono(imp_.Wav[0]);
        vista_.MostraTesto(TestoConnessione);
        vista_.MostraLed(Led::Giallo);
        vista_.ChiamataInCorso(true);
    }
}
