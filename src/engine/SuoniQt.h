// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "engine/Suoni.h"

#include <QStringList>
#include <memory>

// Wave files through Qt Multimedia, which lives in a module of its own
// (ModuloSuoni.cpp) loaded on the first sound or the first question about
// devices: loading it and asking for devices costs a start-up more than
// the rest of the panel's first frame. A missing or unreadable file, no
// output device or no module is silence.
class SuoniQt : public Riproduttore {
public:
    // Where the module is looked for, in order.
    explicit SuoniQt(QStringList moduli = PercorsiModulo());
    ~SuoniQt() override;
    void RiproduciSuono(const QString& file) override;
    int NumeroDispositivi() const override;

    // Beside the program (the build tree), then the installed module folder.
    static QStringList PercorsiModulo();

private:
    Riproduttore* Modulo() const;

    QStringList moduli_;
    mutable bool caricato_ = false;
    mutable std::unique_ptr<Riproduttore> modulo_;
};
