// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the engine counted but could not store yet, and the small file that
// keeps it across an exit nobody could answer: the next start adds it to the
// pulse database and the connection log, each entry once.
//
// The file:   Velatrix recupero 2
//             id <32 hex digits, new at every write>
//             cartella <the data folder's path, UTF-8 in hex>
//             S <day> <pulses> <amount>           one a day
//             L <the log record's 74 bytes in hex> one a record
#include "common/Totali.h"
#include "log/FileLog.h"
#include "log/RecordLog.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <functional>
#include <map>
#include <vector>

class DatabaseScatti;

struct Pendenti {
    std::map<QDate, Totali> scatti; // by day
    std::vector<RecordLog> log;     // in the order they ended

    bool Vuoto() const { return scatti.empty() && log.empty(); }
    Totali TotaleScatti() const;
    // Adds another set: pulses of the same day add up, records follow.
    void Unisci(const Pendenti& altri);
};

inline const QString NomeRecupero = QStringLiteral("Velatrix.rec");

// Far more than any run could leave behind; a bigger file is not ours.
inline constexpr qint64 DimensioneMassimaRecupero = 4 << 20;

struct FileRecupero {
    QByteArray id;
    QString cartella; // the data folder it belongs to
    Pendenti voci;
};

// Replaces the file with these entries of the data folder cartellaDati, on
// disk before it returns (a link or anything else at that name is replaced,
// never written through); false with the reason when it cannot.
[[nodiscard]] bool ScriviRecupero(const QString& percorso, const Pendenti& pendenti, const QString& cartellaDati,
                                  QString* motivo);

enum class EsitoLettura {
    Assente, // no file of that name
    Valido,
    AltraCartella, // sound, but of another data folder
    Rifiutato,     // not to be merged at all: motivo says why
};
struct LetturaRecupero {
    EsitoLettura esito = EsitoLettura::Assente;
    FileRecupero file;
    QString motivo;
};
// Reads and checks the whole file before anything of it is used: a regular
// file of the user's own, read without following a link, within the size
// cap; every line an entry a count can produce up to the day oggi.
LetturaRecupero LeggiRecupero(const QString& percorso, const QString& cartellaDati, const QDate& oggi);

// Moves a refused file out of the way under a name of its own beside it
// ("Velatrix.rec.rifiutato", then ".rifiutato-2"...); the new name, empty
// when it could not be moved.
QString MettiDaParte(const QString& percorso);

// Adds a checked file to the database and the log. The pulses and the file's
// identity go in one transaction, so a file met again adds no pulse; its
// records are appended only where the log does not hold them yet.
// `prosegui` is asked before each step (0: before the database, 1: after it,
// 2 + n: after the n-th record); false stops there, as a crash would.
struct EsitoUnione {
    enum Stato { Completa, NessunoScritto, RecordInSospeso, Interrotta } stato = Completa;
    Pendenti resto; // what is still to be written
    QString errore;
};
EsitoUnione UnisciRecupero(DatabaseScatti& db, FileLog& log, const FileRecupero& file,
                           const std::function<bool(int passo)>& prosegui = {});
