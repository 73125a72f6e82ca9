// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogFiltro.h"

#include "common/CartellaDati.h"
#include "common/ValoreScambio.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

LogFiltro::LogFiltro(QString cartellaDati, Interlocutore& messaggi, ProgressoLog progresso, QWidget* genitore)
    : QDialog(genitore), cartella_(std::move(cartellaDati)), messaggi_(messaggi), progresso_(std::move(progresso))
{
    setWindowTitle(QStringLiteral("Filtro riepilogo connessioni"));
    Campo = new QComboBox(this);
    Campo->setObjectName(QStringLiteral("Campo"));
    Campo->addItems(NomiCampiLog());
    Valore1 = new QLineEdit(this);
    Valore1->setObjectName(QStringLiteral("Valore1"));
    Valore2 = new QLineEdit(this);
    Valore2->setObjectName(QStringLiteral("Valore2"));
    P_Applica = new QPushButton(QStringLiteral("A&pplica filtro"), this);
    P_Applica->setObjectName(QStringLiteral("P_Applica"));
    P_Rimuovi = new QPushButton(QStringLiteral("&Nessun filtro"), this);
    P_Rimuovi->setObjectName(QStringLiteral("P_Rimuovi"));
    P_Annulla = new QPushButton(QStringLiteral("&Annulla"), this);
    P_Annulla->setObjectName(QStringLiteral("P_Annulla"));
    P_Applica->setDefault(true);

    auto* griglia = new QGridLayout;
    griglia->addWidget(new QLabel(QStringLiteral("Campo"), this), 0, 0);
    griglia->addWidget(Campo, 0, 1, 1, 3);
    griglia->addWidget(new QLabel(QStringLiteral("Valore iniziale"), this), 1, 1);
    griglia->addWidget(new QLabel(QStringLiteral("Valore finale"), this), 1, 3);
    auto* da = new QLabel(QStringLiteral("da"), this);
    da->setObjectName(QStringLiteral("Etichetta_Da"));
    auto* a = new QLabel(QStringLiteral("a"), this);
    a->setObjectName(QStringLiteral("Etichetta_A"));
    griglia->addWidget(da, 2, 0);
    griglia->addWidget(Valore1, 2, 1);
    griglia->addWidget(a, 2, 2);
    griglia->addWidget(Valore2, 2, 3);
    auto* pulsanti = new QHBoxLayout;
    pulsanti->addStretch();
    pulsanti->addWidget(P_Applica);
    pulsanti->addWidget(P_Rimuovi);
    pulsanti->addWidget(P_Annulla);
    auto* tutto = new QVBoxLayout(this);
    tutto->addLayout(griglia);
    tutto->addLayout(pulsanti);

    connect(Campo, &QComboBox::currentIndexChanged, this,
            [this](int i) { limiti_.ImpostaCampo(CampoLog(std::clamp(i, 0, NumeroCampiLog - 1))); });
    connect(Valore1, &QLineEdit::editingFinished, this, &LogFiltro::ControllaValori);
    connect(Valore2, &QLineEdit::editingFinished, this, &LogFiltro::ControllaValori);
    connect(P_Applica, &QPushButton::clicked, this, &LogFiltro::P_Applica_Click);
    connect(P_Rimuovi, &QPushButton::clicked, this, [this] { Esci(-1); });
    connect(P_Annulla, &QPushButton::clicked, this, [this] { Esci(0); });
}

void LogFiltro::Mostra()
{
    do {
        riproporre_ = false;
        exec();
    } while (riproporre_);
}

void LogFiltro::ControllaValori()
{
    limiti_.ImpostaTesto(0, Valore1->text());
    limiti_.ImpostaTesto(1, Valore2->text());
    limiti_.ControllaValori();
    // Setting the same text again would move the cursor for nothing.
    if (Valore1->text() != limiti_.Testo(0))
        Valore1->setText(limiti_.Testo(0));
    if (Valore2->text() != limiti_.Testo(1))
        Valore2->setText(limiti_.Testo(1));
}

void LogFiltro::Esci(qint16 esito)
{
    riproporre_ = false;
    ValoreScambio = esito;
    if (esito == 0)
        reject();
    else
        accept();
}

void LogFiltro::P_Applica_Click()
{
    ControllaValori();
    if (limiti_.Vuoti()) {
        Esci(-1);
        return;
    }
    hide();
    const QDir cartella(cartella_);
    const QString log = cartella.filePath(QString::fromLatin1(NomeLog));
    if (progresso_.inizia)
        progresso_.inizia(QStringLiteral("Attendere..."), FileLog(log).NumeroRecord());
    const EsitoFiltroLog esito =
        EseguiFiltroLog(log, cartella.filePath(QString::fromLatin1(NomeLogFiltrato)), limiti_, progresso_.avanza);
    if (progresso_.finisce)
        progresso_.finisce();
    if (esito.tenuti < 0) {
        messaggi_.Avviso(QStringLiteral("Impossibile applicare il filtro.\n") + esito.errore);
        riproporre_ = true;
    } else if (esito.tenuti == esito.letti) {
        Esci(-1);
    } else if (esito.tenuti == 0) {
        messaggi_.Informazione(QStringLiteral("Nessun valore corrispondente alla selezione."));
        riproporre_ = true;
    } else {
        Esci(1);
    }
}
