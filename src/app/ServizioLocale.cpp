// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ServizioLocale.h"

#include "app/IstanzaUnica.h"
#include "common/RigaComando.h"
#include "settings/Impostazioni.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QByteArray Ok = "ok";
const QByteArray Fine = "fine";
const QByteArray ParolaMostra = "mostra";
const QByteArray ParolaAvvia = "avvia";
const QByteArray ParolaRapporto = "rapporto";
const QByteArray ParolaErrore = "errore ";

QByteArray Iso(const QDate& d) { return ChiaveGiorno(d).toLatin1(); }

QByteArray Errore(const QString& testo)
{
    QString riga = testo;
    riga.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return ParolaErrore + riga.toUtf8() + '\n';
}

QByteArray Testa(const QDate& inizio, const QDate& fine, const QDate& oggi, const QTime& ora, int percentualeIva)
{
    QByteArray testa = ParolaRapporto + ' ' + Iso(inizio) + ' ' + Iso(fine) + ' ' + Iso(oggi) + ' '
                       + QByteArray::number(percentualeIva);
    // The time, in milliseconds of the day, only when known.
    if (ora.isValid())
        testa += ' ' + QByteArray::number(ora.msecsSinceStartOfDay());
    return testa + '\n';
}

// One row of an answer: "yyyy-MM-dd scatti importo", the amount in the
// shortest text that reads back as the same double. Written by hand, as a
// report of years has one per day; the day is its key as stored.
void AggiungiRiga(QByteArray& out, QByteArrayView chiave, const Totali& t)
{
    char riga[64];
    const qsizetype lunghezza = qMin(chiave.size(), qsizetype(10));
    std::copy_n(chiave.data(), lunghezza, riga);
    char* p = riga + lunghezza;
    *p++ = ' ';
    p = std::to_chars(p, riga + sizeof riga, t.scatti).ptr;
    *p++ = ' ';
    p = std::to_chars(p, riga + sizeof riga - 1, t.importo).ptr;
    *p++ = '\n';
    out.append(riga, p - riga);
}

void AggiungiRiga(QByteArray& out, const QDate& giorno, const Totali& t)
{
    AggiungiRiga(out, QByteArrayView(Iso(giorno)), t);
}

// A socket path longer than the system takes is named in the temporary
// folder instead, with the user's number in it.
constexpr int LunghezzaMassimaSocket = 100;

} // namespace

std::optional<DatiRapporto> RaccogliDatiRapporto(DatabaseScatti& db, const Impostazioni& imp, QDate da, QDate a,
                                                 QDate oggi, const std::map<QDate, Totali>& inAttesa,
                                                 ErroreDatabase* errore)
{
    DatiRapporto dati;
    const bool periodo = !da.isValid() && !a.isValid();
    dati.inizio = periodo ? imp.DatIPB : da;
    dati.fine = periodo ? imp.DatFPB : a;
    dati.oggi = oggi;
    dati.percentualeIva = imp.Tariffe.PrcIva;
    auto righe = db.Giorni(dati.inizio, dati.fine);
    if (!righe) {
        if (errore)
            *errore = righe.Errore();
        return std::nullopt;
    }
    dati.righe = std::move(*righe);
    PerGiornoInAttesa(inAttesa, dati.inizio, dati.fine,
                      [&dati](QDate giorno, const Totali& t) { dati.righe[giorno] += t; });
    return dati;
}

QByteArray CodificaDati(const DatiRapporto& d)
{
    QByteArray out;
    out.reserve(64 + d.righe.size() * 40);
    out += Testa(d.inizio, d.fine, d.oggi, d.ora, d.percentualeIva);
    for (auto it = d.righe.cbegin(); it != d.righe.cend(); ++it)
        AggiungiRiga(out, it.key(), *it);
    out += Fine + '\n';
    return out;
}

