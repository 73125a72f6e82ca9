#include "app/Messaggio.h"

#include "common/Interlocutore.h"
#include "engine/Vista.h"
#include "settings/Impostazioni.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

Messaggio::Messaggio(QWidget* genitore)
    : QDialog(genitore, Qt::Dialog | Qt::WindowStaysOnTopHint)
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
    P_OK = new QPushButton(QStringLiteral("OK"), this);
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

void FinestraAllarme::Mostra(const QString& testo)
{
    if (MessaggioAperto)
        return;
    // Marked open before it appears: a second alarm of the same pulse waits.
    MessaggioAperto = true;
    finestra_ = new Messaggio;
    finestra_->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(finestra_, &QObject::destroyed, [this] {
        MessaggioAperto = false;
        finestra_ = nullptr;
    });
    finestra_->TestoMessaggio->setText(testo);
    if (!imp_.Wav[size_t(Suono::Messaggio)].isEmpty() && imp_.SchedaAudio)
        suoni_.RiproduciSuono(imp_.Wav[size_t(Suono::Messaggio)]);
    finestra_->show();
}

FinestraAllarme::~FinestraAllarme()
{
    if (Messaggio* f = std::exchange(finestra_, nullptr)) {
        QObject::disconnect(f, nullptr, nullptr, nullptr);
        delete f;
    }
}
