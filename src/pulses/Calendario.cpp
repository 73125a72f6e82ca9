// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/Calendario.h"
#include "common/ValoreScambio.h"
#include "pulses/SceltaMese.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

Calendario::Calendario(QWidget* genitore) : QDialog(genitore)
{
    setWindowTitle(QStringLiteral("Calendario"));
    Pannello = new SceltaMese({"L", "M", "M", "G", "V", "S", "D"}, this);
    Pannello->setObjectName(QStringLiteral("Pannello"));
    P_Annulla = new QPushButton(QStringLiteral("&Annulla"), this);
    P_Annulla->setObjectName(QStringLiteral("P_Annulla"));
    P_Annulla->setAutoDefault(false);
    connect(P_Annulla, &QPushButton::clicked, this, &Calendario::reject);

    Pannello->MeseScelto = [this](int anno, int mese) {
        AA = anno;
        MM = mese;
        MostraCalendario();
    };
    Pannello->GiornoCliccato = [this](QDate giorno) {
        ValoreScambio = giorno;
        accept();
    };

    auto* pulsanti = new QHBoxLayout;
    pulsanti->addStretch();
    pulsanti->addWidget(P_Annulla);
    auto* tutto = new QVBoxLayout(this);
    tutto->addWidget(Pannello, 1);
    tutto->addLayout(pulsanti);
    resize(280, 240);
    if (const QScreen* schermo = QGuiApplication::primaryScreen())
        move(schermo->availableGeometry().center() - rect().center());

    const QDate* entrata = std::get_if<QDate>(&ValoreScambio);
    const QDate data = entrata && entrata->isValid() ? *entrata : QDate::currentDate();
    AA = data.year();
    MM = data.month();
    MostraCalendario();
}

void Calendario::MostraCalendario()
{
    Pannello->Mostra(AA, MM);
    AA = Pannello->Anno(); // a year the list cannot show is brought into its range
}

void Calendario::reject()
{
    // "Annulla", Esc and the frame all cancel.
    ValoreScambio = qint16(0);
    QDialog::reject();
}