std::optional<QByteArray> CodificaRapporto(DatabaseScatti& db, const Impostazioni& imp, QDate da, QDate a, QDate oggi,
                                           QTime ora, const std::map<QDate, Totali>& inAttesa, ErroreDatabase* errore)
{
    const bool periodo = !da.isValid() && !a.isValid();
    const QDate inizio = periodo ? imp.DatIPB : da, fine = periodo ? imp.DatFPB : a;
    QByteArray out;
    out.reserve(64 + qMax(0, int(inizio.daysTo(fine)) + 1) * 32);
    out += Testa(inizio, fine, oggi, ora, imp.Tariffe.PrcIva);
    // Pending pulses go into their day's row, or make one, in order of day.
    auto attesa = inAttesa.lower_bound(inizio);
    auto prima = [&](const QDate& giorno) {
        for (; attesa != inAttesa.end() && attesa->first <= fine && attesa->first < giorno; ++attesa)
            AggiungiRiga(out, attesa->first, attesa->second);
    };
    const auto letto = db.PerOgniGiorno(inizio, fine, [&](const char* chiave, const QDate& giorno, Totali t) {
        prima(giorno);
        if (attesa != inAttesa.end() && attesa->first == giorno) {
            t += attesa->second;
            ++attesa;
        }
        AggiungiRiga(out, QByteArrayView(chiave, 10), t);
    });
    if (!letto) {
        if (errore)
            *errore = letto.Errore();
        return std::nullopt;
    }
    prima(fine.addDays(1));
    out += Fine + '\n';
    return out;
}

std::optional<DatiRapporto> DecodificaDati(const QByteArray& testo)
{
    if (!testo.endsWith('\n'))
        return std::nullopt;
    const QList<QByteArray> righe = testo.left(testo.size() - 1).split('\n');
    if (righe.size() < 2 || righe.constLast() != Fine)
        return std::nullopt;
    const QList<QByteArray> testa = righe.constFirst().split(' ');
    if ((testa.size() != 5 && testa.size() != 6) || testa[0] != ParolaRapporto)
        return std::nullopt;
    DatiRapporto d;
    d.inizio = LeggiDataIso(QString::fromLatin1(testa[1]));
    d.fine = LeggiDataIso(QString::fromLatin1(testa[2]));
    d.oggi = LeggiDataIso(QString::fromLatin1(testa[3]));
    bool ok = false;
    d.percentualeIva = testa[4].toInt(&ok);
    if (!ok || !d.inizio.isValid() || !d.fine.isValid() || !d.oggi.isValid())
        return std::nullopt;
    if (testa.size() == 6) {
        const int ms = testa[5].toInt(&ok);
        d.ora = QTime::fromMSecsSinceStartOfDay(ms);
        if (!ok || !d.ora.isValid())
            return std::nullopt;
    }
    for (qsizetype i = 1; i + 1 < righe.size(); ++i) {
        const QList<QByteArray> campi = righe[i].split(' ');
        if (campi.size() != 3)
            return std::nullopt;
        const QDate giorno = LeggiDataIso(QString::fromLatin1(campi[0]));
        bool okScatti = false, okImporto = false;
        const qint32 scatti = campi[1].toInt(&okScatti);
        const double importo = campi[2].toDouble(&okImporto);
        if (!giorno.isValid() || !okScatti || !okImporto || !std::isfinite(importo))
            return std::nullopt;
        d.righe.insert(giorno, {scatti, importo});
    }
    return d;
}

