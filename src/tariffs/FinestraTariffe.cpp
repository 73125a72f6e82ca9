// SPDX-License-Identifier: GPL-3.0-or-later
#include "tariffs/FinestraTariffe.h"

#include "common/Colori.h"
#include "common/Interlocutore.h"
#include "tariffs/ModificaTariffe.h"
#include "tariffs/TestiTariffe.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
QLabel* Etichetta(const QString& nome, const QString& testo = {})
{
    auto* l = new QLabel(testo);
    l->setObjectName(nome);
    return l;
}

void Sfondo(QLabel* l, quint32 colore)
{
    QPalette p = l->palette();
    p.setColor(QPalette::Window, ColoreDaLong(colore));
    p.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(p);
    l->setAutoFillBackground(true);
}
} // namespace

Tariffe::Tariffe(Impostazioni& imp, ArchivioImpostazioni& archivio, Interlocutore& messaggi,
                 std::function<bool()> modificaVietata, std::function<QDateTime()> adesso, QWidget* genitore)
    : QDialog(genitore), imp_(imp), archivio_(archivio), messaggi_(messaggi),
      modificaVietata_(std::move(modificaVietata)), adesso_(std::move(adesso))
{
    setObjectName(QStringLiteral("Tariffe"));
    setWindowTitle(QStringLiteral("Tariffe"));
    setModal(true);
    MostraEditor = [](ModificaTariffe& editor) { editor.exec(); };

    const TestiOra iniziali = TestiIniziali();
    V_Data = Etichetta(QStringLiteral("V_Data"), iniziali.Data);
    V_Ora = Etichetta(QStringLiteral("V_Ora"), iniziali.Ora);
    V_Tariffa = Etichetta(QStringLiteral("V_Tariffa"), iniziali.Tariffa);
    V_CostoOra = Etichetta(QStringLiteral("V_CostoOra"), iniziali.CostoOra);
    auto* adessoRiga = new QGridLayout;
    adessoRiga->addWidget(V_Data, 0, 0);
    adessoRiga->addWidget(V_Ora, 0, 1, Qt::AlignRight);
    adessoRiga->addWidget(V_Tariffa, 1, 0);
    adessoRiga->addWidget(V_CostoOra, 1, 1, Qt::AlignRight);

    auto* griglia = CreaGriglia();

    auto* legenda = CreaLegenda();

    V_Costo1 = Etichetta(QStringLiteral("V_Costo1"));
    V_Costo2 = Etichetta(QStringLiteral("V_Costo2"));

    auto* pulsanti = CreaPulsanti();

    auto* tutto = new QVBoxLayout(this);
    tutto->addLayout(adessoRiga);
    tutto->addLayout(griglia);
    tutto->addLayout(legenda);
    tutto->addWidget(V_Costo1);
    tutto->addWidget(V_Costo2);
    tutto->addWidget(pulsanti);

    TimerOra = new QTimer(this);
    TimerOra->setObjectName(QStringLiteral("TimerOra"));
    TimerOra->setInterval(1000);
    connect(TimerOra, &QTimer::timeout, this, [this] { VisualizzaDataOraTariffa(); });
    TimerOra->start();

    // Always on: a click while a call runs or is being set up says why the
    // editor stays closed, where a greyed button would not.
    VisualizzaMaschera();
}

// Boundaries on even columns' left edges: column 2i-1 holds band i.
QGridLayout* Tariffe::CreaGriglia()
{
    auto* griglia = new QGridLayout;
    griglia->setHorizontalSpacing(0);
    for (int i = 1; i <= MassimoFasce + 1; ++i) {
        Orario[size_t(i - 1)] = Etichetta(QStringLiteral("Orario%1").arg(i));
        griglia->addWidget(Orario[size_t(i - 1)], 0, i, Qt::AlignLeft);
        auto* linea = new QFrame;
        linea->setObjectName(QStringLiteral("Linea%1").arg(i));
        linea->setFrameShape(QFrame::VLine);
        linea->setFixedHeight(10);
        Linea[size_t(i - 1)] = linea;
        griglia->addWidget(linea, 1, i, Qt::AlignLeft);
    }
    const QString titoli[] = {QStringLiteral("Da lunedì a venerdì"), QStringLiteral("Sabato"),
                              QStringLiteral("Domenica e festivi")};
    const QString nomi[] = {QStringLiteral("Feriali%1"), QStringLiteral("Sabato%1"), QStringLiteral("Festivi%1")};
    std::array<QLabel*, MassimoFasce>* righe[] = {&Feriali, &Sabato, &Festivi};
    for (int r = 0; r < 3; ++r) {
        auto* titolo = new QLabel(titoli[r]);
        titolo->setContentsMargins(0, 0, 8, 0);
        griglia->addWidget(titolo, 2 + r, 0);
        for (int i = 1; i <= MassimoFasce; ++i) {
            QLabel* c = Etichetta(nomi[r].arg(i));
            c->setAlignment(Qt::AlignCenter);
            c->setFrameShape(QFrame::Box);
            c->setMinimumWidth(72);
            (*righe[r])[size_t(i - 1)] = c;
            griglia->addWidget(c, 2 + r, i);
        }
    }
    return griglia;
}

