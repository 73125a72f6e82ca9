// SPDX-License-Identifier: GPL-3.0-or-later
#include "EsportazioneLog.h"

#include "common/ErroriSistema.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qsizetype BloccoScrittura = 1 << 20;

QString Assoluto(const QString& percorso)
{
    const QFileInfo info(percorso);
    const QString vero = info.canonicalFilePath();
    if (!vero.isEmpty())
        return vero;
    // A missing file in an existing folder: resolve the folder.
    const QString cartella = QFileInfo(info.absolutePath()).canonicalFilePath();
    return cartella.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : cartella + QLatin1Char('/') + info.fileName();
}

bool Scrivi(QSaveFile& file, const QByteArray& dati)
{
    qint64 fatto = 0;
    while (fatto < dati.size()) {
        const qint64 n = file.write(dati.constData() + fatto, dati.size() - fatto);
        if (n <= 0)
            return false;
        fatto += n;
    }
    return true;
}

bool Fallito(QString* motivo, const QString& percorso, const QString& causa)
{
    if (motivo)
        *motivo = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(percorso), CausaInItaliano(causa));
    return false;
}

} // namespace

bool StessoFile(const QString& a, const QString& b)
{
    return Assoluto(a) == Assoluto(b);
}

bool EsportaLog(const QString& log, const QString& destinazione, TipoEsportazione tipo, QString* motivo,
                const AvanzamentoLog& avanzamento, const QLocale& locale, const std::function<bool()>& annullato)
{
    LettoreLog lettore(log);
    if (!lettore.Errore().isEmpty()) {
        if (motivo)
            *motivo = lettore.Errore();
        return false;
    }
    QSaveFile file(destinazione);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fallito(motivo, destinazione, file.errorString());
    const auto annulla = [&] {
        const QString causa = file.error() != QFileDevice::NoError ? file.errorString()
                                                                    : QStringLiteral("scrittura incompleta");
        file.cancelWriting();
        return Fallito(motivo, destinazione, causa);
    };

    QByteArray attesa = IntestazioneEsportazione(tipo);
    attesa.reserve(BloccoScrittura + 4096);
    const qint64 totale = lettore.NumeroRecord();
    ScrittoreRigheLog scrittore(tipo, locale);
    while (const char* byte = lettore.ProssimoByte()) {
        scrittore.Aggiungi(byte, attesa);
        if (attesa.size() >= BloccoScrittura) {
            if (!Scrivi(file, attesa))
                return annulla();
            // Emptied, not freed: the next block fills the same memory.
            attesa.resize(0);
        }
        if (avanzamento)
            avanzamento(lettore.Posizione(), totale);
        if (annullato && annullato()) {
            file.cancelWriting();
            if (motivo)
                motivo->clear();
            return false;
        }
    }
    if (!lettore.Errore().isEmpty()) {
        file.cancelWriting();
        if (motivo)
            *motivo = lettore.Errore();
        return false;
    }
    if (!Scrivi(file, attesa))
        return annulla();
    if (!file.commit())
        return Fallito(motivo, destinazione, file.errorString());
    return true;
}
