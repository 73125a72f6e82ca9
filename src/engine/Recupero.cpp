// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Recupero.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>
#include <limits>

namespace {
const QByteArray Intestazione = "Velatrix recupero 1";
const QString FormaGiorno = QStringLiteral("yyyy-MM-dd");
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

bool ScriviRecupero(const QString& percorso, const Pendenti& pendenti, QString* motivo)
{
    // One line an entry: "S day pulses amount" or "L" and the record's 74
    // bytes in hex, exactly as the log will hold them.
    QByteArray testo = Intestazione + '\n';
    for (const auto& [giorno, valori] : pendenti.scatti)
        testo += "S " + giorno.toString(FormaGiorno).toLatin1() + ' ' + QByteArray::number(valori.scatti) + ' '
            + QByteArray::number(valori.importo, 'g', 17) + '\n';
    for (const RecordLog& r : pendenti.log) {
        char byte[LunghezzaRecordLog];
        CodificaRecordLog(r, byte);
        testo += "L " + QByteArray(byte, LunghezzaRecordLog).toHex() + '\n';
    }
    QSaveFile file(percorso);
    if (!file.open(QIODevice::WriteOnly) || file.write(testo) != testo.size() || !file.commit()) {
        if (motivo)
            *motivo = QStringLiteral("%1: %2").arg(percorso, file.errorString());
        return false;
    }
    return true;
}

std::optional<Pendenti> LeggiRecupero(const QString& percorso)
{
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Far more than any count could leave behind; a bigger file is not ours.
    const QByteArray testo = file.read(16 << 20);
    const QList<QByteArray> righe = testo.split('\n');
    if (righe.isEmpty() || righe.first() != Intestazione)
        return std::nullopt;
    Pendenti p;
    for (const QByteArray& riga : righe) {
        const QList<QByteArray> campi = riga.split(' ');
        if (campi.size() == 4 && campi[0] == "S") {
            const QDate giorno = QDate::fromString(QString::fromLatin1(campi[1]), FormaGiorno);
            bool okS = false, okI = false;
            const qint64 scatti = campi[2].toLongLong(&okS);
            const double importo = campi[3].toDouble(&okI);
            if (!giorno.isValid() || !okS || !okI || scatti < 0 || !std::isfinite(importo) || importo < 0)
                continue;
            Totali& t = p.scatti[giorno];
            if (scatti > std::numeric_limits<qint32>::max() - qint64(t.scatti))
                continue;
            t.scatti += qint32(scatti);
            t.importo += importo;
        } else if (campi.size() == 2 && campi[0] == "L" && campi[1].size() == 2 * LunghezzaRecordLog) {
            const QByteArray byte = QByteArray::fromHex(campi[1]);
            if (byte.size() == LunghezzaRecordLog)
                p.log.push_back(DecodificaRecordLog(byte.constData()));
        }
    }
    return p;
}
