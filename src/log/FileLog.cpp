// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLog.h"

#include "common/ErroriSistema.h"
#include "common/FileIntero.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qint64 L = LunghezzaRecordLog;
// Records gathered before each write of a copy.
constexpr int RecordPerScrittura = 8192;

bool Fallito(QString* motivo, const QString& percorso, const QString& causa)
{
    if (motivo)
        *motivo = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(percorso), CausaInItaliano(causa));
    return false;
}

QString TestoErrno(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

// The whole buffer at `posizione`, or the errno that stopped it.
int ScriviTutto(int fd, const char* dati, qint64 quanti, qint64 posizione)
{
    while (quanti > 0) {
        const ssize_t n = ::pwrite(fd, dati, size_t(quanti), off_t(posizione));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        dati += n;
        quanti -= n;
        posizione += n;
    }
    return 0;
}

int Sincronizza(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

// A file just created survives a crash only once its folder entry is on disk too.
void SincronizzaCartella(const QString& percorsoFile)
{
    const QByteArray cartella = QFile::encodeName(QFileInfo(percorsoFile).absolutePath());
    const int fd = ::open(cartella.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        Sincronizza(fd);
        ::close(fd);
    }
}

qint64 CopiaFallita(QString* motivo, const FileIntero& copia)
{
    if (motivo)
        *motivo = copia.Errore();
    return -1;
}

} // namespace

qint64 FileLog::NumeroRecord() const
{
    const QFileInfo info(percorso_);
    return info.isFile() ? info.size() / L : 0;
}

std::optional<RecordLog> FileLog::LeggiRecord(qint64 n) const
{
    const auto byte = ByteRecord(n);
    if (!byte)
        return std::nullopt;
    return DecodificaRecordLog(byte->constData());
}

std::optional<QByteArray> FileLog::ByteRecord(qint64 n) const
{
    if (n < 1)
        return std::nullopt;
    QFile f(percorso_);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || f.size() / L < n || !f.seek((n - 1) * L))
        return std::nullopt;
    QByteArray byte = f.read(L);
    if (byte.size() != L)
        return std::nullopt;
    return byte;
}

bool FileLog::Aggiungi(const RecordLog& record, QString* motivo)
{
    const bool nuovo = !QFileInfo::exists(percorso_);
    QFile f(percorso_);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return Fallito(motivo, percorso_, f.errorString());
    const qint64 confine = f.size() / L * L;
    char byte[L];
    CodificaRecordLog(record, byte);
    int e = ScriviTutto(f.handle(), byte, L, confine);
    if (e == 0)
        e = Sincronizza(f.handle());
    if (e != 0) {
        // Whatever part of the record got through would read as garbage, or
        // be taken for a record once the next append completes it.
        while (::ftruncate(f.handle(), off_t(confine)) != 0 && errno == EINTR) {
        }
        Sincronizza(f.handle());
        return Fallito(motivo, percorso_, TestoErrno(e));
    }
    f.close();
    if (nuovo)
        SincronizzaCartella(percorso_);
    return true;
}

bool FileLog::Azzera(QString* motivo)
{
    QFile f(percorso_);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Fallito(motivo, percorso_, f.errorString());
    return true;
}

LettoreLog::LettoreLog(const QString& percorso, int recordPerBlocco)
    : file_(percorso), recordPerBlocco_(std::max(1, recordPerBlocco))
{
    if (!file_.exists())
        return;
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        errore_ = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(percorso), file_.errorString());
        return;
    }
    numero_ = file_.size() / L;
}

bool LettoreLog::CaricaBlocco(qint64 primo)
{
    const qint64 quanti = std::min<qint64>(recordPerBlocco_, numero_ - primo + 1);
    blocco_.resize(quanti * L);
    primoNelBlocco_ = 0;
    nelBlocco_ = 0;
    qint64 letti = 0;
    if (file_.seek((primo - 1) * L)) {
        while (letti < blocco_.size()) {
            const qint64 n = file_.read(blocco_.data() + letti, blocco_.size() - letti);
            if (n <= 0)
                break;
            letti += n;
        }
    }
    if (letti < blocco_.size()) {
        // Shortened since it was opened: what is left is all there is.
        numero_ = primo - 1 + letti / L;
        if (letti < L) {
            errore_ = QStringLiteral("%1: %2").arg(
                QDir::toNativeSeparators(file_.fileName()),
                file_.error() != QFile::NoError ? file_.errorString() : QStringLiteral("il file è stato accorciato"));
            return false;
        }
    }
    primoNelBlocco_ = primo;
    nelBlocco_ = letti / L;
    return true;
}

