// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/DatabaseScatti.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <cmath>
#include <limits>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Resets and clears the bindings of a statement when leaving a scope.
struct Uso {
    sqlite3_stmt* s;
    ~Uso()
    {
        if (!s)
            return; // the store was never opened
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
bool ValoriValidi(qint32 scatti, double importo) { return scatti >= 0 && std::isfinite(importo) && importo >= 0; }

QDate PrimoDelMese(const QDate& giorno) { return giorno.isValid() ? QDate(giorno.year(), giorno.month(), 1) : QDate(); }

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

ErroreDatabase DataNonValida() { return {DatabaseScatti::ErroreValoreNonValido, QStringLiteral("data non valida")}; }

ErroreDatabase ValoriNonValidi()
{
    return {DatabaseScatti::ErroreValoreNonValido, QStringLiteral("scatti o importo non validi")};
}

ErroreDatabase TotaleFuoriLimite() { return {DatabaseScatti::ErroreTotaleFuoriLimite, FuoriLimite}; }

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

// Whether a connection holds the file (a panel keeps it locked for its whole
// run), this process's own included. Read from the kernel's list of locks:
// opening and closing the file here would drop this process's own locks.
bool InUso(const QString& percorso)
{
    struct stat st {};
    if (::stat(QFile::encodeName(percorso).constData(), &st) != 0)
        return false;
    QFile elenco(QStringLiteral("/proc/locks"));
    if (!elenco.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    // "1: POSIX  ADVISORY  WRITE 9778 fe:00:10953201 1073741824 1073742335"
    const QByteArray file = QByteArray::number(major(st.st_dev), 16).rightJustified(2, '0') + ':'
                            + QByteArray::number(minor(st.st_dev), 16).rightJustified(2, '0') + ':'
                            + QByteArray::number(quint64(st.st_ino));
    constexpr qint64 Primo = 0x40000000, Ultimo = Primo + 511; // the store's lock bytes
    for (const QByteArray& riga : elenco.readAll().split('\n')) {
        const QList<QByteArray> campi = riga.simplified().split(' ');
        if (campi.size() < 8 || campi[5] != file)
            continue;
        bool okInizio = false;
        const qint64 inizio = campi[6].toLongLong(&okInizio);
        const qint64 fine = campi[7] == "EOF" ? std::numeric_limits<qint64>::max() : campi[7].toLongLong();
        if (okInizio && inizio <= Ultimo && fine >= Primo)
            return true;
    }
    return false;
}

// The files the store may add beside a database, those missing before it
// is opened; Rimuovi takes them away again.
struct FileAccanto {
    QStringList nuovi;
    explicit FileAccanto(const QString& percorso)
    {
        if (percorso.isEmpty())
            return;
        for (const char* suffisso : {"-wal", "-shm", "-journal"})
            if (!QFileInfo::exists(percorso + QLatin1String(suffisso)))
                nuovi << percorso + QLatin1String(suffisso);
    }
    void Rimuovi() const
    {
        for (const QString& f : nuovi)
            QFile::remove(f);
    }
};

// What a seal says of the file at the path: its identity, size and times of
// change, one line. Empty when the file cannot be seen.
QByteArray StatoFile(const QString& percorso)
{
    struct stat st {};
    if (::stat(QFile::encodeName(percorso).constData(), &st) != 0)
        return {};
    return QByteArray("velatrix-verificato 1 ") + QByteArray::number(quint64(st.st_dev)) + ' '
           + QByteArray::number(quint64(st.st_ino)) + ' ' + QByteArray::number(qint64(st.st_size)) + ' '
           + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' + QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ' '
           + QByteArray::number(qint64(st.st_ctim.tv_sec)) + '.' + QByteArray::number(qint64(st.st_ctim.tv_nsec))
           + '\n';
}

QString PercorsoSigillo(const QString& percorso) { return percorso + QStringLiteral("-verificato"); }

bool ConRegistro(const QString& percorso)
{
    return QFileInfo::exists(percorso + QStringLiteral("-wal"))
           || QFileInfo::exists(percorso + QStringLiteral("-journal"));
}

// Whether the file is, byte for byte, the one a panel left when it last
// closed it cleanly. The panel seals a file only when it checked it in full
// at its open (or found it sealed), wrote it only through the store, and
// found it untouched by anyone else at its close; any later write, by
// whatever means, changes the change time, which nobody can set back. Such
// a file would pass the full check again, so it is not run.
bool Sigillato(const QString& percorso)
{
    if (ConRegistro(percorso))
        return false; // not closed cleanly: a crash, or a panel at work
    QFile sigillo(PercorsoSigillo(percorso));
    if (!sigillo.open(QIODevice::ReadOnly))
        return false;
    const QByteArray stato = StatoFile(percorso);
    return !stato.isEmpty() && sigillo.read(256) == stato;
}

// The store's automatic checkpoint, done here so the state of the file it
// leaves is noted as the panel's own.
int DopoCommit(void* stato, sqlite3* db, const char* nome, int pagine)
{
    if (pagine >= 1000) {
        sqlite3_wal_checkpoint_v2(db, nome, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        *static_cast<QByteArray*>(stato) = StatoFile(QString::fromUtf8(sqlite3_db_filename(db, nome)));
    }
    return SQLITE_OK;
}

} // namespace

QString ChiaveGiorno(const QDate& giorno)
{
    if (!giorno.isValid() || giorno.year() < 1 || giorno.year() > 9999)
        return {};
    return giorno.toString(QStringLiteral("yyyy-MM-dd"));
}

DatabaseScatti::~DatabaseScatti() { Chiudi(); }

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

std::optional<ErroreDatabase> DatabaseScatti::TabellaValida(bool integrita)
{
    // A view or an index named Scatti is not the table.
    sqlite3_stmt* info = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT type FROM sqlite_schema WHERE name = 'Scatti'", -1, &info, nullptr)
        != SQLITE_OK)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    int rc = sqlite3_step(info);
    const bool tabella =
        rc == SQLITE_ROW && QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(info, 0))) == "table";
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
    if (!integrita)
        return std::nullopt;

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
    struct {
        sqlite3_stmt** s;
        const char* sql;
    } const istruzioni[] = {
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

EsitoDb<> DatabaseScatti::Apri(const QString& percorso) { return ApriFile(percorso, false); }

EsitoDb<> DatabaseScatti::ApriInLettura(const QString& percorso) { return ApriFile(percorso, true); }

// The connection just opened made ready: its mode, the table checked, the
// statements prepared.
std::optional<ErroreDatabase> DatabaseScatti::PreparaConnessione(const QString& percorso, bool nuovo, bool soloLettura)
{
    sqlite3_extended_result_codes(db_, 1);
    std::optional<ErroreDatabase> e;
    if (!soloLettura)
        e = PreparaUsoEsclusivo(nuovo);
    if (!e)
        e = TabellaValida(nuovo || !Sigillato(percorso));
    if (!e && !soloLettura)
        e = Esegui("BEGIN EXCLUSIVE");
    if (!e && !soloLettura)
        e = Esegui("COMMIT");
    if (!e)
        e = PreparaIstruzioni();
    if (e && soloLettura && ((e->numero & 0xff) == SQLITE_BUSY || (e->numero & 0xff) == SQLITE_LOCKED))
        e = ErroreDatabase{ErroreInUso, QStringLiteral("il database degli scatti è tenuto da Velatrix in esecuzione")};
    return e;
}

EsitoDb<> DatabaseScatti::ApriFile(const QString& percorso, bool soloLettura)
{
    Chiudi();
    const QFileInfo info(percorso);
    const bool nuovo = !info.exists() || info.size() == 0;
    if (nuovo && soloLettura)
        return ErroreDatabase{SQLITE_CANTOPEN, QStringLiteral("il file non esiste o è vuoto")};
    const bool registro = ConRegistro(percorso);
    // Asked before this process opens the file at all: closing it again
    // would drop the locks a connection of its own holds.
    if (soloLettura && registro && InUso(percorso))
        return ErroreDatabase{ErroreInUso,
                              QStringLiteral("il database degli scatti è tenuto da Velatrix in esecuzione")};
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
    if (soloLettura && registro) {
        // A panel that has written, or a run that crashed. The store would
        // add its index file beside it, and cannot on a read-only disk: the
        // file and its log are read from a private copy instead, which the
        // store brings up to date as the panel's next start would.
        auto copia = CopiaPrivata(percorso);
        if (!copia)
            return copia.Errore();
        nome = QFile::encodeName(*copia);
        flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    } else if (soloLettura) {
        // Nobody writes it: read as it lies, no lock, no side file.
        QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        url.setQuery(QStringLiteral("mode=ro&immutable=1"));
        nome = url.toEncoded();
        flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    }
    // What the store adds beside a file it refuses goes again.
    const FileAccanto accanto(soloLettura ? QString() : percorso);
    const int rc = sqlite3_open_v2(nome.constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const ErroreDatabase e = ErroreSqlite(rc);
        Rilascia();
        accanto.Rimuovi();
        return e;
    }
    std::optional<ErroreDatabase> e = PreparaConnessione(percorso, nuovo, soloLettura);
    const auto identita = Identita(percorso);
    if (!e && !identita)
        e = ErroreDatabase{SQLITE_CANTOPEN, QStringLiteral("il file è scomparso durante l'apertura")};
    if (e) {
        Rilascia();
        accanto.Rimuovi();
        return *e;
    }
    percorso_ = percorso;
    soloLettura_ = soloLettura;
    dispositivo_ = identita->first;
    inode_ = identita->second;
    visto_ = StatoFile(percorso);
    return std::monostate{};
}

std::optional<ErroreDatabase> DatabaseScatti::PreparaUsoEsclusivo(bool nuovo)
{
    // A reader that holds the file for a moment delays the start instead of
    // stopping it.
    sqlite3_busy_timeout(db_, 500);
    // Closing a file in write-ahead mode folds its log back into it: not
    // before the first write, so a file refused at start-up stays as it was.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_wal_hook(db_, DopoCommit, &visto_);
    // Held exclusively for the whole run: the empty transaction that follows
    // takes the lock and writes nothing.
    auto e = Esegui("PRAGMA locking_mode=EXCLUSIVE");
    if (!e && nuovo)
        e = Esegui("CREATE TABLE IF NOT EXISTS Scatti (DataScatti TEXT PRIMARY KEY NOT NULL, "
                   "NumeroScatti INTEGER NOT NULL DEFAULT 0, Importo REAL NOT NULL DEFAULT 0)");
    return e;
}

EsitoDb<QString> DatabaseScatti::CopiaPrivata(const QString& percorso)
{
    copia_ = std::make_unique<QTemporaryDir>();
    const QString copia = copia_->filePath(QStringLiteral("Velatrix.001"));
    // The copies are the reader's own, writable whatever the originals' modes.
    const auto copiaFile = [](const QString& da, const QString& a) {
        return QFile::copy(da, a) && QFile::setPermissions(a, QFile::ReadOwner | QFile::WriteOwner);
    };
    bool ok = copia_->isValid() && copiaFile(percorso, copia);
    for (const QString& suffisso : {QStringLiteral("-wal"), QStringLiteral("-journal")})
        if (ok && QFileInfo::exists(percorso + suffisso))
            ok = copiaFile(percorso + suffisso, copia + suffisso);
    if (!ok) {
        copia_.reset();
        return ErroreDatabase{SQLITE_CANTOPEN,
                              QStringLiteral("impossibile copiarlo in una cartella temporanea per leggerlo")};
    }
    return copia;
}

void DatabaseScatti::Rilascia()
{
    for (sqlite3_stmt** s : {&somma_, &aggiungi_, &trova_, &imposta_, &elimina_, &azzera_, &giorni_}) {
        sqlite3_finalize(*s);
        *s = nullptr;
    }
    // Sealed only when nobody but the store has written the file since it
    // was checked: as this run last saw it, before the closing checkpoint.
    const bool intatto =
        db_ && !soloLettura_ && !percorso_.isEmpty() && !visto_.isEmpty() && StatoFile(percorso_) == visto_;
    const bool chiuso = db_ && sqlite3_close_v2(db_) == SQLITE_OK;
    if (intatto && chiuso && !ConRegistro(percorso_))
        Sigilla();
    db_ = nullptr;
    copia_.reset();
    inScrittura_ = false;
    soloLettura_ = false;
    percorso_.clear();
    visto_.clear();
}

void DatabaseScatti::Sigilla()
{
    const QByteArray stato = StatoFile(percorso_);
    QFile sigillo(PercorsoSigillo(percorso_));
    if (stato.isEmpty() || (sigillo.open(QIODevice::ReadOnly) && sigillo.read(256) == stato))
        return;
    sigillo.close();
    // Neither synced nor replaced whole: a seal lost or cut short only
    // fails to match, which costs the next open a full check.
    if (sigillo.open(QIODevice::WriteOnly | QIODevice::Truncate))
        sigillo.write(stato);
}

void DatabaseScatti::Chiudi() { Rilascia(); }

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
        return ErroreDatabase{ErroreFileSostituito, QStringLiteral("il file %1 non è più al suo posto").arg(percorso_)};
    if (inScrittura_)
        return std::nullopt;
    // Write-ahead log with a full sync, so every committed step survives a
    // crash or a power cut.
    if (auto e = Esegui("PRAGMA journal_mode=WAL"))
        return e;
    if (auto e = Esegui("PRAGMA synchronous=FULL"))
        return e;
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    visto_ = StatoFile(percorso_); // the change of mode is written into the file
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

EsitoDb<qint64> DatabaseScatti::AggiungiRecupero(const QByteArray& id, const std::map<QDate, Totali>& scatti,
                                                 qint64 logAttuale)
{
    for (const auto& [giorno, t] : scatti) {
        if (ChiaveGiorno(giorno).isEmpty())
            return DataNonValida();
        if (!ValoriValidi(t.scatti, t.importo))
            return ValoriNonValidi();
    }
    if (auto e = ControllaAperto(true))
        return *e;
    if (auto e = Esegui("BEGIN"))
        return *e;
    std::optional<ErroreDatabase> e = Esegui("CREATE TABLE IF NOT EXISTS Recuperi "
                                             "(Id TEXT PRIMARY KEY NOT NULL, Log INTEGER NOT NULL)");
    sqlite3_stmt* trova = nullptr;
    if (!e)
        e = Prepara(&trova, "SELECT Log FROM Recuperi WHERE Id = ?1");
    std::optional<qint64> noto;
    if (!e) {
        sqlite3_bind_text(trova, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(trova);
        if (rc == SQLITE_ROW)
            noto = sqlite3_column_int64(trova, 0);
        else if (rc != SQLITE_DONE)
            e = ErroreSqlite(sqlite3_extended_errcode(db_));
    }
    sqlite3_finalize(trova);
    for (auto it = scatti.begin(); !e && !noto && it != scatti.end(); ++it) {
        Uso uso{aggiungi_};
        Lega(aggiungi_, 1, ChiaveGiorno(it->first));
        sqlite3_bind_int64(aggiungi_, 2, it->second.scatti);
        sqlite3_bind_double(aggiungi_, 3, it->second.importo);
        if (sqlite3_step(aggiungi_) != SQLITE_DONE)
            e = ErroreSqlite(sqlite3_extended_errcode(db_));
        else if (sqlite3_changes(db_) == 0)
            e = TotaleFuoriLimite();
    }
    sqlite3_stmt* segna = nullptr;
    if (!e && !noto)
        e = Prepara(&segna, "INSERT INTO Recuperi (Id, Log) VALUES (?1, ?2)");
    if (!e && !noto) {
        sqlite3_bind_text(segna, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(segna, 2, logAttuale);
        if (sqlite3_step(segna) != SQLITE_DONE)
            e = ErroreSqlite(sqlite3_extended_errcode(db_));
    }
    sqlite3_finalize(segna);
    if (!e)
        e = Esegui("COMMIT");
    if (e) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return *e;
    }
    return noto.value_or(logAttuale);
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
    QMap<QDate, Totali> giorni;
    // In order: each goes at the end, at no search.
    auto esito = PerOgniGiorno(
        primo, ultimo, [&giorni](const char*, const QDate& d, const Totali& t) { giorni.insert(giorni.cend(), d, t); });
    if (!esito)
        return esito.Errore();
    return giorni;
}

EsitoDb<> DatabaseScatti::PerOgniGiorno(QDate primo, QDate ultimo, const Riga& riga)
{
    if (auto e = ControllaAperto(false))
        return *e;
    const QString d1 = ChiaveGiorno(primo), d2 = ChiaveGiorno(ultimo);
    if (d1.isEmpty() || d2.isEmpty())
        return DataNonValida();
    Uso uso{giorni_};
    Lega(giorni_, 1, d1);
    Lega(giorni_, 2, d2);
    int rc;
    while ((rc = sqlite3_step(giorni_)) == SQLITE_ROW) {
        const char* chiave = reinterpret_cast<const char*>(sqlite3_column_text(giorni_, 0));
        const QDate d = GiornoDaChiave(chiave, sqlite3_column_bytes(giorni_, 0));
        const std::optional<qint32> scatti = LeggiScatti(giorni_, 1);
        if (!scatti)
            return TotaleFuoriLimite();
        if (d.isValid())
            riga(chiave, d, Totali{*scatti, sqlite3_column_double(giorni_, 2)});
    }
    if (rc != SQLITE_DONE)
        return ErroreSqlite(sqlite3_extended_errcode(db_));
    return std::monostate{};
}

EsitoDb<QMap<QDate, Totali>> DatabaseScatti::GiorniDelMese(QDate qualsiasiGiorno)
{
    const QDate primo = PrimoDelMese(qualsiasiGiorno);
    return Giorni(primo, primo.addMonths(1).addDays(-1));
}
