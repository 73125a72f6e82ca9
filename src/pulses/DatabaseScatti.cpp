#include "pulses/DatabaseScatti.h"

#include <QFile>
#include <QFileInfo>
#include <limits>
#include <sqlite3.h>

namespace {

// Resets and clears the bindings of a statement when leaving a scope.
struct Uso {
    sqlite3_stmt* s;
    ~Uso()
    {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
};

int Lega(sqlite3_stmt* s, int i, const QString& testo)
{
    const QByteArray utf8 = testo.toUtf8();
    return sqlite3_bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

} // namespace

QString ChiaveGiorno(const QDate& giorno)
{
    if (!giorno.isValid() || giorno.year() < 1 || giorno.year() > 9999)
        return {};
    return giorno.toString(QStringLiteral("yyyy-MM-dd"));
}

DatabaseScatti::~DatabaseScatti()
{
    Chiudi();
}

bool DatabaseScatti::Errore(int numero, const QString& testo)
{
    errore_ = {numero, testo};
    return false;
}

bool DatabaseScatti::ErroreSqlite(int codice)
{
    const char* testo = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(codice);
    return Errore(codice, QString::fromUtf8(testo));
}

bool DatabaseScatti::ControllaAperto()
{
    if (db_)
        return true;
    return Errore(ErroreNonAperto, QStringLiteral("il database degli scatti non è aperto"));
}

bool DatabaseScatti::Esegui(const char* sql)
{
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK || ErroreSqlite(sqlite3_extended_errcode(db_));
}

bool DatabaseScatti::Prepara(sqlite3_stmt** istruzione, const char* sql)
{
    const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, istruzione, nullptr);
    return rc == SQLITE_OK || ErroreSqlite(sqlite3_extended_errcode(db_));
}

bool DatabaseScatti::TabellaValida()
{
    sqlite3_stmt* info = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA table_info(Scatti)", -1, &info, nullptr) != SQLITE_OK)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    bool data = false, scatti = false, importo = false;
    int rc;
    while ((rc = sqlite3_step(info)) == SQLITE_ROW) {
        const QString nome = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 1)));
        const int chiave = sqlite3_column_int(info, 5);
        data |= nome == QLatin1String("DataScatti") && chiave == 1;
        scatti |= nome == QLatin1String("NumeroScatti");
        importo |= nome == QLatin1String("Importo");
    }
    sqlite3_finalize(info);
    if (rc != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    if (!(data && scatti && importo))
        return Errore(ErroreNonDatabaseScatti, QStringLiteral("il file non è un database degli scatti"));
    return true;
}

