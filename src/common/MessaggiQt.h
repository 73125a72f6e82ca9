#pragma once
#include "common/Interlocutore.h"

class QWidget;

// Message boxes on screen.
class MessaggiQt : public Interlocutore {
public:
    explicit MessaggiQt(QWidget* genitore = nullptr) : genitore_(genitore) {}
    bool Domanda(const QString& testo) override;
    bool Conferma(const QString& testo) override;
    void Avviso(const QString& testo) override;
    void Informazione(const QString& testo) override;
    void Errore(const QString& testo) override;

private:
    QWidget* genitore_;
};
