// SPDX-License-Identifier: GPL-3.0-or-later
// NetworkManager asked over a bus of the test's own, by a panel that never
// waits for it.
#include "BancoMotore.h"
#include "NetworkManagerFinto.h"
#include "app/Controllore.h"
#include "engine/LinkPuntoPunto.h"
#include "engine/NetworkManager.h"
#include "engine/Rilevamento.h"
#include "engine/TerminatoreChiamata.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

#include <net/if.h>
#include <net/if_arp.h>

namespace {

struct ElencoFisso : ElencoInterfacce {
    QList<InterfacciaRete> interfacce;
    bool Leggi(QList<InterfacciaRete>* elenco) override
    {
        *elenco = interfacce;
        return true;
    }
};

class NetworkManagerSulBus : public ::testing::Test, protected BancoMotore {
protected:
    void SetUp() override
    {
        QString perche;
        if (!bus.Avvia(&perche))
            GTEST_SKIP() << perche.toStdString();
        ASSERT_TRUE(Prepara());
        nm = std::make_unique<NetworkManagerFinto>(bus.Connetti(QStringLiteral("servizio")));
        ASSERT_TRUE(nm->Registra());
        cliente = std::make_unique<NetworkManagerDBus>(bus.Connetti(QStringLiteral("cliente")));

        link = std::make_unique<LinkPuntoPunto>(elenco, tmp.filePath(QStringLiteral("run")),
                                                tmp.filePath(QStringLiteral("proc")));
        rilevamento = std::make_unique<Rilevamento>(imp, *motore, *link, vista, suoni, orologio);
    }
    // A ppp unit up with its address.
    void Collega()
    {
        elenco.interfacce = {
            {QStringLiteral("ppp0"), 5, IFF_POINTOPOINT | IFF_UP | IFF_RUNNING, ARPHRD_PPP, true, false, 100, false}};
    }
    // One second of the panel: both timers, then whatever the bus brought.
    void Tick()
    {
        orologio.Avanza(1);
        motore->TimerScatto_Timer();
        rilevamento->TimerControllo_Timer();
        QCoreApplication::processEvents();
    }

    BusPrivato bus;
    std::unique_ptr<NetworkManagerFinto> nm;
    std::unique_ptr<NetworkManagerDBus> cliente;
    ElencoFisso elenco;
    std::unique_ptr<LinkPuntoPunto> link;
    std::unique_ptr<Rilevamento> rilevamento;
};

TEST_F(NetworkManagerSulBus, IlNomeEQuelloDellaConnessioneAttiva)
{
    nm->connessioni = {{QStringLiteral("ppp0"), QStringLiteral("Casa ADSL")}, {QStringLiteral("ppp1"), QString()}};
    QMap<QString, QString> risposte;
    for (const QString& i : {QStringLiteral("ppp0"), QStringLiteral("ppp1"), QStringLiteral("eth9")})
        cliente->ChiediNome(i, [&risposte, i](const QString& nome) { risposte[i] = nome; });
    EXPECT_TRUE(risposte.isEmpty()); // never at once
    ASSERT_TRUE(QTest::qWaitFor([&] { return risposte.size() == 3; }, 5000));
    EXPECT_EQ(risposte.value("ppp0"), "Casa ADSL");
    EXPECT_TRUE(risposte.value("ppp1").isEmpty()); // no active connection
    EXPECT_TRUE(risposte.value("eth9").isEmpty()); // no such device

    // A client gone before the answer is never called back.
    nm->trattieni = true;
    bool chiamato = false;
    auto breve = std::make_unique<NetworkManagerDBus>(bus.Connetti(QStringLiteral("breve")));
    breve->ChiediNome(QStringLiteral("ppp0"), [&](const QString&) { chiamato = true; });
    const int prima = nm->richieste;
    ASSERT_TRUE(QTest::qWaitFor([&] { return nm->richieste == prima + 1; }, 5000));
    breve.reset();
    nm->Rilascia();
    QTest::qWait(100);
    EXPECT_FALSE(chiamato);
}

TEST_F(NetworkManagerSulBus, IlTettoChiudeConNetworkManagerOColComando)
{
    TerminatoreChiamata chiusura(imp, *rilevamento, *link, cliente.get());
    Collega();
    Tick();
    ASSERT_TRUE(motore->ConteggioAttivo());
    const auto chiudi = [&] {
        std::optional<QString> esito;
        chiusura.TerminaChiamata([&](const QString& perche) { esito = perche; });
        EXPECT_FALSE(esito) << "answered inside the step that asked";
        EXPECT_TRUE(QTest::qWaitFor([&] { return esito.has_value(); }, 10000));
        return esito.value_or("nessuna risposta");
    };
    const QString file = tmp.filePath(QStringLiteral("comando"));
    const auto scritto = [&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };

    // NetworkManager does not manage ppp0: the user's command ends it.
    imp.CmdTrm = QStringLiteral("printf '%s %s' \"$VELATRIX_CONNESSIONE\" \"$VELATRIX_INTERFACCIA\" > '") + file + "'";
    EXPECT_EQ(chiudi(), "");
    EXPECT_EQ(scritto(), "ppp0 ppp0");
    imp.CmdTrm = QStringLiteral("exit 3");
    EXPECT_EQ(chiudi(), "il comando \"exit 3\" è terminato con codice 3.");
    imp.CmdTrm.clear();
    EXPECT_TRUE(chiudi().startsWith("NetworkManager non la gestisce e nessun comando"));

    // It does: its connection is deactivated and no command runs.
    QFile::remove(file);
    imp.CmdTrm = QStringLiteral("touch '") + file + "'";
    nm->connessioni = {{QStringLiteral("ppp0"), QStringLiteral("Casa ADSL")}};
    EXPECT_EQ(chiudi(), "");
    EXPECT_EQ(nm->disattivate, QStringList{"/org/freedesktop/NetworkManager/ActiveConnection/ppp0"});
    nm->rifiuta = true;
    EXPECT_EQ(chiudi(), "NetworkManager: Not authorized to deactivate connections");
    EXPECT_FALSE(QFile::exists(file));
}

struct FinestraFinta : FinestraMessaggio {
    QStringList mostrati;
    void Mostra(const QString& t) override { mostrati << t; }
    bool Aperta() const override { return !mostrati.isEmpty(); }
};

TEST_F(NetworkManagerSulBus, AllAllarmeLaChiamataFinisceEIlRecordSiScrive)
{
    TerminatoreChiamata chiusura(imp, *rilevamento, *link, cliente.get());
    FinestraFinta finestra;
    UtenteFinto utente;
    Controllore controllo(imp, *motore, utente, suoni);
    controllo.ImpostaVista(vista);
    controllo.ImpostaFinestraMessaggio(&finestra);
    controllo.ImpostaChiusuraChiamata(&chiusura);
    controllo.ImpostaConnessioneSeguita(rilevamento.get());
    imp.TrmAll = true;
    imp.Msg[1] = true;
    imp.MsV[1] = 100;
    nm->connessioni = {{QStringLiteral("ppp0"), QStringLiteral("Casa ADSL")}};
    Collega();
    Tick(); // the first pulse passes the limit
    // The alarm is shown once the outcome is in; the link is followed, so
    // detection, not the controller, ends the count.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finestra.mostrati.isEmpty(); }, 5000));
    EXPECT_EQ(nm->disattivate.size(), 1);
    EXPECT_TRUE(motore->ConteggioAttivo());
    elenco.interfacce.clear();
    Tick();
    EXPECT_FALSE(motore->ConteggioAttivo());
    EXPECT_EQ(log->NumeroRecord(), 1);
}

} // namespace
