// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NotificaDesktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

void NotificaDesktop(const QString& testo)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage m = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // app name, id to replace, icon, summary, body, actions, hints, timeout (-1: the server's)
    m << QStringLiteral("Velatrix") << 0u << QStringLiteral("velatrix") << QStringLiteral("Velatrix") << testo
      << QStringList() << QVariantMap() << -1;
    bus.call(m, QDBus::NoBlock);
}
