// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/SceltaMese.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

SceltaMese::SceltaMese(const QStringList& intestazioni, QWidget* genitore) : QWidget(genitore)
{
    MeseCorrente = new QComboBox(this);
    MeseCorrente->setObjectName(QStringLiteral("MeseCorrente"));
    MeseCorrente->addItems(NomiMesi());
    AnnoCorrente = new QComboBox(this);
    AnnoCorrente->setObjectName(QStringLiteral("AnnoCorrente"));
    for (int a = PrimoAnno; a <= UltimoAnno; ++a)
        AnnoCorrente->addItem(QString::number(a));
    // Typing or scrolling in a list redraws at once.
    connect(MeseCorrente, &QComboBox::currentIndexChanged, this, [this] { ListeCambiate(); });
    connect(AnnoCorrente, &QComboBox::currentIndexChanged, this, [this] { ListeCambiate(); });

    GrigliaGiorni = new QTableWidget(GrigliaMese::Righe, GrigliaMese::Colonne, this);
    GrigliaGiorni->setObjectName(QStringLiteral("GrigliaGiorni"));
    GrigliaGiorni->setHorizontalHeaderLabels(intestazioni);
    GrigliaGiorni->verticalHeader()->hide();
    GrigliaGiorni->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    GrigliaGiorni->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    GrigliaGiorni->horizontalHeader()->setSectionsClickable(false);
    GrigliaGiorni->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrigliaGiorni->setSelectionMode(QAbstractItemView::SingleSelection);
    GrigliaGiorni->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GrigliaGiorni->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GrigliaGiorni->setMinimumSize(7 * 34, 7 * 24);
    for (int r = 0; r < GrigliaMese::Righe; ++r)
        for (int c = 0; c < GrigliaMese::Colonne; ++c) {
            auto* cella = new QTableWidgetItem;
            cella->setTextAlignment(Qt::AlignCenter);
            GrigliaGiorni->setItem(r, c, cella);
        }
    connect(GrigliaGiorni, &QTableWidget::currentCellChanged, this, [this](int r, int c) {
        const QDate g = GiornoDellaCella(r, c);
        if (!ridisegno_ && g.isValid() && GiornoCorrente)
            GiornoCorrente(g);
    });
    connect(GrigliaGiorni, &QTableWidget::cellClicked, this, [this](int r, int c) {
        const QDate g = GiornoDellaCella(r, c);
        if (g.isValid() && GiornoCliccato)
            GiornoCliccato(g);
    });
    connect(GrigliaGiorni, &QTableWidget::cellDoubleClicked, this, [this](int r, int c) {
        const QDate g = GiornoDellaCella(r, c);
        if (g.isValid() && GiornoDoppioClic)
            GiornoDoppioClic(g);
    });

    auto* liste = new QHBoxLayout;
    liste->addWidget(MeseCorrente, 3);
    liste->addWidget(AnnoCorrente, 2);
    auto* tutto = new QVBoxLayout(this);
    tutto->setContentsMargins(0, 0, 0, 0);
    tutto->addLayout(liste);
    tutto->addWidget(GrigliaGiorni, 1);
}

void SceltaMese::Mostra(int anno, int mese, const QMap<QDate, Totali>& righe)
{
    anno_ = AnnoMostrabile(anno);
    mese_ = mese;
    const GrigliaMese griglia(anno_, mese_);
    ridisegno_ = true;
    GrigliaGiorni->setCurrentCell(-1, -1);
    GrigliaGiorni->clearSelection();
    for (int r = 0; r < GrigliaMese::Righe; ++r)
        for (int c = 0; c < GrigliaMese::Colonne; ++c) {
            QTableWidgetItem* cella = GrigliaGiorni->item(r, c);
            const QDate g = griglia.Giorno(r, c);
            cella->setData(Qt::UserRole, g);
            cella->setText(g.isValid() ? TestoGiorno(g, righe.contains(g)) : QString());
            cella->setFlags(g.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags);
        }
    MeseCorrente->setCurrentIndex(mese_ - 1);
    AnnoCorrente->setCurrentIndex(anno_ - PrimoAnno);
    ridisegno_ = false;
}

void SceltaMese::Seleziona(const QDate& giorno)
{
    int r = -1, c = -1;
    ridisegno_ = true;
    if (CellaDelGiorno(giorno, &r, &c))
        GrigliaGiorni->setCurrentCell(r, c);
    else
        GrigliaGiorni->setCurrentCell(-1, -1);
    ridisegno_ = false;
}

QDate SceltaMese::GiornoDellaCella(int riga, int colonna) const
{
    const QTableWidgetItem* cella = GrigliaGiorni->item(riga, colonna);
    return cella ? cella->data(Qt::UserRole).toDate() : QDate();
}

bool SceltaMese::CellaDelGiorno(const QDate& giorno, int* riga, int* colonna) const
{
    if (!giorno.isValid() || giorno.year() != anno_ || giorno.month() != mese_)
        return false;
    const int posizione = GrigliaMese(anno_, mese_).Scostamento() + giorno.day() - 1;
    *riga = posizione / GrigliaMese::Colonne;
    *colonna = posizione % GrigliaMese::Colonne;
    return true;
}

void SceltaMese::ListeCambiate()
{
    if (ridisegno_ || MeseCorrente->currentIndex() < 0 || AnnoCorrente->currentIndex() < 0)
        return;
    const int mese = MeseCorrente->currentIndex() + 1;
    const int anno = AnnoCorrente->currentIndex() + PrimoAnno;
    if (mese == mese_ && anno == anno_)
        return;
    if (MeseScelto)
        MeseScelto(anno, mese);
    else
        Mostra(anno, mese);
}
