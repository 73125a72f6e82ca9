// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TerminatoreChiamata.h"

#include "engine/GestoreRete.h"
#include "engine/Rilevamento.h"
#include "settings/Impostazioni.h"

#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <memory>

TerminatoreChiamata::TerminatoreChiamata(const Impostazioni& imp, const Rilevamento& rilevamento,
                                         SorgenteConnessioni& sorgente, GestoreRete* rete)
    : imp_(imp), rilevamento_(rilevamento), sorgente_(sorgente), rete_(rete)
{
}

void TerminatoreChiamata::Rispondi(std::function<void(const QString&)> esito, const QString& perche)
{
    // Never from inside the caller's own step (a pulse being counted).
    QMetaObject::invokeMethod(
        this, [esito = std::move(esito), perche] { esito(perche); }, Qt::QueuedConnection);
}

void TerminatoreChiamata::TerminaChiamata(std::function<void(const QString& perche)> esito)
{
    const quint32 maniglia = rilevamento_.ManigliaConnessione();
    const QString interfaccia = maniglia ? sorgente_.Interfaccia(maniglia) : QString();
    const QString nome = rilevamento_.NomeConnessione();
    if (interfaccia.isEmpty() || !rete_) {
        EseguiComando(nome, interfaccia, std::move(esito));
        return;
    }
    rete_->Disattiva(interfaccia, [questo = QPointer<TerminatoreChiamata>(this), nome, interfaccia,
                                   esito = std::move(esito)](const EsitoDisattivazione& e) {
        if (!questo)
            return;
        if (!e.gestita)
            questo->EseguiComando(nome, interfaccia, esito);
        else
            questo->Rispondi(esito, e.errore.isEmpty() ? QString() : QStringLiteral("NetworkManager: ") + e.errore);
    });
}

void TerminatoreChiamata::EseguiComando(const QString& nome, const QString& interfaccia,
                                        std::function<void(const QString&)> esito)
{
    const QString comando = imp_.CmdTrm.trimmed();
    if (comando.isEmpty()) {
        Rispondi(std::move(esito), QStringLiteral("NetworkManager non la gestisce e nessun comando per terminarla "
                                                  "è impostato (Configurazione, scheda Messaggi)."));
        return;
    }
    auto* processo = new QProcess(this);
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert(QStringLiteral("VELATRIX_CONNESSIONE"), nome);
    ambiente.insert(QStringLiteral("VELATRIX_INTERFACCIA"), interfaccia);
    processo->setProcessEnvironment(ambiente);
    processo->setStandardInputFile(QProcess::nullDevice());
    processo->setStandardOutputFile(QProcess::nullDevice());
    auto scaduto = std::make_shared<bool>(false);
    auto* limite = new QTimer(processo);
    limite->setSingleShot(true);
    connect(limite, &QTimer::timeout, processo, [processo, scaduto] {
        *scaduto = true;
        processo->kill();
    });
    const QString citato = QStringLiteral("il comando \"") + comando + QStringLiteral("\" ");
    connect(processo, &QProcess::finished, this,
            [processo, scaduto, citato, esito](int codice, QProcess::ExitStatus stato) {
                processo->deleteLater();
                if (*scaduto)
                    esito(citato + QStringLiteral("non è terminato entro %1 secondi.").arg(AttesaComando / 1000));
                else if (stato != QProcess::NormalExit)
                    esito(citato + QStringLiteral("si è interrotto."));
                else if (codice != 0)
                    esito(citato + QStringLiteral("è terminato con codice %1.").arg(codice));
                else
                    esito({});
            });
    connect(processo, &QProcess::errorOccurred, this, [processo, citato, esito](QProcess::ProcessError errore) {
        if (errore != QProcess::FailedToStart)
            return; // the end is told by finished
        processo->deleteLater();
        esito(citato + QStringLiteral("non si è potuto avviare."));
    });
    limite->start(AttesaComando);
    processo->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), comando});
}