QString NomeServizio(const QString& cartellaDati, const QString& cartellaEsecuzione)
{
    // The same folder reached by another path is the same copy.
    const QFileInfo info(cartellaDati);
    const QString cartella = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    const QByteArray impronta =
        QCryptographicHash::hash(cartella.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    const QString nome = QStringLiteral("velatrix-") + QString::fromLatin1(impronta);
    const QString percorso = QDir(cartellaEsecuzione).filePath(nome);
    // A name Qt would place in the shared temporary folder is no name.
    if (cartellaEsecuzione.isEmpty() || QFile::encodeName(percorso).size() > LunghezzaMassimaSocket)
        return {};
    return percorso;
}

QStringList NomiServizio(const QString& cartellaDati, bool pannello)
{
    QStringList cartelle;
    if (pannello) {
        // The runtime folder first; the program's own one as well, where a
        // report from a login without a runtime folder of its own looks.
        const QString principale = IstanzaUnica::CartellaEsecuzione(nullptr, true);
        if (!principale.isEmpty())
            cartelle << principale;
        if (principale != QStringLiteral("/run/user/%1").arg(::getuid())) {
            ::mkdir(QFile::encodeName(IstanzaUnica::CartellaPropria()).constData(), 0700);
            if (IstanzaUnica::CartelleEsecuzione().contains(IstanzaUnica::CartellaPropria()))
                cartelle << IstanzaUnica::CartellaPropria();
        }
    } else {
        cartelle = IstanzaUnica::CartelleEsecuzione();
    }
    QStringList nomi;
    for (const QString& c : cartelle)
        if (const QString n = NomeServizio(cartellaDati, c); !n.isEmpty() && !nomi.contains(n))
            nomi << n;
    return nomi;
}

QString NomeServizio(const QString& cartellaDati) { return NomiServizio(cartellaDati, true).value(0); }

bool StessoUtente(qintptr descrittore)
{
    ucred credenziali{};
    socklen_t lunghezza = sizeof credenziali;
    return ::getsockopt(int(descrittore), SOL_SOCKET, SO_PEERCRED, &credenziali, &lunghezza) == 0
           && lunghezza == sizeof credenziali && credenziali.uid == ::getuid();
}

namespace {

// The socket's address; false when the path does not fit.
bool Indirizzo(const QString& nome, sockaddr_un* indirizzo)
{
    const QByteArray percorso = QFile::encodeName(nome);
    *indirizzo = {};
    indirizzo->sun_family = AF_UNIX;
    if (percorso.isEmpty() || size_t(percorso.size()) >= sizeof indirizzo->sun_path)
        return false;
    std::memcpy(indirizzo->sun_path, percorso.constData(), size_t(percorso.size()));
    return true;
}

// A connection to the running copy of this user's on nome; -1 when nobody
// listens there, or somebody who is not this user.
int Connetti(const QString& nome)
{
    sockaddr_un indirizzo;
    if (!Indirizzo(nome, &indirizzo))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    // A local connect is answered at once: taken into the listener's queue,
    // or refused; a full queue (a panel that stopped taking) is no answer.
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&indirizzo), sizeof indirizzo) != 0 || !StessoUtente(fd)
        || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool InviaTutto(int fd, const QByteArray& dati)
{
    for (qsizetype inviati = 0; inviati < dati.size();) {
        const ssize_t n = ::send(fd, dati.constData() + inviati, size_t(dati.size() - inviati), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        inviati += n;
    }
    return true;
}

} // namespace

// One client of the panel's: its request line, then the answer, sent as the
// socket takes it without ever blocking the window.
class ServizioLocale::Connessione : public QObject {
public:
    Connessione(int fd, ServizioLocale& servizio)
        : QObject(&servizio), fd_(fd), servizio_(servizio), lettura_(fd, QSocketNotifier::Read, this),
          scrittura_(fd, QSocketNotifier::Write, this)
    {
        scrittura_.setEnabled(false);
        connect(&lettura_, &QSocketNotifier::activated, this, [this] { Leggi(); });
        connect(&scrittura_, &QSocketNotifier::activated, this, [this] { Scrivi(); });
        // A client that never finishes its line, or never reads its answer,
        // is not kept waiting on.
        scadenza_.setSingleShot(true);
        connect(&scadenza_, &QTimer::timeout, this, [this] { Chiudi(); });
        scadenza_.start(AttesaRichiestaMs);
    }
    ~Connessione() override
    {
        // A notifier must let go of its socket before the socket is closed.
        lettura_.setEnabled(false);
        scrittura_.setEnabled(false);
        ::close(fd_);
    }

private:
    void Leggi()
    {
        char blocco[RigaMassima + 1];
        for (;;) {
            const ssize_t n = ::recv(fd_, blocco, sizeof blocco, MSG_DONTWAIT);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (n <= 0)
                return Chiudi(); // gone before its line ended
            riga_.append(blocco, n);
            if (const qsizetype fine = riga_.indexOf('\n'); fine >= 0 && fine <= RigaMassima)
                return Rispondi(riga_.left(fine));
            if (riga_.size() > RigaMassima)
                return Chiudi();
        }
    }
    void Rispondi(const QByteArray& richiesta)
    {
        lettura_.setEnabled(false);
        risposta_ = servizio_.Rispondi(richiesta);
        // A report of years may take the reader a while.
        scadenza_.start(30000);
        Scrivi();
    }
    void Scrivi()
    {
        while (inviati_ < risposta_.size()) {
            const ssize_t n = ::send(fd_, risposta_.constData() + inviati_, size_t(risposta_.size() - inviati_),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                scrittura_.setEnabled(true);
                return;
            }
            if (n <= 0)
                return Chiudi();
            inviati_ += n;
        }
        Chiudi();
    }
    void Chiudi()
    {
        // The client sees the end now, not when the event loop gets here.
        ::shutdown(fd_, SHUT_RDWR);
        lettura_.setEnabled(false);
        scrittura_.setEnabled(false);
        scadenza_.stop();
        deleteLater();
    }

    int fd_;
    ServizioLocale& servizio_;
    QSocketNotifier lettura_, scrittura_;
    QTimer scadenza_;
    QByteArray riga_, risposta_;
    qsizetype inviati_ = 0;
};

ServizioLocale::ServizioLocale(const QString& nome, QObject* genitore) : QObject(genitore), nome_(nome) {}

ServizioLocale::~ServizioLocale()
{
    if (ascolto_ < 0)
        return;
    delete notifica_; // before the socket it watches is closed
    ::close(ascolto_);
    // The socket file goes with the panel, unless another copy has put its
    // own in its place meanwhile.
    const QByteArray percorso = QFile::encodeName(nome_);
    struct stat st {};
    if (::lstat(percorso.constData(), &st) == 0 && st.st_dev == dispositivo_ && st.st_ino == inode_)
        ::unlink(percorso.constData());
}

bool ServizioLocale::Ascolta(QString* errore)
{
    const auto fallito = [&](const QString& motivo) {
        if (errore)
            *errore = motivo;
        return false;
    };
    // Listening puts a new socket in place of any old one, so a live server
    // is looked for first.
    if (const int prova = Connetti(nome_); prova >= 0) {
        ::close(prova);
        return fallito(QStringLiteral("un'altra copia risponde già su %1").arg(nome_));
    }
    sockaddr_un indirizzo;
    if (!Indirizzo(nome_, &indirizzo))
        return fallito(QStringLiteral("percorso troppo lungo per un socket: %1").arg(nome_));
    // Nobody answers: what is there is the socket of a run that died.
    ::unlink(indirizzo.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return fallito(QString::fromLocal8Bit(std::strerror(errno)));
    // Only this user may connect, whatever the folder allows.
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&indirizzo), sizeof indirizzo) != 0
        || ::chmod(indirizzo.sun_path, 0600) != 0 || ::listen(fd, 16) != 0) {
        const QString motivo = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return fallito(motivo);
    }
    struct stat st {};
    if (::stat(indirizzo.sun_path, &st) == 0) {
        dispositivo_ = st.st_dev;
        inode_ = st.st_ino;
    }
    ascolto_ = fd;
    notifica_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifica_, &QSocketNotifier::activated, this, &ServizioLocale::NuovaConnessione);
    return true;
}

