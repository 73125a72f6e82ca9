#include "app/Vassoio.h"

#include "app/Spie.h"

#include <QMenu>
#include <QWidget>

Vassoio::Vassoio(QWidget& pannello, QMenu& menu, bool disponibile) : pannello_(pannello)
{
    if (!disponibile)
        return;
    icona_ = new QSystemTrayIcon(this);
    icona_->setContextMenu(&menu);
    MostraLed(led_);
    connect(icona_, &QSystemTrayIcon::activated, this, &Vassoio::Attivato);
    icona_->show();
}

Vassoio::~Vassoio()
{
    // The menu belongs to the panel.
    if (icona_)
        icona_->setContextMenu(nullptr);
}

void Vassoio::MostraLed(Led led)
{
    // Redrawn only on a change: the engine reports the LED at every state.
    if (!icona_ || (ledMostrato_ && led == led_))
        return;
    led_ = led;
    ledMostrato_ = true;
    icona_->setIcon(IconaLed(led));
}

void Vassoio::MostraValore(const QString& testo)
{
    if (icona_ && icona_->toolTip() != testo)
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
