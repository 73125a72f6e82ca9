// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The counting engine: turns elapsed time into pulses and pulses into lire,
// keeps the connection, day and bill totals, and stores every pulse at once.
#include "common/Totali.h"
#include "engine/Allarmi.h"
#include "engine/Conteggio.h"
#include "engine/Orologio.h"
#include "engine/Recupero.h"
#include "settings/Impostazioni.h"

#include "log/FileLog.h"
#include "pulses/EsitoDb.h"

#include <QDate>
#include <QDateTime>
#include <map>
#include <vector>

class DatabaseScatti;

// It never asks anybody: an order to stop stops at once, whatever its kind;
// the controller asks the user first where that is the rule.
class Motore : public ComandoConteggio {
public:
    Motore(Impostazioni& imp, DatabaseScatti& db, FileLog& log, const Orologio& orologio);
    ~Motore() override;

    // Who hears what happens (the controller); set once at start-up.
    void ImpostaEventi(EventiMotore& eventi) { eventi_ = &eventi; }

    // Day and bill totals from the database: at start-up and when the bill
    // window closes. On failure, the first error met.
    EsitoDb<> CaricaTotali();

    void AvviaConteggio(const QString& nomeConnessione = {}) override;
    bool FermaContatore(TipoArresto tipo) override;
    void RinominaConnessione(const QString& nome) override
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

    bool ConteggioAttivo() const override { return attivo_; }
    // Tells a later answer which count it was asked about.
    quint64 NumeroConteggio() const { return numeroConteggio_; }
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
    void ControllaCosti();
    void Allarme(int n);

    Impostazioni& imp_;
    DatabaseScatti& db_;
    FileLog& log_;
    const Orologio& orologio_;
    EventiMotore* eventi_;
    Allarmi allarmi_;
    AllarmiDati messaggioDato_{};
    QString nomeConnessione_;

    bool attivo_ = false;
    quint64 numeroConteggio_ = 0;
    double inizioIntervallo_ = 0; // monotonic seconds at which the interval began
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
