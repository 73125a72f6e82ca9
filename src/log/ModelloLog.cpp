// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModelloLog.h"

#include "log/TestiLog.h"

#include <algorithm>
#include <limits>

namespace {

// Rows formatted at a time, a few screens; half before the one asked for so
// scrolling up is served as well as scrolling down.
constexpr int RigheInCache = 256;

} // namespace

ModelloLog::ModelloLog(QObject* genitore) : QAbstractTableModel(genitore) {}

ModelloLog::~ModelloLog() = default;

void ModelloLog::Apri(const QString& percorso)
{
    beginResetModel();
    lettore_ = std::make_unique<LettoreLog>(percorso);
    righe_ = std::min<qint64>(lettore_->NumeroRecord(), std::numeric_limits<int>::max());
    cache_.clear();
    primaInCache_ = 0;
    endResetModel();
}

QString ModelloLog::Errore() const { return lettore_ ? lettore_->Errore() : QString(); }

int ModelloLog::rowCount(const QModelIndex& genitore) const { return genitore.isValid() ? 0 : int(righe_); }

int ModelloLog::columnCount(const QModelIndex& genitore) const { return genitore.isValid() ? 0 : ColonneLog; }

const QStringList* ModelloLog::Riga(qint64 riga) const
{
    if (riga < primaInCache_ || riga >= primaInCache_ + qint64(cache_.size())) {
        if (!lettore_)
            return nullptr;
        const qint64 prima = std::max<qint64>(0, riga - RigheInCache / 2);
        LettoreLog& lettore = *lettore_;
        std::vector<RigaLog> righe =
            RichiediRigheLog([&lettore](qint64 n) { return lettore.LeggiRecord(n); }, righe_,
                             prima == 0 ? QString() : QString::number(prima - 1), false, RigheInCache);
        cache_.clear();
        cache_.reserve(righe.size());
        for (RigaLog& r : righe)
            cache_.push_back(std::move(r.colonne));
        primaInCache_ = prima;
        if (riga >= primaInCache_ + qint64(cache_.size()))
            return nullptr;
    }
    return &cache_[size_t(riga - primaInCache_)];
}

QVariant ModelloLog::data(const QModelIndex& indice, int ruolo) const
{
    if (!indice.isValid() || indice.column() >= ColonneLog)
        return {};
    if (ruolo == Qt::TextAlignmentRole) {
        const int c = indice.column();
        return QVariant::fromValue(
            Qt::Alignment((c >= 4 && c <= 6 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    if (ruolo != Qt::DisplayRole)
        return {};
    const QStringList* r = Riga(indice.row());
    return r ? QVariant(r->at(indice.column())) : QVariant();
}

QVariant ModelloLog::headerData(int sezione, Qt::Orientation orientamento, int ruolo) const
{
    if (orientamento == Qt::Horizontal && ruolo == Qt::DisplayRole && sezione >= 0 && sezione < ColonneLog)
        return IntestazioniLog().at(sezione);
    return QAbstractTableModel::headerData(sezione, orientamento, ruolo);
}
