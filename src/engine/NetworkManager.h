// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// NetworkManager over D-Bus.
#include "engine/GestoreRete.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariant>

class QDBusMessage;

class NetworkManagerDBus : public QObject, public GestoreRete {
public:
    // The system bus by default; a test gives a private one.
    explicit NetworkManagerDBus(QDBusConnection bus = QDBusConnection::systemBus(), QObject* genitore = nullptr);

    void ChiediNome(const QString& interfaccia, std::function<void(const QString& nome)> risposta) override;
    void Disattiva(const QString& interfaccia, std::function<void(const EsitoDisattivazione&)> esito) override;

    // A service that never answers is given up after this long.
    static constexpr int AttesaMassima = 10000;

private:
    // Sends `m`; `poi` gets the answer, or an error message, from the event
    // loop, and only while this object lives.
    void Chiama(const QDBusMessage& m, std::function<void(const QDBusMessage&)> poi);
    void Proprieta(const QString& percorso, const QString& interfaccia, const QString& nome,
                   std::function<void(const QVariant&)> poi);
    // The active connection's path on an interface: empty with no error when
    // there is none, or the service's error.
    void ConnessioneAttiva(const QString& interfaccia,
                           std::function<void(const QString& percorso, const QString& errore)> poi);

    QDBusConnection bus_;
};
