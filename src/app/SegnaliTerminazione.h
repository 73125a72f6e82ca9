// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface
// thread, so a kill or a logout takes the program's own exit path.
class SegnaliTerminazione : public QObject {
    Q_OBJECT
public:
    explicit SegnaliTerminazione(QObject* genitore = nullptr);
    ~SegnaliTerminazione() override;

signals:
    void Terminazione();

private:
    QSocketNotifier* notifica_ = nullptr;
};
