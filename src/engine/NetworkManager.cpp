#include "engine/NetworkManager.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace {

const QString Servizio = QStringLiteral("org.freedesktop.NetworkManager");

QString Percorso(const QVariant& v)
{
    return qvariant_cast<QDBusObjectPath>(v).path();
}

}  // namespace

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
    QDBusMessage m = QDBusMessage::createMethodCall(Servizio, percorso, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
    m << interfaccia << nome;
    Chiama(m, [poi = std::move(poi)](const QDBusMessage& r) {
        poi(r.type() == QDBusMessage::ReplyMessage && !r.arguments().isEmpty()
                ? qvariant_cast<QDBusVariant>(r.arguments().constFirst()).variant()
                : QVariant());
    });
}

void NetworkManagerDBus::ChiediNome(const QString& interfaccia, std::function<void(const QString& nome)> risposta)
{
    // Device of the interface, its active connection, that connection's id.
    QDBusMessage m = QDBusMessage::createMethodCall(Servizio, QStringLiteral("/org/freedesktop/NetworkManager"), Servizio,
                                                    QStringLiteral("GetDeviceByIpIface"));
    m << interfaccia;
    Chiama(m, [this, risposta = std::move(risposta)](const QDBusMessage& r) {
        const QString dispositivo = r.type() == QDBusMessage::ReplyMessage && !r.arguments().isEmpty()
            ? Percorso(r.arguments().constFirst())
            : QString();
        if (dispositivo.isEmpty()) {
            risposta({});
            return;
        }
        Proprieta(dispositivo, Servizio + QStringLiteral(".Device"), QStringLiteral("ActiveConnection"),
                  [this, risposta](const QVariant& v) {
                      const QString attiva = Percorso(v);
                      if (attiva.isEmpty() || attiva == QLatin1String("/")) {
                          risposta({});
                          return;
                      }
                      Proprieta(attiva, Servizio + QStringLiteral(".Connection.Active"), QStringLiteral("Id"),
                                [risposta](const QVariant& id) { risposta(id.toString()); });
                  });
    });
}
