// SPDX-License-Identifier: GPL-3.0-or-later
#include "tariffs/ModificaTariffe.h"

#include "common/Colori.h"
#include "common/Interlocutore.h"
#include "settings/Impostazioni.h"
#include "tariffs/RiquadroFasce.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {
void Sfondo(QLabel* l, quint32 colore)
{
    QPalette p = l->palette();
    p.setColor(QPalette::Window, ColoreDaLong(colore));
    l->setPalette(p);
    l->setAutoFillBackground(true);
}

QLineEdit* Campo(const char* nome, int larghezza = 56)
{
    auto* c = new QLineEdit;
    c->setObjectName(QLatin1String(nome));
    c->setAlignment(Qt::AlignCenter);
    c->setFixedWidth(larghezza);
    return c;
}
} // namespace

ModificaTariffe::ModificaTariffe(Impostazioni& imp, ArchivioImpostazioni& archivio, Interlocutore& messaggi,
                                 QWidget* genitore)
    : QDialog(genitore), imp_(imp), archivio_(archivio), messaggi_(messaggi), bozza_(imp.Tariffe)
{
    setObjectName(QStringLiteral("ModificaTariffe"));
    setWindowTitle(QStringLiteral("Configurazione Tariffe"));
    setModal(true);
    ScegliColore = [this](const QColor& iniziale) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(iniziale, this);
        if (!c.isValid())
            return std::nullopt;
        return c;
    };

    auto* riquadroTariffe = CreaTariffe();
    Griglia = new RiquadroFasce(bozza_);
    auto* riquadroCosto = CreaCosto();
    auto* riquadroRiduzione = CreaRiduzione();
    auto* basso = CreaPulsanti();

    auto* destra = new QVBoxLayout;
    destra->addWidget(riquadroCosto);
    destra->addStretch();
    auto* alto = new QHBoxLayout;
    alto->addWidget(riquadroTariffe, 1);
    alto->addLayout(destra);
    auto* tutto = new QVBoxLayout(this);
    tutto->addLayout(alto);
    tutto->addWidget(Griglia);
    tutto->addWidget(riquadroRiduzione);
    tutto->addWidget(basso);

    Carica();
}

QGroupBox* ModificaTariffe::CreaTariffe()
{
    auto* riquadroTariffe = new QGroupBox(QStringLiteral("Tariffe"));
    auto* gt = new QGridLayout(riquadroTariffe);
    gt->addWidget(new QLabel(QStringLiteral("Descrizione")), 0, 1);
    gt->addWidget(new QLabel(QStringLiteral("Secondi per scatto")), 0, 2);
    gt->addWidget(new QLabel(QStringLiteral("Colore")), 0, 3, 1, 2);
    for (int i = 1; i <= MassimoTariffe; ++i) {
        const size_t k = size_t(i - 1);
        auto* numero = new QLabel(QString::number(i));
        numero->setObjectName(QStringLiteral("Numero%1").arg(i));
        numero->setAlignment(Qt::AlignCenter);
        numero->setFixedWidth(24);
        Sfondo(numero, 0xC0C0C0);
        Numero[k] = numero;
        auto* descrizione = new QLineEdit;
        descrizione->setObjectName(QStringLiteral("Descrizione%1").arg(i));
        Descrizione[k] = descrizione;
        auto* secondi = new QLineEdit;
        secondi->setObjectName(QStringLiteral("SecondiPerScatto%1").arg(i));
        secondi->setAlignment(Qt::AlignCenter);
        secondi->setFixedWidth(72);
        SecondiPerScatto[k] = secondi;
        auto* colore = new QLabel;
        colore->setObjectName(QStringLiteral("Colore%1").arg(i));
        colore->setFixedSize(40, 20);
        colore->setFrameShape(QFrame::Box);
        Colore[k] = colore;
        auto* pColore = new QPushButton;
        pColore->setObjectName(QStringLiteral("P_Colore%1").arg(i));
        pColore->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
        pColore->setToolTip(QStringLiteral("Colore"));
        pColore->setAutoDefault(false);
        P_Colore[k] = pColore;
        gt->addWidget(numero, i, 0);
        gt->addWidget(descrizione, i, 1);
        gt->addWidget(secondi, i, 2);
        gt->addWidget(colore, i, 3);
        gt->addWidget(pColore, i, 4);
        connect(descrizione, &QLineEdit::editingFinished, this, [this, i] { Descrizione_LostFocus(i); });
        connect(secondi, &QLineEdit::editingFinished, this, [this, i] { SecondiPerScatto_LostFocus(i); });
        connect(pColore, &QPushButton::clicked, this, [this, i] { CambiaColore(i); });
    }
    P_AggiungiTariffa = new QPushButton(QStringLiteral("Aggiungi tariffa"));
    P_AggiungiTariffa->setObjectName(QStringLiteral("P_AggiungiTariffa"));
    P_RimuoviTariffa = new QPushButton(QStringLiteral("Rimuovi tariffa"));
    P_RimuoviTariffa->setObjectName(QStringLiteral("P_RimuoviTariffa"));
    for (QPushButton* p : {P_AggiungiTariffa, P_RimuoviTariffa})
        p->setAutoDefault(false);
    connect(P_AggiungiTariffa, &QPushButton::clicked, this, [this] { P_AggiungiTariffa_Click(); });
    connect(P_RimuoviTariffa, &QPushButton::clicked, this, [this] { P_RimuoviTariffa_Click(); });
    auto* pt = new QHBoxLayout;
    pt->addStretch();
    pt->addWidget(P_AggiungiTariffa);
    pt->addWidget(P_RimuoviTariffa);
    gt->addLayout(pt, MassimoTariffe + 1, 0, 1, 5);
    return riquadroTariffe;
}

