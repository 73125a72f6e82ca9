// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The grid's view of a log file: records are read and formatted only when
// shown, so a log of any length opens at once.
#include "log/FileLog.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <memory>
#include <vector>

class ModelloLog : public QAbstractTableModel {
public:
    explicit ModelloLog(QObject* genitore = nullptr);
    ~ModelloLog() override;

    // Shows `percorso` from its first row; call again after the file changed.
    void Apri(const QString& percorso);
    qint64 Righe() const { return righe_; }
    // Empty unless the file could not be read.
    QString Errore() const;

    int rowCount(const QModelIndex& genitore = {}) const override;
    int columnCount(const QModelIndex& genitore = {}) const override;
    QVariant data(const QModelIndex& indice, int ruolo = Qt::DisplayRole) const override;
    QVariant headerData(int sezione, Qt::Orientation orientamento, int ruolo = Qt::DisplayRole) const override;

private:
    const QStringList* Riga(qint64 riga) const;

    std::unique_ptr<LettoreLog> lettore_;
    qint64 righe_ = 0;
    // The formatted rows around the last one asked for.
    mutable std::vector<QStringList> cache_;
    mutable qint64 primaInCache_ = 0;
};