QByteArray ServizioLocale::Rispondi(const QByteArray& richiesta)
{
    const QList<QByteArray> parole = richiesta.simplified().split(' ');
    const QByteArray& verbo = parole.constFirst();
    if (verbo == ParolaMostra && parole.size() == 1) {
        if (Mostra)
            Mostra();
        return Ok + '\n';
    }
    if (verbo == ParolaAvvia && parole.size() == 1) {
        if (Avvia)
            Avvia();
        return Ok + '\n';
    }
    if (verbo == ParolaRapporto && (parole.size() == 1 || parole.size() == 3)) {
        QDate da, a;
        if (parole.size() == 3) {
            da = LeggiDataIso(QString::fromLatin1(parole[1]));
            a = LeggiDataIso(QString::fromLatin1(parole[2]));
            if (!da.isValid() || !a.isValid() || da > a)
                return Errore(QStringLiteral("intervallo non valido"));
        }
        if (!Rapporto)
            return Errore(QStringLiteral("rapporto non disponibile"));
        QString motivo;
        auto risposta = Rapporto(da, a, &motivo);
        if (!risposta)
            return Errore(motivo.isEmpty() ? QStringLiteral("lettura non riuscita") : motivo);
        return std::move(*risposta);
    }
    return Errore(QStringLiteral("richiesta sconosciuta"));
}

