#pragma once
// What the engine counted but could not store yet, and the small file that
// keeps it across an exit nobody could answer: the next start adds it to the
// pulse database and the connection log.
#include "common/Totali.h"
#include "log/RecordLog.h"

#include <QDate>
#include <QString>
#include <map>
#include <optional>
#include <vector>

struct Pendenti {
    std::map<QDate, Totali> scatti;   // by day
    std::vector<RecordLog> log;       // in the order they ended

    bool Vuoto() const { return scatti.empty() && log.empty(); }
    Totali TotaleScatti() const;
    // Adds another set: pulses of the same day add up, records follow.
    void Unisci(const Pendenti& altri);
};

inline const QString NomeRecupero = QStringLiteral("Velatrix.rec");

// Replaces the file with these entries, on disk before it returns; false
// with the reason when it cannot.
[[nodiscard]] bool ScriviRecupero(const QString& percorso, const Pendenti& pendenti, QString* motivo);
// The entries of the file; nothing when there is no file or it cannot be
// read. Lines that are not entries are skipped.
std::optional<Pendenti> LeggiRecupero(const QString& percorso);
