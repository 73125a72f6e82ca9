// SPDX-License-Identifier: GPL-3.0-or-later
#include "Log.h"

#include "log/LogFiltro.h"
#include "log/ModelloLog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <limits>

namespace {

const QString FiltroTabulazione = QStringLiteral("Testo (delimitato da tabulazione) (*.txt)");
const QString FiltroSpazi = QStringLiteral("Testo (formattato con spazi) (*.prn)");

// Redrawn at most this often during a long run: a repaint per record would
// cost more than the work.
constexpr int PassiBarra = 200;

QPushButton* Pulsante(const QString& testo, const char* nome, QWidget* genitore)
{
    auto* p = new QPushButton(testo, genitore);
    p->setObjectName(QString::fromLatin1(nome));
    p->setAutoDefault(false);
    return p;
}

} // namespace

Log::Log(QString cartellaDati, Interlocutore& messaggi, QWidget* genitore)
    : QDialog(genitore), cartella_(std::move(cartellaDati)), messaggi_(messaggi), riepilogo_(cartella_, messaggi),
      modello_(new ModelloLog(this))
{
    setWindowTitle(QStringLiteral("Riepilogo connessioni"));
    GrigliaLog = new QTableView(this);
    GrigliaLog->setObjectName(QStringLiteral("GrigliaLog"));
    GrigliaLog->setModel(modello_);
    GrigliaLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrigliaLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    GrigliaLog->setWordWrap(false);
    GrigliaLog->verticalHeader()->hide();
    // Fixed heights and widths: measuring contents would read every record.
    GrigliaLog->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    GrigliaLog->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    GrigliaLog->horizontalHeader()->setStretchLastSection(true);
    DimensionaColonne();

    StatoLog = new QLabel(this);
    StatoLog->setObjectName(QStringLiteral("StatoLog"));
    P_Filtro = Pulsante(QStringLiteral("&Filtra..."), "P_Filtro", this);
    P_Esporta = Pulsante(QStringLiteral("&Esporta..."), "P_Esporta", this);
    P_Elimina = Pulsante(QStringLiteral("A&zzera..."), "P_Elimina", this);
    P_Chiudi = Pulsante(QStringLiteral("&Chiudi"), "P_Chiudi", this);

    PannelloProgresso = new QWidget(this);
    PannelloProgresso->setObjectName(QStringLiteral("PannelloProgresso"));
    Progresso = new QProgressBar(PannelloProgresso);
    Progresso->setObjectName(QStringLiteral("Progresso"));
    StatoProgresso = new QLabel(PannelloProgresso);
    StatoProgresso->setObjectName(QStringLiteral("StatoProgresso"));
    auto* pannello = new QHBoxLayout(PannelloProgresso);
    pannello->setContentsMargins(0, 0, 0, 0);
    pannello->addWidget(StatoProgresso);
    pannello->addWidget(Progresso, 1);
    P_Interrompi = Pulsante(QStringLiteral("&Annulla"), "P_Interrompi", PannelloProgresso);
    pannello->addWidget(P_Interrompi);
    PannelloProgresso->hide();

    auto* pulsanti = new QHBoxLayout;
    pulsanti->addWidget(StatoLog, 1);
    pulsanti->addWidget(P_Filtro);
    pulsanti->addWidget(P_Esporta);
    pulsanti->addWidget(P_Elimina);
    pulsanti->addWidget(P_Chiudi);
    auto* tutto = new QVBoxLayout(this);
    tutto->addWidget(GrigliaLog, 1);
    tutto->addWidget(PannelloProgresso);
    tutto->addLayout(pulsanti);
    resize(860, 420);

    connect(P_Filtro, &QPushButton::clicked, this, &Log::P_Filtro_Click);
    connect(P_Esporta, &QPushButton::clicked, this, &Log::P_Esporta_Click);
    connect(P_Elimina, &QPushButton::clicked, this, &Log::P_Elimina_Click);
    connect(P_Chiudi, &QPushButton::clicked, this, &QDialog::reject);
    connect(P_Interrompi, &QPushButton::clicked, this, [this] { annullato_ = true; });

    sceltaFile_ = [this] { return DialogoEsporta(); };
    mostraFiltro_ = [](LogFiltro& f) { f.Mostra(); };
    Rileggi();
}

