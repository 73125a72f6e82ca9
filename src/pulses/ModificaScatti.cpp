// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/ModificaScatti.h"
#include "common/FormeTesto.h"
#include "common/ValoreScambio.h"
#include "pulses/CalendarioMese.h"
#include "pulses/TotaliBolletta.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ModificaScatti::ModificaScatti(const QDate& giorno, const Totali& valori, QWidget* genitore) : QDialog(genitore)
{
    setWindowTitle(QStringLiteral("Modifica Scatti"));
    M_DataScatti = new QLabel(locale().toString(giorno, QLocale::LongFormat), this);
    M_DataScatti->setObjectName(QStringLiteral("M_DataScatti"));
    M_DataScatti->setAlignment(Qt::AlignCenter);
    QFont grassetto = M_DataScatti->font();
    grassetto.setBold(true);
    M_DataScatti->setFont(grassetto);

    scattiDati_ = QString::number(valori.scatti);
    importoDato_ = TestoNumero(valori.importo, locale());
    M_NumeroScatti = new QLineEdit(scattiDati_, this);
    M_NumeroScatti->setObjectName(QStringLiteral("M_NumeroScatti"));
    M_Importo = new QLineEdit(importoDato_, this);
    M_Importo->setObjectName(QStringLiteral("M_Importo"));
    for (QLineEdit* campo : {M_NumeroScatti, M_Importo}) {
        campo->setAlignment(Qt::AlignCenter);
        campo->installEventFilter(this);
    }

    P_OK = new QPushButton(QStringLiteral("&OK"), this);
    P_OK->setObjectName(QStringLiteral("P_OK"));
    P_OK->setDefault(true);
    P_Annulla = new QPushButton(QStringLiteral("&Annulla"), this);
    P_Annulla->setObjectName(QStringLiteral("P_Annulla"));
    connect(P_OK, &QPushButton::clicked, this, [this] { P_OK_Click(); });
    // Esc and the window frame end the same way: nothing handed back.
    connect(P_Annulla, &QPushButton::clicked, this, &QDialog::reject);

    auto* campi = new QFormLayout;
    campi->addRow(QStringLiteral("Scatti"), M_NumeroScatti);
    campi->addRow(QStringLiteral("Importo"), M_Importo);
    auto* pulsanti = new QDialogButtonBox(this);
    pulsanti->addButton(P_OK, QDialogButtonBox::AcceptRole);
    pulsanti->addButton(P_Annulla, QDialogButtonBox::RejectRole);
    auto* tutto = new QVBoxLayout(this);
    tutto->addWidget(M_DataScatti);
    tutto->addLayout(campi);
    tutto->addWidget(pulsanti);
}

bool ModificaScatti::eventFilter(QObject* oggetto, QEvent* evento)
{
    if (evento->type() == QEvent::FocusOut) {
        if (oggetto == M_NumeroScatti)
            M_NumeroScatti_LostFocus();
        else if (oggetto == M_Importo)
            M_Importo_LostFocus();
    }
    return QDialog::eventFilter(oggetto, evento);
}

// A field still showing what the caller gave holds the stored value, which
// may lie past the field's range (more than 9999 pulses at 8 s or less a
// pulse): only what the user changed is checked.
void ModificaScatti::M_NumeroScatti_LostFocus()
{
    if (M_NumeroScatti->text() != scattiDati_)
        M_NumeroScatti->setText(QString::number(CorreggiScatti(M_NumeroScatti->text())));
}

void ModificaScatti::M_Importo_LostFocus()
{
    if (M_Importo->text() != importoDato_)
        M_Importo->setText(TestoNumero(CorreggiImporto(M_Importo->text()), locale()));
}

void ModificaScatti::P_OK_Click()
{
    // "OK" can be pressed with Return, without the field losing the focus.
    M_NumeroScatti_LostFocus();
    M_Importo_LostFocus();
    ValoreScambio = M_NumeroScatti->text() + QLatin1Char('/') + M_Importo->text();
    accept();
}
