// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the log viewer does, without its window: which file it shows, and
// clearing, exporting and filtering the log with the user's answers.
#include "common/Interlocutore.h"
#include "log/FileLog.h"
#include "log/TestiLog.h"

#include <QString>
#include <functional>
#include <optional>

inline const QString MessaggioLogVuoto = QStringLiteral("Il riepilogo delle connessioni è vuoto.");

struct SceltaEsportazione {
    QString percorso;
    TipoEsportazione tipo = TipoEsportazione::Tabulazione;
};
// The save dialog: nothing when the user cancels.
using SceltaFileEsportazione = std::function<std::optional<SceltaEsportazione>()>;

// The viewer's progress panel, shown around a long operation.
struct ProgressoLog {
    std::function<void(const QString& testo, qint64 massimo)> inizia;
    AvanzamentoLog avanza;
    std::function<void()> finisce;
    // True once the user asked to stop (an export only).
    std::function<bool()> annullato;
};

// The question "Azzera..." asks.
QString DomandaAzzeramento();

class RiepilogoLog {
public:
    RiepilogoLog(QString cartellaDati, Interlocutore& messaggi);

    QString PercorsoLog() const;
    QString PercorsoFiltrato() const;
    // The file the grid shows.
    QString FileCorrente() const { return filtrato_ ? PercorsoFiltrato() : PercorsoLog(); }
    bool Filtrato() const { return filtrato_; }
    qint64 Righe() const { return righe_; }
    // "Righe: n", with " (Filtrate)" on the filtered copy.
    QString TestoStato() const;

    // Where the save dialog opens: the folder of the last export chosen while
    // the program runs, else the user's documents folder, else home.
    static QString CartellaEsportazione();

    // Back to the whole log.
    void Carica();
    // Each returns true when the grid must read its file again. An export
    // the user stops leaves no file, keeps an older one, and says nothing.
    bool Azzera();
    void Esporta(const SceltaFileEsportazione& scegli, const ProgressoLog& progresso = {});
    // `apri` shows the filter dialog, which leaves its outcome in ValoreScambio.
    bool Filtra(const std::function<void()>& apri);

private:
    QString cartella_;
    Interlocutore& messaggi_;
    bool filtrato_ = false;
    qint64 righe_ = 0;
};
