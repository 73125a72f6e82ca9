// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpazioDiRete.h"
#include "engine/GestoreRete.h"
#include "engine/LinkPuntoPunto.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>

#include <net/if.h>
#include <net/if_arp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned PP = IFF_POINTOPOINT | IFF_NOARP | IFF_MULTICAST;
constexpr unsigned ATTIVO = IFF_UP | IFF_RUNNING;

struct ElencoFinto : ElencoInterfacce {
    bool leggibile = true;
    QList<InterfacciaRete> interfacce;
    QStringList completate;
    bool Leggi(QList<InterfacciaRete>* elenco) override
    {
        if (!leggibile)
            return false;
        *elenco = interfacce;
        return true;
    }
    void Completa(InterfacciaRete* i) override { completate << i->nome; }
};

InterfacciaRete Ppp(int indice, unsigned flags, bool ipv4 = false, quint64 identita = 0)
{
    return {QStringLiteral("ppp0"), indice, PP | flags, ARPHRD_PPP, ipv4, false, identita};
}

class LinkFinto : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        QDir(tmp.path()).mkpath("run");
    }
    QString Run() const { return tmp.filePath("run"); }
    QString Proc() const { return tmp.filePath("proc"); }
    void Scrivi(const QString& relativo, const QByteArray& dati)
    {
        const QString percorso = tmp.filePath(relativo);
        QDir().mkpath(QFileInfo(percorso).path());
        QFile f(percorso);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(dati);
    }

    QTemporaryDir tmp;
    ElencoFinto elenco;
    LinkPuntoPunto link{elenco, Run(), Proc()};
};

TEST_F(LinkFinto, StatoDaFlagEIndirizzi)
{
    const struct {
        const char* caso;
        unsigned flags;
        bool ipv4, ipv6;
        StatoLink atteso;
    } casi[] = {
        {"created, not up", 0, false, false, StatoLink::Composizione},
        {"up without carrier, addresses set", IFF_UP, true, true, StatoLink::Composizione},
        {"running but not up", IFF_RUNNING, true, false, StatoLink::Composizione},
        {"up and running, no address", ATTIVO, false, false, StatoLink::Autenticazione},
        {"IPv4 address", ATTIVO, true, false, StatoLink::Connesso},
        {"global IPv6 only", ATTIVO, false, true, StatoLink::Connesso},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        elenco.interfacce = {{"ppp0", 3, PP | c.flags, ARPHRD_PPP, c.ipv4, c.ipv6}};
        const quint32 m = link.CercaConnessione(nullptr);
        ASSERT_NE(m, 0u);
        EXPECT_EQ(link.StatoConnessione(m), c.atteso);
    }
}

