// SPDX-License-Identifier: GPL-3.0-or-later
#include "EsportazioneLog.h"

#include "common/FileIntero.h"

#include <QDir>
#include <QFileInfo>

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
    return cartella.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                              : cartella + QLatin1Char('/') + info.fileName();
}

} // namespace

bool StessoFile(const QString& a, const QString& b) { return Assoluto(a) == Assoluto(b); }

bool EsportaLog(const QString& log, const QString& destinazione, TipoEsportazione tipo, QString* motivo,
                const AvanzamentoLog& avanzamento, const QLocale& locale, const std::function<bool()>& annullato)
{
    LettoreLog lettore(log);
    if (!lettore.Errore().isEmpty()) {
        if (motivo)
            *motivo = lettore.Errore();
        return false;
    }
    FileIntero file(destinazione);
    const auto annulla = [&] {
        if (motivo)
            *motivo = file.Errore();
        return false;
    };
    if (!file.Apri())
        return annulla();

    QByteArray attesa = IntestazioneEsportazione(tipo);
    attesa.reserve(BloccoScrittura + 4096);
    const qint64 totale = lettore.NumeroRecord();
    ScrittoreRigheLog scrittore(tipo, locale);
    while (const char* byte = lettore.ProssimoByte()) {
        scrittore.Aggiungi(byte, attesa);
        if (attesa.size() >= BloccoScrittura) {
            if (!file.Scrivi(attesa))
                return annulla();
            // Emptied, not freed: the next block fills the same memory.
            attesa.resize(0);
        }
        if (avanzamento)
            avanzamento(lettore.Posizione(), totale);
        if (annullato && annullato()) {
            file.Annulla();
            if (motivo)
                motivo->clear();
            return false;
        }
    }
    if (!lettore.Errore().isEmpty()) {
        file.Annulla();
        if (motivo)
            *motivo = lettore.Errore();
        return false;
    }
    if (!file.Scrivi(attesa))
        return annulla();
    if (!file.Conferma())
        return annulla();
    return true;
}
