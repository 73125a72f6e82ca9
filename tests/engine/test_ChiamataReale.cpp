// SPDX-License-Identifier: GPL-3.0-or-later
// Whole calls on real kernel links: detection, engine, database and log
// together, in a network namespace of the test's own.
#include "BancoMotore.h"
#include "SpazioDiRete.h"
#include "engine/LinkPuntoPunto.h"
#include "engine/Rilevamento.h"

#include <QProcess>
#include <QStandardPaths>
#include <functional>
#include <gtest/gtest.h>

#include <csignal>
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
    // Charged under that name, long enough for more than the first pulse.
    void Addebita(const QString& nome)
    {
        ASSERT_TRUE(TickFinche([&] { return motore->ConteggioAttivo(); })) << nome.toStdString() << " was not charged";
        EXPECT_EQ(motore->NomeConnessione(), nome);
        for (int i = 0; i < 500; ++i)
            Tick();
        EXPECT_GT(motore->TotaliDelPeriodo(PeriodoImporto::Connessione).scatti, 1);
    }
    // The call ended with one record, holding every pulse of the day's row.
    void UnRecord(const QString& nome)
    {
        EXPECT_FALSE(motore->ConteggioAttivo());
        ASSERT_EQ(log->NumeroRecord(), 1);
        const auto record = log->LeggiRecord(1);
        EXPECT_EQ(record->Connessione.trimmed(), nome);
        EXPECT_EQ(record->Scatti, db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31))->scatti);
    }
};

TEST(NelloSpazioDiRete, UnModemPppDiNomeQualunqueEUnaChiamata)
{
    if (!spazio::Entra())
        GTEST_SKIP() << spazio::DaFuori;
    ChiamataReale c;
    ASSERT_TRUE(c.Prepara());

    // A tun of kernel type PPP, named in no setting, stands for a ppp unit
    // that pppd's ifname called modem0.
    spazio::TunReale modem;
    if (!modem.Crea("modem0", ARPHRD_PPP)) {
        std::printf("%scannot create a tun device of type PPP: %s\n", spazio::Salta, std::strerror(errno));
        GTEST_SKIP();
    }
    ASSERT_TRUE(spazio::Configura("modem0", "10.8.0.1", "10.8.0.2"));
    c.Addebita("modem0");

    modem.Chiudi(); // the device goes with its last holder, as a ppp unit with pppd
    c.TickFinche([&] { return !c.motore->ConteggioAttivo(); });
    c.UnRecord("modem0");
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
    // pppd's negotiation takes its own time.
    ASSERT_TRUE(spazio::Finche([] { return spazio::HaIndirizzo("modem1", AF_INET, IFF_UP | IFF_RUNNING); }, 30))
        << "pppd did not bring the link up";
    c.Addebita("Casa");

    // The peer dies as a line drops: the link goes, and within two polls the
    // call ends with one record.
    QFile pid(QStringLiteral("/run/pari0.pid"));
    ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
    ASSERT_EQ(::kill(pid.readLine().trimmed().toInt(), SIGKILL), 0);
    EXPECT_TRUE(spazio::Finche([] { return ::if_nametoindex("modem1") == 0; }, 30));
    c.Tick();
    c.Tick();
    c.UnRecord("Casa");
    locale.terminate();
    locale.waitForFinished(10000);
}

// Its own entry, so a kernel without PPP shows as a skip of this test alone.
TEST(LinkNelKernel, PppdVeroNelloSpazioDiRete) { spazio::EseguiNelFiglio("NelloSpazioDiRete.UnPppdVeroEUnaChiamata"); }

} // namespace