TEST_F(LinkFinto, SoloLeChiamateContanoEIlResoSoloSeNominato)
{
    const struct {
        InterfacciaRete i;
        bool link;
    } casi[] = {
        {{"lo", 1, IFF_LOOPBACK | ATTIVO, ARPHRD_LOOPBACK, true, true}, false},
        {{"lo", 1, IFF_LOOPBACK | PP | ATTIVO, -1, true}, false},
        {{"ppp0", 1, IFF_LOOPBACK | ATTIVO, ARPHRD_LOOPBACK, true}, false},
        {{"eth0", 2, IFF_BROADCAST | IFF_MULTICAST | ATTIVO, ARPHRD_ETHER, true, true}, false},
        {{"pppbr", 2, IFF_BROADCAST | ATTIVO, ARPHRD_ETHER, true}, false},
        {{"ppp", 2, IFF_BROADCAST | ATTIVO, ARPHRD_ETHER, true}, false},
        {{"ppp0", 4, PP | ATTIVO, ARPHRD_PPP, true}, true},
        // A ppp unit by its kernel type, whatever pppd's ifname called it.
        {{"modem0", 4, PP | ATTIVO, ARPHRD_PPP, true}, true},
        {{"ppp12", 4, ATTIVO, -1, true}, true},
        {{"wwan0", 6, IFF_POINTOPOINT | IFF_NOARP | ATTIVO, ARPHRD_NONE, true, false, 0, true}, true},
        {{"wwp0s20u4", 6, IFF_BROADCAST | ATTIVO, ARPHRD_ETHER, true, false, 0, true}, true},
        {{"ppp0", 0, PP | ATTIVO, ARPHRD_PPP, true}, false}, // no ifindex to follow it by
        // VPNs and tunnels are point-to-point too, and no phone call.
        {{"tun0", 5, PP | ATTIVO, ARPHRD_NONE, true}, false},
        {{"wg0", 5, PP | ATTIVO, ARPHRD_NONE, true, true}, false},
        {{"gre1", 5, PP | ATTIVO, ARPHRD_IPGRE, true}, false},
        {{"sit1", 5, PP | ATTIVO, ARPHRD_SIT, false, true}, false},
        {{"ipip1", 5, PP | ATTIVO, ARPHRD_TUNNEL, true}, false},
        {{"ip6tnl1", 5, PP | ATTIVO, ARPHRD_TUNNEL6, false, true}, false},
        {{"ppp3", 5, PP | ATTIVO, ARPHRD_NONE, true}, false},  // a tun under a ppp unit's name
        {{"wwan1", 6, PP | ATTIVO, ARPHRD_NONE, true}, false}, // named so, but not a wwan device
        // Named by the user.
        {{"tun7", 5, PP | ATTIVO, ARPHRD_NONE, true}, true},
        {{"vpn-casa", 5, PP | ATTIVO, ARPHRD_NONE, true}, true},
        {{"gre9", 5, PP | ATTIVO, ARPHRD_IPGRE, true}, true},
        {{"tun7", 5, IFF_LOOPBACK | ATTIVO, ARPHRD_LOOPBACK, true}, false},
    };
    link.InterfacceNominate({"tun7", "vpn-casa", "gre9"});
    for (const auto& c : casi) {
        SCOPED_TRACE(c.i.nome.toStdString() + " " + std::to_string(c.i.flags));
        elenco.interfacce = {c.i};
        QString nome;
        const quint32 m = link.CercaConnessione(&nome);
        EXPECT_EQ(m != 0, c.link);
        EXPECT_EQ(nome, c.link ? c.i.nome : QString());
    }
}

TEST_F(LinkFinto, LeInterfacceComuniNonSiLeggonoOltre)
{
    // A busy host: loopback, Ethernet, bridges, veths; then one ppp and one tun.
    elenco.interfacce = {InterfacciaRete{"lo", 1, IFF_LOOPBACK | ATTIVO, ARPHRD_LOOPBACK, true}};
    for (int k = 0; k < 100; ++k)
        elenco.interfacce << InterfacciaRete{QStringLiteral("veth%1").arg(k), 10 + k, IFF_BROADCAST | ATTIVO,
                                             ARPHRD_ETHER, true};
    EXPECT_EQ(link.CercaConnessione(nullptr), 0u);
    EXPECT_TRUE(elenco.completate.isEmpty());
    elenco.interfacce << Ppp(200, 0) << InterfacciaRete{"tun0", 201, PP | ATTIVO, ARPHRD_NONE, true};
    EXPECT_NE(link.CercaConnessione(nullptr), 0u);
    EXPECT_EQ(elenco.completate, (QStringList{"ppp0", "tun0"}));
}

TEST_F(LinkFinto, CambiTraDueLettureEIlLoroEffettoSullaManiglia)
{
    const struct {
        const char* caso;
        InterfacciaRete poi;
        bool stessa;
        bool sparitaTraLeDue = false;
    } casi[] = {
        {"recreated with the same ifindex", Ppp(5, ATTIVO, true, 200), false},
        {"recreated with another ifindex", Ppp(6, ATTIVO, true, 100), false},
        {"gone, then back with the same ifindex", Ppp(5, 0), false, true},
        {"identity unreadable for a moment", Ppp(5, ATTIVO, true, 0), true},
        {"renamed", InterfacciaRete{"dsl", 5, PP | ATTIVO, ARPHRD_PPP, true, false, 100}, true},
        {"addresses dropped", Ppp(5, ATTIVO, false, 100), true},
        {"carrier dropped", Ppp(5, 0, true, 100), true},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        ElencoFinto e;
        LinkPuntoPunto l(e, Run(), Proc());
        e.interfacce = {Ppp(5, ATTIVO, true, 100)};
        const quint32 m = l.CercaConnessione(nullptr);
        ASSERT_NE(m, 0u);
        if (c.sparitaTraLeDue) {
            e.interfacce.clear();
            EXPECT_EQ(l.CercaConnessione(nullptr), 0u);
        }
        e.interfacce = {c.poi};
        QString nome;
        const quint32 n = l.CercaConnessione(&nome);
        EXPECT_EQ(nome, c.poi.nome);
        EXPECT_NE(n, 0u);
        EXPECT_EQ(n == m, c.stessa);
        EXPECT_EQ(l.StatoConnessione(m), c.stessa ? LinkPuntoPunto::Stato(c.poi) : StatoLink::Disconnesso);
        EXPECT_EQ(l.StatoConnessione(n), LinkPuntoPunto::Stato(c.poi));
        // The identity seen first is kept, so a later recreation still shows.
        e.interfacce = {Ppp(5, ATTIVO, true, 300)};
        EXPECT_NE(l.CercaConnessione(nullptr), m);
    }
}

