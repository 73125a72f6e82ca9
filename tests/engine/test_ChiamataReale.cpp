// SPDX-License-Identifier: GPL-3.0-or-later
// Whole calls on real kernel links: detection, engine, database and log
// together, in a network namespace of the test's own.
#include "BancoMotore.h"
#include "SpazioDiRete.h"
#include "engine/LinkPuntoPunto.h"
#include "engine/Rilevamento.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <functional>
#include <gtest/gtest.h>

#include <csignal>
#include <ifaddrs.h>
#include <net/if_arp.h>
#include <sys/mount.h>

namespace {

// Detection and engine on the real kernel, ticked by hand on a stand-in
// clock: one tick is one second of the call.
struct ChiamataReale : BancoMotore {
    QTemporaryDir run;
    std::unique_ptr<LinkPuntoPunto> link;
    std::unique_ptr<Rilevamento> rilevamento;

    // cartellaRun: where pppd writes its pid files; a folder of the test's
    // own when empty.
    bool Prepara(const QString& cartellaRun = {})
    {
        if (!BancoMotore::Prepara() || !run.isValid())
            return false;
        link =
            std::make_unique<LinkPuntoPunto>(QStringLiteral("/sys/class/net"),
                                             cartellaRun.isEmpty() ? run.path() : cartellaRun, QStringLiteral("/proc"));
        rilevamento = std::make_unique<Rilevamento>(imp, *motore, *link, vista, suoni, orologio);
        return true;
    }
    void Tick()
    {
        orologio.Avanza(1);
        motore->TimerScatto_Timer();
        rilevamento->TimerControllo_Timer();
    }
    // Carrier and addresses reach the kernel's lists a moment later.
    bool TickFinche(const std::function<bool()>& fatto)
    {
        for (int i = 0; i < 200 && !fatto(); ++i) {
            Tick();
            ::usleep(10000);
        }
        return fatto();
    }
};

TEST(NelloSpazioDiRete, UnModemPppDiNomeQualunqueEUnaChiamata)
{
    if (!spazio::Entra())
        GTEST_SKIP() << spazio::DaFuori;
    ChiamataReale c;
    ASSERT_TRUE(c.Prepara());
    ASSERT_TRUE(c.imp.IfcPtp.isEmpty());

    // A tun of kernel type PPP stands for a ppp unit that pppd's ifname
    // called modem0.
    spazio::TunReale modem;
    if (!modem.Crea("modem0", ARPHRD_PPP)) {
        std::printf("%scannot create a tun device of type PPP: %s\n", spazio::Salta, std::strerror(errno));
        GTEST_SKIP();
    }
    ASSERT_TRUE(spazio::Configura("modem0", "10.8.0.1", "10.8.0.2"));
    ASSERT_TRUE(c.TickFinche([&] { return c.motore->ConteggioAttivo(); })) << "modem0 was not charged";
    EXPECT_EQ(c.motore->NomeConnessione(), "modem0");
    for (int i = 0; i < 500; ++i)
        c.Tick();
    EXPECT_GT(c.motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 1);

    modem.Chiudi(); // the device goes with its last holder, as a ppp unit with pppd
    ASSERT_TRUE(c.TickFinche([&] { return !c.motore->ConteggioAttivo(); }));
    ASSERT_EQ(c.log->NumeroRecord(), 1);
    const auto record = c.log->LeggiRecord(1);
    EXPECT_EQ(record->Connessione.trimmed(), "modem0");
    EXPECT_EQ(record->Scatti, c.db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31))->scatti);
}

// True once the interface is up and running with an IPv4 address, waiting
// up to `secondi` of real time: pppd's negotiation takes its own time.
bool AttendiCollegato(const char* nome, int secondi)
{
    for (int i = 0; i < secondi * 50; ++i) {
        ifaddrs* lista = nullptr;
        if (::getifaddrs(&lista) != 0)
            return false;
        bool pronto = false;
        for (const ifaddrs* a = lista; a; a = a->ifa_next)
            pronto |= std::strcmp(a->ifa_name, nome) == 0 && a->ifa_addr && a->ifa_addr->sa_family == AF_INET
                      && (a->ifa_flags & (IFF_UP | IFF_RUNNING)) == (IFF_UP | IFF_RUNNING);
        ::freeifaddrs(lista);
        if (pronto)
            return true;
        ::usleep(20000);
    }
    return false;
}

