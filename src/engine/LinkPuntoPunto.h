#pragma once
// Dial-up links on Linux: point-to-point interfaces (ppp, mobile modems,
// serial links, tun) as the kernel shows them.
#include "engine/SorgenteConnessioni.h"

#include <QList>
#include <QString>
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
};

// Where the list of interfaces comes from.
class ElencoInterfacce {
public:
    virtual ~ElencoInterfacce() = default;
    // False when the kernel cannot be asked at all.
    virtual bool Leggi(QList<InterfacciaRete>* elenco) = 0;
};

// getifaddrs() for flags, link types and addresses; the sysfs folder of each
// interface, when its ifindex agrees, gives the creation identity.
class ElencoKernel : public ElencoInterfacce {
public:
    explicit ElencoKernel(QString radiceSys = QStringLiteral("/sys/class/net"));
    bool Leggi(QList<InterfacciaRete>* elenco) override;

private:
    QString radiceSys_;
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
    // Any list of interfaces; it must outlive this object.
    LinkPuntoPunto(ElencoInterfacce& elenco, QString cartellaRun, QString radiceProc);

    // The point-to-point link with the lowest ifindex; 0 and an empty name
    // when there is none or the kernel cannot be asked.
    quint32 CercaConnessione(QString* nome) override;
    StatoLink StatoConnessione(quint32 maniglia) override;

    // Whether an interface is a dial-up link at all.
    static bool PuntoPunto(const InterfacciaRete& i);
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
    QList<Noto> noti_;  // the links of the last good reading, lowest ifindex first
    quint32 prossima_ = 1;
};
