#pragma once
#include "engine/Suoni.h"

#include <memory>

class QSoundEffect;

// Wave files through Qt Multimedia. A missing or unreadable file, or no
// output device, is silence.
class SuoniQt : public Riproduttore {
public:
    SuoniQt();
    ~SuoniQt() override;
    void RiproduciSuono(const QString& file) override;
    int NumeroDispositivi() const override;

private:
    std::unique_ptr<QSoundEffect> effetto_;
};
