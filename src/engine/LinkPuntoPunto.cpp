// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/LinkPuntoPunto.h"

#include "engine/NetworkManager.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
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

// One dump of the kernel's routing family (links or addresses): `ogni` sees
// every message of the answer. False when the kernel cannot be asked.
bool Scarica(int fd, quint16 tipo, quint32 numero, bool* interrotta, const std::function<void(const nlmsghdr*)>& ogni)
{
    struct {
        nlmsghdr h;
        ifinfomsg corpo; // the family comes first in both request bodies
    } richiesta{};
    richiesta.h.nlmsg_len = NLMSG_LENGTH(tipo == RTM_GETLINK ? sizeof(ifinfomsg) : sizeof(ifaddrmsg));
    richiesta.h.nlmsg_type = tipo;
    richiesta.h.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    richiesta.h.nlmsg_seq = numero;
    richiesta.corpo.ifi_family = AF_UNSPEC;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(fd, &richiesta, richiesta.h.nlmsg_len, 0, reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel)
        < 0)
        return false;
    constexpr size_t Capienza = 65536;
    const auto buffer = std::make_unique<char[]>(Capienza);
    for (;;) {
        const ssize_t n = ::recv(fd, buffer.get(), Capienza, MSG_TRUNC);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || size_t(n) > Capienza)
            return false;
        int resto = int(n);
        for (auto* h = reinterpret_cast<const nlmsghdr*>(buffer.get()); NLMSG_OK(h, resto); h = NLMSG_NEXT(h, resto)) {
            if (h->nlmsg_seq != numero)
                continue;
            if (h->nlmsg_flags & NLM_F_DUMP_INTR)
                *interrotta = true;
            if (h->nlmsg_type == NLMSG_DONE)
                return true;
            if (h->nlmsg_type == NLMSG_ERROR)
                return false;
            ogni(h);
        }
    }
}

void LinkDaMessaggio(const nlmsghdr* h, QMap<int, InterfacciaRete>* perIndice)
{
    if (h->nlmsg_type != RTM_NEWLINK || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return;
    const auto* ifi = static_cast<const ifinfomsg*>(NLMSG_DATA(h));
    if (ifi->ifi_index <= 0)
        return;
    InterfacciaRete& i = (*perIndice)[ifi->ifi_index];
    i.indice = ifi->ifi_index;
    // The link type is in every link message, for devices with no hardware
    // address (ppp, tun) too.
    i.tipo = ifi->ifi_type;
    i.flags = ifi->ifi_flags;
    int resto = int(IFLA_PAYLOAD(h));
    for (const rtattr* a = IFLA_RTA(ifi); RTA_OK(a, resto); a = RTA_NEXT(a, resto))
        if (a->rta_type == IFLA_IFNAME) {
            const char* testo = static_cast<const char*>(RTA_DATA(a));
            i.nome = QString::fromLocal8Bit(testo, qsizetype(qstrnlen(testo, RTA_PAYLOAD(a))));
        }
}

void IndirizzoDaMessaggio(const nlmsghdr* h, QMap<int, InterfacciaRete>* perIndice)
{
    if (h->nlmsg_type != RTM_NEWADDR || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg)))
        return;
    const auto* ifa = static_cast<const ifaddrmsg*>(NLMSG_DATA(h));
    const auto i = perIndice->find(int(ifa->ifa_index));
    if (i == perIndice->end())
        return; // a link newer than the list: the next reading has both
    if (ifa->ifa_family == AF_INET) {
        i->ipv4 = true;
        return;
    }
    if (ifa->ifa_family != AF_INET6)
        return;
    // The local address; a point-to-point one gives the peer's as IFA_ADDRESS.
    const in6_addr* locale = nullptr;
    const in6_addr* indirizzo = nullptr;
    int resto = int(IFA_PAYLOAD(h));
    for (const rtattr* a = IFA_RTA(ifa); RTA_OK(a, resto); a = RTA_NEXT(a, resto)) {
        if (RTA_PAYLOAD(a) < sizeof(in6_addr))
            continue;
        if (a->rta_type == IFA_LOCAL)
            locale = static_cast<const in6_addr*>(RTA_DATA(a));
        else if (a->rta_type == IFA_ADDRESS)
            indirizzo = static_cast<const in6_addr*>(RTA_DATA(a));
    }
    const in6_addr* ind = locale ? locale : indirizzo;
    if (ind && !IN6_IS_ADDR_LINKLOCAL(ind) && !IN6_IS_ADDR_UNSPECIFIED(ind))
        i->ipv6 = true;
}