const char* LettoreLog::Byte(qint64 n, bool indietro)
{
    if (n < 1 || n > numero_)
        return nullptr;
    if (primoNelBlocco_ == 0 || n < primoNelBlocco_ || n >= primoNelBlocco_ + nelBlocco_) {
        const qint64 primo = indietro ? std::max<qint64>(1, n - recordPerBlocco_ + 1) : n;
        if (!CaricaBlocco(primo) || n >= primoNelBlocco_ + nelBlocco_)
            return nullptr;
    }
    return blocco_.constData() + (n - primoNelBlocco_) * L;
}

std::optional<RecordLog> LettoreLog::LeggiRecord(qint64 n)
{
    // A grid scrolling up asks for records below the block: load the block
    // that ends at n, not the one that starts there.
    const bool indietro = primoNelBlocco_ > 0 && n < primoNelBlocco_;
    const char* p = Byte(n, indietro);
    if (!p)
        return std::nullopt;
    return DecodificaRecordLog(p);
}

const char* LettoreLog::ProssimoByte()
{
    const char* p = Byte(posizione_ + 1, false);
    if (p)
        ++posizione_;
    return p;
}

bool LettoreLog::Prossimo(RecordLog& record, const char** byte)
{
    const char* p = ProssimoByte();
    if (!p)
        return false;
    record = DecodificaRecordLog(p);
    if (byte)
        *byte = p;
    return true;
}

qint64 ScriviCopiaFiltrata(const QString& sorgente, const QString& destinazione,
                           const std::function<bool(const RecordLog&)>& scelta, QString* motivo,
                           const AvanzamentoLog& avanzamento)
{
    return ScriviCopiaFiltrata(
        sorgente, destinazione, [&scelta](const char* byte) { return scelta(DecodificaRecordLog(byte)); }, motivo,
        avanzamento);
}

qint64 ScriviCopiaFiltrata(const QString& sorgente, const QString& destinazione,
                           const std::function<bool(const char* byte)>& scelta, QString* motivo,
                           const AvanzamentoLog& avanzamento)
{
    LettoreLog lettore(sorgente);
    if (!lettore.Errore().isEmpty()) {
        if (motivo)
            *motivo = lettore.Errore();
        return -1;
    }
    FileIntero copia(destinazione);
    if (!copia.Apri())
        return CopiaFallita(motivo, copia);

    QByteArray attesa;
    attesa.reserve(RecordPerScrittura * L);
    const auto svuota = [&] {
        const bool ok = copia.Scrivi(attesa);
        attesa.resize(0); // keeps its memory for the next block
        return ok;
    };
    const qint64 totale = lettore.NumeroRecord();
    qint64 scritti = 0;
    bool scritto = true;
    while (const char* byte = lettore.ProssimoByte()) {
        if (scelta(byte)) {
            // The bytes as they were: a copy never rewrites what it copies.
            attesa.append(byte, L);
            ++scritti;
            if (attesa.size() >= RecordPerScrittura * L && !(scritto = svuota()))
                break;
        }
        if (avanzamento)
            avanzamento(lettore.Posizione(), totale);
    }
    if (!lettore.Errore().isEmpty()) {
        copia.Annulla();
        if (motivo)
            *motivo = lettore.Errore();
        return -1;
    }
    if (!scritto || !svuota())
        return CopiaFallita(motivo, copia);
    if (!copia.Conferma())
        return CopiaFallita(motivo, copia);
    return scritti;
}

qint64 ScriviCopia(const QString& destinazione, const std::vector<RecordLog>& records, QString* motivo)
{
    FileIntero copia(destinazione);
    if (!copia.Apri())
        return CopiaFallita(motivo, copia);
    QByteArray dati(qsizetype(records.size()) * L, Qt::Uninitialized);
    for (size_t i = 0; i < records.size(); ++i)
        CodificaRecordLog(records[i], dati.data() + qsizetype(i) * L);
    if (!copia.Scrivi(dati))
        return CopiaFallita(motivo, copia);
    if (!copia.Conferma())
        return CopiaFallita(motivo, copia);
    return qint64(records.size());
}
