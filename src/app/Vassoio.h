#pragma once
// The tray icon, where the desktop has a tray: the LED as its picture, the
// panel's value as its tooltip, the panel's own menu on a right click, and a
// left click that shows or hides the panel.
#include "engine/Vista.h"

#include <QObject>
#include <QSystemTrayIcon>

class QMenu;
class QWidget;

class Vassoio : public QObject {
    Q_OBJECT
public:
    // Without a tray nothing is created and every call does nothing.
    Vassoio(QWidget& pannello, QMenu& menu, bool disponibile = QSystemTrayIcon::isSystemTrayAvailable());
    ~Vassoio() override;

    void MostraLed(Led led);
    void MostraValore(const QString& testo);
    void Attivato(QSystemTrayIcon::ActivationReason motivo);

    // Null without a tray.
    QSystemTrayIcon* Icona() const { return icona_; }
    Led LedMostrato() const { return led_; }

private:
    QWidget& pannello_;
    QSystemTrayIcon* icona_ = nullptr;
    Led led_ = Led::Spento;
    bool ledMostrato_ = false;
};
