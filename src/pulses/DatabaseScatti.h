#pragma once
// The pulse database: one row per day with the day's pulses and net amount.
// Opened once for the whole run and held exclusively, so no second program
// writes it meanwhile; every counting step is committed durably on its own.
#include <QDate>
#include <QMap>
#include <QString>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

struct TotaliGiorno {
    qint32 scatti = 0;
    double importo = 0;

    friend bool operator==(const TotaliGiorno&, const TotaliGiorno&) = default;
};

// numero is 0 when the last operation succeeded; otherwise the store's
// extended result code or one of the fixed numbers below.
struct ErroreDatabase {
    int numero = 0;
    QString testo;
};

// What ImpostaGiorno did, so the window knows whether to redraw.
enum class EsitoImpostazione { Nulla, Creato, Aggiornato, Eliminato };

class DatabaseScatti {
public:
    // Our own error numbers, kept clear of the store's result codes.
    static constexpr int ErroreNonDatabaseScatti = 9001;
    static constexpr int ErroreValoreNonValido = 9002;
    static constexpr int ErroreNonAperto = 9003;
    static constexpr int ErroreTotaleFuoriLimite = 9004;
    static constexpr int ErroreInUso = 9005;
    static constexpr int ErroreSoloLettura = 9006;

    DatabaseScatti() = default;
    ~DatabaseScatti();
    DatabaseScatti(const DatabaseScatti&) = delete;
    DatabaseScatti& operator=(const DatabaseScatti&) = delete;

    // Opens the file for exclusive use, creating it with its table when it
    // does not exist (or is empty). A file that is not a pulse database is
    // left exactly as it is and the open fails.
    bool Apri(const QString& percorso);
    // Opens an existing file only to read it, for a program that runs beside
    // no panel: never creates, converts or locks it out for long, and leaves
    // the file byte for byte as it was. Refused while a panel holds it.
    bool ApriInLettura(const QString& percorso);
    void Chiudi();
    bool Aperto() const { return db_ != nullptr; }

    ErroreDatabase UltimoErrore() const { return errore_; }

    // Totals over primo..ultimo, both included; 0 and 0 without rows (also
    // when primo is after ultimo). Nothing on an error.
    std::optional<TotaliGiorno> Somma(QDate primo, QDate ultimo);
    // Thin wrappers: 0 on an error, which UltimoErrore then tells.
    qint32 SommaScatti(QDate primo, QDate ultimo);
    double SommaImporto(QDate primo, QDate ultimo);

    // One counting step on the day's row, created with 0 and 0 when missing;
    // one durable transaction. Negative or non-finite values, and a day total
    // that would pass 32 bits, are refused and leave the row as it was.
    bool AggiungiScatti(QDate giorno, qint32 scatti, double importo);

    // The day's row; nothing when it has none or on an error (*errore tells
    // which, and so does UltimoErrore).
    std::optional<TotaliGiorno> TrovaGiorno(QDate giorno, bool* errore = nullptr);

    // The manual correction of one day. vecchi are the values shown before
    // the editor opened (0 and 0 for a day without a row). Unchanged values
    // write nothing; 0 and 0 deletes the row; a missing row is created only
    // when either new value is above 0. Negative or non-finite new values
    // are refused.
    bool ImpostaGiorno(QDate giorno, TotaliGiorno vecchi, TotaliGiorno nuovi, EsitoImpostazione* esito = nullptr);

    // Deletes every row from the first to the last day of that month.
    bool AzzeraMese(QDate qualsiasiGiorno, int* righeEliminate = nullptr);

    // The rows of primo..ultimo by day, in one query: the calendar marks and
    // the month totals come from it.
    std::optional<QMap<QDate, TotaliGiorno>> Giorni(QDate primo, QDate ultimo);
    std::optional<QMap<QDate, TotaliGiorno>> GiorniDelMese(QDate qualsiasiGiorno);

private:
    bool ErroreSqlite(int codice);
    bool Errore(int numero, const QString& testo);
    bool ControllaAperto();
    bool ControllaScrivibile();
    // Binds the two day keys of a range query; false (and the error set) when
    // the store is closed or a date cannot be a key.
    bool LegaIntervallo(sqlite3_stmt* istruzione, QDate primo, QDate ultimo);
    bool Esegui(const char* sql);
    bool Prepara(sqlite3_stmt** istruzione, const char* sql);
    bool TabellaValida();
    bool ApriFile(const QString& percorso, bool soloLettura);
    void Rilascia();

    sqlite3* db_ = nullptr;
    bool soloLettura_ = false;
    sqlite3_stmt* somma_ = nullptr;
    sqlite3_stmt* aggiungi_ = nullptr;
    sqlite3_stmt* trova_ = nullptr;
    sqlite3_stmt* imposta_ = nullptr;
    sqlite3_stmt* elimina_ = nullptr;
    sqlite3_stmt* azzera_ = nullptr;
    sqlite3_stmt* giorni_ = nullptr;
    ErroreDatabase errore_;
};

// The day as stored in the key: "yyyy-MM-dd". Empty for a date the key
// cannot hold (invalid, or a year outside 1..9999).
QString ChiaveGiorno(const QDate& giorno);
