// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bus of the test's own (dbus-daemon) and a NetworkManager stand-in on it
// that answers at once, holds its answers until told, or never answers.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <utility>

class BusPrivato {
public:
    ~BusPrivato()
    {
        for (const QString& nome : std::as_const(connessioni_))
            QDBusConnection::disconnectFromBus(nome);
        if (demone_.state() != QProcess::NotRunning) {
            demone_.terminate();
            demone_.waitForFinished(5000);
        }
    }
    // False, with the reason, when no bus can be started here.
    bool Avvia(QString* perche)
    {
        const QString programma = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (programma.isEmpty() || !cartella_.isValid()) {
            *perche = QStringLiteral("no dbus-daemon here (package dbus-daemon)");
            return false;
        }
        demone_.start(programma,
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                       QStringLiteral("--address=unix:path=") + cartella_.filePath(QStringLiteral("bus")),
                       QStringLiteral("--print-address=1")});
        while (demone_.waitForReadyRead(5000) && !demone_.canReadLine()) {
        }
        indirizzo_ = QString::fromLocal8Bit(demone_.readLine()).trimmed();
        if (indirizzo_.isEmpty())
            *perche =
                QStringLiteral("dbus-daemon did not start: ") + QString::fromLocal8Bit(demone_.readAllStandardError());
        return !indirizzo_.isEmpty();
    }
    // A connection of its own; closed with the bus.
    QDBusConnection Connetti(const QString& nome)
    {
        connessioni_ << nome;
        return QDBusConnection::connectToBus(indirizzo_, nome);
    }

private:
    QTemporaryDir cartella_;
    QProcess demone_;
    QString indirizzo_;
    QStringList connessioni_;
};

// Device /org/freedesktop/NetworkManager/Devices/<interface>, its active
// connection /org/freedesktop/NetworkManager/ActiveConnection/<interface>.
class NetworkManagerFinto : public QDBusVirtualObject {
public:
    explicit NetworkManagerFinto(QDBusConnection bus) : bus_(std::move(bus)) {}
    bool Registra()
    {
        return bus_.registerService(QStringLiteral("org.freedesktop.NetworkManager"))
               && bus_.registerVirtualObject(QStringLiteral("/org/freedesktop/NetworkManager"), this,
                                             QDBusConnection::SubPath);
    }

    QMap<QString, QString> connessioni; // interface -> connection id; empty id: no active connection
    bool trattieni = false;             // keep the questions unanswered
    bool rifiuta = false;               // refuse to deactivate, as for a user without the right
    int richieste = 0;
    QStringList disattivate; // active connections deactivated

    // Answers what was held, and from now on at once.
    void Rilascia()
    {
        trattieni = false;
        for (const QDBusMessage& m : std::exchange(trattenute_, {}))
            Rispondi(m);
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection&) override
    {
        ++richieste;
        if (trattieni)
            trattenute_ << m;
        else
            Rispondi(m);
        return true;
    }

private:
    void Rispondi(const QDBusMessage& m)
    {
        const auto percorso = [](const char* dove, const QString& i) {
            return QVariant::fromValue(
                QDBusObjectPath(QStringLiteral("/org/freedesktop/NetworkManager/") + QLatin1String(dove) + i));
        };
        if (m.member() == QLatin1String("DeactivateConnection")) {
            if (rifiuta) {
                bus_.send(m.createErrorReply(QStringLiteral("org.freedesktop.NetworkManager.PermissionDenied"),
                                             QStringLiteral("Not authorized to deactivate connections")));
                return;
            }
            disattivate << qvariant_cast<QDBusObjectPath>(m.arguments().value(0)).path();
            bus_.send(m.createReply());
            return;
        }
        const QString interfaccia = m.member() == QLatin1String("GetDeviceByIpIface")
                                        ? m.arguments().value(0).toString()
                                        : m.path().section(QLatin1Char('/'), -1);
        if (!connessioni.contains(interfaccia)) {
            bus_.send(m.createErrorReply(QStringLiteral("org.freedesktop.NetworkManager.UnknownDevice"), interfaccia));
            return;
        }
        const QString id = connessioni.value(interfaccia);
        const QString proprieta = m.arguments().value(1).toString();
        if (m.member() == QLatin1String("GetDeviceByIpIface"))
            bus_.send(m.createReply(percorso("Devices/", interfaccia)));
        else if (proprieta == QLatin1String("ActiveConnection"))
            bus_.send(m.createReply(QVariant::fromValue(
                QDBusVariant(id.isEmpty() ? QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")))
                                          : percorso("ActiveConnection/", interfaccia)))));
        else if (proprieta == QLatin1String("Id"))
            bus_.send(m.createReply(QVariant::fromValue(QDBusVariant(id))));
        else
            bus_.send(m.createErrorReply(QDBusError::UnknownProperty, proprieta));
    }

    QDBusConnection bus_;
    QList<QDBusMessage> trattenute_;
};
