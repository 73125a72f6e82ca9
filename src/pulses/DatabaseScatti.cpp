// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/DatabaseScatti.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cmath>
#include <limits>
#include <sqlite3.h>
#include <sys/stat.h>

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

ErroreDatabase DataNonValida()
{
    return {DatabaseScatti::ErroreValoreNonValido, QStringLiteral("data non valida")};
}

ErroreDatabase ValoriNonValidi()
{
    return {DatabaseScatti::ErroreValoreNonValido, QStringLiteral("scatti o importo non validi")};
}

ErroreDatabase TotaleFuoriLimite()
{
    return {DatabaseScatti::ErroreTotaleFuoriLimite, FuoriLimite};
}

ErroreDatabase Estraneo()
{
    return {DatabaseScatti::ErroreNonDatabaseScatti, QStringLiteral("il file non è un database degli scatti")};
}

// Device and inode of the file at the path; nothing when there is none.
std::optional<std::pair<quint64, quint64>> Identita(const QString& percorso)
{
    struct stat st {};
    if (::stat(QFile::encodeName(percorso).constData(), &st) != 0)
        return std::nullopt;
    return std::pair{quint64(st.st_dev), quint64(st.st_ino)};
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

ErroreDatabase DatabaseScatti::ErroreSqlite(int codice) const
{
    const char* testo = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(codice);
    return {codice, QString::fromUtf8(testo)};
}

std::optional<ErroreDatabase> DatabaseScatti::Esegui(const char* sql)
{
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return std::nullopt;
    return ErroreSqlite(sqlite3_extended_errcode(db_));
}

std::optional<ErroreDatabase> DatabaseScatti::Prepara(sqlite3_stmt** istruzione, const char* sql)
{
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, istruzione, nullptr) == SQLITE_OK)
        return std::nullopt;
    return ErroreSqlite(sqlite3_extended_errcode(db_));
}

std::optional<ErroreDatabase> DatabaseScatti::TabellaValida()
{
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
        return Estraneo();

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
        return Estraneo();

    // A damaged file is refused before anything is written into it. The full
    // check also compares every index with its table, which the quick one
    // skips; one row a day keeps it short.
    if (sqlite3_prepare_v2(db_, "PRAGMA integrity_check(1)", -1, &info, nullptr) != SQLITE_OK)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    rc = sqlite3_step(info);
    const QString esito =
        rc == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 0))) : QString();
    sqlite3_finalize(info);
    if (rc != SQLITE_ROW)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    if (esito != QLatin1String("ok"))
        return ErroreDatabase{SQLITE_CORRUPT, QStringLiteral("il database degli scatti è danneggiato: %1").arg(esito)};
    return std::nullopt;
}

std::optional<ErroreDatabase> DatabaseScatti::PreparaIstruzioni()
{
    struct { sqlite3_stmt** s; const char* sql; } const istruzioni[] = {
        {&somma_, "SELECT COALESCE(SUM(NumeroScatti),0), COALESCE(SUM(Importo),0) FROM Scatti "
                  "WHERE DataScatti BETWEEN ?1 AND ?2"},
        {&aggiungi_, "INSERT INTO Scatti (DataScatti, NumeroScatti, Importo) VALUES (?1, ?2, ?3) "
                     "ON CONFLICT(DataScatti) DO UPDATE SET NumeroScatti = coalesce(NumeroScatti, 0) + ?2, "
                     "Importo = coalesce(Importo, 0) + ?3 "
                     "WHERE coalesce(NumeroScatti, 0) + ?2 <= 2147483647"},
        {&trova_, "SELECT NumeroScatti, Importo FROM Scatti WHERE DataScatti = ?1"},
        {&imposta_, "INSERT INTO Scatti (DataScatti, NumeroScatti, Importo) VALUES (?1, ?2, ?3) "
                    "ON CONFLICT(DataScatti) DO UPDATE SET NumeroScatti = ?2, Importo = ?3"},
        {&elimina_, "DELETE FROM Scatti WHERE DataScatti = ?1"},
        {&azzera_, "DELETE FROM Scatti WHERE DataScatti BETWEEN ?1 AND ?2"},
        {&giorni_, "SELECT DataScatti, NumeroScatti, Importo FROM Scatti "
                   "WHERE DataScatti BETWEEN ?1 AND ?2 ORDER BY DataScatti"},
    };
    for (const auto& i : istruzioni)
        if (auto e = Prepara(i.s, i.sql))
            return e;
    return std::nullopt;
}

