// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Messaggio.h"

#include "common/Interlocutore.h"
#include "engine/Suoni.h"
#include "settings/Impostazioni.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

Messaggio::Messaggio(QWidget* genitore) : QDialog(genitore, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(TitoloApplicazione);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Usable while a modal window of the program is open.
    setWindowModality(Qt::NonModal);
    auto* Image1 = new QLabel(this);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    Label1 = new QLabel(QStringLiteral("ATTENZIONE"), this);
    QFont grassetto = Label1->font();
    grassetto.setBold(true);
    Label1->setFont(grassetto);
    TestoMessaggio = new QLabel(this);
    TestoMessaggio->setWordWrap(true);
    TestoMessaggio->setMinimumWidth(260);
    P_OK = new QPushButton(QStringLiteral("&OK"), this);
    P_OK->setDefault(true);
    connect(P_OK, &QPushButton::clicked, this, &QDialog::close);

    auto* testi = new QVBoxLayout;
    testi->addWidget(Label1);
    testi->addWidget(TestoMessaggio);
    auto* riga = new QHBoxLayout;
    riga->addWidget(Image1, 0, Qt::AlignTop);
    riga->addLayout(testi, 1);
    auto* tutto = new QVBoxLayout(this);
    tutto->addLayout(riga);
    tutto->addWidget(P_OK, 0, Qt::AlignHCenter);
}

namespace {

// Beside `accanto`, inside the screen: right, left, below or above it.
void Affianca(QWidget* finestra, const QWidget* accanto)
{
    const QRect altra = accanto->frameGeometry();
    const QScreen* schermo = accanto->screen() ? accanto->screen() : QGuiApplication::primaryScreen();
    const QRect area = schermo ? schermo->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize dim = finestra->frameGeometry().size();
    const int spazio = 8;
    const QPoint posti[] = {
        {altra.right() + 1 + spazio, altra.top()},
        {altra.left() - spazio - dim.width(), altra.top()},
        {altra.left(), altra.bottom() + 1 + spazio},
        {altra.left(), altra.top() - spazio - dim.height()},
    };
    QPoint scelto = posti[0];
    for (const QPoint& p : posti)
        if (area.contains(QRect(p, dim))) {
            scelto = p;
            break;
        }
    scelto.setX(std::clamp(scelto.x(), area.left(), std::max(area.left(), area.right() + 1 - dim.width())));
    scelto.setY(std::clamp(scelto.y(), area.top(), std::max(area.top(), area.bottom() + 1 - dim.height())));
    finestra->move(scelto);
}

// When the window an alarm belongs to goes away, the alarm stays where it is,
// on its own.
class Sgancio : public QObject {
public:
    explicit Sgancio(Messaggio* allarme) : QObject(allarme), allarme_(allarme) {}
    bool eventFilter(QObject* oggetto, QEvent* evento) override
    {
        if (evento->type() == QEvent::Hide && oggetto == allarme_->parentWidget()) {
            oggetto->removeEventFilter(this);
            const QPoint posizione = allarme_->pos();
            const bool visibile = allarme_->isVisible();
            allarme_->setParent(nullptr, allarme_->windowFlags());
            allarme_->move(posizione);
            if (visibile)
                allarme_->show();
        }
        return false;
    }

private:
    Messaggio* allarme_;
};

} // namespace

void FinestraAllarme::Mostra(const QString& testo)
{
    if (MessaggioAperto)
        return;
    // Marked open before it appears: a second alarm of the same pulse waits.
    MessaggioAperto = true;
    // A question or dialog open now blocks every window but its own: the alarm
    // joins it, beside it rather than over it, so both stay usable.
    QWidget* modale = QApplication::activeModalWidget();
    finestra_ = new Messaggio(modale);
    finestra_->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(finestra_, &QObject::destroyed, [this] {
        MessaggioAperto = false;
        finestra_ = nullptr;
    });
    finestra_->TestoMessaggio->setText(testo);
    if (!imp_.Wav[size_t(Suono::Messaggio)].isEmpty() && imp_.SchedaAudio)
        suoni_.RiproduciSuono(imp_.Wav[size_t(Suono::Messaggio)]);
    if (modale) {
        modale->installEventFilter(new Sgancio(finestra_));
        finestra_->adjustSize();
        Affianca(finestra_, modale);
    }
    finestra_->show();
    if (modale)
        Affianca(finestra_, modale); // the frame is known once shown
    if (Notifica)
        Notifica(testo);
}

FinestraAllarme::~FinestraAllarme()
{
    if (Messaggio* f = std::exchange(finestra_, nullptr)) {
        QObject::disconnect(f, nullptr, nullptr, nullptr);
        delete f;
    }
}
