// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Real links inside a network namespace of the test's own: tun devices and
// the child run that holds the namespace.
#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <ifaddrs.h>
#include <linux/if_tun.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace spazio {

inline constexpr char Dentro[] = "VELATRIX_TEST_SPAZIO_RETE";
inline constexpr char Salta[] = "VELATRIX-SALTA: ";
inline constexpr char DaFuori[] = "run by LinkNelKernel.NelloSpazioDiReteProprio, in a namespace of its own";

// Tests of the suite NelloSpazioDiRete run only in the child run, each in a
// namespace of its own; nothing of them may touch the machine's interfaces.
// Prints the skip marker the parent reports, and false, when that cannot be.
inline bool Entra()
{
    if (qEnvironmentVariable(Dentro) != QLatin1String("1"))
        return false;
    if (::unshare(CLONE_NEWNET | CLONE_NEWNS) != 0) {
        std::printf("%sunshare(CLONE_NEWNET|CLONE_NEWNS) failed: %s\n", Salta, std::strerror(errno));
        return false;
    }
    return true;
}

// Runs the tests of `filtro` in a child process, where Entra() holds.
inline void EseguiNelFiglio(const char* filtro)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to create a network namespace and tun devices";
    if (::access("/dev/net/tun", R_OK | W_OK) != 0)
        GTEST_SKIP() << "no usable /dev/net/tun";
    QProcess figlio;
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert(Dentro, "1");
    figlio.setProcessEnvironment(ambiente);
    figlio.setProcessChannelMode(QProcess::MergedChannels);
    figlio.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=") + QLatin1String(filtro), "--gtest_color=no"});
    ASSERT_TRUE(figlio.waitForFinished(120000)) << "the namespace run did not end";
    const QString uscita = QString::fromLocal8Bit(figlio.readAll());
    if (const qsizetype k = uscita.indexOf(Salta); k >= 0)
        GTEST_SKIP() << uscita.mid(k + qsizetype(std::strlen(Salta))).section('\n', 0, 0).toStdString();
    EXPECT_EQ(figlio.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(figlio.exitCode(), 0) << uscita.toStdString();
    EXPECT_TRUE(uscita.contains("[  PASSED  ]") && !uscita.contains("[  FAILED  ]")) << uscita.toStdString();
}

// Asks every 20 ms until `fatto` holds, for `secondi` at the most: the kernel
// shows carrier, addresses and removals a moment after they happen.
inline bool Finche(const std::function<bool()>& fatto, int secondi = 3)
{
    for (int i = 0; i < secondi * 50 && !fatto(); ++i)
        ::usleep(20000);
    return fatto();
}

// The interface holds an address of that family, with those flags set.
inline bool HaIndirizzo(const char* nome, int famiglia, unsigned flags = 0)
{
    ifaddrs* lista = nullptr;
    if (::getifaddrs(&lista) != 0)
        return false;
    bool trovato = false;
    for (const ifaddrs* a = lista; a; a = a->ifa_next)
        trovato |= std::strcmp(a->ifa_name, nome) == 0 && a->ifa_addr && a->ifa_addr->sa_family == famiglia
                   && (a->ifa_flags & flags) == flags;
    ::freeifaddrs(lista);
    return trovato;
}

class TunReale {
public:
    ~TunReale() { Chiudi(); }
    // tipoLink: the kernel link type to give the device (TUNSETLINK), -1 to
    // keep the tun's own.
    bool Crea(const char* nome, int tipoLink = -1)
    {
        Chiudi();
        fd_ = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
        ifreq ifr{};
        ifr.ifr_flags = IFF_TUN | IFF_NO_PI;
        std::strncpy(ifr.ifr_name, nome, IFNAMSIZ - 1);
        return fd_ >= 0 && ::ioctl(fd_, TUNSETIFF, &ifr) == 0
               && (tipoLink < 0 || ::ioctl(fd_, TUNSETLINK, static_cast<unsigned long>(tipoLink)) == 0);
    }
    bool Persistente(bool si) { return ::ioctl(fd_, TUNSETPERSIST, si ? 1 : 0) == 0; }
    void Chiudi()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// Brings the interface up and, when given, sets its address and peer.
inline bool Configura(const char* nome, const char* locale, const char* remoto)
{
    const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        return false;
    ifreq ifr{};
    std::strncpy(ifr.ifr_name, nome, IFNAMSIZ - 1);
    bool ok = ::ioctl(s, SIOCGIFFLAGS, &ifr) == 0;
    ifr.ifr_flags = short(ifr.ifr_flags | IFF_UP);
    ok = ok && ::ioctl(s, SIOCSIFFLAGS, &ifr) == 0;
    const auto indirizzo = [&](unsigned long richiesta, const char* testo) {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        ::inet_pton(AF_INET, testo, &sa.sin_addr);
        std::memcpy(&ifr.ifr_addr, &sa, sizeof sa);
        return ::ioctl(s, richiesta, &ifr) == 0;
    };
    if (locale)
        ok = ok && indirizzo(SIOCSIFADDR, locale) && indirizzo(SIOCSIFDSTADDR, remoto);
    ::close(s);
    return ok;
}

} // namespace spazio
