// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Recupero.h"

#include "common/FileIntero.h"
#include "pulses/DatabaseScatti.h"
#include "settings/TabellaImpostazioni.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Intestazione = "Velatrix recupero 2";
const QString FormaGiorno = QStringLiteral("yyyy-MM-dd");
const QDate PrimoGiorno(1900, 1, 1);

// The most a count can produce: a record's pulses at the shortest interval,
// plus the first pulse and the extra one; a day at most three pulses a
// second (a call started, given its extra pulse and ended every second); no
// pulse dearer than the dearest price.
const double IntervalloMinimo = Chiave<"SPSTr">::intervallo.minimo;
const double PrezzoMassimo = Chiave<"CstSct">::intervallo.massimo;
const qint64 ScattiMassimiGiorno = qint64(3 * 86400 / IntervalloMinimo);

bool ImportoCoerente(qint64 scatti, double importo)
{
    return std::isfinite(importo) && importo >= 0 && importo <= double(scatti) * PrezzoMassimo * (1 + 1e-9);
}

QString Cartella(const QString& cartellaDati)
{
    // The same folder reached by another path is the same folder.
    const QString vera = QFileInfo(cartellaDati).canonicalFilePath();
    return vera.isEmpty() ? QDir::cleanPath(QFileInfo(cartellaDati).absoluteFilePath()) : vera;
}

// The bytes of a regular file of the user's own, never through a link and
// never blocking on a FIFO; the refusal's reason otherwise.
std::optional<QByteArray> LeggiSicuro(const QString& percorso, QString* motivo)
{
    const QByteArray nome = QFile::encodeName(percorso);
    const int fd = ::open(nome.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *motivo = errno == ELOOP ? QStringLiteral("è un collegamento") : QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    struct stat st {};
    QByteArray dati;
    if (::fstat(fd, &st) != 0)
        *motivo = QString::fromLocal8Bit(std::strerror(errno));
    else if (!S_ISREG(st.st_mode))
        *motivo = QStringLiteral("non è un file normale");
    else if (st.st_uid != ::getuid())
        *motivo = QStringLiteral("appartiene a un altro utente");
    else if (st.st_size > DimensioneMassimaRecupero)
        *motivo = QStringLiteral("è troppo grande (%1 byte)").arg(qint64(st.st_size));
    else {
        dati.resize(qsizetype(st.st_size) + 1);
        qint64 letti = 0;
        for (ssize_t n; (n = ::read(fd, dati.data() + letti, size_t(dati.size() - letti))) != 0;) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 || (letti += n) >= dati.size()) {
                *motivo = n < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                : QStringLiteral("è cambiato durante la lettura");
                break;
            }
        }
        dati.truncate(qsizetype(letti));
    }
    ::close(fd);
    if (!motivo->isEmpty())
        return std::nullopt;
    return dati;
}

// One "S" line into p; false when it is no entry a count could leave.
bool LeggiGiorno(const QList<QByteArray>& campi, const QDate& oggi, Pendenti& p)
{
    if (campi.size() != 4)
        return false;
    const QDate giorno = QDate::fromString(QString::fromLatin1(campi[1]), FormaGiorno);
    bool okS = false, okI = false;
    const qint64 scatti = campi[2].toLongLong(&okS);
    const double importo = campi[3].toDouble(&okI);
    if (!okS || !okI || !giorno.isValid() || giorno < PrimoGiorno || giorno > oggi.addDays(1))
        return false;
    Totali& t = p.scatti[giorno];
    const qint64 somma = qint64(t.scatti) + scatti;
    if (scatti < 0 || somma > ScattiMassimiGiorno || !ImportoCoerente(scatti, importo)
        || !ImportoCoerente(somma, t.importo + importo))
        return false;
    t.scatti = qint32(somma);
    t.importo += importo;
    return true;
}

bool LeggiRecord(const QList<QByteArray>& campi, const QDate& oggi, Pendenti& p)
{
    if (campi.size() != 2 || campi[1].size() != 2 * LunghezzaRecordLog)
        return false;
    const QByteArray byte = QByteArray::fromHex(campi[1]);
    if (byte.size() != LunghezzaRecordLog || byte.toHex() != campi[1].toLower())
        return false;
    const RecordLog r = DecodificaRecordLog(byte.constData());
    if (!r.Inizio.isValid() || r.Inizio.date() < PrimoGiorno || r.Inizio.date() > oggi.addDays(1) || r.Durata < 0
        || r.Scatti < 0 || qint64(r.Scatti) > qint64(r.Durata / IntervalloMinimo) + 2
        || !ImportoCoerente(r.Scatti, r.Importo))
        return false;
    p.log.push_back(r);
    return true;
}

QByteArray NuovoId()
{
    quint64 parti[2] = {QRandomGenerator::system()->generate64(), QRandomGenerator::system()->generate64()};
    return QByteArray(reinterpret_cast<const char*>(parti), sizeof parti).toHex();
}

} // namespace

Totali Pendenti::TotaleScatti() const
{
    Totali t;
    for (const auto& [giorno, valori] : scatti) {
        t.scatti += valori.scatti;
        t.importo += valori.importo;
    }
    return t;
}

void Pendenti::Unisci(const Pendenti& altri)
{
    for (const auto& [giorno, valori] : altri.scatti) {
        Totali& t = scatti[giorno];
        t.scatti += valori.scatti;
        t.importo += valori.importo;
    }
    log.insert(log.end(), altri.log.begin(), altri.log.end());
}

