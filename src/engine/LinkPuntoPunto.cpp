// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/LinkPuntoPunto.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QMap>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <netpacket/packet.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Regular files only, and at most a few kilobytes: a FIFO or a device left
// where a pid file belongs must never hang the control timer.
QByteArray LeggiPiccolo(const QString& percorso, qsizetype massimo = 4096)
{
    const int fd = ::open(QFile::encodeName(percorso).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {};
    }
    QByteArray dati(massimo, Qt::Uninitialized);
    qsizetype letti = 0;
    while (letti < massimo) {
        const ssize_t n = ::read(fd, dati.data() + letti, size_t(massimo - letti));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        letti += n;
    }
    ::close(fd);
    dati.truncate(letti);
    return dati;
}

QList<QByteArray> Righe(const QByteArray& dati)
{
    QList<QByteArray> righe = dati.split('\n');
    for (QByteArray& r : righe)
        r = r.trimmed();
    return righe;
}

qint64 LeggiPid(const QByteArray& riga)
{
    bool ok = false;
    const qint64 pid = riga.toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

// The name ends up on screen and in the log: no control characters, no
// runaway lengths.
QString Pulito(QString testo)
{
    for (QChar& c : testo)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QLatin1Char(' ');
    return testo.simplified().left(256);
}

bool NomePpp(const QString& nome)
{
    if (!nome.startsWith(QLatin1String("ppp")) || nome.size() == 3)
        return false;
    return std::all_of(nome.begin() + 3, nome.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace

ElencoKernel::ElencoKernel(QString radiceSys) : radiceSys_(std::move(radiceSys))
{
    // Listening before the first reading, so no change falls between them.
    avvisi_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    sockaddr_nl indirizzo {};
    indirizzo.nl_family = AF_NETLINK;
    indirizzo.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR;
    if (avvisi_ >= 0 && ::bind(avvisi_, reinterpret_cast<const sockaddr*>(&indirizzo), sizeof indirizzo) != 0) {
        ::close(avvisi_);
        avvisi_ = -1;
    }
}

ElencoKernel::~ElencoKernel()
{
    if (avvisi_ >= 0)
        ::close(avvisi_);
}

bool ElencoKernel::Cambiato()
{
    if (avvisi_ < 0)
        return true;
    bool cambiato = false;
    char scarto[8192];
    for (;;) {
        const ssize_t n = ::recv(avvisi_, scarto, sizeof scarto, MSG_DONTWAIT);
        if (n > 0) {
            cambiato = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == ENOBUFS) {
            cambiato = true;  // announcements were lost: read it all
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            cambiato = true;
        return cambiato;
    }
}

bool ElencoKernel::Leggi(QList<InterfacciaRete>* elenco)
{
    // Read again anyway now and then: a safety net that costs little.
    constexpr int RiletturaComunque = 60;
    if (!Cambiato() && letto_ && ++riletture_ < RiletturaComunque) {
        *elenco = ultimo_;
        return true;
    }
    riletture_ = 0;
    letto_ = false;
    completate_.clear();
    ifaddrs* lista = nullptr;
    if (::getifaddrs(&lista) != 0)
        return false;

    QMap<QString, InterfacciaRete> perNome;
    for (const ifaddrs* a = lista; a; a = a->ifa_next) {
        if (!a->ifa_name)
            continue;
        QString nome = QString::fromLocal8Bit(a->ifa_name);
        // IPv4 alias labels ("ppp0:1") belong to their device; ':' is not
        // allowed in a real interface name.
        if (const qsizetype dp = nome.indexOf(QLatin1Char(':')); dp >= 0)
            nome.truncate(dp);
        InterfacciaRete& i = perNome[nome];
        i.nome = nome;
        i.flags = a->ifa_flags;
        const sockaddr* sa = a->ifa_addr;
        if (!sa)
            continue;
        if (sa->sa_family == AF_PACKET) {
            const auto* ll = reinterpret_cast<const sockaddr_ll*>(sa);
            i.indice = ll->sll_ifindex;
            i.tipo = ll->sll_hatype;
        } else if (sa->sa_family == AF_INET) {
            i.ipv4 = true;
        } else if (sa->sa_family == AF_INET6) {
            const in6_addr& ind = reinterpret_cast<const sockaddr_in6*>(sa)->sin6_addr;
            if (!IN6_IS_ADDR_LINKLOCAL(&ind) && !IN6_IS_ADDR_UNSPECIFIED(&ind))
                i.ipv6 = true;
        }
    }
    ::freeifaddrs(lista);

    elenco->clear();
    for (InterfacciaRete& i : perNome) {
        if (i.indice <= 0)
            i.indice = int(::if_nametoindex(QFile::encodeName(i.nome).constData()));
        if (i.indice > 0)  // else it went away while being read
            elenco->append(i);
    }
    ultimo_ = *elenco;
    letto_ = true;
    return true;
}

void ElencoKernel::Completa(InterfacciaRete* i)
{
    for (const InterfacciaRete& c : completate_)
        if (c.nome == i->nome && c.indice == i->indice) {
            i->identita = c.identita;
            i->wwan = c.wwan;
            return;
        }
    CompletaDaSys(i);
    completate_.append(*i);
}

void ElencoKernel::CompletaDaSys(InterfacciaRete* i)
{
    // sysfs may belong to another network namespace than the caller: its
    // folder only counts when it names the same ifindex.
    const QString cartella = radiceSys_ + QLatin1Char('/') + i->nome;
    bool ok = false;
    const int indiceSys = LeggiPiccolo(cartella + QLatin1String("/ifindex"), 32).trimmed().toInt(&ok);
    if (!ok || indiceSys != i->indice)
        return;
    struct stat st {};
    if (::stat(QFile::encodeName(cartella).constData(), &st) == 0)
        i->identita = quint64(st.st_ino);
    for (const QByteArray& riga : Righe(LeggiPiccolo(cartella + QLatin1String("/uevent"))))
        if (riga == "DEVTYPE=wwan")
            i->wwan = true;
}

LinkPuntoPunto::LinkPuntoPunto(const QString& radiceSys, QString cartellaRun, QString radiceProc)
    : proprio_(std::make_unique<ElencoKernel>(radiceSys)),
      elenco_(*proprio_),
      cartellaRun_(std::move(cartellaRun)),
      radiceProc_(std::move(radiceProc)),
      nomeNm_(ConnessioneNetworkManager)
{
}

LinkPuntoPunto::LinkPuntoPunto(ElencoInterfacce& elenco, QString cartellaRun, QString radiceProc)
    : elenco_(elenco), cartellaRun_(std::move(cartellaRun)), radiceProc_(std::move(radiceProc))
{
}

QString ConnessioneNetworkManager(const QString& interfaccia)
{
    // Asked once per call, on the control timer's thread: every step gets a
    // short timeout, so a hung daemon costs a moment, never a frozen panel.
    constexpr int Attesa = 150;
    const QString servizio = QStringLiteral("org.freedesktop.NetworkManager");
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return {};
    const auto proprieta = [&](const QString& percorso, const QString& interfacciaDbus, const QString& nome) {
        QDBusMessage m = QDBusMessage::createMethodCall(servizio, percorso, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                        QStringLiteral("Get"));
        m << interfacciaDbus << nome;
        const QDBusMessage r = bus.call(m, QDBus::Block, Attesa);
        return r.type() == QDBusMessage::ReplyMessage && !r.arguments().isEmpty()
            ? qvariant_cast<QDBusVariant>(r.arguments().constFirst()).variant()
            : QVariant();
    };
    QDBusMessage m = QDBusMessage::createMethodCall(servizio, QStringLiteral("/org/freedesktop/NetworkManager"), servizio,
                                                    QStringLiteral("GetDeviceByIpIface"));
    m << interfaccia;
    const QDBusMessage r = bus.call(m, QDBus::Block, Attesa);
    if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty())
        return {};
    const QString dispositivo = qvariant_cast<QDBusObjectPath>(r.arguments().constFirst()).path();
    if (dispositivo.isEmpty())
        return {};
    const QString attiva = qvariant_cast<QDBusObjectPath>(
                               proprieta(dispositivo, servizio + QStringLiteral(".Device"), QStringLiteral("ActiveConnection")))
                               .path();
    if (attiva.isEmpty() || attiva == QLatin1String("/"))
        return {};
    return proprieta(attiva, servizio + QStringLiteral(".Connection.Active"), QStringLiteral("Id")).toString();
}

bool LinkPuntoPunto::Candidato(const InterfacciaRete& i, const QStringList& nominate)
{
    if ((i.flags & IFF_LOOPBACK) || i.tipo == ARPHRD_LOOPBACK || i.indice <= 0)
        return false;
    // Mobile-broadband devices show as point-to-point, as raw IP without a
    // link type, or as Ethernet under a "ww" name.
    return i.tipo == ARPHRD_PPP || NomePpp(i.nome) || (i.flags & IFF_POINTOPOINT) || i.tipo == ARPHRD_NONE
        || i.nome.startsWith(QLatin1String("ww")) || nominate.contains(i.nome);
}

bool LinkPuntoPunto::PuntoPunto(const InterfacciaRete& i, const QStringList& nominate)
{
    if ((i.flags & IFF_LOOPBACK) || i.tipo == ARPHRD_LOOPBACK)
        return false;
    return i.tipo == ARPHRD_PPP || NomePpp(i.nome) || i.wwan || nominate.contains(i.nome);
}

StatoLink LinkPuntoPunto::Stato(const InterfacciaRete& i)
{
    // No carrier (a tun with nobody attached, a dormant modem) carries no
    // call yet, whatever addresses are set on it.
    if (!(i.flags & IFF_UP) || !(i.flags & IFF_RUNNING))
        return StatoLink::Composizione;
    return i.ipv4 || i.ipv6 ? StatoLink::Connesso : StatoLink::Autenticazione;
}

quint32 LinkPuntoPunto::NuovaManiglia()
{
    for (;;) {
        const quint32 m = prossima_++;
        if (m != 0 && std::none_of(noti_.begin(), noti_.end(), [m](const Noto& n) { return n.maniglia == m; }))
            return m;
    }
}

bool LinkPuntoPunto::Aggiorna()
{
    QList<InterfacciaRete> tutte;
    if (!elenco_.Leggi(&tutte))
        return false;  // keep what is known: a failed reading is not a hang-up
    // Only the few possible links are looked at more closely: the others of a
    // busy host cost nothing more than their line in the list.
    QList<InterfacciaRete> link;
    for (InterfacciaRete& i : tutte) {
        if (!Candidato(i, nominate_))
            continue;
        elenco_.Completa(&i);
        if (PuntoPunto(i, nominate_))
            link.append(i);
    }
    std::stable_sort(link.begin(), link.end(),
                     [](const InterfacciaRete& a, const InterfacciaRete& b) { return a.indice < b.indice; });

    // A link keeps its handle while it is seen at every reading with the same
    // ifindex and creation identity; an identity missing on one side (sysfs
    // not readable for a moment) does not split it. A rename keeps it too.
    QList<Noto> vecchi = noti_;
    QList<Noto> nuovi;
    for (InterfacciaRete& i : link) {
        quint32 m = 0;
        for (qsizetype k = 0; k < vecchi.size(); ++k) {
            const InterfacciaRete& v = vecchi[k].interfaccia;
            if (v.indice == i.indice && (v.identita == 0 || i.identita == 0 || v.identita == i.identita)) {
                m = vecchi[k].maniglia;
                if (i.identita == 0)
                    i.identita = v.identita;
                vecchi.removeAt(k);
                break;
            }
        }
        if (m == 0)
            m = NuovaManiglia();
        nuovi.append({m, i});
    }
    noti_ = nuovi;
    return true;
}

quint32 LinkPuntoPunto::CercaConnessione(QString* nome)
{
    if (nome)
        nome->clear();
    if (!Aggiorna() || noti_.isEmpty())
        return 0;
    // A dormant device (a modem with no call) must not hide a live link.
    auto scelto = std::find_if(noti_.cbegin(), noti_.cend(),
                               [](const Noto& n) { return Stato(n.interfaccia) != StatoLink::Composizione; });
    if (scelto == noti_.cend())
        scelto = noti_.cbegin();
    if (nome)
        *nome = NomeVoce(scelto->interfaccia.nome);
    return scelto->maniglia;
}

StatoLink LinkPuntoPunto::StatoConnessione(quint32 maniglia)
{
    const auto noto = [&] {
        return std::find_if(noti_.cbegin(), noti_.cend(), [maniglia](const Noto& n) { return n.maniglia == maniglia; });
    };
    // A handle never given, or already seen gone, stays gone even when the
    // kernel cannot be asked.
    if (maniglia == 0 || noto() == noti_.cend())
        return StatoLink::Disconnesso;
    if (!Aggiorna())
        return StatoLink::Ignoto;
    const auto n = noto();
    return n == noti_.cend() ? StatoLink::Disconnesso : Stato(n->interfaccia);
}

QString LinkPuntoPunto::NomeVoce(const QString& interfaccia) const
{
    const QString nome = NomeDaPppd(interfaccia);
    return nome.isEmpty() ? interfaccia : nome;
}

QString LinkPuntoPunto::NomeDaPppd(const QString& interfaccia) const
{
    const QByteArray ifname = QFile::encodeName(interfaccia);
    // pppd writes <ifname>.pid, and with "linkname" also ppp-<linkname>.pid
    // holding the pid and then the interface. Both may be left behind by a
    // pppd that died: a linkname file only counts when it names this
    // interface and, if the interface has its own pid file, the same pid.
    const qint64 pid = LeggiPid(Righe(LeggiPiccolo(cartellaRun_ + QLatin1Char('/') + interfaccia + QLatin1String(".pid"))).value(0));
    const QDir run(cartellaRun_);
    const QStringList file = run.entryList({QStringLiteral("ppp-*.pid")}, QDir::Files, QDir::Name);
    for (const QString& f : file) {
        const QList<QByteArray> righe = Righe(LeggiPiccolo(run.filePath(f)));
        const qint64 suo = LeggiPid(righe.value(0));
        if (suo == 0 || righe.value(1) != ifname || (pid != 0 && suo != pid))
            continue;
        const QString link = Pulito(f.mid(4, f.size() - 8));
        if (!link.isEmpty())
            return link;
    }
    if (pid == 0)
        return {};

    // The options pppd was started with: "linkname", "ipparam" or the peers
    // file of "call" (what pon passes) name the connection.
    const QList<QByteArray> arg =
        LeggiPiccolo(radiceProc_ + QLatin1Char('/') + QString::number(pid) + QLatin1String("/cmdline"), 65536).split('\0');
    const QByteArray programma = arg.value(0);
    if (programma.mid(programma.lastIndexOf('/') + 1) != "pppd")
        return {};  // the pid file is stale and the pid belongs to someone else
    static const char* const opzioni[] = {"linkname", "ipparam", "call"};
    bool daNetworkManager = false;
    for (const char* opzione : opzioni) {
        QString valore;
        for (qsizetype k = 1; k + 1 < arg.size(); ++k)
            if (arg[k] == opzione)
                valore = Pulito(QString::fromLocal8Bit(arg[k + 1]));  // the last one wins, as in pppd
        // NetworkManager passes the D-Bus path of its call, new at every
        // session: a name no filter could ever match again.
        if (valore.startsWith(QLatin1String("/org/freedesktop/NetworkManager"))) {
            daNetworkManager = true;
            continue;
        }
        if (!valore.isEmpty())
            return valore;
    }
    if (daNetworkManager && nomeNm_)
        return Pulito(nomeNm_(interfaccia));
    return {};
}
