// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one poll of the control timer on a host with many ordinary
// interfaces, beside the same poll reading every interface's sysfs folder.
// Runs as root in a network namespace of its own, filled with tap devices;
// elsewhere it says why and does nothing.
#include "NetworkManagerFinto.h"
#include "engine/LinkPuntoPunto.h"
#include "engine/NetworkManager.h"

#include <QElapsedTimer>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/if_tun.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString radiceSys;
int taps = 0;

// An ordinary Ethernet-like interface, up, with an address, as a host's
// bridges and veths are.
bool NuovoTap(int n)
{
    const QByteArray nome = "tap" + QByteArray::number(n);
    const int fd = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    ifreq ifr{};
    ifr.ifr_flags = IFF_TAP | IFF_NO_PI;
    std::strncpy(ifr.ifr_name, nome.constData(), IFNAMSIZ - 1);
    const bool ok = ::ioctl(fd, TUNSETIFF, &ifr) == 0 && ::ioctl(fd, TUNSETPERSIST, 1) == 0;
    ::close(fd);
    const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (!ok || s < 0)
        return false;
    bool su = ::ioctl(s, SIOCGIFFLAGS, &ifr) == 0;
    ifr.ifr_flags = short(ifr.ifr_flags | IFF_UP);
    su = su && ::ioctl(s, SIOCSIFFLAGS, &ifr) == 0;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl((10u << 24) | (20u << 16) | unsigned(n + 1));
    std::memcpy(&ifr.ifr_addr, &sa, sizeof sa);
    su = su && ::ioctl(s, SIOCSIFADDR, &ifr) == 0;
    ::close(s);
    return su;
}

bool Interfacce(int n)
{
    while (taps < n)
        if (!NuovoTap(taps++))
            return false;
    return true;
}

// What the panel does every second while idle: look for a link.
void Controllo(benchmark::State& stato)
{
    if (!Interfacce(int(stato.range(0)))) {
        stato.SkipWithError("cannot create the interfaces");
        return;
    }
    LinkPuntoPunto link(radiceSys, QStringLiteral("/var/run"), QStringLiteral("/proc"));
    for (auto _ : stato)
        benchmark::DoNotOptimize(link.CercaConnessione(nullptr));
    stato.counters["interfacce"] = double(stato.range(0));
}

// The same poll when every interface's sysfs folder is read, as for a link.
void ControlloLeggendoTutte(benchmark::State& stato)
{
    if (!Interfacce(int(stato.range(0)))) {
        stato.SkipWithError("cannot create the interfaces");
        return;
    }
    for (auto _ : stato) {
        ElencoKernel kernel(radiceSys);
        QList<InterfacciaRete> elenco;
        kernel.Leggi(&elenco);
        for (InterfacciaRete& i : elenco)
            kernel.Completa(&i);
        benchmark::DoNotOptimize(elenco.size());
    }
}

// The kernel read in full at every poll, as when a link or an address has
// just changed.
void ControlloDopoUnCambio(benchmark::State& stato)
{
    if (!Interfacce(int(stato.range(0)))) {
        stato.SkipWithError("cannot create the interfaces");
        return;
    }
    for (auto _ : stato) {
        LinkPuntoPunto link(radiceSys, QStringLiteral("/var/run"), QStringLiteral("/proc"));
        benchmark::DoNotOptimize(link.CercaConnessione(nullptr));
    }
}

// What the panel does every second for a dormant NetworkManager link, with
// its name asked of a NetworkManager that never answers: the longest of
// these polls is the longest the panel ever waits.
void ControlloConNetworkManagerMuto(benchmark::State& stato)
{
    BusPrivato bus;
    QString perche;
    if (!bus.Avvia(&perche)) {
        stato.SkipWithError(perche.toStdString().c_str());
        return;
    }
    NetworkManagerFinto nm(bus.Connetti(QStringLiteral("servizio")));
    nm.trattieni = true;
    NetworkManagerDBus cliente(bus.Connetti(QStringLiteral("cliente")));
    QTemporaryDir tmp;
    QDir(tmp.path()).mkpath(QStringLiteral("run"));
    QDir(tmp.path()).mkpath(QStringLiteral("proc/321"));
    const auto scrivi = [&](const QString& relativo, const QByteArray& dati) {
        QFile f(tmp.filePath(relativo));
        return f.open(QIODevice::WriteOnly) && f.write(dati) == dati.size();
    };
    if (!nm.Registra() || !scrivi(QStringLiteral("run/ppp0.pid"), "321\n")
        || !scrivi(QStringLiteral("proc/321/cmdline"),
                   QByteArray("pppd") + '\0' + "ipparam" + '\0' + "/org/freedesktop/NetworkManager/PPP/3" + '\0')) {
        stato.SkipWithError("cannot set up the stand-in");
        return;
    }
    struct : ElencoInterfacce {
        bool Leggi(QList<InterfacciaRete>* elenco) override
        {
            *elenco = {{QStringLiteral("ppp0"), 5, IFF_POINTOPOINT | IFF_UP, ARPHRD_PPP, true, false, 1, false}};
            return true;
        }
    } elenco;
    LinkPuntoPunto link(elenco, tmp.filePath(QStringLiteral("run")), tmp.filePath(QStringLiteral("proc")));
    link.ImpostaGestoreRete(&cliente);
    qint64 massimo = 0;
    for (auto _ : stato) {
        QElapsedTimer orologio;
        orologio.start();
        QString nome;
        benchmark::DoNotOptimize(link.StatoConnessione(link.CercaConnessione(&nome)));
        QCoreApplication::processEvents();
        massimo = std::max(massimo, orologio.nsecsElapsed());
    }
    stato.counters["poll_piu_lungo_ms"] = double(massimo) / 1e6;
    stato.counters["domande"] = nm.richieste;
}

// Registered in this order: the interfaces are only ever added.
BENCHMARK(ControlloConNetworkManagerMuto)->Unit(benchmark::kMicrosecond);
BENCHMARK(Controllo)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(ControlloDopoUnCambio)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(ControlloLeggendoTutte)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(Controllo)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(ControlloDopoUnCambio)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(ControlloLeggendoTutte)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // Nothing of this may touch the machine's own interfaces.
    if (::geteuid() != 0 || ::access("/dev/net/tun", R_OK | W_OK) != 0 || ::unshare(CLONE_NEWNET | CLONE_NEWNS) != 0) {
        std::printf("needs root and /dev/net/tun for a network namespace of its own: %s\n", std::strerror(errno));
        return 0;
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    const QByteArray sys = QFile::encodeName(tmp.filePath("sys"));
    QDir().mkpath(tmp.filePath("sys"));
    // sysfs of this namespace, so the identities read are its own.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("sysfs", sys.constData(), "sysfs", MS_RDONLY, nullptr) != 0) {
        std::printf("cannot mount a private sysfs: %s\n", std::strerror(errno));
        return 0;
    }
    radiceSys = tmp.filePath("sys/class/net");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    ::umount2(sys.constData(), MNT_DETACH);
    return 0;
}
