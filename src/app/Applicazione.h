// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Puts the program together: settings, database, log, engine, detection and
// the main window, in the order the start-up needs them.
#include "app/Principale.h"
#include "engine/Orologio.h"
#include "engine/Recupero.h"
#include "settings/Impostazioni.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class ArchivioImpostazioni;
struct RigaComando;
class FinestraAllarme;
class GestoreRete;
class DatabaseScatti;
class FileLog;
class Interlocutore;
class IstanzaUnica;
class Controllore;
class Motore;
class Principale;
class Riproduttore;
class Rilevamento;
class SorgenteConnessioni;
class TerminatoreChiamata;
class Vassoio;
class ServizioLocale;

class Applicazione {
public:
    struct Percorsi {
        QString impostazioni;      // the settings file
        QString cartellaProgramma; // where a portable install keeps its data
        QString blocco;            // the single-instance lock
    };
    struct Dipendenze {
        Interlocutore& messaggi;
        Riproduttore& suoni;
        const Orologio& orologio;
        SorgenteConnessioni& connessioni;
        // What deactivates a connection when the cost cap acts; none, only
        // the user's command acts.
        GestoreRete* rete = nullptr;
        // Desktop notifications; the session bus's service when empty.
        std::function<void(const QString&)> notifica = {};
    };

    explicit Applicazione(Dipendenze dipendenze);
    ~Applicazione();

    // Runs the start-up; true when the main window is up. Otherwise *codice
    // holds the exit status: 0 when another copy already runs (it is asked
    // to come forward), non-zero after a failure (the message has been
    // shown).
    bool Avvia(const QStringList& argomenti, const Percorsi& percorsi, int* codice);

    Principale* Finestra() const { return finestra_.get(); }
    Vassoio* IconaVassoio() const { return vassoio_.get(); }
    // Answers later starts of the program; null when it could not listen.
    ServizioLocale* Servizio() const { return servizio_.get(); }
    Motore* MotoreConteggio() const { return motore_.get(); }
    FinestraAllarme* Allarme() const { return finestraAllarme_.get(); }
    Impostazioni& Valori() { return imp_; }
    QString CartellaDati() const { return cartellaDati_; }

    // The program itself: real clock, sound, links and message boxes.
    static int Esegui(const QStringList& argomenti);

    // A signal to end: the exit runs at once, or, when it runs already and a
    // question holds it, the question goes unanswered.
    void Interrompi();
    // Asked at each step of adding a recovery file (tests end it there).
    void ImpostaPassoRecupero(std::function<bool(int)> passo) { passoRecupero_ = std::move(passo); }

private:
    // Store, log, engine, main window, tray, detection and alarm window, tied
    // to each other; nothing is opened yet.
    void CreaParti();
    // What the main window's menu opens.
    Principale::Finestre CreaFinestre(const QStringList& argomentiSessione);
    // The end of the run, once no count runs: pending writes (retried, else
    // kept for the next start), settings on exit, database closed. Gives the
    // exit status.
    int Termina(bool chiedi);
    // Adds what an earlier run kept, once.
    void Recupera();
    void RicaricaTotali();
    QStringList PercorsiRecupero() const;
    // Keeps what is still pending (and what recovery files could not add) in
    // a recovery file; false, with each place's reason, when none took it.
    bool ConservaInAttesa(QStringList* motivi);
    QString DomandaScrittureInAttesa() const;
    void AvviaServizio();
    // Another copy holds the lock: it is asked to come forward (and to count,
    // with /START), and the user learns which data folder it uses.
    void SecondoAvvio(const RigaComando& riga, const Percorsi& percorsi);

    Dipendenze d_;
    Impostazioni imp_;
    QString cartellaDati_;
    QString cartellaImpostazioni_;
    std::unique_ptr<IstanzaUnica> istanza_;
    std::unique_ptr<ArchivioImpostazioni> archivio_;
    std::unique_ptr<DatabaseScatti> db_;
    std::unique_ptr<FileLog> log_;
    std::unique_ptr<Motore> motore_;
    std::unique_ptr<Controllore> controllo_;
    std::unique_ptr<Rilevamento> rilevamento_;
    std::unique_ptr<Principale> finestra_;
    std::unique_ptr<Vassoio> vassoio_;
    std::unique_ptr<FinestraAllarme> finestraAllarme_;
    // Gone before the engine and the alarm window its answers reach.
    std::unique_ptr<TerminatoreChiamata> chiusura_;
    std::unique_ptr<ServizioLocale> servizio_;
    std::vector<std::unique_ptr<ServizioLocale>> altriServizi_; // the same answers, found from other logins
    Pendenti nonUniti_;                                         // recovery files the database refused
    std::vector<std::pair<QString, bool>> recuperiAperti_;      // their files; true: records left only
    std::function<bool(int)> passoRecupero_;
    bool inUscita_ = false;
    bool interrotto_ = false;
};