TEST_F(LinkFinto, KernelNonInterrogabileNonEUnaFine)
{
    elenco.interfacce = {Ppp(5, ATTIVO, true)};
    const quint32 m = link.CercaConnessione(nullptr);
    ASSERT_NE(m, 0u);

    elenco.leggibile = false;
    EXPECT_EQ(link.StatoConnessione(m), StatoLink::Ignoto);
    QString nome = "avanzo";
    EXPECT_EQ(link.CercaConnessione(&nome), 0u);
    EXPECT_TRUE(nome.isEmpty());
    EXPECT_EQ(link.StatoConnessione(m + 1000), StatoLink::Disconnesso); // never given

    elenco.leggibile = true;
    EXPECT_EQ(link.StatoConnessione(m), StatoLink::Connesso);
    EXPECT_EQ(link.CercaConnessione(nullptr), m);

    // Gone while the kernel could not be asked: seen at the next reading.
    elenco.leggibile = false;
    elenco.interfacce.clear();
    EXPECT_EQ(link.StatoConnessione(m), StatoLink::Ignoto);
    elenco.leggibile = true;
    EXPECT_EQ(link.StatoConnessione(m), StatoLink::Disconnesso);
}

TEST_F(LinkFinto, DueLinkPrimaQuelloConLaPortantePoiIfindexMinore)
{
    link.InterfacceNominate({"tun9"});
    elenco.interfacce = {InterfacciaRete{"tun9", 12, PP, ARPHRD_NONE, true}, Ppp(7, 0)};
    QString nome;
    const quint32 ppp = link.CercaConnessione(&nome);
    EXPECT_EQ(nome, "ppp0");
    EXPECT_EQ(link.StatoConnessione(ppp), StatoLink::Composizione);
    EXPECT_EQ(link.CercaConnessione(&nome), ppp);

    // A link with its carrier comes before one without (a modem left idle).
    elenco.interfacce[0].flags |= ATTIVO;
    const quint32 tun = link.CercaConnessione(&nome);
    EXPECT_EQ(nome, "tun9");
    EXPECT_NE(tun, ppp);
    EXPECT_EQ(link.StatoConnessione(tun), StatoLink::Connesso);
    EXPECT_EQ(link.StatoConnessione(ppp), StatoLink::Composizione);

    elenco.interfacce.removeLast();
    EXPECT_EQ(link.StatoConnessione(ppp), StatoLink::Disconnesso);
    EXPECT_EQ(link.CercaConnessione(&nome), tun);
}

QByteArray Argomenti(std::initializer_list<QByteArray> arg)
{
    QByteArray r;
    for (const QByteArray& a : arg)
        r += a + '\0';
    return r;
}

