// SPDX-License-Identifier: GPL-3.0-or-later
// Whole calls on real kernel links: detection, engine, database and log
// together, in a network namespace of the test's own.
#include "BancoMotore.h"
#include "SpazioDiRete.h"
#include "engine/LinkPuntoPunto.h"
#include "engine/Rilevamento.h"

#include <QDir>
#include <gtest/gtest.h>
#include <functional>

#include <net/if_arp.h>

namespace {

// Detection and engine on the real kernel, ticked by hand on a stand-in
// clock: one tick is one second of the call.
struct ChiamataReale : BancoMotore {
    QTemporaryDir run;
    std::unique_ptr<LinkPuntoPunto> link;
    std::unique_ptr<Rilevamento> rilevamento;

    bool Prepara()
    {
        if (!BancoMotore::Prepara() || !run.isValid())
            return false;
        link = std::make_unique<LinkPuntoPunto>(QStringLiteral("/sys/class/net"), run.path(), QStringLiteral("/proc"));
        rilevamento = std::make_unique<Rilevamento>(imp, *motore, *link, vista, suoni, orologio);
        motore->ImpostaConnessioneSeguita(rilevamento.get());
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

    modem.Chiudi();  // the device goes with its last holder, as a ppp unit with pppd
    ASSERT_TRUE(c.TickFinche([&] { return !c.motore->ConteggioAttivo(); }));
    ASSERT_EQ(c.log->NumeroRecord(), 1);
    const auto record = c.log->LeggiRecord(1);
    EXPECT_EQ(record->Connessione.trimmed(), "modem0");
    EXPECT_EQ(record->Scatti, c.db.Somma(QDate(2026, 12, 1), QDate(2026, 12, 31))->scatti);
}

}  // namespace
