// SPDX-License-Identifier: GPL-3.0-or-later
// The sound layer's module: the only code that links Qt Multimedia. The
// program loads it at run time on the first sound or the first question
// about devices (SuoniQt), so a start that plays nothing never loads it.
#include "engine/Suoni.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include <memory>

namespace {

class SuoniMultimedia : public Riproduttore {
public:
    int NumeroDispositivi() const override { return int(QMediaDevices::audioOutputs().size()); }

    void RiproduciSuono(const QString& file) override
    {
        if (!QFileInfo(file).isFile() || NumeroDispositivi() == 0)
            return;
        // Created on first use, so a program that never plays opens no device.
        if (!effetto_)
            effetto_ = std::make_unique<QSoundEffect>();
        effetto_->stop(); // a new sound replaces the one playing
        effetto_->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
        effetto_->play();
    }

private:
    std::unique_ptr<QSoundEffect> effetto_;
};

} // namespace

extern "C" Q_DECL_EXPORT Riproduttore* VelatrixCreaRiproduttore() { return new SuoniMultimedia; }
