// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/Interlocutore.h"

#include <QPointer>
#include <QWidget>

// Message boxes on screen. Each box belongs to the window it concerns, so the
// window manager stacks it above that window (above an always-on-top panel
// too) instead of behind it: the dialog running at the time, else the main
// window while it is on screen.
class MessaggiQt : public Interlocutore {
public:
    explicit MessaggiQt(QWidget* principale = nullptr) : principale_(principale) {}
    void ImpostaPrincipale(QWidget* principale) { principale_ = principale; }
    bool Domanda(const QString& testo) override;
    bool Conferma(const QString& testo) override;
    void Avviso(const QString& testo) override;
    void Informazione(const QString& testo) override;
    void Errore(const QString& testo) override;

    // The window the next box will belong to; null for none.
    QWidget* Genitore() const;

private:
    QPointer<QWidget> principale_;
};
