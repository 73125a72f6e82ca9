#pragma once
// The tray icon, where the desktop has a tray: the LED as its picture, the
// panel's value as its tooltip, the panel's own menu on a right click, and a
// left click that shows or hides the panel.
#include "engine/Vista.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>

class QMenu;
class QWidget;

class Vassoio : public QObject {
    Q_OBJECT
public:
    // Without a tray no icon is made and the panel is all there is.
    Vassoio(QWidget& pannello, QMenu& menu,
            std::function<bool()> disponibile = &QSystemTrayIcon::isSystemTrayAvailable);
    ~Vassoio() override;

    void MostraLed(Led led);
    void MostraValore(const QString& testo);
    void Attivato(QSystemTrayIcon::ActivationReason motivo);
    // Makes the icon once the desktop has a tray; true when there is one.
    bool CercaVassoio();

    // Null without a tray.
    QSystemTrayIcon* Icona() const { return icona_; }
    Led LedMostrato() const { return led_; }

    // Started with the session, the program may be up before the desktop's
    // tray: it looks again this often, this many times.
    static constexpr int IntervalloRicerca = 2000;
    static constexpr int Ricerche = 60;

private:
    QWidget& pannello_;
    QMenu& menu_;
    std::function<bool()> disponibile_;
    QSystemTrayIcon* icona_ = nullptr;
    QTimer ricerca_;
    int ricerche_ = 0;
    Led led_ = Led::Spento;
    QString valore_;
};
