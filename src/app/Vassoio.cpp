// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Vassoio.h"

#include "app/Spie.h"

#include <QMenu>
#include <QWidget>

Vassoio::Vassoio(QWidget& pannello, QMenu& menu, std::function<bool()> disponibile)
    : pannello_(pannello), menu_(menu), disponibile_(std::move(disponibile))
{
    // The panel's actions are shared, so their state follows the panel's.
    connect(&menuVassoio_, &QMenu::aboutToShow, this, [this] {
        menuVassoio_.clear();
        connect(menuVassoio_.addAction(QStringLiteral("Mostra pannello")), &QAction::triggered, this,
                &Vassoio::MostraPannello);
        menuVassoio_.addSeparator();
        menuVassoio_.addActions(menu_.actions());
    });
    if (CercaVassoio())
        return;
    ricerca_.setInterval(IntervalloRicerca);
    connect(&ricerca_, &QTimer::timeout, this, [this] {
        if (CercaVassoio())
            ricerca_.stop();
    });
    ricerca_.start();
}

Vassoio::~Vassoio()
{
    if (icona_)
        icona_->setContextMenu(nullptr);
}

bool Vassoio::CercaVassoio()
{
    if (icona_)
        return true;
    if (!disponibile_ || !disponibile_())
        return false;
    icona_ = new QSystemTrayIcon(IconaLed(led_), this);
    icona_->setToolTip(Suggerimento());
    icona_->setContextMenu(&menuVassoio_);
    connect(icona_, &QSystemTrayIcon::activated, this, &Vassoio::Attivato);
    icona_->show();
    return true;
}

void Vassoio::MostraLed(Led led)
{
    // Redrawn only on a change: the engine reports the LED at every state.
    if (led == led_)
        return;
    led_ = led;
    if (icona_)
        icona_->setIcon(IconaLed(led));
}

void Vassoio::MostraValore(const QString& testo)
{
    // The same value may now mean another period: the text is built anew.
    valore_ = testo;
    if (icona_ && icona_->toolTip() != Suggerimento())
        icona_->setToolTip(Suggerimento());
}

QString Vassoio::Suggerimento() const
{
    QString testo = QStringLiteral("Velatrix");
    const QString descrizione = descrizione_ ? descrizione_() : QString();
    if (!descrizione.isEmpty())
        testo += QStringLiteral(" – ") + descrizione;
    const QString valore = valore_.simplified();
    return valore.isEmpty() ? testo : testo + QStringLiteral(": ") + valore;
}

void Vassoio::Attivato(QSystemTrayIcon::ActivationReason motivo)
{
    if (!icona_ || motivo != QSystemTrayIcon::Trigger)
        return;
    // A minimised panel counts as visible to Qt, but the user cannot see it.
    if (pannello_.isVisible() && !pannello_.isMinimized()) {
        pannello_.hide();
        return;
    }
    MostraPannello();
}

void Vassoio::MostraPannello()
{
    pannello_.setWindowState(pannello_.windowState() & ~Qt::WindowMinimized);
    pannello_.show();
    pannello_.raise();
    pannello_.activateWindow();
}
