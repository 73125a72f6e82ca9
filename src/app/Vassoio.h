// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tray icon, where the desktop has a tray: the LED as its picture, the
// program's name and the panel's value as its tooltip, "Mostra pannello" and
// the panel's own menu on a right click, and a left click that shows or hides
// the panel.
#include "engine/Vista.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>

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
    // What the value is ("Costo (Lire), giornaliero"), asked at each change.
    void ImpostaDescrizione(std::function<QString()> descrizione) { descrizione_ = std::move(descrizione); }
    void Attivato(QSystemTrayIcon::ActivationReason motivo);
    // Brings the panel back, minimised or hidden alike.
    void MostraPannello();
    // Makes the icon once the desktop has a tray; true when there is one.
    bool CercaVassoio();

    // Null without a tray.
    QSystemTrayIcon* Icona() const { return icona_; }
    QMenu& Menu() { return menuVassoio_; }

    // Started with the session, the program may be up before the desktop's
    // tray, or the tray may come later still: it looks again this often for
    // the whole run.
    static constexpr int IntervalloRicerca = 2000;

private:
    QString Suggerimento() const;

    QWidget& pannello_;
    QMenu& menu_;
    std::function<bool()> disponibile_;
    QSystemTrayIcon* icona_ = nullptr;
    QMenu menuVassoio_;
    std::function<QString()> descrizione_;
    QTimer ricerca_;
    Led led_ = Led::Spento;
    QString valore_;
};
