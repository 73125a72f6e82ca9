// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stand-ins for the clock, the window, the user and the speakers.
#include "common/Interlocutore.h"
#include "engine/Conteggio.h"
#include "engine/Orologio.h"
#include "engine/SorgenteConnessioni.h"
#include "engine/Suoni.h"
#include "engine/Vista.h"

#include <QStringList>
#include <deque>
#include <functional>

struct OrologioFinto : Orologio {
    double monotono = 1000;
    QDateTime muro{QDate(2026, 12, 7), QTime(10, 0, 0)}; // a Monday
    double Secondi() const override { return monotono; }
    QDateTime Adesso() const override { return muro; }
    // Time passes on both clocks alike.
    void Avanza(double secondi)
    {
        monotono += secondi;
        muro = muro.addMSecs(qint64(secondi * 1000));
    }
};

// The window, and what the engine reports beyond it.
struct VistaFinta : EventiMotore {
    int terminati = 0, aggiornamenti = 0;
    bool chiamata = false, manuale = false;
    Led led = Led::Spento;
    int percento = 0;
    QString tempo, testo;
    quint32 colore = 0;
    QStringList errori;
    void ConteggioIniziato() override {}
    void ConteggioTerminato() override { ++terminati; }
    void ChiamataInCorso(bool b) override { chiamata = b; }
    void MostraLed(Led l) override { led = l; }
    void MostraIntervallo(int p, const QString& t) override
    {
        percento = p;
        tempo = t;
    }
    void ColoreIndicatore(quint32 c) override { colore = c; }
    void AggiornaImporto() override
    {
        ++aggiornamenti;
        testo = QStringLiteral("valore");
    }
    void MostraTesto(const QString& t) override { testo = t; }
    QString TestoMostrato() const override { return testo; }
    void ModalitaManuale() override { manuale = true; }
    void SegnalaErrore(const QString& t) override { errori << t; }
    void SuonoDovuto(Suono) override {}
    bool AllarmeDovuto(int) override { return true; }
};

// Answers questions from a script; `durante` runs while a question is open,
// as timer ticks do behind a real message box.
struct UtenteFinto : Interlocutore {
    std::deque<bool> risposte;
    QStringList domande, avvisi;
    std::function<void()> durante;
    bool Domanda(const QString& t) override
    {
        domande << t;
        if (durante)
            std::exchange(durante, nullptr)();
        if (risposte.empty())
            return false;
        const bool r = risposte.front();
        risposte.pop_front();
        return r;
    }
    bool Conferma(const QString& t) override { return Domanda(t); }
    void Avviso(const QString& t) override { avvisi << t; }
    void Informazione(const QString& t) override { avvisi << t; }
    void Errore(const QString& t) override { avvisi << t; }
};

// A link that goes through the states a test sets.
struct SorgenteFinta : SorgenteConnessioni {
    quint32 maniglia = 0;
    QString nome = "Casa";
    StatoLink stato = StatoLink::Disconnesso;
    int ricerche = 0;
    quint32 CercaConnessione(QString* n) override
    {
        ++ricerche;
        if (maniglia)
            *n = nome;
        return maniglia;
    }
    StatoLink StatoConnessione(quint32 m) override { return m == maniglia ? stato : StatoLink::Disconnesso; }
    QString NomeConnessione(quint32 m) override { return m == maniglia ? nome : QString(); }
    QStringList nominate;
    void InterfacceNominate(const QStringList& n) override { nominate = n; }
};

struct SuoniFinti : Riproduttore {
    QStringList suonati;
    void RiproduciSuono(const QString& f) override { suonati << f; }
    int NumeroDispositivi() const override { return 1; }
};
