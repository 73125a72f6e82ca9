#include "engine/Rilevamento.h"

#include "engine/Motore.h"
#include "settings/Impostazioni.h"

Rilevamento::Rilevamento(const Impostazioni& imp, Motore& motore, SorgenteConnessioni& sorgente, VistaMotore& vista,
                         Riproduttore& suoni)
    : imp_(imp), motore_(motore), sorgente_(sorgente), vista_(vista), suoni_(suoni)
{
}

int Rilevamento::StatoConnessione(quint32 maniglia)
{
    const StatoLink stato = sorgente_.StatoConnessione(maniglia);
    if (stato == StatoLink::Ignoto)
        return 0;
    int s = int(stato);
    if (s == 2 && !imp_.CtrCon)
        s = 3;
    return s;
}

void Rilevamento::TimerControllo_Timer()
{
    if (motore_.ManigliaConnessione == 0) {
        QString nome;
        motore_.ManigliaConnessione = sorgente_.CercaConnessione(&nome);
        motore_.NomeConnessione = motore_.ManigliaConnessione ? nome : QString();
    }
    if (motore_.ManigliaConnessione == 0)
        return;
    const int s = StatoConnessione(motore_.ManigliaConnessione);

    if (motore_.ConteggioAttivo()) {
        // Only a link really gone ends the count: a failed query or a passing
        // state in the middle of a call must not split it in two.
        if (s == 4)
            motore_.FermaContatore(TipoArresto::FineConnessione);
        return;
    }
    switch (s) {
    case 1:
        if (vista_.TestoMostrato() != TestoConnessione) {
            if (!imp_.Wav[0].isEmpty() && imp_.SchedaAudio)
                suoni_.RiproduciSuono(imp_.Wav[0]);
            vista_.MostraTesto(TestoConnessione);
            vista_.MostraLed(Led::Giallo);
            vista_.ChiamataInCorso(true);
        }
        break;
    case 2:
        break;
    case 3:
        motore_.AvviaConteggio();
        break;
    default:  // gone, or the query failed: the call was given up
        vista_.AggiornaImporto();
        motore_.ManigliaConnessione = 0;
        motore_.NomeConnessione.clear();
        vista_.MostraLed(Led::Verde);
        vista_.ChiamataInCorso(false);
        break;
    }
}
