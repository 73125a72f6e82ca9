// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/SuoniQt.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

SuoniQt::SuoniQt() = default;
SuoniQt::~SuoniQt() = default;

int SuoniQt::NumeroDispositivi() const
{
    return int(QMediaDevices::audioOutputs().size());
}

void SuoniQt::RiproduciSuono(const QString& file)
{
    if (!QFileInfo(file).isFile() || NumeroDispositivi() == 0)
        return;
    // Created on first use, so a program that never plays opens no device.
    if (!effetto_)
        effetto_ = std::make_unique<QSoundEffect>();
    effetto_->stop();  // a new sound replaces the one playing
    effetto_->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    effetto_->play();
}
