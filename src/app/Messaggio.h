// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "engine/Allarmi.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class Riproduttore;
struct Impostazioni;

// The alarm window: on top of everything, never modal, never taking the
// focus away from what the user is doing.
class Messaggio : public QDialog {
    Q_OBJECT
public:
    explicit Messaggio(QWidget* genitore = nullptr);
    QLabel* Label1;
    QLabel* TestoMessaggio;
    QPushButton* P_OK;
};

// Opens one alarm window at a time.
class FinestraAllarme : public FinestraMessaggio {
public:
    FinestraAllarme(const Impostazioni& imp, Riproduttore& suoni) : imp_(imp), suoni_(suoni) {}
    ~FinestraAllarme() override;
    void Mostra(const QString& testo) override;
    bool Aperta() const override { return MessaggioAperto; }
    Messaggio* Finestra() const { return finestra_; }

    bool MessaggioAperto = false;
    // Called with each alarm shown, for a notification where the panel
    // cannot be seen.
    std::function<void(const QString&)> Notifica;

private:
    const Impostazioni& imp_;
    Riproduttore& suoni_;
    Messaggio* finestra_ = nullptr;
};
