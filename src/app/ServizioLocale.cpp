// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ServizioLocale.h"

#include "app/IstanzaUnica.h"
#include "common/RigaComando.h"
#include "settings/Impostazioni.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <sys/socket.h>
#include <sys/stat.h>
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

ServizioLocale::ServizioLocale(const QString& nome, QObject* genitore)
    : QObject(genitore), nome_(nome), server_(new QLocalServer(this))
{
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &ServizioLocale::NuovaConnessione);
}

ServizioLocale::~ServizioLocale() { server_->close(); }

bool ServizioLocale::Ascolta(QString* errore)
{
    // Listening puts a new socket in place of any old one, so a live server
    // is looked for first.
    QLocalSocket prova;
    prova.connectToServer(nome_);
    if (prova.waitForConnected(500)) {
        prova.abort();
        if (errore)
            *errore = QStringLiteral("un'altra copia risponde già su %1").arg(nome_);
        return false;
    }
    // Nobody answers: what is there is the socket of a run that died.
    QLocalServer::removeServer(nome_);
    if (server_->listen(nome_))
        return true;
    if (errore)
        *errore = server_->errorString();
    return false;
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
    while (QLocalSocket* s = server_->nextPendingConnection()) {
        if (!StessoUtente(s->socketDescriptor())) {
            s->abort();
            s->deleteLater();
            continue;
        }
        connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QLocalSocket::readyRead, this, [this, s] { Leggi(s); });
        // A client that never finishes its line is not kept waiting on.
        QTimer::singleShot(AttesaRichiestaMs, s, [s] { s->abort(); });
        // The request may have arrived together with the connection.
        if (s->bytesAvailable() > 0)
            Leggi(s);
    }
}

void ServizioLocale::Leggi(QLocalSocket* s)
{
    if (s->property("risposto").toBool())
        return;
    if (!s->canReadLine()) {
        if (s->bytesAvailable() > RigaMassima)
            s->abort();
        return;
    }
    const QByteArray riga = s->readLine(RigaMassima + 1);
    s->setProperty("risposto", true);
    if (!riga.endsWith('\n')) {
        s->abort();
        return;
    }
    const QByteArray risposta = Rispondi(riga.chopped(1));
    // Straight into the socket as far as the system takes it (a report of
    // years at once), rather than in Qt's small blocks, one per turn of the
    // event loop; Qt sends what is left.
    qsizetype inviati = 0;
    while (inviati < risposta.size()) {
        const ssize_t n = ::send(int(s->socketDescriptor()), risposta.constData() + inviati,
                                 size_t(risposta.size() - inviati), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n <= 0)
            break;
        inviati += n;
    }
    s->write(risposta.constData() + inviati, risposta.size() - inviati);
    // Closes once the answer is out.
    s->disconnectFromServer();
}

RispostaServizio ChiediServizio(const QString& nome, const QByteArray& richiesta, int attesaMs)
{
    RispostaServizio r;
    QLocalSocket s;
    s.connectToServer(nome);
    // Nobody listens there, or somebody who is not this user: no answer to believe.
    if (!s.waitForConnected(1000) || !StessoUtente(s.socketDescriptor()))
        return r;
    r.esito = EsitoRichiesta::Errore;
    s.write(richiesta + '\n');
    QElapsedTimer tempo;
    tempo.start();
    while (s.state() == QLocalSocket::ConnectedState) {
        const qint64 resto = attesaMs - tempo.elapsed();
        if (resto <= 0 || (!s.waitForReadyRead(int(resto)) && s.state() == QLocalSocket::ConnectedState)) {
            r.errore = QStringLiteral("Velatrix in esecuzione non risponde");
            return r;
        }
        r.testo += s.readAll();
    }
    r.testo += s.readAll();
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
    QLocalSocket s;
    s.connectToServer(nome);
    if (!s.waitForConnected(1000) || !StessoUtente(s.socketDescriptor()))
        return false;
    s.write((avvia ? ParolaAvvia : ParolaMostra) + '\n');
    const bool consegnato = s.waitForBytesWritten(1000) || s.bytesToWrite() == 0;
    s.disconnectFromServer();
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
