// SPDX-License-Identifier: GPL-3.0-or-later
#include "RiepilogoLog.h"

#include "common/CartellaDati.h"
#include "common/ValoreScambio.h"
#include "log/EsportazioneLog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

} // namespace

QString DomandaAzzeramento()
{
    return QStringLiteral("Attenzione!!! Il riepilogo delle connessioni ")
           + QStringLiteral(" sta per essere totalmente azzerato: premere <OK>")
           + QStringLiteral(" per procedere all'azzeramento oppure <Annulla>")
           + QStringLiteral(" per lasciare invariato.");
}

RiepilogoLog::RiepilogoLog(QString cartellaDati, Interlocutore& messaggi)
    : cartella_(std::move(cartellaDati)), messaggi_(messaggi)
{
    Carica();
}

QString RiepilogoLog::PercorsoLog() const { return QDir(cartella_).filePath(QString::fromLatin1(NomeLog)); }

QString RiepilogoLog::PercorsoFiltrato() const
{
    return QDir(cartella_).filePath(QString::fromLatin1(NomeLogFiltrato));
}

QString RiepilogoLog::TestoStato() const
{
    QString t = QStringLiteral("Righe: ") + QString::number(righe_);
    if (filtrato_)
        t += QStringLiteral(" (Filtrate)");
    return t;
}

QString RiepilogoLog::CartellaEsportazione() { return ::CartellaEsportazione(); }

void RiepilogoLog::Carica()
{
    filtrato_ = false;
    righe_ = FileLog(PercorsoLog()).NumeroRecord();
}

bool RiepilogoLog::Azzera()
{
    FileLog log(PercorsoLog());
    if (log.NumeroRecord() == 0) {
        messaggi_.Informazione(MessaggioLogVuoto);
        return false;
    }
    if (!messaggi_.Conferma(DomandaAzzeramento()))
        return false;
    QString motivo;
    if (!log.Azzera(&motivo))
        messaggi_.Avviso(QStringLiteral("Impossibile azzerare il riepilogo delle connessioni.\n") + motivo);
    // Whatever happened, show what is on disk now.
    Carica();
    return true;
}

void RiepilogoLog::Esporta(const SceltaFileEsportazione& scegli, const ProgressoLog& progresso)
{
    const qint64 n = FileLog(PercorsoLog()).NumeroRecord();
    if (n == 0) {
        messaggi_.Informazione(MessaggioLogVuoto);
        return;
    }
    const std::optional<SceltaEsportazione> scelta = scegli ? scegli() : std::nullopt;
    if (!scelta || scelta->percorso.isEmpty())
        return;
    RicordaCartellaEsportazione(scelta->percorso);
    if (StessoFile(scelta->percorso, PercorsoLog()) || StessoFile(scelta->percorso, PercorsoFiltrato())) {
        messaggi_.Avviso(QStringLiteral("Il file ") + QDir::toNativeSeparators(scelta->percorso)
                         + QStringLiteral(" contiene il riepilogo delle connessioni: scegliere un altro file."));
        return;
    }
    if (progresso.inizia)
        progresso.inizia(QStringLiteral("Esportazione in corso..."), n);
    QString motivo;
    const bool ok = EsportaLog(PercorsoLog(), scelta->percorso, scelta->tipo, &motivo, progresso.avanza, QLocale(),
                               progresso.annullato);
    if (progresso.finisce)
        progresso.finisce();
    if (!ok && motivo.isEmpty())
        return; // stopped by the user
    if (ok)
        messaggi_.Informazione(QStringLiteral("Il riepilogo delle connessioni è stato esportato nel file ")
                               + QDir::toNativeSeparators(scelta->percorso));
    else
        messaggi_.Avviso(QStringLiteral("Impossibile esportare il riepilogo delle connessioni.\n") + motivo);
}

bool RiepilogoLog::Filtra(const std::function<void()>& apri)
{
    if (FileLog(PercorsoLog()).NumeroRecord() == 0) {
        messaggi_.Informazione(MessaggioLogVuoto);
        return false;
    }
    ValoreScambio = qint16(0);
    if (apri)
        apri();
    if (ScambioIntero(ValoreScambio, 1)) {
        filtrato_ = true;
        righe_ = FileLog(PercorsoFiltrato()).NumeroRecord();
        return true;
    }
    if (ScambioIntero(ValoreScambio, -1) && filtrato_) {
        Carica();
        return true;
    }
    // A filter that matched nothing has emptied the copy on its way to a
    // cancel: rows shown from it would no longer exist.
    if (filtrato_ && FileLog(PercorsoFiltrato()).NumeroRecord() != righe_) {
        Carica();
        return true;
    }
    return false;
}