void ServizioLocale::NuovaConnessione()
{
    for (;;) {
        const int fd = ::accept4(ascolto_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        if (!StessoUtente(fd)) {
            ::close(fd);
            continue;
        }
        new Connessione(fd, *this);
    }
}

RispostaServizio ChiediServizio(const QString& nome, const QByteArray& richiesta, int attesaMs)
{
    RispostaServizio r;
    const int fd = Connetti(nome);
    // Nobody listens there, or somebody who is not this user: no answer to believe.
    if (fd < 0)
        return r;
    r.esito = EsitoRichiesta::Errore;
    QElapsedTimer tempo;
    tempo.start();
    bool finita = !InviaTutto(fd, richiesta + '\n');
    while (!finita) {
        const qint64 resto = attesaMs - tempo.elapsed();
        pollfd attesa{fd, POLLIN, 0};
        const int pronti = resto > 0 ? ::poll(&attesa, 1, int(resto)) : 0;
        if (pronti < 0 && errno == EINTR)
            continue;
        if (pronti <= 0) {
            ::close(fd);
            r.errore = QStringLiteral("Velatrix in esecuzione non risponde");
            return r;
        }
        char blocco[65536];
        const ssize_t n = ::recv(fd, blocco, sizeof blocco, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0)
            r.testo.append(blocco, n);
        finita = n <= 0;
    }
    ::close(fd);
    if (r.testo.startsWith(ParolaErrore)) {
        r.errore = QString::fromUtf8(r.testo.mid(ParolaErrore.size()).trimmed());
        return r;
    }
    if (!r.testo.endsWith('\n')) {
        r.errore = QStringLiteral("risposta incompleta da Velatrix in esecuzione");
        return r;
    }
    r.esito = EsitoRichiesta::Risposta;
    return r;
}

bool ChiediMostra(const QString& nome, bool avvia)
{
    const int fd = Connetti(nome);
    if (fd < 0)
        return false;
    // The line waits in the socket until the panel gets to it.
    const bool consegnato = InviaTutto(fd, (avvia ? ParolaAvvia : ParolaMostra) + '\n');
    ::close(fd);
    return consegnato;
}

std::optional<DatiRapporto> ChiediRapporto(const QString& nome, QDate da, QDate a, EsitoRichiesta* esito,
                                           QString* errore)
{
    QByteArray richiesta = ParolaRapporto;
    if (da.isValid() && a.isValid())
        richiesta += ' ' + Iso(da) + ' ' + Iso(a);
    // Generous: the panel answers a year of days in a few milliseconds, but
    // may be busy with a long export meanwhile.
    RispostaServizio r = ChiediServizio(nome, richiesta, 30000);
    *esito = r.esito;
    if (r.esito != EsitoRichiesta::Risposta) {
        if (errore)
            *errore = r.errore;
        return std::nullopt;
    }
    auto dati = DecodificaDati(r.testo);
    if (!dati) {
        *esito = EsitoRichiesta::Errore;
        if (errore)
            *errore = QStringLiteral("risposta non valida da Velatrix in esecuzione");
    }
    return dati;
}