EsitoDb<> DatabaseScatti::Apri(const QString& percorso)
{
    return ApriFile(percorso, false);
}

EsitoDb<> DatabaseScatti::ApriInLettura(const QString& percorso)
{
    return ApriFile(percorso, true);
}

EsitoDb<> DatabaseScatti::ApriFile(const QString& percorso, bool soloLettura)
{
    Chiudi();
    const QFileInfo info(percorso);
    const bool nuovo = !info.exists() || info.size() == 0;
    if (nuovo && soloLettura)
        return ErroreDatabase{SQLITE_CANTOPEN, QStringLiteral("il file non esiste o è vuoto")};
    if (!nuovo) {
        // Look before the store touches it: a file of another kind is left
        // exactly as it is, and gets the store's own answer for it.
        QFile f(percorso);
        if (!f.open(QIODevice::ReadOnly))
            return ErroreDatabase{SQLITE_CANTOPEN, f.errorString()};
        if (f.read(16) != QByteArray("SQLite format 3\0", 16))
            return ErroreDatabase{SQLITE_NOTADB, QString::fromUtf8(sqlite3_errstr(SQLITE_NOTADB))};
    }
    int flags = SQLITE_OPEN_READWRITE | (nuovo ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
    QByteArray nome = QFile::encodeName(percorso);
    if (soloLettura) {
        // Without a log or journal beside it nobody writes the file, and it
        // is read as it lies: no lock, no side file. With one (a panel that
        // has written, or a run that crashed) it is read under the store's
        // ordinary read lock, which a panel holding the file refuses.
        const bool registro = QFileInfo::exists(percorso + QStringLiteral("-wal"))
            || QFileInfo::exists(percorso + QStringLiteral("-journal"));
        QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        url.setQuery(registro ? QStringLiteral("mode=ro") : QStringLiteral("mode=ro&immutable=1"));
        nome = url.toEncoded();
        flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    }
    const int rc = sqlite3_open_v2(nome.constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const ErroreDatabase e = ErroreSqlite(rc);
        Rilascia();
        return e;
    }
    sqlite3_extended_result_codes(db_, 1);
    std::optional<ErroreDatabase> e;
    if (!soloLettura) {
        // A reader that holds the file for a moment delays the start
        // instead of stopping it.
        sqlite3_busy_timeout(db_, 500);
        // Closing a file in write-ahead mode folds its log back into it: not
        // before the first write, so a file refused at start-up stays as it was.
        sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        // Held exclusively for the whole run: the empty transaction takes the
        // lock and writes nothing.
        e = Esegui("PRAGMA locking_mode=EXCLUSIVE");
        if (!e && nuovo)
            e = Esegui("CREATE TABLE IF NOT EXISTS Scatti (DataScatti TEXT PRIMARY KEY NOT NULL, "
                       "NumeroScatti INTEGER NOT NULL DEFAULT 0, Importo REAL NOT NULL DEFAULT 0)");
    }
    if (!e)
        e = TabellaValida();
    if (!e && !soloLettura)
        e = Esegui("BEGIN EXCLUSIVE");
    if (!e && !soloLettura)
        e = Esegui("COMMIT");
    if (!e)
        e = PreparaIstruzioni();
    if (e && soloLettura && ((e->numero & 0xff) == SQLITE_BUSY || (e->numero & 0xff) == SQLITE_LOCKED))
        e = ErroreDatabase{ErroreInUso, QStringLiteral("il database degli scatti è tenuto da Velatrix in esecuzione")};
    const auto identita = Identita(percorso);
    if (!e && !identita)
        e = ErroreDatabase{SQLITE_CANTOPEN, QStringLiteral("il file è scomparso durante l'apertura")};
    if (e) {
        Rilascia();
        return *e;
    }
    percorso_ = percorso;
    soloLettura_ = soloLettura;
    dispositivo_ = identita->first;
    inode_ = identita->second;
    return std::monostate{};
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
    inScrittura_ = false;
    soloLettura_ = false;
    percorso_.clear();
}

void DatabaseScatti::Chiudi()
{
    Rilascia();
}

std::optional<ErroreDatabase> DatabaseScatti::ControllaAperto(bool scrittura)
{
    if (!db_)
        return ErroreDatabase{ErroreNonAperto, QStringLiteral("il database degli scatti non è aperto")};
    if (!scrittura)
        return std::nullopt;
    if (soloLettura_)
        return ErroreDatabase{ErroreSoloLettura, QStringLiteral("il database degli scatti è aperto in sola lettura")};
    // A write into a file nobody can reach any more is a write lost.
    if (Identita(percorso_) != std::pair{dispositivo_, inode_})
        return ErroreDatabase{ErroreFileSostituito,
                              QStringLiteral("il file %1 non è più al suo posto").arg(percorso_)};
    if (inScrittura_)
        return std::nullopt;
    // Write-ahead log with a full sync, so every committed step survives a
    // crash or a power cut.
    if (auto e = Esegui("PRAGMA journal_mode=WAL"))
        return e;
    if (auto e = Esegui("PRAGMA synchronous=FULL"))
        return e;
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    inScrittura_ = true;
    return std::nullopt;
}

EsitoDb<Totali> DatabaseScatti::Somma(QDate primo, QDate ultimo)
{
    if (auto e = ControllaAperto(false))
        return *e;
    const QString d1 = ChiaveGiorno(primo), d2 = ChiaveGiorno(ultimo);
    if (d1.isEmpty() || d2.isEmpty())
        return DataNonValida();
    Uso uso{somma_};
    Lega(somma_, 1, d1);
    Lega(somma_, 2, d2);
    if (sqlite3_step(somma_) != SQLITE_ROW)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    const std::optional<qint32> scatti = LeggiScatti(somma_, 0);
    if (!scatti)
        return TotaleFuoriLimite();
    return Totali{*scatti, sqlite3_column_double(somma_, 1)};
}

EsitoDb<> DatabaseScatti::AggiungiScatti(QDate giorno, qint32 scatti, double importo)
{
    const QString chiave = ChiaveGiorno(giorno);
    if (chiave.isEmpty())
        return DataNonValida();
    if (!ValoriValidi(scatti, importo))
        return ValoriNonValidi();
    if (auto e = ControllaAperto(true))
        return *e;
    Uso uso{aggiungi_};
    Lega(aggiungi_, 1, chiave);
    sqlite3_bind_int64(aggiungi_, 2, scatti);
    sqlite3_bind_double(aggiungi_, 3, importo);
    if (sqlite3_step(aggiungi_) != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    // The update's guard held: the row is left as it was.
    if (sqlite3_changes(db_) == 0)
        return TotaleFuoriLimite();
    return std::monostate{};
}

EsitoDb<std::optional<Totali>> DatabaseScatti::TrovaGiorno(QDate giorno)
{
    if (auto e = ControllaAperto(false))
        return *e;
    const QString chiave = ChiaveGiorno(giorno);
    if (chiave.isEmpty())
        return DataNonValida();
    Uso uso{trova_};
    Lega(trova_, 1, chiave);
    const int rc = sqlite3_step(trova_);
    if (rc == SQLITE_DONE)
        return std::optional<Totali>();
    if (rc != SQLITE_ROW)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    const std::optional<qint32> scatti = LeggiScatti(trova_, 0);
    if (!scatti)
        return TotaleFuoriLimite();
    return std::optional<Totali>(Totali{*scatti, sqlite3_column_double(trova_, 1)});
}

EsitoDb<EsitoImpostazione> DatabaseScatti::ImpostaGiorno(QDate giorno, Totali vecchi, Totali nuovi)
{
    if (!ValoriValidi(nuovi.scatti, nuovi.importo))
        return ValoriNonValidi();
    if (nuovi == vecchi)
        return EsitoImpostazione::Nulla;
    const auto trovato = TrovaGiorno(giorno);
    if (!trovato)
        return trovato.Errore();
    const std::optional<Totali> riga = *trovato;
    const QString chiave = ChiaveGiorno(giorno);
    const bool zero = nuovi.scatti == 0 && nuovi.importo == 0;
    if ((!riga && !(nuovi.scatti > 0 || nuovi.importo > 0)) || (riga && *riga == nuovi))
        return EsitoImpostazione::Nulla;
    if (auto e = ControllaAperto(true))
        return *e;
    if (riga && zero) {
        Uso uso{elimina_};
        Lega(elimina_, 1, chiave);
        if (sqlite3_step(elimina_) != SQLITE_DONE)
            return ErroreSqlite(sqlite3_extended_errcode(db_));
        return EsitoImpostazione::Eliminato;
    }
    Uso uso{imposta_};
    Lega(imposta_, 1, chiave);
    sqlite3_bind_int64(imposta_, 2, nuovi.scatti);
    sqlite3_bind_double(imposta_, 3, nuovi.importo);
    if (sqlite3_step(imposta_) != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    return riga ? EsitoImpostazione::Aggiornato : EsitoImpostazione::Creato;
}

EsitoDb<int> DatabaseScatti::AzzeraMese(QDate qualsiasiGiorno)
{
    const QDate primo = PrimoDelMese(qualsiasiGiorno);
    if (ChiaveGiorno(primo).isEmpty())
        return DataNonValida();
    if (auto e = ControllaAperto(true))
        return *e;
    Uso uso{azzera_};
    Lega(azzera_, 1, ChiaveGiorno(primo));
    Lega(azzera_, 2, ChiaveGiorno(primo.addMonths(1).addDays(-1)));
    if (sqlite3_step(azzera_) != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    return sqlite3_changes(db_);
}

EsitoDb<QMap<QDate, Totali>> DatabaseScatti::Giorni(QDate primo, QDate ultimo)
{
    if (auto e = ControllaAperto(false))
        return *e;
    const QString d1 = ChiaveGiorno(primo), d2 = ChiaveGiorno(ultimo);
    if (d1.isEmpty() || d2.isEmpty())
        return DataNonValida();
    Uso uso{giorni_};
    Lega(giorni_, 1, d1);
    Lega(giorni_, 2, d2);
    QMap<QDate, Totali> giorni;
    int rc;
    while ((rc = sqlite3_step(giorni_)) == SQLITE_ROW) {
        const QDate d = GiornoDaChiave(reinterpret_cast<const char*>(sqlite3_column_text(giorni_, 0)),
                                       sqlite3_column_bytes(giorni_, 0));
        const std::optional<qint32> scatti = LeggiScatti(giorni_, 1);
        if (!scatti)
            return TotaleFuoriLimite();
        if (d.isValid())
            giorni.insert(d, {*scatti, sqlite3_column_double(giorni_, 2)});
    }
    if (rc != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    return giorni;
}

EsitoDb<QMap<QDate, Totali>> DatabaseScatti::GiorniDelMese(QDate qualsiasiGiorno)
{
    const QDate primo = PrimoDelMese(qualsiasiGiorno);
    return Giorni(primo, primo.addMonths(1).addDays(-1));
}
