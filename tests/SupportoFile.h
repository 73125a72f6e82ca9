// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stand-ins for a read-only folder and a full disk, and whole-file reads and
// writes, shared by the tests that write files.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

// The whole file, or nothing when it cannot be read.
inline QByteArray Contenuto(const QString& percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes dati in full as the file's content, making its folder if need be.
inline void ScriviFile(const QString& percorso, const QByteArray& dati)
{
    QDir().mkpath(QFileInfo(percorso).absolutePath());
    QFile f(percorso);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(dati), dati.size());
}

// Permissions mean nothing to root: the read-only cases run as nobody, who is
// still in root's group, so their modes give the group what others get.
class SenzaPrivilegi {
public:
    SenzaPrivilegi() { cambiato_ = ::geteuid() == 0 && ::seteuid(65534) == 0; }
    ~SenzaPrivilegi()
    {
        // The tests after it would run without root's rights.
        if (cambiato_ && ::seteuid(0) != 0)
            std::abort();
    }

private:
    bool cambiato_ = false;
};

// Caps the size of files this process writes, so a write stops part way as
// on a full disk.
class LimiteDimensione {
public:
    explicit LimiteDimensione(rlim_t byte) : prima_(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &vecchio_);
        rlimit nuovo = vecchio_;
        nuovo.rlim_cur = byte;
        ::setrlimit(RLIMIT_FSIZE, &nuovo);
    }
    ~LimiteDimensione()
    {
        ::setrlimit(RLIMIT_FSIZE, &vecchio_);
        std::signal(SIGXFSZ, prima_);
    }

private:
    void (*prima_)(int);
    rlimit vecchio_{};
};

// A small tmpfs mounted on `cartella` in a mount namespace of this thread's
// own, so nothing of the machine changes: filled up, it is a full disk;
// remounted read-only, a read-only one. Needs root (Pronto() false otherwise).
class DiscoPiccolo {
public:
    DiscoPiccolo(const QString& cartella, int kilobyte = 256) : cartella_(cartella), nome_(QFile::encodeName(cartella))
    {
        static const bool privato = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0
                                    && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        QDir().mkpath(cartella);
        const QByteArray opzioni = "size=" + QByteArray::number(kilobyte) + "k,mode=0755";
        pronto_ =
            privato && ::mount("tmpfs", nome_.constData(), "tmpfs", MS_NOSUID | MS_NODEV, opzioni.constData()) == 0;
    }
    ~DiscoPiccolo()
    {
        if (pronto_)
            ::umount2(nome_.constData(), MNT_DETACH);
    }
    bool Pronto() const { return pronto_; }
    // Takes every free byte.
    void Riempi()
    {
        const int fd = ::open((nome_ + "/.riempimento").constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        static const char blocco[4096] = {};
        for (size_t n = sizeof blocco; fd >= 0 && n > 0;)
            if (::write(fd, blocco, n) < 0) {
                if (errno != ENOSPC)
                    break;
                n /= 2;
            }
        ::close(fd);
    }
    void Libera() { QFile::remove(cartella_ + "/.riempimento"); }
    bool SoloLettura(bool si)
    {
        return ::mount(nullptr, nome_.constData(), nullptr, MS_REMOUNT | MS_NOSUID | MS_NODEV | (si ? MS_RDONLY : 0),
                       nullptr)
               == 0;
    }

private:
    QString cartella_;
    QByteArray nome_;
    bool pronto_ = false;
};