TEST_F(LinkFinto, NomeDellaVoceDaPppd)
{
    const QByteArray chiamata = Argomenti({"/usr/sbin/pppd", "call", "provider"});
    const struct {
        const char* caso;
        QList<std::pair<QString, QByteArray>> file;
        QString atteso;
    } casi[] = {
        {"nothing written", {}, "ppp0"},
        {"linkname file", {{"run/ppp-casa.pid", "321\nppp0\n"}, {"run/ppp0.pid", "321\n"}}, "casa"},
        {"linkname file, no interface pid file", {{"run/ppp-casa.pid", "321\nppp0\n"}}, "casa"},
        {"linkname file of another interface", {{"run/ppp-casa.pid", "321\nppp1\n"}}, "ppp0"},
        {"linkname file before the interface is named", {{"run/ppp-casa.pid", "321\n"}}, "ppp0"},
        {"linkname file left by a dead pppd",
         {{"run/ppp-vecchio.pid", "99\nppp0\n"}, {"run/ppp0.pid", "321\n"}, {"proc/321/cmdline", chiamata}},
         "provider"},
        {"ipparam before call",
         {{"run/ppp0.pid", "321"}, {"proc/321/cmdline", Argomenti({"pppd", "call", "isp", "ipparam", "ufficio"})}},
         "ufficio"},
        {"linkname on the command line",
         {{"run/ppp0.pid", "321\n"},
          {"proc/321/cmdline", Argomenti({"pppd", "ipparam", "x", "linkname", "lavoro", "call", "isp"})}},
         "lavoro"},
        {"last repeated option wins",
         {{"run/ppp0.pid", "321\n"}, {"proc/321/cmdline", Argomenti({"pppd", "call", "a", "call", "b"})}},
         "b"},
        {"pid now of another program",
         {{"run/ppp0.pid", "321\n"}, {"proc/321/cmdline", Argomenti({"/bin/bash", "call", "isp"})}},
         "ppp0"},
        {"pppd without a name",
         {{"run/ppp0.pid", "321\n"}, {"proc/321/cmdline", Argomenti({"pppd", "/dev/ttyS0"})}},
         "ppp0"},
        {"option without value",
         {{"run/ppp0.pid", "321\n"}, {"proc/321/cmdline", Argomenti({"pppd", "call"})}},
         "ppp0"},
        {"damaged pid file", {{"run/ppp0.pid", "abc\n"}, {"proc/0/cmdline", chiamata}}, "ppp0"},
        {"only blanks", {{"run/ppp0.pid", "321\n"}, {"proc/321/cmdline", Argomenti({"pppd", "call", " \t"})}}, "ppp0"},
        {"very long name",
         {{"run/ppp0.pid", "321\n"}, {"proc/321/cmdline", Argomenti({"pppd", "call", QByteArray(1000, 'x')})}},
         QString(256, 'x')},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        QDir(Run()).removeRecursively();
        QDir(Proc()).removeRecursively();
        for (const auto& [percorso, dati] : c.file)
            Scrivi(percorso, dati);
        elenco.interfacce = {Ppp(5, 0)};
        QString nome;
        ASSERT_NE(link.CercaConnessione(&nome), 0u);
        EXPECT_EQ(nome, c.atteso);
    }
}

// Keeps every question until the test answers it.
struct GestoreFinto : GestoreRete {
    QStringList chiesti;
    QList<std::function<void(const QString&)>> inAttesa;
    void ChiediNome(const QString& i, std::function<void(const QString&)> risposta) override
    {
        chiesti << i;
        inAttesa << std::move(risposta);
    }
    void Disattiva(const QString&, std::function<void(const EsitoDisattivazione&)> esito) override { esito({}); }
    void Rispondi(const QString& nome)
    {
        for (const auto& r : std::exchange(inAttesa, {}))
            r(nome);
    }
};

TEST_F(LinkFinto, IlNomeDiNetworkManagerSiChiedeUnaVoltaPerLinkSenzaAttenderlo)
{
    Scrivi("run/ppp0.pid", "321\n");
    Scrivi("proc/321/cmdline", Argomenti({"/usr/sbin/pppd", "plugin", "nm-pppd-plugin.so", "ipparam",
                                          "/org/freedesktop/NetworkManager/PPP/3", "nodetach"}));
    GestoreFinto nm;
    link.ImpostaGestoreRete(&nm);
    elenco.interfacce = {Ppp(5, 0, false, 100)};
    QString nome;
    const quint32 m = link.CercaConnessione(&nome);
    ASSERT_NE(m, 0u);
    EXPECT_EQ(nome, "ppp0"); // the interface stands in until the answer
    for (int i = 0; i < 5; ++i) {
        link.CercaConnessione(&nome);
        link.StatoConnessione(m);
    }
    EXPECT_EQ(link.NomeConnessione(m), "ppp0");
    EXPECT_EQ(nm.chiesti, QStringList{"ppp0"});
    nm.Rispondi("Casa \x1b ADSL");
    EXPECT_EQ(link.NomeConnessione(m), "Casa ADSL");
    link.CercaConnessione(&nome);
    EXPECT_EQ(nome, "Casa ADSL");
    EXPECT_EQ(nm.chiesti.size(), 1);

    // The link made anew is asked anew; an answer for a link gone is dropped.
    elenco.interfacce = {Ppp(5, 0, false, 200)};
    const quint32 n = link.CercaConnessione(&nome);
    EXPECT_NE(n, m);
    EXPECT_EQ(nome, "ppp0");
    EXPECT_EQ(nm.chiesti.size(), 2);
    elenco.interfacce.clear();
    EXPECT_EQ(link.StatoConnessione(n), StatoLink::Disconnesso);
    nm.Rispondi("Vecchia");
    elenco.interfacce = {Ppp(5, 0, false, 300)};
    link.CercaConnessione(&nome);
    EXPECT_EQ(nome, "ppp0");
    nm.Rispondi(QString()); // no answer, or no connection: never the path
    link.CercaConnessione(&nome);
    EXPECT_EQ(nome, "ppp0");
    EXPECT_EQ(nm.chiesti.size(), 3);

    // Nobody to ask: still never the path.
    link.ImpostaGestoreRete(nullptr);
    elenco.interfacce = {Ppp(5, 0, false, 400)};
    link.CercaConnessione(&nome);
    EXPECT_EQ(nome, "ppp0");

    // Any other ipparam is the user's own name, and NetworkManager is not asked.
    link.ImpostaGestoreRete(&nm);
    Scrivi("proc/321/cmdline", Argomenti({"/usr/sbin/pppd", "ipparam", "/home/casa"}));
    elenco.interfacce = {Ppp(5, 0, false, 500)};
    link.CercaConnessione(&nome);
    EXPECT_EQ(nome, "/home/casa");
    EXPECT_EQ(nm.chiesti.size(), 3);
}