// Links, then their addresses, as one reading.
bool LeggiDalKernel(QList<InterfacciaRete>* elenco, bool* interrotta)
{
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0)
        return false;
    // The kernel answers a dump at once; the limit only guards the timer.
    const timeval limite{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limite, sizeof limite);
    QMap<int, InterfacciaRete> perIndice;
    const bool ok =
        Scarica(fd, RTM_GETLINK, 1, interrotta, [&](const nlmsghdr* h) { LinkDaMessaggio(h, &perIndice); })
        && Scarica(fd, RTM_GETADDR, 2, interrotta, [&](const nlmsghdr* h) { IndirizzoDaMessaggio(h, &perIndice); });
    ::close(fd);
    if (!ok)
        return false;
    elenco->clear();
    for (const InterfacciaRete& i : perIndice)
        if (!i.nome.isEmpty())
            elenco->append(i);
    return true;
}

bool Ppp(const InterfacciaRete& i) { return i.tipo == ARPHRD_PPP || (i.tipo < 0 && NomePpp(i.nome)); }

} // namespace

ElencoKernel::ElencoKernel(QString radiceSys) : radiceSys_(std::move(radiceSys))
{
    // Listening before the first reading, so no change falls between them.
    avvisi_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    sockaddr_nl indirizzo{};
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
            cambiato = true; // announcements were lost: read it all
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
    // A change while the kernel was being read can leave the two dumps out of
    // step: read both again, a few times at most.
    for (int tentativo = 0;; ++tentativo) {
        bool interrotta = false;
        QList<InterfacciaRete> letti;
        if (!LeggiDalKernel(&letti, &interrotta))
            return false;
        if (!interrotta || tentativo == 2) {
            *elenco = letti;
            break;
        }
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
    : proprio_(std::make_unique<ElencoKernel>(radiceSys)), elenco_(*proprio_), cartellaRun_(std::move(cartellaRun)),
      radiceProc_(std::move(radiceProc)), gestorePredefinito_(true)
{
}

LinkPuntoPunto::LinkPuntoPunto(ElencoInterfacce& elenco, QString cartellaRun, QString radiceProc)
    : elenco_(elenco), cartellaRun_(std::move(cartellaRun)), radiceProc_(std::move(radiceProc))
{
}

LinkPuntoPunto::~LinkPuntoPunto() = default;

void LinkPuntoPunto::ImpostaGestoreRete(GestoreRete* gestore)
{
    gestore_ = gestore;
    gestorePredefinito_ = false;
    proprioGestore_.reset();
}

GestoreRete* LinkPuntoPunto::Gestore()
{
    if (gestorePredefinito_ && !proprioGestore_) {
        proprioGestore_ = std::make_unique<NetworkManagerDBus>();
        gestore_ = proprioGestore_.get();
    }
    return gestore_;
}

bool LinkPuntoPunto::Candidato(const InterfacciaRete& i, const QStringList& nominate)
{
    if ((i.flags & IFF_LOOPBACK) || i.tipo == ARPHRD_LOOPBACK || i.indice <= 0)
        return false;
    // Mobile-broadband devices show as point-to-point, as raw IP without a
    // link type, or as Ethernet under a "ww" name.
    return Ppp(i) || (i.flags & IFF_POINTOPOINT) || i.tipo == ARPHRD_NONE || i.nome.startsWith(QLatin1String("ww"))
           || nominate.contains(i.nome);
}

bool LinkPuntoPunto::PuntoPunto(const InterfacciaRete& i, const QStringList& nominate)
{
    if ((i.flags & IFF_LOOPBACK) || i.tipo == ARPHRD_LOOPBACK)
        return false;
    return Ppp(i) || i.wwan || nominate.contains(i.nome);
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
        return false; // keep what is known: a failed reading is not a hang-up
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
    // A name that comes for a link gone is never given to a later one.
    for (auto n = nomiNm_.begin(); n != nomiNm_.end();)
        n = std::any_of(noti_.cbegin(), noti_.cend(), [&](const Noto& k) { return k.maniglia == n.key(); })
                ? std::next(n)
                : nomiNm_.erase(n);
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
        *nome = NomeVoce(*scelto);
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

const LinkPuntoPunto::Noto* LinkPuntoPunto::Trova(quint32 maniglia) const
{
    const auto n =
        std::find_if(noti_.cbegin(), noti_.cend(), [maniglia](const Noto& k) { return k.maniglia == maniglia; });
    return n == noti_.cend() ? nullptr : &*n;
}

QString LinkPuntoPunto::NomeConnessione(quint32 maniglia)
{
    const Noto* n = Trova(maniglia);
    return n ? NomeVoce(*n) : QString();
}

QString LinkPuntoPunto::Interfaccia(quint32 maniglia)
{
    const Noto* n = Trova(maniglia);
    return n ? n->interfaccia.nome : QString();
}

QString LinkPuntoPunto::NomeVoce(const Noto& link)
{
    const QString nome = NomeDaPppd(link);
    return nome.isEmpty() ? link.interfaccia.nome : nome;
}

QString LinkPuntoPunto::NomeNetworkManager(const Noto& link)
{
    if (const auto n = nomiNm_.constFind(link.maniglia); n != nomiNm_.cend())
        return *n;
    GestoreRete* gestore = Gestore();
    if (!gestore)
        return {};
    nomiNm_.insert(link.maniglia, QString());
    gestore->ChiediNome(link.interfaccia.nome,
                        [this, vivo = std::weak_ptr<char>(vivo_), maniglia = link.maniglia](const QString& nome) {
                            if (vivo.expired())
                                return;
                            if (const auto n = nomiNm_.find(maniglia); n != nomiNm_.end())
                                *n = Pulito(nome);
                        });
    return nomiNm_.value(link.maniglia); // a stand-in may answer at once
}

QString LinkPuntoPunto::NomeDaPppd(const Noto& link)
{
    const QString& interfaccia = link.interfaccia.nome;
    const QByteArray ifname = QFile::encodeName(interfaccia);
    // pppd writes <ifname>.pid, and with "linkname" also ppp-<linkname>.pid
    // holding the pid and then the interface. Both may be left behind by a
    // pppd that died: a linkname file only counts when it names this
    // interface and, if the interface has its own pid file, the same pid.
    const qint64 pid =
        LeggiPid(Righe(LeggiPiccolo(cartellaRun_ + QLatin1Char('/') + interfaccia + QLatin1String(".pid"))).value(0));
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
        LeggiPiccolo(radiceProc_ + QLatin1Char('/') + QString::number(pid) + QLatin1String("/cmdline"), 65536)
            .split('\0');
    const QByteArray programma = arg.value(0);
    if (programma.mid(programma.lastIndexOf('/') + 1) != "pppd")
        return {}; // the pid file is stale and the pid belongs to someone else
    static const char* const opzioni[] = {"linkname", "ipparam", "call"};
    bool daNetworkManager = false;
    for (const char* opzione : opzioni) {
        QString valore;
        for (qsizetype k = 1; k + 1 < arg.size(); ++k)
            if (arg[k] == opzione)
                valore = Pulito(QString::fromLocal8Bit(arg[k + 1])); // the last one wins, as in pppd
        // NetworkManager passes the D-Bus path of its call, new at every
        // session: a name no filter could ever match again.
        if (valore.startsWith(QLatin1String("/org/freedesktop/NetworkManager"))) {
            daNetworkManager = true;
            continue;
        }
        if (!valore.isEmpty())
            return valore;
    }
    return daNetworkManager ? NomeNetworkManager(link) : QString();
}
