#include "pulses/DatabaseScatti.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace {

// Resets and clears the bindings of a statement when leaving a scope.
struct Uso {
    sqlite3_stmt* s;
    ~Uso()
    {
        if (!s)
            return;  // the store was never opened
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
};

int Lega(sqlite3_stmt* s, int i, const QString& testo)
{
    const QByteArray utf8 = testo.toUtf8();
    return sqlite3_bind_text(s, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// Pulses as stored: an integer, a real written by another tool, or null.
// A value that does not fit 32 bits is refused, never wrapped.
std::optional<qint32> LeggiScatti(sqlite3_stmt* s, int colonna)
{
    double v = 0;
    switch (sqlite3_column_type(s, colonna)) {
    case SQLITE_NULL: return 0;
    case SQLITE_FLOAT: v = std::round(sqlite3_column_double(s, colonna)); break;
    default: v = double(sqlite3_column_int64(s, colonna)); break;
    }
    if (!(v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(v);
}

// A counting step or a corrected day is never negative, and a non-finite
// amount would turn into a null the sums then skip.
bool ValoriValidi(qint32 scatti, double importo)
{
    return scatti >= 0 && std::isfinite(importo) && importo >= 0;
}

QDate PrimoDelMese(const QDate& giorno)
{
    return giorno.isValid() ? QDate(giorno.year(), giorno.month(), 1) : QDate();
}

// The day of a key as ChiaveGiorno writes it; invalid for any other text.
// Read by hand: a report of years reads one per row.
QDate GiornoDaChiave(const char* testo, int lunghezza)
{
    if (!testo || lunghezza != 10 || testo[4] != '-' || testo[7] != '-')
        return {};
    int campi[3] = {0, 0, 0};
    const int inizi[3] = {0, 5, 8}, cifre[3] = {4, 2, 2};
    for (int c = 0; c < 3; ++c)
        for (int i = inizi[c]; i < inizi[c] + cifre[c]; ++i) {
            if (testo[i] < '0' || testo[i] > '9')
                return {};
            campi[c] = campi[c] * 10 + (testo[i] - '0');
        }
    return QDate(campi[0], campi[1], campi[2]);
}

const QString FuoriLimite = QStringLiteral("gli scatti superano il limite di 2147483647");

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
    if (db_) {
        errore_ = {};
        return true;
    }
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
    const QString estraneo = QStringLiteral("il file non è un database degli scatti");
    // A view or an index named Scatti is not the table.
    sqlite3_stmt* info = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT type FROM sqlite_schema WHERE name = 'Scatti'", -1, &info, nullptr) != SQLITE_OK)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    int rc = sqlite3_step(info);
    const bool tabella = rc == SQLITE_ROW
        && QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(info, 0))) == "table";
    sqlite3_finalize(info);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    if (!tabella)
        return Errore(ErroreNonDatabaseScatti, estraneo);

    // The key is the day alone, and every other column is one that an insert
    // of the three fields may leave out.
    if (sqlite3_prepare_v2(db_, "PRAGMA table_info(Scatti)", -1, &info, nullptr) != SQLITE_OK)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    bool data = false, scatti = false, importo = false, altre = true;
    while ((rc = sqlite3_step(info)) == SQLITE_ROW) {
        const QString nome = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 1)));
        const bool nonNullo = sqlite3_column_int(info, 3) != 0;
        const bool predefinito = sqlite3_column_type(info, 4) != SQLITE_NULL;
        const int chiave = sqlite3_column_int(info, 5);
        if (nome == QLatin1String("DataScatti"))
            data = chiave == 1;
        else if (chiave != 0)
            altre = false;
        else if (nome == QLatin1String("NumeroScatti"))
            scatti = true;
        else if (nome == QLatin1String("Importo"))
            importo = true;
        else if (nonNullo && !predefinito)
            altre = false;
    }
    sqlite3_finalize(info);
    if (rc != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    if (!(data && scatti && importo && altre))
        return Errore(ErroreNonDatabaseScatti, estraneo);

    // A damaged file is refused before anything is written into it.
    if (sqlite3_prepare_v2(db_, "PRAGMA quick_check", -1, &info, nullptr) != SQLITE_OK)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    rc = sqlite3_step(info);
    const QString esito =
        rc == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 0))) : QString();
    sqlite3_finalize(info);
    if (rc != SQLITE_ROW)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    if (esito != QLatin1String("ok"))
        return Errore(SQLITE_CORRUPT, QStringLiteral("il database degli scatti è danneggiato: %1").arg(esito));
    return true;
}

