// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pulse database: one row per day with the day's pulses and net amount.
// Opened once for the whole run and held exclusively, so no second program
// writes it meanwhile; every counting step is committed durably on its own.
#include "common/Totali.h"
#include "pulses/EsitoDb.h"

#include <QByteArray>
#include <QDate>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// What ImpostaGiorno did, so the window knows whether to redraw.
enum class EsitoImpostazione { Nulla, Creato, Aggiornato, Eliminato };

class DatabaseScatti {
public:
    // Our own error numbers, kept clear of the store's result codes.
    static constexpr int ErroreNonDatabaseScatti = 9001;
    static constexpr int ErroreValoreNonValido = 9002;
    static constexpr int ErroreNonAperto = 9003;
    static constexpr int ErroreTotaleFuoriLimite = 9004;
    static constexpr int ErroreFileSostituito = 9005;
    static constexpr int ErroreInUso = 9006;
    static constexpr int ErroreSoloLettura = 9007;

    DatabaseScatti() = default;
    ~DatabaseScatti();
    DatabaseScatti(const DatabaseScatti&) = delete;
    DatabaseScatti& operator=(const DatabaseScatti&) = delete;

    // Opens the file for exclusive use, creating it with its table when it
    // does not exist (or is empty), and checks all of it. Nothing in an
    // existing file changes until the first write: a file refused now, or
    // whose totals cannot be read, stays exactly as it was. The full check
    // is skipped for a file that is still exactly as a clean close left it,
    // which the close records beside it in "<file>-verificato".
    EsitoDb<> Apri(const QString& percorso);
    // Opens an existing file only to read it, for a program that runs beside
    // no panel: never creates, converts or locks it out for long, and leaves
    // the file byte for byte as it was. Refused while a panel holds it.
    EsitoDb<> ApriInLettura(const QString& percorso);
    // Closes; after an open for writing, seals the file (see Apri).
    void Chiudi();

    // Totals over primo..ultimo, both included; 0 and 0 without rows (also
    // when primo is after ultimo).
    EsitoDb<Totali> Somma(QDate primo, QDate ultimo);

    // The pulses of a recovery file identified by id, in one transaction
    // with the id and the log's length then (logAttuale). A known id adds
    // nothing. Gives the log's length stored with the id.
    EsitoDb<qint64> AggiungiRecupero(const QByteArray& id, const std::map<QDate, Totali>& scatti, qint64 logAttuale);

    // One counting step on the day's row, created with 0 and 0 when missing;
    // one durable transaction. Negative or non-finite values, and a day total
    // that would pass 32 bits, are refused and leave the row as it was. So
    // is a step when the file at the path is no longer the one opened (its
    // folder was removed or replaced): it would be written nowhere.
    EsitoDb<> AggiungiScatti(QDate giorno, qint32 scatti, double importo);

    // The day's row, or nothing when it has none.
    EsitoDb<std::optional<Totali>> TrovaGiorno(QDate giorno);

    // The manual correction of one day. vecchi are the values shown before
    // the editor opened (0 and 0 for a day without a row). Unchanged values
    // write nothing; 0 and 0 deletes the row; a missing row is created only
    // when either new value is above 0. Negative or non-finite new values
    // are refused.
    EsitoDb<EsitoImpostazione> ImpostaGiorno(QDate giorno, Totali vecchi, Totali nuovi);

    // Deletes every row from the first to the last day of that month; gives
    // how many.
    EsitoDb<int> AzzeraMese(QDate qualsiasiGiorno);

    // The rows of primo..ultimo by day, in one query: the calendar marks,
    // the month totals and the bill report come from it.
    EsitoDb<QMap<QDate, Totali>> Giorni(QDate primo, QDate ultimo);
    // The same rows one by one in order of day, each with its key as stored
    // ("yyyy-MM-dd", 10 bytes): what a long report streams without a map.
    using Riga = std::function<void(const char* chiave, const QDate& giorno, const Totali& totali)>;
    EsitoDb<> PerOgniGiorno(QDate primo, QDate ultimo, const Riga& riga);
    EsitoDb<QMap<QDate, Totali>> GiorniDelMese(QDate qualsiasiGiorno);

private:
    ErroreDatabase ErroreSqlite(int codice) const;
    // The store open, and ready for writing when asked.
    std::optional<ErroreDatabase> ControllaAperto(bool scrittura);
    std::optional<ErroreDatabase> Esegui(const char* sql);
    std::optional<ErroreDatabase> Prepara(sqlite3_stmt** istruzione, const char* sql);
    // The table's shape, and with integrita the full integrity check.
    std::optional<ErroreDatabase> TabellaValida(bool integrita);
    std::optional<ErroreDatabase> PreparaIstruzioni();
    EsitoDb<> ApriFile(const QString& percorso, bool soloLettura);
    std::optional<ErroreDatabase> PreparaConnessione(const QString& percorso, bool nuovo, bool soloLettura);
    // The panel's own open: the lock for the whole run, the table in a new file.
    std::optional<ErroreDatabase> PreparaUsoEsclusivo(bool nuovo);
    // The file and its log or journal copied into a private folder; the copy's path.
    EsitoDb<QString> CopiaPrivata(const QString& percorso);
    void Rilascia();
    void Sigilla();

    sqlite3* db_ = nullptr;
    QString percorso_;
    quint64 dispositivo_ = 0, inode_ = 0; // the file opened, to notice a replaced one
    bool inScrittura_ = false;            // switched to the write-ahead log
    bool soloLettura_ = false;
    std::unique_ptr<QTemporaryDir> copia_; // where a read-only open reads a file with its log
    QByteArray visto_;                     // the file as this run last left it (see Sigillato)
    sqlite3_stmt* somma_ = nullptr;
    sqlite3_stmt* aggiungi_ = nullptr;
    sqlite3_stmt* trova_ = nullptr;
    sqlite3_stmt* imposta_ = nullptr;
    sqlite3_stmt* elimina_ = nullptr;
    sqlite3_stmt* azzera_ = nullptr;
    sqlite3_stmt* giorni_ = nullptr;
};

// The day as stored in the key: "yyyy-MM-dd". Empty for a date the key
// cannot hold (invalid, or a year outside 1..9999).
QString ChiaveGiorno(const QDate& giorno);
