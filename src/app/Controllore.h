// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Between the user and the engine: takes the orders of the window and of
// detection, asks where a stop needs the user's word, leaves automatic mode
// when the user says so, plays the sounds and shows the alarms the engine
// reports, and hands the engine's drawing on to the window.
#include "engine/Allarmi.h"
#include "engine/Conteggio.h"

class Interlocutore;
class Motore;
struct Impostazioni;

class Controllore : public ComandoConteggio, public EventiMotore {
public:
    // Becomes the engine's listener.
    Controllore(Impostazioni& imp, Motore& motore, Interlocutore& messaggi, Riproduttore& suoni);

    // The window that draws the count; set once at start-up.
    void ImpostaVista(VistaMotore& vista) { vista_ = &vista; }
    // Where alarms are shown; none, no alarms.
    void ImpostaFinestraMessaggio(FinestraMessaggio* finestra) { finestra_ = finestra; }
    void ImpostaConnessioneSeguita(ConnessioneSeguita* seguita) { seguita_ = seguita; }
    // What ends a call at the cost alarms when TrmAll is on; none, nothing.
    void ImpostaChiusuraChiamata(ChiusuraChiamata* chiusura) { chiusura_ = chiusura; }

    // One tick of the pulse timer.
    void TimerScatto_Timer();

    void AvviaConteggio(const QString& nomeConnessione = {}) override;
    bool FermaContatore(TipoArresto tipo) override;
    void RinominaConnessione(const QString& nome) override;
    bool ConteggioAttivo() const override;

    void SuonoDovuto(Suono suono) override;
    bool AllarmeDovuto(int n) override;

    void ConteggioIniziato() override { vista_->ConteggioIniziato(); }
    void ConteggioTerminato() override { vista_->ConteggioTerminato(); }
    void ChiamataInCorso(bool inCorso) override { vista_->ChiamataInCorso(inCorso); }
    void MostraLed(Led led) override { vista_->MostraLed(led); }
    void MostraIntervallo(int percento, const QString& tempo) override { vista_->MostraIntervallo(percento, tempo); }
    void ColoreIndicatore(quint32 colore) override { vista_->ColoreIndicatore(colore); }
    void AggiornaImporto() override { vista_->AggiornaImporto(); }
    void MostraTesto(const QString& testo) override { vista_->MostraTesto(testo); }
    void ModalitaManuale() override { vista_->ModalitaManuale(); }
    QString TestoMostrato() const override { return vista_->TestoMostrato(); }
    void SegnalaErrore(const QString& testo) override { vista_->SegnalaErrore(testo); }

private:
    // The user's word on a stop: whether to stop, and whether to leave
    // automatic mode with it.
    bool Chiedi(TipoArresto tipo, bool* manuale);
    void ChiudiChiamata(const QString& testoAllarme);
    void MostraOAttendi(const QString& testo);

    Impostazioni& imp_;
    Motore& motore_;
    Interlocutore& messaggi_;
    Riproduttore& suoni_;
    VistaMotore* vista_;
    FinestraMessaggio* finestra_ = nullptr;
    ConnessioneSeguita* seguita_ = nullptr;
    ChiusuraChiamata* chiusura_ = nullptr;
    // The count whose call is being ended, 0 none; and an alarm's text that
    // waits for the window another alarm holds.
    quint64 chiusuraDelConteggio_ = 0;
    QString messaggioInAttesa_;
};