// The pulse cost, set out as a sum.
QGroupBox* ModificaTariffe::CreaCosto()
{
    auto* riquadroCosto = new QGroupBox(QStringLiteral("Costo Scatto"));
    auto* gc = new QGridLayout(riquadroCosto);
    M_CostoScatto = Campo("M_CostoScatto");
    M_PercentualeIva = Campo("M_PercentualeIva", 40);
    TotaleScatto = new QLabel;
    TotaleScatto->setObjectName(QStringLiteral("TotaleScatto"));
    TotaleScatto->setAlignment(Qt::AlignCenter);
    Sfondo(TotaleScatto, 0xC0C0C0);
    gc->addWidget(new QLabel(QStringLiteral("L.")), 0, 0);
    gc->addWidget(M_CostoScatto, 0, 1);
    gc->addWidget(new QLabel(QStringLiteral("+")), 1, 1, Qt::AlignCenter);
    gc->addWidget(new QLabel(QStringLiteral("IVA")), 2, 0);
    gc->addWidget(M_PercentualeIva, 2, 1);
    gc->addWidget(new QLabel(QStringLiteral("%")), 2, 2);
    gc->addWidget(new QLabel(QStringLiteral("=")), 3, 1, Qt::AlignCenter);
    gc->addWidget(new QLabel(QStringLiteral("L.")), 4, 0);
    gc->addWidget(TotaleScatto, 4, 1);
    M_ScattoAggiuntivo = new QCheckBox(QStringLiteral("Scatto a inizio chiamata"));
    M_ScattoAggiuntivo->setObjectName(QStringLiteral("M_ScattoAggiuntivo"));
    gc->addWidget(M_ScattoAggiuntivo, 5, 0, 1, 3);
    connect(M_CostoScatto, &QLineEdit::editingFinished, this, [this] { M_CostoScatto_LostFocus(); });
    connect(M_PercentualeIva, &QLineEdit::editingFinished, this, [this] { M_PercentualeIva_LostFocus(); });
    return riquadroCosto;
}

