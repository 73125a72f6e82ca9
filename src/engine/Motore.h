#pragma once
// The counting engine: turns elapsed time into pulses and pulses into lire,
// keeps the connection, day and bill totals, and stores every pulse at once.
#include "engine/Orologio.h"
#include "engine/Vista.h"
#include "settings/Impostazioni.h"

#include "log/FileLog.h"

#include <QDate>
#include <QDateTime>
#include <array>
#include <map>
#include <vector>

class DatabaseScatti;
class Interlocutore;
class Allarmi;

// How a count is stopped.
enum class TipoArresto : qint16 { Manuale = 1, FineConnessione = 2, Uscita = 3 };

struct Totali {
    qint32 scatti = 0;
    double importo = 0;
};

class Motore {
public:
    Motore(Impostazioni& imp, DatabaseScatti& db, FileLog& log, const Orologio& orologio, Interlocutore& messaggi,
           Riproduttore& suoni);
    ~Motore();

    // The window that draws the engine's state; set once at start-up.
    void ImpostaVista(VistaMotore& vista) { vista_ = &vista; }
    void ImpostaAllarmi(Allarmi* allarmi) { allarmi_ = allarmi; }

    // Day and bill totals from the database: at start-up and when the bill
    // window closes. False when the database could not be read.
    bool CaricaTotali();

    // Start button, F2, menu, "/START" or a connection coming up.
    void AvviaConteggio();
    bool FermaContatore(TipoArresto tipo);
    // One tick of the pulse timer.
    void TimerScatto_Timer();
    // Writes still pending after a failure (a pulse or a log record); tried at
    // every step, and once more at exit.
    bool RiprovaScritture();

    // Connection being watched by detection, 0 when none.
    quint32 ManigliaConnessione = 0;
    QString NomeConnessione;

    bool ConteggioAttivo() const { return attivo_; }
    bool RiduzioneAttiva() const { return riduzione_; }
    qint32 ScattiConnessione() const { return connessione_.scatti; }
    double ImportoConnessione() const { return connessione_.importo; }
    float SecondiConnessione() const { return secondiConnessione_; }
    qint32 ScattiOggi() const { return oggi_.scatti; }
    double ImportoOggi() const { return oggi_.importo; }
    QDate DataOggi() const { return dataOggi_; }
    qint32 ScattiPeriodo() const { return periodo_.scatti; }
    double ImportoPeriodo() const { return periodo_.importo; }
    QDateTime InizioConnessione() const { return inizioConnessione_; }
    float DurataScatto() const { return durataScatto_; }
    // Alarm n (1..4) already raised in this count.
    std::array<bool, NumeroAllarmi + 1> MessaggioDato{};
    // Totals of the period 1 connection, 2 day, 3 bill.
    Totali TotaliDelPeriodo(int periodo) const;

private:
    void AggiornaConteggio();
    void RegistraScatto(bool primoScatto);
    Totali SommaConPendenti(const QDate& primo, const QDate& ultimo, bool* ok);
    bool ScriviPendenti();
    bool ScriviLogPendenti();
    void SegnalaErroreDatabase();
    void Suona(Suono s);

    Impostazioni& imp_;
    DatabaseScatti& db_;
    FileLog& log_;
    const Orologio& orologio_;
    VistaMotore* vista_;
    Interlocutore& messaggi_;
    Riproduttore& suoni_;
    Allarmi* allarmi_ = nullptr;

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
    std::map<QDate, Totali> pendenti_;
    std::vector<RecordLog> logPendenti_;
    bool erroreSegnalato_ = false;
};
