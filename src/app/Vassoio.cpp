#include "app/Vassoio.h"

#include "app/Spie.h"

#include <QMenu>
#include <QWidget>

Vassoio::Vassoio(QWidget& pannello, QMenu& menu, std::function<bool()> disponibile)
    : pannello_(pannello), menu_(menu), disponibile_(std::move(disponibile))
{
    if (CercaVassoio())
        return;
    ricerca_.setInterval(IntervalloRicerca);
    connect(&ricerca_, &QTimer::timeout, this, [this] {
        if (CercaVassoio() || ++ricerche_ >= Ricerche)
            ricerca_.stop();
    });
    ricerca_.start();
}

Vassoio::~Vassoio()
{
    // The menu belongs to the panel.
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
    icona_->setToolTip(valore_);
    icona_->setContextMenu(&menu_);
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
    if (testo == valore_)
        return;
    valore_ = testo;
    if (icona_)
        icona_->setToolTip(testo);
}

void Vassoio::Attivato(QSystemTrayIcon::ActivationReason motivo)
{
    if (!icona_ || motivo != QSystemTrayIcon::Trigger)
        return;
    if (pannello_.isVisible()) {
        pannello_.hide();
        return;
    }
    pannello_.show();
    pannello_.raise();
    pannello_.activateWindow();
}