// The reduction, on one line.
QGroupBox* ModificaTariffe::CreaRiduzione()
{
    auto* riquadroRiduzione = new QGroupBox(QStringLiteral("Tariffe agevolate"));
    auto* lr = new QHBoxLayout(riquadroRiduzione);
    M_Riduzione = new QCheckBox(QStringLiteral("Riduzione tariffe del"));
    M_Riduzione->setObjectName(QStringLiteral("M_Riduzione"));
    M_PercentualeRiduzione = Campo("M_PercentualeRiduzione", 40);
    M_LimiteRiduzione = Campo("M_LimiteRiduzione");
    M_TipoLimiteRiduzione = new QComboBox;
    M_TipoLimiteRiduzione->setObjectName(QStringLiteral("M_TipoLimiteRiduzione"));
    M_TipoLimiteRiduzione->addItems({QStringLiteral("scatto/i"), QStringLiteral("secondo/i")});
    lr->addWidget(M_Riduzione);
    lr->addWidget(M_PercentualeRiduzione);
    lr->addWidget(new QLabel(QStringLiteral("%  dopo")));
    lr->addWidget(M_LimiteRiduzione);
    lr->addWidget(M_TipoLimiteRiduzione);
    lr->addStretch();
    connect(M_Riduzione, &QCheckBox::clicked, this, [this] { M_Riduzione_Click(); });
    connect(M_PercentualeRiduzione, &QLineEdit::editingFinished, this, [this] { M_PercentualeRiduzione_LostFocus(); });
    connect(M_LimiteRiduzione, &QLineEdit::editingFinished, this, [this] { M_LimiteRiduzione_LostFocus(); });
    return riquadroRiduzione;
}

QDialogButtonBox* ModificaTariffe::CreaPulsanti()
{
    P_Salva = new QPushButton(QStringLiteral("&OK"));
    P_Salva->setObjectName(QStringLiteral("P_Salva"));
    P_Annulla = new QPushButton(QStringLiteral("&Annulla"));
    P_Annulla->setObjectName(QStringLiteral("P_Annulla"));
    P_Annulla->setAutoDefault(false);
    P_Salva->setDefault(true);
    connect(P_Salva, &QPushButton::clicked, this, [this] { P_Salva_Click(); });
    connect(P_Annulla, &QPushButton::clicked, this, &QDialog::reject);
    auto* basso = new QDialogButtonBox;
    basso->addButton(P_Salva, QDialogButtonBox::AcceptRole);
    basso->addButton(P_Annulla, QDialogButtonBox::RejectRole);
    return basso;
}

void ModificaTariffe::Carica()
{
    M_CostoScatto->setText(bozza_.CostoScatto);
    M_PercentualeIva->setText(bozza_.PercentualeIva);
    TotaleScatto->setText(bozza_.TotaleScatto());
    M_ScattoAggiuntivo->setChecked(bozza_.ScattoAggiuntivo);
    for (int i = 1; i <= MassimoTariffe; ++i) {
        Descrizione[size_t(i - 1)]->setText(bozza_.Riga(i).Descrizione);
        SecondiPerScatto[size_t(i - 1)]->setText(bozza_.Riga(i).Secondi);
    }
    MostraTariffe();
    M_Riduzione->setChecked(bozza_.Riduzione);
    M_PercentualeRiduzione->setText(bozza_.PercentualeRiduzione);
    M_LimiteRiduzione->setText(bozza_.LimiteRiduzione);
    M_TipoLimiteRiduzione->setCurrentIndex(bozza_.TipoLimite);
    M_Riduzione_Click();
}

void ModificaTariffe::MostraTariffe()
{
    const int n = bozza_.NumeroTariffe();
    for (int i = 1; i <= MassimoTariffe; ++i) {
        const size_t k = size_t(i - 1);
        const bool usata = i <= n;
        for (QWidget* w :
             std::initializer_list<QWidget*>{Numero[k], Descrizione[k], SecondiPerScatto[k], Colore[k], P_Colore[k]})
            w->setVisible(usata);
        Sfondo(Colore[k], bozza_.Riga(i).Colore);
    }
    P_AggiungiTariffa->setEnabled(bozza_.PuoAggiungere());
    P_RimuoviTariffa->setEnabled(bozza_.PuoRimuovere());
    Griglia->Aggiorna();
}

void ModificaTariffe::Descrizione_LostFocus(int i)
{
    QLineEdit* c = Descrizione[size_t(i - 1)];
    bozza_.Riga(i).Descrizione = CorreggiDescrizione(c->text());
    c->setText(bozza_.Riga(i).Descrizione);
}

