// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/NetworkManager.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace {

const QString Servizio = QStringLiteral("org.freedesktop.NetworkManager");

QString Percorso(const QVariant& v) { return qvariant_cast<QDBusObjectPath>(v).path(); }

} // namespace

NetworkManagerDBus::NetworkManagerDBus(QDBusConnection bus, QObject* genitore) : QObject(genitore), bus_(std::move(bus))
{
}

void NetworkManagerDBus::Chiama(const QDBusMessage& m, std::function<void(const QDBusMessage&)> poi)
{
    // The watcher is a child: gone with this object, and its answer with it.
    auto* attesa = new QDBusPendingCallWatcher(bus_.asyncCall(m, AttesaMassima), this);
    connect(attesa, &QDBusPendingCallWatcher::finished, this, [attesa, poi = std::move(poi)] {
        attesa->deleteLater();
        poi(attesa->reply());
    });
}

void NetworkManagerDBus::Proprieta(const QString& percorso, const QString& interfaccia, const QString& nome,
                                   std::function<void(const QVariant&)> poi)
{
    QDBusMessage m = QDBusMessage::createMethodCall(
        Servizio, percorso, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    m << interfaccia << nome;
    Chiama(m, [poi = std::move(poi)](const QDBusMessage& r) {
        poi(r.type() == QDBusMessage::ReplyMessage && !r.arguments().isEmpty()
                ? qvariant_cast<QDBusVariant>(r.arguments().constFirst()).variant()
                : QVariant());
    });
}

void NetworkManagerDBus::ConnessioneAttiva(const QString& interfaccia,
                                           std::function<void(const QString& percorso, const QString& errore)> poi)
{
    QDBusMessage m = QDBusMessage::createMethodCall(Servizio, QStringLiteral("/org/freedesktop/NetworkManager"),
                                                    Servizio, QStringLiteral("GetDeviceByIpIface"));
    m << interfaccia;
    Chiama(m, [this, poi = std::move(poi)](const QDBusMessage& r) {
        if (r.type() != QDBusMessage::ReplyMessage || r.arguments().isEmpty()) {
            // No NetworkManager on the bus, or no device of its own there.
            const bool assente = r.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
                                 || r.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
                                 || r.errorName() == Servizio + QStringLiteral(".UnknownDevice");
            poi({}, assente ? QString() : r.errorMessage().isEmpty() ? r.errorName() : r.errorMessage());
            return;
        }
        Proprieta(Percorso(r.arguments().constFirst()), Servizio + QStringLiteral(".Device"),
                  QStringLiteral("ActiveConnection"), [poi](const QVariant& v) {
                      const QString attiva = Percorso(v);
                      poi(attiva == QLatin1String("/") ? QString() : attiva, {});
                  });
    });
}

void NetworkManagerDBus::ChiediNome(const QString& interfaccia, std::function<void(const QString& nome)> risposta)
{
    ConnessioneAttiva(interfaccia, [this, risposta = std::move(risposta)](const QString& attiva, const QString&) {
        if (attiva.isEmpty()) {
            risposta({});
            return;
        }
        Proprieta(attiva, Servizio + QStringLiteral(".Connection.Active"), QStringLiteral("Id"),
                  [risposta](const QVariant& id) { risposta(id.toString()); });
    });
}

void NetworkManagerDBus::Disattiva(const QString& interfaccia, std::function<void(const EsitoDisattivazione&)> esito)
{
    ConnessioneAttiva(interfaccia, [this, esito = std::move(esito)](const QString& attiva, const QString& errore) {
        if (attiva.isEmpty()) {
            esito({!errore.isEmpty(), errore});
            return;
        }
        QDBusMessage m = QDBusMessage::createMethodCall(Servizio, QStringLiteral("/org/freedesktop/NetworkManager"),
                                                        Servizio, QStringLiteral("DeactivateConnection"));
        m << QVariant::fromValue(QDBusObjectPath(attiva));
        Chiama(m, [esito](const QDBusMessage& r) {
            if (r.type() == QDBusMessage::ReplyMessage)
                esito({true, {}});
            else
                esito({true, r.errorMessage().isEmpty() ? r.errorName() : r.errorMessage()});
        });
    });
}
