// SPDX-License-Identifier: GPL-3.0-or-later
#include "tariffs/RiquadroFasce.h"

#include "common/Colori.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr RigaGiorno Righe[] = {RigaGiorno::Feriali, RigaGiorno::Sabato, RigaGiorno::Festivi};

void Sfondo(QWidget* w, quint32 colore)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, ColoreDaLong(colore));
    p.setColor(QPalette::Window, ColoreDaLong(colore));
    p.setColor(QPalette::Text, Qt::black);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}
} // namespace

PulsantiSpin::PulsantiSpin(QWidget* genitore) : QAbstractSpinBox(genitore)
{
    setReadOnly(true);
    setButtonSymbols(UpDownArrows);
    setFocusPolicy(Qt::StrongFocus);
    setMaximumWidth(24);
}

void PulsantiSpin::stepBy(int passi)
{
    if (Passo)
        Passo(passi);
}

RiquadroFasce::RiquadroFasce(BozzaTariffe& bozza, QWidget* genitore)
    : QGroupBox(QStringLiteral("Tariffe per fascia oraria"), genitore), bozza_(bozza)
{
    auto* griglia = new QGridLayout;
    // Marks and lines sit on even columns, bands between them on odd ones.
    griglia->addWidget(new QLabel(QStringLiteral("Orario")), 0, 0);
    for (int i = 1; i <= MassimoFasce + 1; ++i) {
        auto* ora = new QLineEdit;
        ora->setObjectName(QStringLiteral("M_OraInizio%1").arg(i));
        ora->setReadOnly(true);
        ora->setFocusPolicy(Qt::NoFocus);
        ora->setAlignment(Qt::AlignCenter);
        ora->setFixedWidth(48);
        M_OraInizio[size_t(i - 1)] = ora;
        griglia->addWidget(ora, 0, 2 * i - 1, Qt::AlignCenter);
        auto* linea = new QFrame;
        linea->setObjectName(QStringLiteral("Linea%1").arg(i));
        linea->setFrameShape(QFrame::VLine);
        linea->setFixedHeight(14);
        Linea[size_t(i - 1)] = linea;
        griglia->addWidget(linea, 2, 2 * i - 1, Qt::AlignCenter);
    }
    for (int i = 1; i <= MassimoFasce; ++i) {
        auto* spin = new PulsantiSpin;
        spin->setObjectName(QStringLiteral("P_Orario%1").arg(i));
        spin->Passo = [this, i](int passi) {
            for (int k = 0; k < std::abs(passi); ++k)
                passi > 0 ? P_Orario_SpinUp(i) : P_Orario_SpinDown(i);
        };
        P_Orario[size_t(i - 1)] = spin;
        griglia->addWidget(spin, 1, 2 * i - 1, Qt::AlignCenter);
        auto* freccia = new QLabel(QStringLiteral("->"));
        freccia->setObjectName(QStringLiteral("Freccia%1").arg(i));
        Freccia[size_t(i - 1)] = freccia;
        griglia->addWidget(freccia, 0, 2 * i, Qt::AlignCenter);
    }
    const QString titoli[] = {QStringLiteral("Da lunedì a venerdì"), QStringLiteral("Sabato"),
                              QStringLiteral("Domenica e festivi")};
    const QString nomi[] = {QStringLiteral("M_Feriali%1"), QStringLiteral("M_Sabato%1"), QStringLiteral("M_Festivi%1")};
    for (RigaGiorno r : Righe) {
        const int k = int(r);
        griglia->addWidget(new QLabel(titoli[k]), 3 + k, 0);
        auto& celle = r == RigaGiorno::Feriali ? M_Feriali : r == RigaGiorno::Sabato ? M_Sabato : M_Festivi;
        for (int i = 1; i <= MassimoFasce; ++i) {
            auto* c = new QLineEdit;
            c->setObjectName(nomi[k].arg(i));
            c->setAlignment(Qt::AlignCenter);
            c->setFixedWidth(40);
            connect(c, &QLineEdit::editingFinished, this, [this, i, r] { Cella_LostFocus(i, r); });
            celle[size_t(i - 1)] = c;
            // A band spans from its mark to the next one.
            griglia->addWidget(c, 3 + k, 2 * i - 1, 1, 3, Qt::AlignCenter);
        }
    }
    P_AggiungiFascia = new QPushButton(QStringLiteral("Aggiungi &fascia"));
    P_AggiungiFascia->setObjectName(QStringLiteral("P_AggiungiFascia"));
    P_RimuoviFascia = new QPushButton(QStringLiteral("&Rimuovi fascia"));
    P_RimuoviFascia->setObjectName(QStringLiteral("P_RimuoviFascia"));
    for (QPushButton* p : {P_AggiungiFascia, P_RimuoviFascia})
        p->setAutoDefault(false);
    connect(P_AggiungiFascia, &QPushButton::clicked, this, [this] { P_AggiungiFascia_Click(); });
    connect(P_RimuoviFascia, &QPushButton::clicked, this, [this] { P_RimuoviFascia_Click(); });

    // Actions of the grid only: Return and Esc stay with the editor's own buttons.
    auto* pulsanti = new QDialogButtonBox;
    pulsanti->addButton(P_AggiungiFascia, QDialogButtonBox::ActionRole);
    pulsanti->addButton(P_RimuoviFascia, QDialogButtonBox::ActionRole);
    auto* tutto = new QVBoxLayout(this);
    tutto->addLayout(griglia);
    tutto->addWidget(pulsanti);
    Aggiorna();
}

