// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dial-up links on Linux as the kernel shows them: ppp units (pppd: modems,
// ISDN, PPPoE, mobile modems), mobile-broadband devices, and any other
// interface the user names.
#include "engine/SorgenteConnessioni.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// One network interface as the kernel reports it.
struct InterfacciaRete {
    QString nome;
    int indice = 0;        // ifindex; 0 or less when unknown
    unsigned flags = 0;    // IFF_* bits
    int tipo = -1;         // ARPHRD_* link type, -1 when unknown
    bool ipv4 = false;     // holds an IPv4 address
    bool ipv6 = false;     // holds an IPv6 address that is not link-local
    quint64 identita = 0;  // changes when the interface is created anew; 0 unknown
    bool wwan = false;     // a mobile-broadband device
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

// getifaddrs() for flags, link types and addresses; the sysfs folder of an
// interface, when its ifindex agrees, gives the creation identity and the
// device type.
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
    int avvisi_ = -1;  // netlink socket of link and address changes; -1 none
    bool letto_ = false;
    int riletture_ = 0;
    QList<InterfacciaRete> ultimo_;
    QList<InterfacciaRete> completate_;
};

// The id of the NetworkManager connection whose IP interface this is; empty
// when there is none or NetworkManager does not answer at once.
QString ConnessioneNetworkManager(const QString& interfaccia);

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
    // Any list of interfaces; it must outlive this object.
    LinkPuntoPunto(ElencoInterfacce& elenco, QString cartellaRun, QString radiceProc);

    // A link with a carrier before one without, then the lowest ifindex; 0
    // and an empty name when there is none or the kernel cannot be asked.
    quint32 CercaConnessione(QString* nome) override;
    StatoLink StatoConnessione(quint32 maniglia) override;
    void InterfacceNominate(const QStringList& nomi) override { nominate_ = nomi; }

    // Where the name of a NetworkManager call is asked; D-Bus by default.
    void ImpostaNomeNetworkManager(std::function<QString(const QString&)> chiedi) { nomeNm_ = std::move(chiedi); }

    // Worth a closer look: could be a link once completed.
    static bool Candidato(const InterfacciaRete& i, const QStringList& nominate);
    // Whether an interface is a dial-up link: a ppp unit or a mobile-broadband
    // device by nature, any other (a tun or VPN) only when named.
    static bool PuntoPunto(const InterfacciaRete& i, const QStringList& nominate = {});
    // The state of a link that is there.
    static StatoLink Stato(const InterfacciaRete& i);
    // The entry name of an interface: the name pppd knows it by, else the
    // interface name itself.
    QString NomeVoce(const QString& interfaccia) const;

private:
    struct Noto {
        quint32 maniglia;
        InterfacciaRete interfaccia;
    };
    bool Aggiorna();
    quint32 NuovaManiglia();
    QString NomeDaPppd(const QString& interfaccia) const;

    std::unique_ptr<ElencoInterfacce> proprio_;
    ElencoInterfacce& elenco_;
    QString cartellaRun_;
    QString radiceProc_;
    QStringList nominate_;
    std::function<QString(const QString&)> nomeNm_;
    QList<Noto> noti_;  // the links of the last good reading, lowest ifindex first
    quint32 prossima_ = 1;
};
