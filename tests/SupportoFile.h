// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stand-ins for a read-only folder and a full disk, shared by the tests that
// write files.
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

// Permissions mean nothing to root: the read-only cases run as nobody, who is
// still in root's group, so their modes give the group what others get.
class SenzaPrivilegi {
public:
    SenzaPrivilegi() { cambiato_ = ::geteuid() == 0 && ::seteuid(65534) == 0; }
    ~SenzaPrivilegi()
    {
        if (cambiato_)
            (void)::seteuid(0);
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
