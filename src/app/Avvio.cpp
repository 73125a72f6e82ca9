// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Avvio.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace {
QPixmap DisegnaLogo()
{
    QPixmap logo(320, 120);
    logo.fill(QColor(16, 24, 40));
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(128, 255, 128));
    QFont titolo = p.font();
    titolo.setPointSize(26);
    titolo.setBold(true);
    p.setFont(titolo);
    p.drawText(QRect(0, 12, 320, 60), Qt::AlignCenter, QStringLiteral("Velatrix"));
    QFont sotto = p.font();
    sotto.setPointSize(10);
    sotto.setBold(false);
    p.setFont(sotto);
    p.setPen(QColor(200, 210, 230));
    p.drawText(QRect(0, 70, 320, 30), Qt::AlignCenter, QStringLiteral("Contatore di scatti telefonici"));
    return logo;
}
} // namespace

Avvio::Avvio(QWidget* genitore) : QWidget(genitore, Qt::SplashScreen | Qt::FramelessWindowHint), Logo(new QLabel(this))
{
    Logo->setPixmap(DisegnaLogo());
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