bool DatabaseScatti::Apri(const QString& percorso)
{
    Chiudi();
    errore_ = {};
    const QFileInfo info(percorso);
    const bool nuovo = !info.exists() || info.size() == 0;
    if (!nuovo) {
        // Look before the store touches it: a file of another kind is left
        // exactly as it is.
        QFile f(percorso);
        if (!f.open(QIODevice::ReadOnly))
            return Errore(ErroreNonDatabaseScatti, f.errorString());
        if (f.read(16) != QByteArray("SQLite format 3\0", 16))
            return Errore(ErroreNonDatabaseScatti, QStringLiteral("il file non è un database degli scatti"));
    }
    const int flags = SQLITE_OPEN_READWRITE | (nuovo ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(QFile::encodeName(percorso).constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        ErroreSqlite(rc);
        Rilascia();
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    // Held exclusively for the whole run; write-ahead log with a full sync,
    // so every committed step survives a crash or a power cut.
    bool ok = Esegui("PRAGMA locking_mode=EXCLUSIVE");
    if (ok && nuovo)
        ok = Esegui("CREATE TABLE IF NOT EXISTS Scatti (DataScatti TEXT PRIMARY KEY NOT NULL, "
                    "NumeroScatti INTEGER NOT NULL DEFAULT 0, Importo REAL NOT NULL DEFAULT 0)");
    ok = ok && TabellaValida() && Esegui("PRAGMA journal_mode=WAL") && Esegui("PRAGMA synchronous=FULL")
        && Esegui("BEGIN EXCLUSIVE") && Esegui("COMMIT");
    ok = ok
        && Prepara(&somma_, "SELECT COALESCE(SUM(NumeroScatti),0), COALESCE(SUM(Importo),0) FROM Scatti "
                            "WHERE DataScatti BETWEEN ?1 AND ?2")
        && Prepara(&aggiungi_, "INSERT INTO Scatti (DataScatti, NumeroScatti, Importo) VALUES (?1, ?2, ?3) "
                               "ON CONFLICT(DataScatti) DO UPDATE SET NumeroScatti = NumeroScatti + ?2, "
                               "Importo = Importo + ?3")
        && Prepara(&trova_, "SELECT NumeroScatti, Importo FROM Scatti WHERE DataScatti = ?1")
        && Prepara(&imposta_, "INSERT OR REPLACE INTO Scatti (DataScatti, NumeroScatti, Importo) VALUES (?1, ?2, ?3)")
        && Prepara(&elimina_, "DELETE FROM Scatti WHERE DataScatti = ?1")
        && Prepara(&azzera_, "DELETE FROM Scatti WHERE DataScatti BETWEEN ?1 AND ?2")
        && Prepara(&giorni_, "SELECT DataScatti, NumeroScatti, Importo FROM Scatti "
                             "WHERE DataScatti BETWEEN ?1 AND ?2 ORDER BY DataScatti");
    if (!ok) {
        const ErroreDatabase e = errore_;
        Rilascia();
        errore_ = e.numero ? e : ErroreDatabase{ErroreNonDatabaseScatti, QStringLiteral("apertura non riuscita")};
        if (errore_.numero == SQLITE_NOTADB || errore_.numero == SQLITE_CORRUPT)
            errore_.numero = ErroreNonDatabaseScatti;
        return false;
    }
    return true;
}

void DatabaseScatti::Rilascia()
{
    for (sqlite3_stmt** s : {&somma_, &aggiungi_, &trova_, &imposta_, &elimina_, &azzera_, &giorni_}) {
        sqlite3_finalize(*s);
        *s = nullptr;
    }
    if (db_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
}

void DatabaseScatti::Chiudi()
{
    Rilascia();
}

std::optional<TotaliGiorno> DatabaseScatti::Somma(QDate primo, QDate ultimo)
{
    if (!ControllaAperto())
        return std::nullopt;
    errore_ = {};
    Uso uso{somma_};
    Lega(somma_, 1, ChiaveGiorno(primo));
    Lega(somma_, 2, ChiaveGiorno(ultimo));
    if (sqlite3_step(somma_) != SQLITE_ROW) {
        ErroreSqlite(sqlite3_extended_errcode(db_));
        return std::nullopt;
    }
    const qint64 scatti = sqlite3_column_int64(somma_, 0);
    if (scatti > std::numeric_limits<qint32>::max() || scatti < std::numeric_limits<qint32>::min()) {
        Errore(ErroreTotaleFuoriLimite, QStringLiteral("totale degli scatti fuori limite"));
        return std::nullopt;
    }
    return TotaliGiorno{qint32(scatti), sqlite3_column_double(somma_, 1)};
}

qint32 DatabaseScatti::SommaScatti(QDate primo, QDate ultimo)
{
    return Somma(primo, ultimo).value_or(TotaliGiorno{}).scatti;
}

double DatabaseScatti::SommaImporto(QDate primo, QDate ultimo)
{
    return Somma(primo, ultimo).value_or(TotaliGiorno{}).importo;
}

bool DatabaseScatti::AggiungiScatti(QDate giorno, qint32 scatti, double importo)
{
    if (!ControllaAperto())
        return false;
    const QString chiave = ChiaveGiorno(giorno);
    if (chiave.isEmpty())
        return Errore(ErroreValoreNonValido, QStringLiteral("data non valida"));
    errore_ = {};
    Uso uso{aggiungi_};
    Lega(aggiungi_, 1, chiave);
    sqlite3_bind_int64(aggiungi_, 2, scatti);
    sqlite3_bind_double(aggiungi_, 3, importo);
    return sqlite3_step(aggiungi_) == SQLITE_DONE || ErroreSqlite(sqlite3_extended_errcode(db_));
}

std::optional<TotaliGiorno> DatabaseScatti::TrovaGiorno(QDate giorno, bool* errore)
{
    if (errore)
        *errore = false;
    if (!ControllaAperto()) {
        if (errore)
            *errore = true;
        return std::nullopt;
    }
    errore_ = {};
    Uso uso{trova_};
    Lega(trova_, 1, ChiaveGiorno(giorno));
    const int rc = sqlite3_step(trova_);
    if (rc == SQLITE_ROW)
        return TotaliGiorno{qint32(sqlite3_column_int64(trova_, 0)), sqlite3_column_double(trova_, 1)};
    if (rc != SQLITE_DONE) {
        ErroreSqlite(sqlite3_extended_errcode(db_));
        if (errore)
            *errore = true;
    }
    return std::nullopt;
}

bool DatabaseScatti::ImpostaGiorno(QDate giorno, TotaliGiorno vecchi, TotaliGiorno nuovi, EsitoImpostazione* esito)
{
    if (esito)
        *esito = EsitoImpostazione::Nulla;
    if (nuovi == vecchi)
        return true;
    bool errore = false;
    const auto riga = TrovaGiorno(giorno, &errore);
    if (errore)
        return false;
    const QString chiave = ChiaveGiorno(giorno);
    if (chiave.isEmpty())
        return Errore(ErroreValoreNonValido, QStringLiteral("data non valida"));
    const bool zero = nuovi.scatti == 0 && nuovi.importo == 0;
    if (!riga && !(nuovi.scatti > 0 || nuovi.importo > 0))
        return true;
    if (riga && zero) {
        Uso uso{elimina_};
        Lega(elimina_, 1, chiave);
        if (sqlite3_step(elimina_) != SQLITE_DONE)
            return ErroreSqlite(sqlite3_extended_errcode(db_));
        if (esito)
            *esito = EsitoImpostazione::Eliminato;
        return true;
    }
    if (riga && *riga == nuovi)
        return true;
    Uso uso{imposta_};
    Lega(imposta_, 1, chiave);
    sqlite3_bind_int64(imposta_, 2, nuovi.scatti);
    sqlite3_bind_double(imposta_, 3, nuovi.importo);
    if (sqlite3_step(imposta_) != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    if (esito)
        *esito = riga ? EsitoImpostazione::Aggiornato : EsitoImpostazione::Creato;
    return true;
}

bool DatabaseScatti::AzzeraMese(QDate qualsiasiGiorno, int* righeEliminate)
{
    if (!ControllaAperto())
        return false;
    const QDate primo(qualsiasiGiorno.year(), qualsiasiGiorno.month(), 1);
    Uso uso{azzera_};
    Lega(azzera_, 1, ChiaveGiorno(primo));
    Lega(azzera_, 2, ChiaveGiorno(primo.addMonths(1).addDays(-1)));
    if (sqlite3_step(azzera_) != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    if (righeEliminate)
        *righeEliminate = sqlite3_changes(db_);
    return true;
}

std::optional<QMap<QDate, TotaliGiorno>> DatabaseScatti::Giorni(QDate primo, QDate ultimo)
{
    if (!ControllaAperto())
        return std::nullopt;
    Uso uso{giorni_};
    Lega(giorni_, 1, ChiaveGiorno(primo));
    Lega(giorni_, 2, ChiaveGiorno(ultimo));
    QMap<QDate, TotaliGiorno> giorni;
    int rc;
    while ((rc = sqlite3_step(giorni_)) == SQLITE_ROW) {
        const QDate d = QDate::fromString(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(giorni_, 0))), QStringLiteral("yyyy-MM-dd"));
        if (d.isValid())
            giorni.insert(d, {qint32(sqlite3_column_int64(giorni_, 1)), sqlite3_column_double(giorni_, 2)});
    }
    if (rc != SQLITE_DONE) {
        ErroreSqlite(sqlite3_extended_errcode(db_));
        return std::nullopt;
    }
    return giorni;
}

std::optional<QMap<QDate, TotaliGiorno>> DatabaseScatti::GiorniDelMese(QDate qualsiasiGiorno)
{
    const QDate primo(qualsiasiGiorno.year(), qualsiasiGiorno.month(), 1);
    return Giorni(primo, primo.addMonths(1).addDays(-1));
}
