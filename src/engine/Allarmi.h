#pragma once
// Cost and duration alarms: each raised once per count, shown one at a time
// in a small window that does not stop the counting.
#include <QString>

class Motore;
struct Impostazioni;

class FinestraMessaggio {
public:
    virtual ~FinestraMessaggio() = default;
    // Marks itself open before it appears, so two alarms of one pulse never
    // open two windows; plays the alarm sound.
    virtual void Mostra(const QString& testo) = 0;
    virtual bool Aperta() const = 0;
};

class Allarmi {
public:
    Allarmi(const Impostazioni& imp, Motore& motore, FinestraMessaggio& finestra);

    // After every pulse: bill period first, then day, then connection.
    void ControllaCosti();
    // At every tick of a count.
    void ControllaDurata();
    void MostraMessaggio(int n);

    static QString TestoAllarme(const Impostazioni& imp, int n);

private:
    const Impostazioni& imp_;
    Motore& motore_;
    FinestraMessaggio& finestra_;
};