TEST_F(LinkFinto, FileSpecialiAlPostoDeiPidNonBloccano)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(Run() + "/ppp0.pid").constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(Run() + "/ppp-casa.pid").constData(), 0600), 0);
    elenco.interfacce = {Ppp(5, 0)};
    QString nome;
    EXPECT_NE(link.CercaConnessione(&nome), 0u);
    EXPECT_EQ(nome, "ppp0");
}

TEST(ElencoKernel, LeggeIlKernelEAccettaSysfsSoloSeConcorda)
{
    const int indiceLo = int(::if_nametoindex("lo"));
    if (indiceLo == 0)
        GTEST_SKIP() << "no loopback interface here";
    QTemporaryDir sys;
    ASSERT_TRUE(sys.isValid());
    QDir(sys.path()).mkpath("lo");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(sys.filePath("lo")).constData(), &st), 0);

    const struct {
        const char* caso;
        QByteArray ifindex; // null: no file
        quint64 identita;
    } casi[] = {
        {"matching ifindex", QByteArray::number(indiceLo) + "\n", quint64(st.st_ino)},
        {"other namespace's ifindex", QByteArray::number(indiceLo + 1000) + "\n", 0},
        {"junk", "lo\n", 0},
        {"no file", QByteArray(), 0},
    };
    for (const auto& c : casi) {
        SCOPED_TRACE(c.caso);
        QFile::remove(sys.filePath("lo/ifindex"));
        if (!c.ifindex.isNull()) {
            QFile f(sys.filePath("lo/ifindex"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.ifindex);
        }
        QFile uevent(sys.filePath("lo/uevent"));
        ASSERT_TRUE(uevent.open(QIODevice::WriteOnly));
        uevent.write("INTERFACE=lo\nDEVTYPE=wwan\n");
        uevent.close();
        ElencoKernel kernel(sys.path());
        QList<InterfacciaRete> elenco;
        ASSERT_TRUE(kernel.Leggi(&elenco));
        const auto lo = std::find_if(elenco.begin(), elenco.end(), [](const auto& i) { return i.nome == "lo"; });
        ASSERT_NE(lo, elenco.end());
        EXPECT_EQ(lo->identita, 0u); // the list alone reads nothing of sysfs
        kernel.Completa(&*lo);
        EXPECT_EQ(lo->indice, indiceLo);
        EXPECT_TRUE(lo->flags & IFF_LOOPBACK);
        EXPECT_EQ(lo->tipo, ARPHRD_LOOPBACK);
        EXPECT_FALSE(LinkPuntoPunto::PuntoPunto(*lo));
        EXPECT_EQ(lo->identita, c.identita);
        EXPECT_EQ(lo->wwan, c.identita != 0); // device type only from its own sysfs
        for (const auto& i : elenco)
            EXPECT_FALSE(i.nome.contains(':')) << "alias label kept: " << i.nome.toStdString();
    }
}

// Real tun devices, inside a network namespace of the test's own.

using spazio::Configura;
using spazio::TunReale;

// Carrier and running state go through the kernel's link watch, which may
// take up to a second.
StatoLink Attendi(LinkPuntoPunto& link, quint32 maniglia, StatoLink voluto)
{
    StatoLink s = StatoLink::Ignoto;
    spazio::Finche([&] { return (s = link.StatoConnessione(maniglia)) == voluto; });
    return s;
}

