// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dial-up links on Linux as the kernel shows them: ppp units (pppd: modems,
// ISDN, PPPoE, mobile modems), mobile-broadband devices, and any other
// interface the user names.
#include "engine/SorgenteConnessioni.h"

#include <QHash>

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class GestoreRete;
class NetworkManagerDBus;

// One network interface as the kernel reports it.
struct InterfacciaRete {
    QString nome;
    int indice = 0;       // ifindex; 0 or less when unknown
    unsigned flags = 0;   // IFF_* bits
    int tipo = -1;        // ARPHRD_* link type, -1 when unknown
    bool ipv4 = false;    // holds an IPv4 address
    bool ipv6 = false;    // holds an IPv6 address that is not link-local
    quint64 identita = 0; // changes when the interface is created anew; 0 unknown
    bool wwan = false;    // a mobile-broadband device
};

// Where the list of interfaces comes from.
class ElencoInterfacce {
public:
    virtual ~ElencoInterfacce() = default;
    // Names, flags, link types and addresses of every interface; false when
    // the kernel cannot be asked at all.
    virtual bool Leggi(QList<InterfacciaRete>* elenco) = 0;
    // What only a possible link needs and costs more to read: its creation
    // identity and device type.
    virtual void Completa(InterfacciaRete* i) { (void)i; }
};

// The kernel's routing socket for names, flags, link types and addresses
// (the link type is there for every device, ppp and tun included, unlike a
// hardware-address entry); the sysfs folder of an interface, when its ifindex
// agrees, gives the creation identity and the device type.
//
// The kernel announces every change of a link or an address on a netlink
// socket: while none is announced, the last reading is given again, so an
// idle poll costs one system call however many interfaces the host has.
class ElencoKernel : public ElencoInterfacce {
public:
    explicit ElencoKernel(QString radiceSys = QStringLiteral("/sys/class/net"));
    ~ElencoKernel() override;
    ElencoKernel(const ElencoKernel&) = delete;
    ElencoKernel& operator=(const ElencoKernel&) = delete;
    bool Leggi(QList<InterfacciaRete>* elenco) override;
    void Completa(InterfacciaRete* i) override;

private:
    bool Cambiato();
    void CompletaDaSys(InterfacciaRete* i);

    QString radiceSys_;
    int avvisi_ = -1; // netlink socket of link and address changes; -1 none
    bool letto_ = false;
    int riletture_ = 0;
    QList<InterfacciaRete> ultimo_;
    QList<InterfacciaRete> completate_;
};

// States: not up, or up without carrier -> Composizione; up and running
// without an address -> Autenticazione; with an IPv4 or a global IPv6
// address -> Connesso; gone -> Disconnesso; kernel unreadable -> Ignoto.
// A tun device with no process attached has no carrier, so it stays in
// Composizione even with its addresses set, as a ppp unit does until pppd
// brings it up.
class LinkPuntoPunto : public SorgenteConnessioni {
public:
    // The real kernel; the folders can be moved for tests.
    explicit LinkPuntoPunto(const QString& radiceSys = QStringLiteral("/sys/class/net"),
                            QString cartellaRun = QStringLiteral("/var/run"),
                            QString radiceProc = QStringLiteral("/proc"));
    // Any list of interfaces; it must outlive this object. Nobody is asked
    // for names until ImpostaGestoreRete.
    LinkPuntoPunto(ElencoInterfacce& elenco, QString cartellaRun, QString radiceProc);
    ~LinkPuntoPunto() override;

    // A link with a carrier before one without, then the lowest ifindex; 0
    // and an empty name when there is none or the kernel cannot be asked.
    quint32 CercaConnessione(QString* nome) override;
    StatoLink StatoConnessione(quint32 maniglia) override;
    void InterfacceNominate(const QStringList& nomi) override { nominate_ = nomi; }
    QString NomeConnessione(quint32 maniglia) override;
    QString Interfaccia(quint32 maniglia) override;

    // Where the name of a NetworkManager call is asked: NetworkManager on the
    // system bus by default, none when null. It must outlive this object.
    void ImpostaGestoreRete(GestoreRete* gestore);

    // Worth a closer look: could be a link once completed.
    static bool Candidato(const InterfacciaRete& i, const QStringList& nominate);
    // Whether an interface is a dial-up link: a ppp unit (kernel link type PPP,
    // whatever its name) or a mobile-broadband device by nature, any other (a
    // tun, a VPN, a tunnel) only when named. The name pppN stands for the
    // type only where the type is unknown.
    static bool PuntoPunto(const InterfacciaRete& i, const QStringList& nominate = {});
    // The state of a link that is there.
    static StatoLink Stato(const InterfacciaRete& i);

private:
    struct Noto {
        quint32 maniglia;
        InterfacciaRete interfaccia;
    };
    bool Aggiorna();
    quint32 NuovaManiglia();
    // The entry name of a link: the name pppd knows it by, else the interface
    // name itself.
    const Noto* Trova(quint32 maniglia) const;
    QString NomeVoce(const Noto& link);
    QString NomeDaPppd(const Noto& link);
    // The NetworkManager name of a link: asked once per link, and empty until
    // an answer comes.
    QString NomeNetworkManager(const Noto& link);
    GestoreRete* Gestore();

    std::unique_ptr<ElencoInterfacce> proprio_;
    ElencoInterfacce& elenco_;
    QString cartellaRun_;
    QString radiceProc_;
    QStringList nominate_;
    QList<Noto> noti_; // the links of the last good reading, lowest ifindex first
    quint32 prossima_ = 1;

    GestoreRete* gestore_ = nullptr;
    bool gestorePredefinito_ = false; // make the system bus's when first needed
    std::unique_ptr<NetworkManagerDBus> proprioGestore_;
    // NetworkManager's names by handle, of links still there; a handle present
    // was asked, an empty name is still awaited or never came.
    QHash<quint32, QString> nomiNm_;
    // Tells an answer that comes late whether this object is still there.
    std::shared_ptr<char> vivo_ = std::make_shared<char>();
};
