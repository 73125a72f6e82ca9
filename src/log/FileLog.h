// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection log (Velatrix.003) and its filtered copy (Velatrix.T03):
// plain sequences of 74-byte records. Record n (from 1) lies at (n - 1) x 74;
// a tail shorter than a record is not a record.
#include "log/RecordLog.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// One log file, opened and closed by each call. A missing file is an empty
// log; reading never creates it.
class FileLog {
public:
    explicit FileLog(QString percorso) : percorso_(std::move(percorso)) {}
    const QString& Percorso() const { return percorso_; }

    qint64 NumeroRecord() const;
    // Nothing when n is out of range or the file cannot be read.
    std::optional<RecordLog> LeggiRecord(qint64 n) const;
    // Record n as stored.
    std::optional<QByteArray> ByteRecord(qint64 n) const;

    // Writes the record after the last whole one (over a partial tail) and
    // has it on disk before returning. On failure the file keeps its whole
    // records and nothing else, and `motivo` says why.
    [[nodiscard]] bool Aggiungi(const RecordLog& record, QString* motivo = nullptr);
    // Leaves a file of zero records, creating it when missing.
    [[nodiscard]] bool Azzera(QString* motivo = nullptr);

private:
    QString percorso_;
};

// Holds one log file open for a window that reads many records: records in
// order through Prossimo, or any record through LeggiRecord, both served from
// blocks of many records read at once. The number of records is taken when it
// opens; reopen after the file has been changed.
class LettoreLog {
public:
    explicit LettoreLog(const QString& percorso, int recordPerBlocco = 4096);

    // Empty while all is well; a missing file is well (no records).
    const QString& Errore() const { return errore_; }
    qint64 NumeroRecord() const { return numero_; }

    std::optional<RecordLog> LeggiRecord(qint64 n);
    // The record after the one Prossimo last gave, starting from record 1.
    // False at the end or on a read error (then Errore says so). `byte`, when
    // asked for, gets the record as stored, valid until the next read.
    bool Prossimo(RecordLog& record, const char** byte = nullptr);
    // The same record as stored, not decoded; nullptr at the end or on a read
    // error. Valid until the next read.
    const char* ProssimoByte();
    // Number of the record Prossimo gave last, 0 before the first.
    qint64 Posizione() const { return posizione_; }

private:
    const char* Byte(qint64 n, bool indietro);
    bool CaricaBlocco(qint64 primo);

    QFile file_;
    QString errore_;
    qint64 numero_ = 0;
    qint64 posizione_ = 0;
    int recordPerBlocco_;
    QByteArray blocco_;
    qint64 primoNelBlocco_ = 0; // record number of blocco_[0], 0 when empty
    qint64 nelBlocco_ = 0;
};

// Called after each source record with how many were read and the total.
using AvanzamentoLog = std::function<void(qint64 letti, qint64 totale)>;

// Replaces `destinazione` with the records of `sorgente` that `scelta` keeps,
// in order. The copy goes to a temporary file in the same folder and takes
// the old file's place only when complete, so a failure leaves the old copy
// as it was. Returns the number written, or -1 with the reason.
qint64 ScriviCopiaFiltrata(const QString& sorgente, const QString& destinazione,
                           const std::function<bool(const RecordLog&)>& scelta, QString* motivo = nullptr,
                           const AvanzamentoLog& avanzamento = {});
// The same, choosing on the stored bytes of each record.
qint64 ScriviCopiaFiltrata(const QString& sorgente, const QString& destinazione,
                           const std::function<bool(const char* byte)>& scelta, QString* motivo = nullptr,
                           const AvanzamentoLog& avanzamento = {});
qint64 ScriviCopia(const QString& destinazione, const std::vector<RecordLog>& records, QString* motivo = nullptr);