// sysfs mounted privately, so it shows this namespace's interfaces; removed
// before its folder is.
struct SysfsPrivato {
    QString cartella;
    bool montato = false;
    explicit SysfsPrivato(const QString& c) : cartella(c)
    {
        const QByteArray p = QFile::encodeName(c);
        montato =
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
            && ::mount("sysfs", p.constData(), "sysfs", MS_RDONLY | MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) == 0;
    }
    ~SysfsPrivato()
    {
        if (montato)
            ::umount2(QFile::encodeName(cartella).constData(), MNT_DETACH);
    }
};

TEST(NelloSpazioDiRete, PassiDiUnTun)
{
    if (!spazio::Entra())
        GTEST_SKIP() << spazio::DaFuori;
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QDir(tmp.path()).mkpath("sys");
    QDir(tmp.path()).mkpath("run");
    const SysfsPrivato sysfs(tmp.filePath("sys"));
    const QString radiceSys = tmp.filePath("sys/class/net");
    LinkPuntoPunto link(radiceSys, tmp.filePath("run"), "/proc");

    // The demo's tun is named as a call.
    link.InterfacceNominate({"tun7"});
    TunReale tun;
    if (!tun.Crea("tun7")) {
        std::printf("%scannot create a tun device: %s\n", spazio::Salta, std::strerror(errno));
        GTEST_SKIP();
    }
    QString nome;
    const quint32 prima = link.CercaConnessione(&nome);
    ASSERT_NE(prima, 0u);
    EXPECT_EQ(nome, "tun7");
    EXPECT_EQ(link.StatoConnessione(prima), StatoLink::Composizione);

    ASSERT_TRUE(Configura("tun7", nullptr, nullptr));
    EXPECT_EQ(Attendi(link, prima, StatoLink::Autenticazione), StatoLink::Autenticazione);
    // The kernel gives the running device an IPv6 link-local address: no
    // traffic beyond the link, so still not connected.
    if (spazio::Finche([] { return spazio::HaIndirizzo("tun7", AF_INET6); }))
        EXPECT_EQ(link.StatoConnessione(prima), StatoLink::Autenticazione);
    else
        std::printf("no IPv6 link-local address appeared: that case went unchecked\n");
    ASSERT_TRUE(Configura("tun7", "10.7.0.1", "10.7.0.2"));
    EXPECT_EQ(Attendi(link, prima, StatoLink::Connesso), StatoLink::Connesso);

    // Nobody attached: the device stays with its addresses but loses carrier.
    ASSERT_TRUE(tun.Persistente(true));
    tun.Chiudi();
    EXPECT_EQ(Attendi(link, prima, StatoLink::Composizione), StatoLink::Composizione);
    ASSERT_TRUE(tun.Crea("tun7"));
    EXPECT_EQ(Attendi(link, prima, StatoLink::Connesso), StatoLink::Connesso);

    // Gone with its last holder, then made anew: a new link.
    ASSERT_TRUE(tun.Persistente(false));
    tun.Chiudi();
    EXPECT_EQ(Attendi(link, prima, StatoLink::Disconnesso), StatoLink::Disconnesso);
    ASSERT_TRUE(tun.Crea("tun7"));
    const quint32 dopo = link.CercaConnessione(&nome);
    EXPECT_EQ(nome, "tun7");
    EXPECT_NE(dopo, 0u);
    EXPECT_NE(dopo, prima);
    EXPECT_EQ(link.StatoConnessione(prima), StatoLink::Disconnesso);
    EXPECT_EQ(link.StatoConnessione(dopo), StatoLink::Composizione);

    if (sysfs.montato) {
        QList<InterfacciaRete> elenco;
        ElencoKernel kernel(radiceSys);
        ASSERT_TRUE(kernel.Leggi(&elenco));
        for (auto& i : elenco) {
            kernel.Completa(&i);
            EXPECT_NE(i.identita, 0u) << i.nome.toStdString() << " has no identity from its own sysfs";
        }
    } else {
        std::printf("sysfs could not be mounted: followed by ifindex alone\n");
    }
}

TEST(LinkNelKernel, NelloSpazioDiReteProprio)
{
    spazio::EseguiNelFiglio("NelloSpazioDiRete.*-NelloSpazioDiRete.UnPppdVeroEUnaChiamata");
}

} // namespace
