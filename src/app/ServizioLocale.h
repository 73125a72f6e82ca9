// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The running panel answers later starts of the program on a local socket
// that only the user can reach, one request line per connection:
//   "mostra"                    brings the panel forward; answer "ok"
//   "avvia"                     the same, and starts a count; answer "ok"
//   "rapporto [DA A]"           the figures of a report over DA..A (ISO
//                               days), else over the stored bill period
// An answer that goes wrong is one line "errore TEXT".
#include "common/Totali.h"
#include "pulses/DatabaseScatti.h"

#include <QByteArray>
#include <QDate>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTime>
#include <functional>
#include <optional>

struct Impostazioni;

// What a report is made of: the range, the day it is asked on (and the time,
// when known, which the estimate scales by), the VAT rate and the stored rows
// of the range.
struct DatiRapporto {
    QDate inizio, fine, oggi;
    int percentualeIva = 0;
    QMap<QDate, Totali> righe;
    QTime ora;

    friend bool operator==(const DatiRapporto&, const DatiRapporto&) = default;
};

// The rows of da..a (the bill period of imp when both are invalid) from db,
// with inAttesa (pulses counted but not yet on disk) added to their days.
// Nothing on a read error, which *errore then tells.
std::optional<DatiRapporto> RaccogliDatiRapporto(DatabaseScatti& db, const Impostazioni& imp, QDate da, QDate a,
                                                 QDate oggi, const std::map<QDate, Totali>& inAttesa = {},
                                                 ErroreDatabase* errore = nullptr);

// The wire form: numbers written so they read back exactly. The first line
// ends with the time of day in milliseconds when it is known; an answer
// without it (an earlier panel) counts today whole.
QByteArray CodificaDati(const DatiRapporto& dati);
// CodificaDati of RaccogliDatiRapporto's figures with the time ora, written
// straight from the rows as the store gives them, with no map between: the
// panel answers a report of ten years in about twice the bare query's time.
std::optional<QByteArray> CodificaRapporto(DatabaseScatti& db, const Impostazioni& imp, QDate da, QDate a, QDate oggi,
                                           QTime ora, const std::map<QDate, Totali>& inAttesa = {},
                                           ErroreDatabase* errore = nullptr);
std::optional<DatiRapporto> DecodificaDati(const QByteArray& testo);

// The socket of the copy that runs on cartellaDati in the runtime folder
// cartellaEsecuzione, named after the data folder; empty when that path
// would be too long for a socket.
QString NomeServizio(const QString& cartellaDati, const QString& cartellaEsecuzione);
// Where the copy on cartellaDati listens (pannello: creating its own folder
// when needed), or may be listening, the first place first. Only folders of
// the user's own that nobody else may enter.
QStringList NomiServizio(const QString& cartellaDati, bool pannello);
// The first of the panel's places.
QString NomeServizio(const QString& cartellaDati);
// Whether the other end of a local socket runs as this user.
bool StessoUtente(qintptr descrittore);

class QSocketNotifier;

class ServizioLocale : public QObject {
    Q_OBJECT
public:
    explicit ServizioLocale(const QString& nome, QObject* genitore = nullptr);
    ~ServizioLocale() override;

    // Starts listening. A socket left behind by a run that died is taken
    // over; one where a live server answers is left alone (false).
    bool Ascolta(QString* errore = nullptr);
    const QString& Nome() const { return nome_; }

    std::function<void()> Mostra;
    std::function<void()> Avvia;
    // The answer to a report over da..a, in the wire form.
    std::function<std::optional<QByteArray>(QDate da, QDate a, QString* errore)> Rapporto;

    // The answer to one request line, without its line end.
    QByteArray Rispondi(const QByteArray& richiesta);

    // Longest request line accepted, and how long a client may take to send it.
    static constexpr int RigaMassima = 256;
    static constexpr int AttesaRichiestaMs = 5000;

private:
    class Connessione;
    void NuovaConnessione();

    QString nome_;
    int ascolto_ = -1;                    // the listening socket
    QSocketNotifier* notifica_ = nullptr; // and what watches it
    quint64 dispositivo_ = 0, inode_ = 0; // its file, removed at the end if still the same
};

// The client side, for later starts of the program.
enum class EsitoRichiesta { NessunServizio, Risposta, Errore };
struct RispostaServizio {
    EsitoRichiesta esito = EsitoRichiesta::NessunServizio;
    QByteArray testo; // the whole answer
    QString errore;   // with Errore
};

// Sends one request and waits for the whole answer, at most attesaMs.
RispostaServizio ChiediServizio(const QString& nome, const QByteArray& richiesta, int attesaMs);
// Hands the running copy "mostra" (or "avvia" to start a count too) without
// waiting for it: true when it was delivered.
bool ChiediMostra(const QString& nome, bool avvia = false);
// The figures of a report from the running copy; da and a both invalid for
// the bill period. NessunServizio when none runs on that socket.
std::optional<DatiRapporto> ChiediRapporto(const QString& nome, QDate da, QDate a, EsitoRichiesta* esito,
                                           QString* errore);