bool DatabaseScatti::Apri(const QString& percorso)
{
    return ApriFile(percorso, false);
}

bool DatabaseScatti::ApriInLettura(const QString& percorso)
{
    return ApriFile(percorso, true);
}

bool DatabaseScatti::ApriFile(const QString& percorso, bool soloLettura)
{
    Chiudi();
    errore_ = {};
    const QFileInfo info(percorso);
    const bool nuovo = !info.exists() || info.size() == 0;
    if (nuovo && soloLettura)
        return Errore(SQLITE_CANTOPEN, QStringLiteral("il file non esiste o è vuoto"));
    if (!nuovo) {
        // Look before the store touches it: a file of another kind is left
        // exactly as it is.
        QFile f(percorso);
        if (!f.open(QIODevice::ReadOnly))
            return Errore(SQLITE_CANTOPEN, f.errorString());
        if (f.read(16) != QByteArray("SQLite format 3\0", 16))
            return Errore(ErroreNonDatabaseScatti, QStringLiteral("il file non è un database degli scatti"));
    }
    int flags = SQLITE_OPEN_READWRITE | (nuovo ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    QByteArray nome = QFile::encodeName(percorso);
    if (soloLettura) {
        // A panel holding the file always has its write-ahead log beside it.
        // Without a log or journal nobody writes the file, and it is read as
        // it lies: no lock, no side file. With one (a panel, or a run that
        // crashed) it is read too, under the store's ordinary read lock,
        // which a panel holding the file refuses.
        const bool registro = QFileInfo::exists(percorso + QStringLiteral("-wal"))
            || QFileInfo::exists(percorso + QStringLiteral("-journal"));
        QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        url.setQuery(registro ? QStringLiteral("mode=ro") : QStringLiteral("mode=ro&immutable=1"));
        nome = url.toEncoded();
        flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    }
    const int rc = sqlite3_open_v2(nome.constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        ErroreSqlite(rc);
        Rilascia();
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    bool ok = true;
    if (soloLettura) {
        ok = TabellaValida();
    } else {
        // A reader that holds the file for a moment delays the start instead
        // of stopping it.
        sqlite3_busy_timeout(db_, 500);
        // Closing a file in WAL mode folds its log back into it: not before
        // the file is known to be ours, so a foreign one stays as it was.
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        // Held exclusively for the whole run; write-ahead log with a full
        // sync, so every committed step survives a crash or a power cut.
        ok = Esegui("PRAGMA locking_mode=EXCLUSIVE");
        if (ok && nuovo)
            ok = Esegui("CREATE TABLE IF NOT EXISTS Scatti (DataScatti TEXT PRIMARY KEY NOT NULL, "
                        "NumeroScatti INTEGER NOT NULL DEFAULT 0, Importo REAL NOT NULL DEFAULT 0)");
        ok = ok && TabellaValida();
        if (ok)
            sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
        ok = ok && Esegui("PRAGMA journal_mode=WAL") && Esegui("PRAGMA synchronous=FULL")
            && Esegui("BEGIN EXCLUSIVE") && Esegui("COMMIT")
            && Prepara(&aggiungi_, "INSERT INTO Scatti (DataScatti, NumeroScatti, Importo) VALUES (?1, ?2, ?3) "
                                   "ON CONFLICT(DataScatti) DO UPDATE SET "
                                   "NumeroScatti = coalesce(NumeroScatti, 0) + ?2, "
                                   "Importo = coalesce(Importo, 0) + ?3 "
                                   "WHERE coalesce(NumeroScatti, 0) + ?2 <= 2147483647")
            && Prepara(&imposta_, "INSERT INTO Scatti (DataScatti, NumeroScatti, Importo) VALUES (?1, ?2, ?3) "
                                  "ON CONFLICT(DataScatti) DO UPDATE SET NumeroScatti = ?2, Importo = ?3")
            && Prepara(&elimina_, "DELETE FROM Scatti WHERE DataScatti = ?1")
            && Prepara(&azzera_, "DELETE FROM Scatti WHERE DataScatti BETWEEN ?1 AND ?2");
    }
    ok = ok
        && Prepara(&somma_, "SELECT COALESCE(SUM(NumeroScatti),0), COALESCE(SUM(Importo),0) FROM Scatti "
                            "WHERE DataScatti BETWEEN ?1 AND ?2")
        && Prepara(&trova_, "SELECT NumeroScatti, Importo FROM Scatti WHERE DataScatti = ?1")
        && Prepara(&giorni_, "SELECT DataScatti, NumeroScatti, Importo FROM Scatti "
                             "WHERE DataScatti BETWEEN ?1 AND ?2 ORDER BY DataScatti");
    if (!ok) {
        const ErroreDatabase e = errore_;
        Rilascia();
        errore_ = e.numero ? e : ErroreDatabase{ErroreNonDatabaseScatti, QStringLiteral("apertura non riuscita")};
        if (errore_.numero == SQLITE_NOTADB || errore_.numero == SQLITE_CORRUPT)
            errore_.numero = ErroreNonDatabaseScatti;
        else if (soloLettura && ((errore_.numero & 0xff) == SQLITE_BUSY || (errore_.numero & 0xff) == SQLITE_LOCKED))
            errore_ = {ErroreInUso, QStringLiteral("il database degli scatti è tenuto da Velatrix in esecuzione")};
        return false;
    }
    soloLettura_ = soloLettura;
    return true;
}

bool DatabaseScatti::ControllaScrivibile()
{
    if (!ControllaAperto())
        return false;
    if (soloLettura_)
        return Errore(ErroreSoloLettura, QStringLiteral("il database degli scatti è aperto in sola lettura"));
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
    soloLettura_ = false;
}

void DatabaseScatti::Chiudi()
{
    Rilascia();
}

bool DatabaseScatti::LegaIntervallo(sqlite3_stmt* istruzione, QDate primo, QDate ultimo)
{
    if (!ControllaAperto())
        return false;
    const QString d1 = ChiaveGiorno(primo), d2 = ChiaveGiorno(ultimo);
    if (d1.isEmpty() || d2.isEmpty())
        return Errore(ErroreValoreNonValido, QStringLiteral("data non valida"));
    Lega(istruzione, 1, d1);
    Lega(istruzione, 2, d2);
    return true;
}

std::optional<TotaliGiorno> DatabaseScatti::Somma(QDate primo, QDate ultimo)
{
    Uso uso{somma_};
    if (!LegaIntervallo(somma_, primo, ultimo))
        return std::nullopt;
    if (sqlite3_step(somma_) != SQLITE_ROW) {
        ErroreSqlite(sqlite3_extended_errcode(db_));
        return std::nullopt;
    }
    const std::optional<qint32> scatti = LeggiScatti(somma_, 0);
    if (!scatti) {
        Errore(ErroreTotaleFuoriLimite, FuoriLimite);
        return std::nullopt;
    }
    return TotaliGiorno{*scatti, sqlite3_column_double(somma_, 1)};
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
    if (!ControllaScrivibile())
        return false;
    const QString chiave = ChiaveGiorno(giorno);
    if (chiave.isEmpty())
        return Errore(ErroreValoreNonValido, QStringLiteral("data non valida"));
    if (!ValoriValidi(scatti, importo))
        return Errore(ErroreValoreNonValido, QStringLiteral("scatti o importo non validi"));
    Uso uso{aggiungi_};
    Lega(aggiungi_, 1, chiave);
    sqlite3_bind_int64(aggiungi_, 2, scatti);
    sqlite3_bind_double(aggiungi_, 3, importo);
    if (sqlite3_step(aggiungi_) != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    // The update's guard held: the row is left as it was.
    if (sqlite3_changes(db_) == 0)
        return Errore(ErroreTotaleFuoriLimite, FuoriLimite);
    return true;
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
    const QString chiave = ChiaveGiorno(giorno);
    std::optional<TotaliGiorno> riga;
    if (chiave.isEmpty()) {
        Errore(ErroreValoreNonValido, QStringLiteral("data non valida"));
    } else {
        Uso uso{trova_};
        Lega(trova_, 1, chiave);
        const int rc = sqlite3_step(trova_);
        if (rc == SQLITE_ROW) {
            const std::optional<qint32> scatti = LeggiScatti(trova_, 0);
            if (scatti)
                riga = TotaliGiorno{*scatti, sqlite3_column_double(trova_, 1)};
            else
                Errore(ErroreTotaleFuoriLimite, FuoriLimite);
        } else if (rc != SQLITE_DONE) {
            ErroreSqlite(sqlite3_extended_errcode(db_));
        }
    }
    if (errore)
        *errore = errore_.numero != 0;
    return riga;
}

bool DatabaseScatti::ImpostaGiorno(QDate giorno, TotaliGiorno vecchi, TotaliGiorno nuovi, EsitoImpostazione* esito)
{
    if (esito)
        *esito = EsitoImpostazione::Nulla;
    if (!ValoriValidi(nuovi.scatti, nuovi.importo))
        return Errore(ErroreValoreNonValido, QStringLiteral("scatti o importo non validi"));
    if (nuovi == vecchi) {
        errore_ = {};
        return true;
    }
    if (!ControllaScrivibile())
        return false;
    bool errore = false;
    const auto riga = TrovaGiorno(giorno, &errore);
    if (errore)
        return false;
    const QString chiave = ChiaveGiorno(giorno);
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
    if (righeEliminate)
        *righeEliminate = 0;
    if (!ControllaScrivibile())
        return false;
    const QDate primo = PrimoDelMese(qualsiasiGiorno);
    if (ChiaveGiorno(primo).isEmpty())
        return Errore(ErroreValoreNonValido, QStringLiteral("data non valida"));
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
    Uso uso{giorni_};
    if (!LegaIntervallo(giorni_, primo, ultimo))
        return std::nullopt;
    QMap<QDate, TotaliGiorno> giorni;
    int rc;
    while ((rc = sqlite3_step(giorni_)) == SQLITE_ROW) {
        const QDate d = GiornoDaChiave(reinterpret_cast<const char*>(sqlite3_column_text(giorni_, 0)),
                                       sqlite3_column_bytes(giorni_, 0));
        const std::optional<qint32> scatti = LeggiScatti(giorni_, 1);
        if (!scatti) {
            Errore(ErroreTotaleFuoriLimite, FuoriLimite);
            return std::nullopt;
        }
        if (d.isValid())
            giorni.insert(d, {*scatti, sqlite3_column_double(giorni_, 2)});
    }
    if (rc != SQLITE_DONE) {
        ErroreSqlite(sqlite3_extended_errcode(db_));
        return std::nullopt;
    }
    return giorni;
}

std::optional<QMap<QDate, TotaliGiorno>> DatabaseScatti::GiorniDelMese(QDate qualsiasiGiorno)
{
    const QDate primo = PrimoDelMese(qualsiasiGiorno);
    return Giorni(primo, primo.addMonths(1).addDays(-1));
}