QLineEdit* RiquadroFasce::cella(int i, RigaGiorno riga) const
{
    const auto& celle = riga == RigaGiorno::Feriali ? M_Feriali : riga == RigaGiorno::Sabato ? M_Sabato : M_Festivi;
    return celle[size_t(i - 1)];
}

void RiquadroFasce::Aggiorna()
{
    const GrigliaFasce& g = bozza_.Griglia;
    const int n = g.NumeroFasce();
    for (int i = 1; i <= MassimoFasce + 1; ++i) {
        M_OraInizio[size_t(i - 1)]->setVisible(i <= n + 1);
        Linea[size_t(i - 1)]->setVisible(i <= n + 1);
        if (i <= n + 1)
            M_OraInizio[size_t(i - 1)]->setText(g.Orario(i));
    }
    for (int i = 1; i <= MassimoFasce; ++i) {
        const bool usata = i <= n;
        P_Orario[size_t(i - 1)]->setVisible(usata);
        Freccia[size_t(i - 1)]->setVisible(usata);
        for (RigaGiorno r : Righe) {
            QLineEdit* c = cella(i, r);
            c->setVisible(usata);
            if (usata) {
                const int k = g.Cella(i, r);
                c->setText(QString::number(k));
                Sfondo(c, bozza_.Riga(k).Colore);
            }
        }
    }
    P_AggiungiFascia->setEnabled(g.PuoAggiungere());
    P_RimuoviFascia->setEnabled(g.PuoRimuovere());
}

void RiquadroFasce::P_Orario_SpinDown(int i)
{
    if (bozza_.Griglia.Anticipa(i))
        Aggiorna();
}

void RiquadroFasce::P_Orario_SpinUp(int i)
{
    if (bozza_.Griglia.Posticipa(i))
        Aggiorna();
}

void RiquadroFasce::P_AggiungiFascia_Click()
{
    bozza_.Griglia.AggiungiFascia();
    Aggiorna();
}

void RiquadroFasce::P_RimuoviFascia_Click()
{
    bozza_.Griglia.RimuoviFascia();
    Aggiorna();
}

void RiquadroFasce::Cella_LostFocus(int i, RigaGiorno riga)
{
    if (i > bozza_.Griglia.NumeroFasce())
        return;
    QLineEdit* c = cella(i, riga);
    const int k = bozza_.Griglia.CorreggiCella(i, riga, c->text(), bozza_.NumeroTariffe());
    c->setText(QString::number(k));
    Sfondo(c, bozza_.Riga(k).Colore);
}

void RiquadroFasce::ControllaCelle()
{
    for (int i = 1; i <= bozza_.Griglia.NumeroFasce(); ++i)
        for (RigaGiorno r : Righe)
            Cella_LostFocus(i, r);
}