bool ScriviRecupero(const QString& percorso, const Pendenti& pendenti, const QString& cartellaDati, QString* motivo)
{
    QByteArray testo =
        Intestazione + "\nid " + NuovoId() + "\ncartella " + Cartella(cartellaDati).toUtf8().toHex() + '\n';
    for (const auto& [giorno, valori] : pendenti.scatti)
        testo += "S " + giorno.toString(FormaGiorno).toLatin1() + ' ' + QByteArray::number(valori.scatti) + ' '
                 + QByteArray::number(valori.importo, 'g', 17) + '\n';
    for (const RecordLog& r : pendenti.log) {
        char byte[LunghezzaRecordLog];
        CodificaRecordLog(r, byte);
        testo += "L " + QByteArray(byte, LunghezzaRecordLog).toHex() + '\n';
    }
    return FileIntero::ScriviTutto(percorso, testo, motivo, {0600, false});
}

LetturaRecupero LeggiRecupero(const QString& percorso, const QString& cartellaDati, const QDate& oggi)
{
    LetturaRecupero l;
    struct stat st {};
    if (::lstat(QFile::encodeName(percorso).constData(), &st) != 0 && errno == ENOENT)
        return l;
    l.esito = EsitoLettura::Rifiutato;
    const auto dati = LeggiSicuro(percorso, &l.motivo);
    if (!dati)
        return l;
    QList<QByteArray> righe = dati->split('\n');
    if (!dati->endsWith('\n') || righe.size() < 4 || righe[0] != Intestazione || !righe[1].startsWith("id ")
        || !righe[2].startsWith("cartella ")) {
        l.motivo = QStringLiteral("non è un file di recupero di questa versione");
        return l;
    }
    l.file.id = righe[1].mid(3);
    const QByteArray cartella = righe[2].mid(9);
    l.file.cartella = QString::fromUtf8(QByteArray::fromHex(cartella));
    if (l.file.id.size() != 32 || QByteArray::fromHex(l.file.id).toHex() != l.file.id
        || QByteArray::fromHex(cartella).toHex() != cartella) {
        l.motivo = QStringLiteral("l'intestazione è danneggiata");
        return l;
    }
    righe.removeLast(); // after the last line end
    for (qsizetype i = 3; i < righe.size(); ++i) {
        const QList<QByteArray> campi = righe[i].split(' ');
        const bool ok = campi[0] == "S" ? LeggiGiorno(campi, oggi, l.file.voci)
                                        : campi[0] == "L" && LeggiRecord(campi, oggi, l.file.voci);
        if (!ok) {
            l.motivo = QStringLiteral("la riga %1 non è un dato che un conteggio possa produrre").arg(i + 1);
            l.file.voci = {};
            return l;
        }
    }
    l.esito = l.file.cartella == Cartella(cartellaDati) ? EsitoLettura::Valido : EsitoLettura::AltraCartella;
    if (l.esito == EsitoLettura::AltraCartella)
        l.motivo =
            QStringLiteral("appartiene alla cartella dei dati %1").arg(QDir::toNativeSeparators(l.file.cartella));
    return l;
}

QString MettiDaParte(const QString& percorso)
{
    QString nome = percorso + QStringLiteral(".rifiutato");
    for (int n = 2; n < 1000; ++n) {
        struct stat st {};
        if (::lstat(QFile::encodeName(nome).constData(), &st) != 0 && errno == ENOENT)
            break;
        nome = percorso + QStringLiteral(".rifiutato-%1").arg(n);
    }
    // rename moves a link or a FIFO itself, never what it leads to.
    if (std::rename(QFile::encodeName(percorso).constData(), QFile::encodeName(nome).constData()) != 0)
        return {};
    return nome;
}

EsitoUnione UnisciRecupero(DatabaseScatti& db, FileLog& log, const FileRecupero& file,
                           const std::function<bool(int passo)>& prosegui)
{
    EsitoUnione esito;
    const auto ferma = [&](int passo) {
        if (prosegui && !prosegui(passo)) {
            esito.stato = EsitoUnione::Interrotta;
            return true;
        }
        return false;
    };
    if (ferma(0))
        return esito;
    const auto unito = db.AggiungiRecupero(file.id, file.voci.scatti, log.NumeroRecord());
    if (!unito) {
        esito.stato = EsitoUnione::NessunoScritto;
        esito.resto = file.voci;
        esito.errore = QStringLiteral("errore %1: %2").arg(unito.Errore().numero).arg(unito.Errore().testo);
        return esito;
    }
    if (ferma(1))
        return esito;
    // The records of the file follow the log as it was when its pulses went
    // in; those already there were appended by an earlier try.
    for (size_t i = 0; i < file.voci.log.size(); ++i) {
        const RecordLog& r = file.voci.log[i];
        char byte[LunghezzaRecordLog];
        CodificaRecordLog(r, byte);
        const auto presente = log.ByteRecord(*unito + qint64(i) + 1);
        if (presente && std::memcmp(presente->constData(), byte, LunghezzaRecordLog) == 0)
            continue;
        QString motivo;
        if (!log.Aggiungi(r, &motivo)) {
            esito.stato = EsitoUnione::RecordInSospeso;
            esito.resto.log.assign(file.voci.log.begin() + qsizetype(i), file.voci.log.end());
            esito.errore = motivo;
            return esito;
        }
        if (ferma(2 + int(i)))
            return esito;
    }
    return esito;
}
