// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Avvio.h"

#include "app/Risorse.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>

Avvio::Avvio(QWidget* genitore) : QWidget(genitore, Qt::SplashScreen | Qt::FramelessWindowHint), Logo(new QLabel(this))
{
    Logo->setPixmap(LogoAvvio());
    Logo->adjustSize();
    setFixedSize(Logo->size());
    if (QScreen* schermo = QGuiApplication::primaryScreen()) {
        const QRect area = schermo->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void Avvio::MostraSubito()
{
    show();
    repaint();
    QApplication::processEvents();
}