QGridLayout* Tariffe::CreaLegenda()
{
    auto* legenda = new QGridLayout;
    for (int j = 1; j <= MassimoTariffe; ++j) {
        QLabel* s = Etichetta(QStringLiteral("ColoreTariffa%1").arg(j));
        s->setFixedSize(24, 14);
        s->setFrameShape(QFrame::Box);
        ColoreTariffa[size_t(j - 1)] = s;
        Legenda[size_t(j - 1)] = Etichetta(QStringLiteral("Legenda%1").arg(j));
        legenda->addWidget(s, j - 1, 0);
        legenda->addWidget(Legenda[size_t(j - 1)], j - 1, 1);
    }
    legenda->setColumnStretch(1, 1);
    return legenda;
}

QDialogButtonBox* Tariffe::CreaPulsanti()
{
    P_Modifica = new QPushButton(QStringLiteral("&Modifica..."));
    P_Modifica->setObjectName(QStringLiteral("P_Modifica"));
    P_Modifica->setAutoDefault(false);
    P_Chiudi = new QPushButton(QStringLiteral("&Chiudi"));
    P_Chiudi->setObjectName(QStringLiteral("P_Chiudi"));
    P_Chiudi->setDefault(true);
    connect(P_Modifica, &QPushButton::clicked, this, [this] { P_Modifica_Click(); });
    connect(P_Chiudi, &QPushButton::clicked, this, &QDialog::accept);
    auto* pulsanti = new QDialogButtonBox;
    pulsanti->addButton(P_Modifica, QDialogButtonBox::ActionRole);
    pulsanti->addButton(P_Chiudi, QDialogButtonBox::RejectRole);
    return pulsanti;
}

void Tariffe::VisualizzaMaschera()
{
    const ModelloTariffe& m = imp_.Tariffe;
    const int n = std::clamp(m.MaxFsc, 1, MassimoFasce);
    auto cella = [&](QLabel* c, int k) {
        const Tariffa& t = m.tariffa(std::clamp(k, 1, std::clamp(m.MaxTrf, 1, MassimoTariffe)));
        c->setText(t.Descrizione);
        Sfondo(c, t.Colore);
        c->setVisible(true);
    };
    for (int i = 1; i <= MassimoFasce + 1; ++i) {
        const size_t k = size_t(i - 1);
        if (i <= n) {
            const Fascia& f = m.fascia(i);
            Orario[k]->setText(f.Inizio);
            cella(Feriali[k], f.TariffaFeriali);
            cella(Sabato[k], f.TariffaSabato);
            cella(Festivi[k], f.TariffaFestivi);
            Linea[k + 1]->setVisible(true);
        } else {
            Orario[k]->clear();
            if (i <= MassimoFasce) {
                Feriali[k]->hide();
                Sabato[k]->hide();
                Festivi[k]->hide();
                Linea[k + 1]->hide();
            }
        }
    }
    Orario[size_t(n)]->setText(m.fascia(1).Inizio);
    for (int j = 1; j <= MassimoTariffe; ++j) {
        const bool usata = j <= m.MaxTrf;
        ColoreTariffa[size_t(j - 1)]->setVisible(usata);
        Legenda[size_t(j - 1)]->setVisible(usata);
        if (usata) {
            Sfondo(ColoreTariffa[size_t(j - 1)], m.tariffa(j).Colore);
            Legenda[size_t(j - 1)]->setText(TestoIntervallo(m.tariffa(j).SecondiPerScatto, locale()));
        }
    }
    V_Costo1->setText(TestoCosto1(m, locale()));
    V_Costo2->setText(TestoCosto2(m));
}

void Tariffe::VisualizzaDataOraTariffa()
{
    const TestiOra t = TestiDataOraTariffa(imp_.Tariffe, adesso_(), locale());
    V_Data->setText(t.Data);
    V_Ora->setText(t.Ora);
    V_Tariffa->setText(t.Tariffa);
    V_CostoOra->setText(t.CostoOra);
}

void Tariffe::P_Modifica_Click()
{
    if (modificaVietata_()) {
        messaggi_.Avviso(QStringLiteral("Impossibile modificare le tariffe durante una connessione attiva."));
        return;
    }
    ModificaTariffe editor(imp_, archivio_, messaggi_, this);
    editor.AggiornaImporto = AggiornaImporto;
    MostraEditor(editor);
    VisualizzaMaschera();
}