void ModificaTariffe::SecondiPerScatto_LostFocus(int i)
{
    QLineEdit* c = SecondiPerScatto[size_t(i - 1)];
    bozza_.Riga(i).Secondi = CorreggiSecondi(c->text(), locale());
    c->setText(bozza_.Riga(i).Secondi);
}

void ModificaTariffe::M_CostoScatto_LostFocus()
{
    bozza_.CostoScatto = CorreggiCostoScatto(M_CostoScatto->text());
    M_CostoScatto->setText(bozza_.CostoScatto);
    TotaleScatto->setText(bozza_.TotaleScatto());
}

void ModificaTariffe::M_PercentualeIva_LostFocus()
{
    bozza_.PercentualeIva = CorreggiPercentualeIva(M_PercentualeIva->text());
    M_PercentualeIva->setText(bozza_.PercentualeIva);
    TotaleScatto->setText(bozza_.TotaleScatto());
}

void ModificaTariffe::M_PercentualeRiduzione_LostFocus()
{
    bozza_.PercentualeRiduzione = CorreggiPercentualeRiduzione(M_PercentualeRiduzione->text());
    M_PercentualeRiduzione->setText(bozza_.PercentualeRiduzione);
}

void ModificaTariffe::M_LimiteRiduzione_LostFocus()
{
    bozza_.LimiteRiduzione = CorreggiLimiteRiduzione(M_LimiteRiduzione->text());
    M_LimiteRiduzione->setText(bozza_.LimiteRiduzione);
}

void ModificaTariffe::M_Riduzione_Click()
{
    const bool attiva = M_Riduzione->isChecked();
    M_PercentualeRiduzione->setEnabled(attiva);
    M_LimiteRiduzione->setEnabled(attiva);
    M_TipoLimiteRiduzione->setEnabled(attiva);
}

void ModificaTariffe::P_AggiungiTariffa_Click()
{
    // The pulse copied is the one the field shows, corrected.
    SecondiPerScatto_LostFocus(bozza_.NumeroTariffe());
    if (!bozza_.AggiungiTariffa())
        return;
    const int n = bozza_.NumeroTariffe();
    Descrizione[size_t(n - 1)]->setText(bozza_.Riga(n).Descrizione);
    SecondiPerScatto[size_t(n - 1)]->setText(bozza_.Riga(n).Secondi);
    MostraTariffe();
}

void ModificaTariffe::P_RimuoviTariffa_Click()
{
    Griglia->ControllaCelle();
    if (bozza_.RimuoviTariffa())
        MostraTariffe();
}

void ModificaTariffe::CambiaColore(int i)
{
    const std::optional<QColor> scelto = ScegliColore(ColoreDaLong(bozza_.Riga(i).Colore));
    if (!scelto || !scelto->isValid())
        return;
    bozza_.Riga(i).Colore = LongDaColore(*scelto);
    Sfondo(Colore[size_t(i - 1)], bozza_.Riga(i).Colore);
    Griglia->Aggiorna();
}

void ModificaTariffe::LeggiCampi()
{
    // OK can be pressed without the field in hand losing the focus.
    for (int i = 1; i <= bozza_.NumeroTariffe(); ++i) {
        Descrizione_LostFocus(i);
        SecondiPerScatto_LostFocus(i);
    }
    M_CostoScatto_LostFocus();
    M_PercentualeIva_LostFocus();
    M_PercentualeRiduzione_LostFocus();
    M_LimiteRiduzione_LostFocus();
    Griglia->ControllaCelle();
    bozza_.ScattoAggiuntivo = M_ScattoAggiuntivo->isChecked();
    bozza_.Riduzione = M_Riduzione->isChecked();
    bozza_.TipoLimite = M_TipoLimiteRiduzione->currentIndex() == 1 ? 1 : 0;
}

void ModificaTariffe::P_Salva_Click()
{
    LeggiCampi();
    QString errore;
    if (!SalvaModelloTariffe(imp_, archivio_, bozza_.Componi(), &errore)) {
        // Nothing changed: the user may try again or cancel.
        messaggi_.Avviso(QStringLiteral("Impossibile salvare le tariffe: %1").arg(errore));
        return;
    }
    if (AggiornaImporto)
        AggiornaImporto();
    accept();
}
