// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SegnaliTerminazione.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int coppia[2] = {-1, -1};

void AlSegnale(int)
{
    const char c = 1;
    // Only async-signal-safe work here; the rest happens in the event loop.
    [[maybe_unused]] ssize_t n = ::write(coppia[0], &c, 1);
}
} // namespace

SegnaliTerminazione::SegnaliTerminazione(QObject* genitore) : QObject(genitore)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, coppia) != 0)
        return;
    notifica_ = new QSocketNotifier(coppia[1], QSocketNotifier::Read, this);
    connect(notifica_, &QSocketNotifier::activated, this, [this] {
        char c;
        [[maybe_unused]] ssize_t n = ::read(coppia[1], &c, 1);
        emit Terminazione();
    });
    struct sigaction azione {};
    azione.sa_handler = AlSegnale;
    sigemptyset(&azione.sa_mask);
    azione.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        sigaction(s, &azione, nullptr);
}

SegnaliTerminazione::~SegnaliTerminazione()
{
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        std::signal(s, SIG_DFL);
}