Log::~Log() = default;

void Log::Rileggi()
{
    modello_->Apri(riepilogo_.FileCorrente());
    StatoLog->setText(riepilogo_.TestoStato());
    if (!modello_->Errore().isEmpty())
        messaggi_.Avviso(modello_->Errore());
}

void Log::DimensionaColonne()
{
    // Text, the cell's margins and a little air.
    const QFontMetrics metriche = GrigliaLog->fontMetrics();
    const int margine = 2 * (GrigliaLog->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, GrigliaLog) + 1)
                        + metriche.horizontalAdvance(QStringLiteral("  "));
    for (int c = 0; c < ColonneLog - 1; ++c) {
        int larghezza = GrigliaLog->horizontalHeader()->sectionSizeHint(c);
        for (const QString& testo : CampioniColonnaLog(c))
            larghezza = std::max(larghezza, metriche.horizontalAdvance(testo) + margine);
        GrigliaLog->setColumnWidth(c, larghezza);
    }
}

void Log::reject()
{
    if (occupato_) {
        annullato_ = annullato_ || annullabile_;
        return;
    }
    QDialog::reject();
}

ProgressoLog Log::PannelloDiProgresso(bool annullabile)
{
    ProgressoLog p;
    p.inizia = [this, annullabile](const QString& testo, qint64 massimo) {
        scala_ = std::max<qint64>(1, massimo / std::numeric_limits<int>::max() + 1);
        ultimoPasso_ = -1;
        occupato_ = true;
        annullabile_ = annullabile;
        annullato_ = false;
        for (QPushButton* b : {P_Filtro, P_Esporta, P_Elimina, P_Chiudi})
            b->setEnabled(false);
        P_Interrompi->setVisible(annullabile);
        P_Interrompi->setEnabled(annullabile);
        StatoProgresso->setText(testo);
        Progresso->setRange(0, int(massimo / scala_));
        Progresso->setValue(0);
        PannelloProgresso->show();
        repaint();
    };
    // At each step of the bar the window answers its events, so it redraws
    // and "Annulla" can be pressed while the work goes on.
    p.avanza = [this](qint64 letti, qint64 totale) {
        const int passo = totale > 0 ? int(letti * PassiBarra / totale) : PassiBarra;
        if (passo == ultimoPasso_)
            return;
        ultimoPasso_ = passo;
        Progresso->setValue(int(letti / scala_));
        QCoreApplication::processEvents();
    };
    p.finisce = [this] {
        PannelloProgresso->hide();
        for (QPushButton* b : {P_Filtro, P_Esporta, P_Elimina, P_Chiudi})
            b->setEnabled(true);
        occupato_ = false;
    };
    if (annullabile)
        p.annullato = [this] { return annullato_; };
    return p;
}

std::optional<SceltaEsportazione> Log::DialogoEsporta()
{
    QFileDialog d(this, QStringLiteral("Esporta"));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    d.setNameFilters({FiltroTabulazione, FiltroSpazi});
    d.setDefaultSuffix(QStringLiteral("txt"));
    d.setDirectory(RiepilogoLog::CartellaEsportazione());
    connect(&d, &QFileDialog::filterSelected, &d, [&d](const QString& f) {
        d.setDefaultSuffix(f == FiltroSpazi ? QStringLiteral("prn") : QStringLiteral("txt"));
    });
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return std::nullopt;
    return SceltaEsportazione{d.selectedFiles().constFirst(), d.selectedNameFilter() == FiltroSpazi
                                                                  ? TipoEsportazione::Spazi
                                                                  : TipoEsportazione::Tabulazione};
}

void Log::P_Esporta_Click() { riepilogo_.Esporta(sceltaFile_, PannelloDiProgresso(true)); }

void Log::P_Elimina_Click()
{
    if (riepilogo_.Azzera())
        Rileggi();
}

void Log::P_Filtro_Click()
{
    const bool cambiato = riepilogo_.Filtra([this] {
        LogFiltro filtro(cartella_, messaggi_, PannelloDiProgresso(false), this);
        mostraFiltro_(filtro);
    });
    if (cambiato)
        Rileggi();
}
