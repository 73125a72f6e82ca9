// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The counting engine: turns elapsed time into pulses and pulses into lire,
// keeps the connection, day and bill totals, and stores every pulse at once.
#include "common/Totali.h"
#include "engine/Allarmi.h"
#include "engine/Orologio.h"
#include "engine/Recupero.h"
#include "engine/Suoni.h"
#include "engine/Vista.h"
#include "settings/Impostazioni.h"

#include "log/FileLog.h"
#include "pulses/EsitoDb.h"

#include <QDate>
#include <QDateTime>
#include <array>
#include <functional>
#include <map>
#include <vector>

class DatabaseScatti;
class Interlocutore;

// How a count is stopped.
enum class TipoArresto : qint16 { Manuale = 1, FineConnessione = 2, Uscita = 3 };

// What the engine asks of detection about the connection it follows.
class ConnessioneSeguita {
public:
    virtual ~ConnessioneSeguita() = default;
    // A connection is being watched (found, and not yet gone).
    virtual bool Seguita() const = 0;
    // Forget it: the user stopped its count and left automatic mode.
    virtual void Lascia() = 0;
};

// Ends the call being counted, when the user asked the cost cap to act.
class ChiusuraChiamata {
public:
    virtual ~ChiusuraChiamata() = default;
    // `esito` gets, later or at once, an empty text when the call was ended,
    // else why it could not be; never after this object is gone.
    virtual void TerminaChiamata(std::function<void(const QString& perche)> esito) = 0;
};

inline const QString TestoChiamataChiusa = QStringLiteral("La chiamata è stata chiusa.");
inline const QString TestoChiamataNonChiusa = QStringLiteral("Impossibile chiudere la chiamata: ");

class Motore {
public:
    Motore(Impostazioni& imp, DatabaseScatti& db, FileLog& log, const Orologio& orologio, Interlocutore& messaggi,
           Riproduttore& suoni);
    ~Motore();

    // The window that draws the engine's state; set once at start-up.
    void ImpostaVista(VistaMotore& vista) { vista_ = &vista; }
    // Where alarms are shown; none, no alarms.
    void ImpostaFinestraMessaggio(FinestraMessaggio* finestra) { finestra_ = finestra; }
    void ImpostaConnessioneSeguita(ConnessioneSeguita* seguita) { seguita_ = seguita; }
    // What ends a call at the cost alarms when TrmAll is on; none, nothing.
    void ImpostaChiusuraChiamata(ChiusuraChiamata* chiusura) { chiusura_ = chiusura; }

    // Day and bill totals from the database: at start-up and when the bill
    // window closes. On failure, the first error met.
    EsitoDb<> CaricaTotali();

    // Start button, F2, menu, "/START" or a connection coming up; the name
    // goes into the count's log record.
    void AvviaConteggio(const QString& nomeConnessione = {});
    bool FermaContatore(TipoArresto tipo);
    // A name for the connection being counted that became known during the
    // call; its record carries it.
    void RinominaConnessione(const QString& nome)
    {
        if (attivo_)
            nomeConnessione_ = nome;
    }
    // One tick of the pulse timer.
    void TimerScatto_Timer();
    // Writes still pending after a failure (a pulse or a log record); tried at
    // every step, and once more at exit. True when nothing is left.
    [[nodiscard]] bool RiprovaScritture();
    const Pendenti& InAttesa() const { return pendenti_; }
    // Entries kept from an earlier run: they join the pending ones, count in
    // the totals and are written by the next retry.
    void Recupera(const Pendenti& recuperati);

    bool ConteggioAttivo() const { return attivo_; }
    float SecondiConnessione() const { return secondiConnessione_; }
    QDate DataOggi() const { return dataOggi_; }
    float DurataScatto() const { return durataScatto_; }
    // Name of the connection being counted; empty while idle.
    QString NomeConnessione() const { return nomeConnessione_; }
    // Totals of the period: connection, day or bill.
    Totali TotaliDelPeriodo(PeriodoImporto periodo) const;

private:
    void AggiornaConteggio();
    void RegistraScatto(bool primoScatto);
    Totali SommaConPendenti(const QDate& primo, const QDate& ultimo, ErroreDatabase* errore);
    bool ScriviPendenti();
    bool ScriviLogPendenti();
    void SegnalaErroreDatabase(const ErroreDatabase& errore);
    void Suona(Suono s);
    void ControllaCosti();
    void MostraMessaggio(int n);
    void ChiudiChiamata(const QString& testoAllarme);
    void MostraOAttendi(const QString& testo);

    Impostazioni& imp_;
    DatabaseScatti& db_;
    FileLog& log_;
    const Orologio& orologio_;
    VistaMotore* vista_;
    Interlocutore& messaggi_;
    Riproduttore& suoni_;
    Allarmi allarmi_;
    FinestraMessaggio* finestra_ = nullptr;
    ConnessioneSeguita* seguita_ = nullptr;
    ChiusuraChiamata* chiusura_ = nullptr;
    // The count whose call is being ended, 0 none; and an alarm's text that
    // waits for the window another alarm holds.
    quint64 chiusuraDelConteggio_ = 0;
    QString messaggioInAttesa_;
    AllarmiDati messaggioDato_{};
    QString nomeConnessione_;

    bool attivo_ = false;
    quint64 numeroConteggio_ = 0;   // tells a later answer which count it was asked about
    double inizioIntervallo_ = 0;   // monotonic seconds at which the interval began
    double secondiCompletati_ = 0;
    float secondiConnessione_ = 0;
    float durataScatto_ = 0;
    Totali connessione_;
    Totali oggi_;
    QDate dataOggi_;
    Totali periodo_;
    bool riduzione_ = false;
    QDateTime inizioConnessione_;

    // Pulses counted but not yet on disk, by day; and log records not yet
    // appended. Both are retried until written.
    Pendenti pendenti_;
    // One warning per failure streak of each store: set when it is shown,
    // cleared once everything of that store got written.
    bool erroreSegnalato_ = false;
    bool erroreLogSegnalato_ = false;
};