bool Scompare(const char* nome, int secondi)
{
    for (int i = 0; i < secondi * 50 && ::if_nametoindex(nome) != 0; ++i)
        ::usleep(20000);
    return ::if_nametoindex(nome) == 0;
}

// Two real pppd over a pty pair, the peer in a namespace of its own: where
// the kernel has PPP and pppd is installed.
TEST(NelloSpazioDiRete, UnPppdVeroEUnaChiamata)
{
    if (!spazio::Entra())
        GTEST_SKIP() << spazio::DaFuori;
    const QString pppd = QStandardPaths::findExecutable(QStringLiteral("pppd"), {"/usr/sbin", "/sbin"});
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    const int dispositivo = ::open("/dev/ppp", O_RDWR | O_CLOEXEC);
    if (dispositivo < 0 || pppd.isEmpty() || unshare.isEmpty()) {
        std::printf("%s%s\n", spazio::Salta,
                    dispositivo < 0 ? "no PPP in this kernel (/dev/ppp cannot be opened)"
                                    : "pppd or unshare is not installed");
        GTEST_SKIP();
    }
    ::close(dispositivo);
    // pppd writes its pid files in /run: a private one, gone with the test.
    ASSERT_EQ(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0) << std::strerror(errno);
    ASSERT_EQ(::mount("tmpfs", "/run", "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755"), 0) << std::strerror(errno);
    ChiamataReale c;
    ASSERT_TRUE(c.Prepara(QStringLiteral("/run")));

    const QStringList comuni{"nodetach", "noauth", "local", "nolock", "noccp", "novj", "nodefaultroute", "logfd", "2"};
    const QString pari =
        QStringList{pppd, "notty", "ifname", "pari0", "10.9.0.2:10.9.0.1"}.join(' ') + ' ' + comuni.join(' ');
    QProcess locale;
    locale.setProcessChannelMode(QProcess::ForwardedChannels);
    locale.start(pppd, QStringList{"ifname", "modem1", "linkname", "Casa", "10.9.0.1:10.9.0.2", "pty",
                                   unshare + QStringLiteral(" -n ") + pari}
                           + comuni);
    ASSERT_TRUE(locale.waitForStarted());
    ASSERT_TRUE(AttendiCollegato("modem1", 30)) << "pppd did not bring the link up";
    ASSERT_TRUE(c.TickFinche([&] { return c.motore->ConteggioAttivo(); })) << "modem1 was not charged";
    EXPECT_EQ(c.motore->NomeConnessione(), "Casa");
    for (int i = 0; i < 500; ++i)
        c.Tick();
    EXPECT_GT(c.motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 1);

    // The peer dies as a line drops: the link goes, and within two polls the
    // call ends with one record.
    QFile pid(QStringLiteral("/run/pari0.pid"));
    ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
    ASSERT_EQ(::kill(pid.readLine().trimmed().toInt(), SIGKILL), 0);
    EXPECT_TRUE(Scompare("modem1", 30));
    c.Tick();
    c.Tick();
    EXPECT_FALSE(c.motore->ConteggioAttivo());
    locale.terminate();
    locale.waitForFinished(10000);
    ASSERT_EQ(c.log->NumeroRecord(), 1);
    const auto record = c.log->LeggiRecord(1);
    EXPECT_EQ(record->Connessione.trimmed(), "Casa");
    EXPECT_EQ(record->Scatti, c.db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31))->scatti);
}

// Its own entry, so a kernel without PPP shows as a skip of this test alone.
TEST(LinkNelKernel, PppdVeroNelloSpazioDiRete) { spazio::EseguiNelFiglio("NelloSpazioDiRete.UnPppdVeroEUnaChiamata"); }

} // namespace
