// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FileIntero.h"

#include "common/ErroriSistema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QString TestoErrno(int e) { return CausaInItaliano(QString::fromLocal8Bit(std::strerror(e))); }

int Sincronizza(int fd)
{
    while (::fsync(fd) != 0)
        if (errno != EINTR)
            return errno;
    return 0;
}

} // namespace

FileIntero::FileIntero(QString destinazione) : FileIntero(std::move(destinazione), Opzioni{}) {}

FileIntero::FileIntero(QString destinazione, Opzioni opzioni)
    : destinazione_(std::move(destinazione)), opzioni_(opzioni)
{
}

FileIntero::~FileIntero() { Annulla(); }

bool FileIntero::Fallisci(int codice, const QString& percorso)
{
    if (errore_.isEmpty())
        errore_ = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(percorso), TestoErrno(codice));
    Annulla();
    return false;
}

bool FileIntero::Apri()
{
    Annulla();
    errore_.clear();
    if (opzioni_.seguiCollegamento) {
        const QString vero = QFileInfo(destinazione_).canonicalFilePath();
        if (!vero.isEmpty())
            destinazione_ = vero;
    }
    const QFileInfo info(destinazione_);
    int modo = opzioni_.modo;
    struct stat st {};
    if (modo == 0 && ::stat(QFile::encodeName(destinazione_).constData(), &st) == 0 && S_ISREG(st.st_mode))
        modo = int(st.st_mode & 07777);
    // A name of our own beside the target, so the rename stays on one file
    // system; never one that exists already.
    for (int tentativo = 0; tentativo < 100; ++tentativo) {
        provvisorio_ = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.')
                       + QString::number(QRandomGenerator::global()->generate64() & 0xffffffffffull, 36);
        fd_ = ::open(QFile::encodeName(provvisorio_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                     modo ? mode_t(modo) : mode_t(0666));
        if (fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        const int e = errno;
        provvisorio_.clear();
        return Fallisci(e, destinazione_);
    }
    if (modo != 0 && ::fchmod(fd_, mode_t(modo)) != 0)
        return Fallisci(errno, destinazione_);
    return true;
}

bool FileIntero::Scrivi(const char* dati, qint64 quanti)
{
    if (fd_ < 0)
        return Fallisci(EBADF, destinazione_);
    while (quanti > 0) {
        const ssize_t n = ::write(fd_, dati, size_t(quanti));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Fallisci(errno, destinazione_);
        }
        if (n == 0)
            return Fallisci(ENOSPC, destinazione_);
        dati += n;
        quanti -= n;
    }
    return true;
}

bool FileIntero::Conferma()
{
    if (fd_ < 0)
        return Fallisci(EBADF, destinazione_);
    if (const int e = Sincronizza(fd_))
        return Fallisci(e, destinazione_);
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR)
        return Fallisci(errno, destinazione_);
    if (std::rename(QFile::encodeName(provvisorio_).constData(), QFile::encodeName(destinazione_).constData()) != 0)
        return Fallisci(errno, destinazione_);
    provvisorio_.clear();
    // The new name survives a crash only once the folder is on disk too.
    const QByteArray cartella = QFile::encodeName(QFileInfo(destinazione_).absolutePath());
    const int fdCartella = ::open(cartella.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdCartella < 0)
        return Fallisci(errno, destinazione_);
    const int e = Sincronizza(fdCartella);
    ::close(fdCartella);
    return e == 0 || Fallisci(e, destinazione_);
}

void FileIntero::Annulla()
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!provvisorio_.isEmpty())
        ::unlink(QFile::encodeName(std::exchange(provvisorio_, QString())).constData());
}

bool FileIntero::ScriviTutto(const QString& percorso, const QByteArray& dati, QString* motivo, Opzioni opzioni)
{
    FileIntero file(percorso, opzioni);
    if (file.Apri() && file.Scrivi(dati) && file.Conferma())
        return true;
    if (motivo)
        *motivo = file.Errore();
    return false;
}
