#pragma once
// The sound layer as the engine and the windows see it; SuoniQt plays it.
#include <QString>

// Sound events, by their number.
enum class Suono { Rilevamento = 0, InizioConteggio = 1, FineConteggio = 2, Scatto = 3, Messaggio = 4 };

class Riproduttore {
public:
    virtual ~Riproduttore() = default;
    // Plays asynchronously; a new sound replaces the one playing. A missing
    // file or device is silence.
    virtual void RiproduciSuono(const QString& file) = 0;
    virtual int NumeroDispositivi() const = 0;
};
