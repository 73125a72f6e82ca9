// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/Bolletta.h"
#include "common/CartellaDati.h"
#include "common/FormeTesto.h"
#include "common/ValoreScambio.h"
#include "pulses/Calendario.h"
#include "pulses/CalendarioMese.h"
#include "pulses/DatabaseScatti.h"
#include "pulses/GraficoBolletta.h"
#include "pulses/ModificaScatti.h"
#include "pulses/PeriodoBolletta.h"
#include "pulses/SceltaMese.h"
#include "pulses/TotaliBolletta.h"
#include "settings/Impostazioni.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel* Valore(const char* nome, QWidget* genitore)
{
    auto* l = new QLabel(genitore);
    l->setObjectName(QLatin1String(nome));
    // The patterns end in blanks that keep the figures off the frame.
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setFrameShape(QFrame::StyledPanel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(90);
    return l;
}

QPushButton* Pulsante(const QString& testo, const char* nome, QWidget* genitore)
{
    auto* p = new QPushButton(testo, genitore);
    p->setObjectName(QLatin1String(nome));
    p->setAutoDefault(false);
    return p;
}

// Label and value pairs in rows, inside a titled frame.
QGroupBox* Riquadro(const QString& titolo, std::initializer_list<std::pair<QString, QLabel*>> righe,
                    QPushButton* pulsante, QWidget* genitore, QLabel* testa = nullptr)
{
    auto* g = new QGroupBox(titolo, genitore);
    auto* griglia = new QGridLayout(g);
    int r = 0;
    if (testa)
        griglia->addWidget(testa, r++, 0, 1, 2);
    for (const auto& [etichetta, valore] : righe) {
        griglia->addWidget(new QLabel(etichetta, g), r, 0);
        griglia->addWidget(valore, r++, 1);
    }
    if (pulsante)
        griglia->addWidget(pulsante, r, 0, 1, 2, Qt::AlignRight);
    return g;
}

} // namespace

Bolletta::Bolletta(Impostazioni& imp, ArchivioImpostazioni& archivio, DatabaseScatti& db, Interlocutore& messaggi,
                   std::function<QDateTime()> adesso, QWidget* genitore)
    : QDialog(genitore), imp_(imp), archivio_(archivio), db_(db), messaggi_(messaggi), adesso_(std::move(adesso))
{
    setWindowTitle(QStringLiteral("Scatti e bolletta"));
    Pannelli = new QTabWidget(this);
    Pannelli->setObjectName(QStringLiteral("Pannelli"));
    Pannello[0] = CreaPannelloScatti();
    Pannello[1] = CreaPannelloBolletta();
    Pannelli->addTab(Pannello[0], QStringLiteral("Riepilogo scatti"));
    Pannelli->addTab(Pannello[1], QStringLiteral("Riepilogo bolletta"));

    P_Chiudi = Pulsante(QStringLiteral("&Chiudi"), "P_Chiudi", this);
    connect(P_Chiudi, &QPushButton::clicked, this, [this] { P_Chiudi_Click(); });
    auto* basso = new QHBoxLayout;
    basso->addStretch();
    basso->addWidget(P_Chiudi);
    auto* tutto = new QVBoxLayout(this);
    tutto->addWidget(Pannelli, 1);
    tutto->addLayout(basso);

    P_SelezionaOggi_Click();
    inizio_ = imp_.DatIPB;
    fine_ = imp_.DatFPB;
    EtichettaIvaBolletta->setText(EtichetteBolletta(imp_.Tariffe.PrcIva).iva);
    EtichettaIvaStima->setText(EtichettaIvaBolletta->text());
    MostraPeriodo();
    // The first automatic size stops at two thirds of the screen, which on a
    // small screen leaves the chart too short; the whole screen is the limit.
    if (const QScreen* s = screen())
        resize(sizeHint().boundedTo(s->availableSize()));
}

QWidget* Bolletta::CreaPannelloScatti()
{
    auto* p = new QWidget;
    SceltaGiorni = new SceltaMese({"Lun", "Mar", "Mer", "Gio", "Ven", "Sab", "Dom"}, p);
    SceltaGiorni->setMinimumSize(300, 230);
    SceltaGiorni->MeseScelto = [this](int anno, int mese) {
        AA = anno;
        MM = mese;
        MostraCalendario(0);
    };
    SceltaGiorni->GiornoCorrente = [this](QDate g) { MostraScatti(g.day()); };
    SceltaGiorni->GiornoDoppioClic = [this](QDate g) { CambiaScatti(g); };
    P_SelezionaOggi = Pulsante(QStringLiteral("&Oggi"), "P_SelezionaOggi", p);
    connect(P_SelezionaOggi, &QPushButton::clicked, this, [this] { P_SelezionaOggi_Click(); });

    DataSelezionata = new QLabel(p);
    DataSelezionata->setObjectName(QStringLiteral("DataSelezionata"));
    DataSelezionata->setAlignment(Qt::AlignCenter);
    QFont grassetto = DataSelezionata->font();
    grassetto.setBold(true);
    DataSelezionata->setFont(grassetto);
    ScattiGiorno = Valore("ScattiGiorno", p);
    ImpGiorno = Valore("ImpGiorno", p);
    ScattiMese = Valore("ScattiMese", p);
    ImpMese = Valore("ImpMese", p);
    MediaScattiGiorno = Valore("MediaScattiGiorno", p);
    MediaImpGiorno = Valore("MediaImpGiorno", p);
    P_ModificaScatti = Pulsante(QStringLiteral("&Modifica..."), "P_ModificaScatti", p);
    P_AzzeraScatti = Pulsante(QStringLiteral("A&zzera..."), "P_AzzeraScatti", p);
    connect(P_ModificaScatti, &QPushButton::clicked, this, [this] { P_ModificaScatti_Click(); });
    connect(P_AzzeraScatti, &QPushButton::clicked, this, [this] { P_AzzeraScatti_Click(); });

    auto* giorno = Riquadro(QStringLiteral("Totale nel giorno"),
                            {{QStringLiteral("Scatti"), ScattiGiorno}, {QStringLiteral("L."), ImpGiorno}},
                            P_ModificaScatti, p, DataSelezionata);
    auto* destra = new QVBoxLayout;
    destra->addWidget(giorno);
    destra->addWidget(Riquadro(QStringLiteral("Totale nel mese"),
                               {{QStringLiteral("Scatti"), ScattiMese}, {QStringLiteral("L."), ImpMese}},
                               P_AzzeraScatti, p));
    destra->addWidget(Riquadro(QStringLiteral("Media al giorno"),
                               {{QStringLiteral("Scatti"), MediaScattiGiorno}, {QStringLiteral("L."), MediaImpGiorno}},
                               nullptr, p));
    destra->addStretch();

    auto* sinistra = new QVBoxLayout;
    sinistra->addWidget(SceltaGiorni, 1);
    sinistra->addWidget(P_SelezionaOggi, 0, Qt::AlignLeft);
    auto* tutto = new QHBoxLayout(p);
    tutto->addLayout(sinistra, 1);
    tutto->addLayout(destra);
    return p;
}

QWidget* Bolletta::CreaPannelloBolletta()
{
    auto* p = new QWidget;
    QHBoxLayout* periodo = CreaRigaPeriodo(p);
    QGridLayout* valori = CreaGrigliaTotali(p);
    CreaRiquadroStima(p);
    Grafico = new GraficoBolletta(p);

    auto* tutto = new QVBoxLayout(p);
    tutto->addLayout(periodo);
    tutto->addSpacing(8);
    tutto->addLayout(valori);
    tutto->addWidget(RiquadroStima);
    tutto->addWidget(Grafico, 1);
    return p;
}

QHBoxLayout* Bolletta::CreaRigaPeriodo(QWidget* p)
{
    V_DataInizioBolletta = Valore("V_DataInizioBolletta", p);
    V_DataFineBolletta = Valore("V_DataFineBolletta", p);
    for (QLabel* l : {V_DataInizioBolletta, V_DataFineBolletta})
        l->setAlignment(Qt::AlignCenter);
    const QIcon figura = style()->standardIcon(QStyle::SP_FileDialogContentsView);
    P_DataInizio = Pulsante(QString(), "P_DataInizio", p);
    P_DataFine = Pulsante(QString(), "P_DataFine", p);
    for (QPushButton* b : {P_DataInizio, P_DataFine}) {
        b->setIcon(figura);
        b->setToolTip(QStringLiteral("Scegli la data..."));
    }
    connect(P_DataInizio, &QPushButton::clicked, this, [this] { P_DataInizio_Click(); });
    connect(P_DataFine, &QPushButton::clicked, this, [this] { P_DataFine_Click(); });
    P_Esporta = Pulsante(QStringLiteral("&Esporta..."), "P_Esporta", p);
    P_Esporta->setToolTip(QStringLiteral("Salva i totali giornalieri del periodo in un file CSV"));
    connect(P_Esporta, &QPushButton::clicked, this, [this] { P_Esporta_Click(); });

    auto* periodo = new QHBoxLayout;
    periodo->addWidget(new QLabel(QStringLiteral("Periodo bolletta:"), p));
    periodo->addWidget(new QLabel(QStringLiteral("dal"), p));
    periodo->addWidget(V_DataInizioBolletta);
    periodo->addWidget(P_DataInizio);
    periodo->addWidget(new QLabel(QStringLiteral("al"), p));
    periodo->addWidget(V_DataFineBolletta);
    periodo->addWidget(P_DataFine);
    periodo->addStretch();
    periodo->addWidget(P_Esporta);
    return periodo;
}

QGridLayout* Bolletta::CreaGrigliaTotali(QWidget* p)
{
    ScattiBolletta = Valore("ScattiBolletta", p);
    MediaScattiBolletta = Valore("MediaScattiBolletta", p);
    MediaImportoBolletta = Valore("MediaImportoBolletta", p);
    NettoBolletta = Valore("NettoBolletta", p);
    IvaBolletta = Valore("IvaBolletta", p);
    TotaleBolletta = Valore("TotaleBolletta", p);
    EtichettaIvaBolletta = new QLabel(p);
    EtichettaIvaBolletta->setObjectName(QStringLiteral("EtichettaIvaBolletta"));
    const TestiBolletta etichette = EtichetteBolletta(0);
    auto* totale = new QLabel(etichette.totale, p);
    QFont grassetto = totale->font();
    grassetto.setBold(true);
    totale->setFont(grassetto);
    TotaleBolletta->setFont(grassetto);

    auto* valori = new QGridLayout;
    const std::pair<QWidget*, QLabel*> righe[] = {{new QLabel(etichette.scatti, p), ScattiBolletta},
                                                  {new QLabel(etichette.mediaScatti, p), MediaScattiBolletta},
                                                  {new QLabel(etichette.mediaImporto, p), MediaImportoBolletta},
                                                  {new QLabel(etichette.netto, p), NettoBolletta},
                                                  {EtichettaIvaBolletta, IvaBolletta},
                                                  {totale, TotaleBolletta}};
    int r = 0;
    for (const auto& [etichetta, valore] : righe) {
        valori->addWidget(etichetta, r, 0);
        valori->addWidget(valore, r++, 1);
    }
    valori->setColumnStretch(2, 1);
    return valori;
}

// The estimate in one row, shown only while today is in the period, after
// the rate per day it stands on; its total as bold as the period's.
void Bolletta::CreaRiquadroStima(QWidget* p)
{
    const TestiBolletta etichette = EtichetteBolletta(0);
    const QFont grassetto = TotaleBolletta->font();
    MediaStima = Valore("MediaStima", p);
    NettoStima = Valore("NettoStima", p);
    IvaStima = Valore("IvaStima", p);
    TotaleStima = Valore("TotaleStima", p);
    TotaleStima->setFont(grassetto);
    RiquadroStima = new QGroupBox(TitoloStima(), p);
    RiquadroStima->setObjectName(QStringLiteral("RiquadroStima"));
    EtichettaIvaStima = new QLabel(RiquadroStima);
    EtichettaIvaStima->setObjectName(QStringLiteral("EtichettaIvaStima"));
    auto* totaleStima = new QLabel(etichette.totale, RiquadroStima);
    totaleStima->setFont(grassetto);
    auto* stima = new QHBoxLayout(RiquadroStima);
    stima->addWidget(new QLabel(etichette.mediaImporto, RiquadroStima));
    stima->addWidget(MediaStima);
    stima->addSpacing(12);
    stima->addWidget(new QLabel(etichette.netto, RiquadroStima));
    stima->addWidget(NettoStima);
    stima->addSpacing(12);
    stima->addWidget(EtichettaIvaStima);
    stima->addWidget(IvaStima);
    stima->addSpacing(12);
    stima->addWidget(totaleStima);
    stima->addWidget(TotaleStima);
    stima->addStretch();
}

void Bolletta::SegnalaErrore(const QString& operazione, const ErroreDatabase& errore)
{
    messaggi_.Avviso(QStringLiteral("Errore %1 nella %2 degli scatti.").arg(errore.numero).arg(operazione));
}

void Bolletta::MostraCalendario(int giornoSel)
{
    const GrigliaMese griglia(AnnoMostrabile(AA), MM);
    const auto lette = db_.GiorniDelMese(griglia.Primo());
    if (!lette)
        SegnalaErrore(QStringLiteral("lettura"), lette.Errore());
    const QMap<QDate, Totali> righe = lette.ValoreO({});
    SceltaGiorni->Mostra(griglia.Anno(), griglia.Mese(), righe);
    AA = SceltaGiorni->Anno();
    const TestiMese t = TestiDelMese(SommaMese(griglia, righe));
    ScattiMese->setText(t.scatti);
    ImpMese->setText(t.importo);
    MediaScattiGiorno->setText(t.mediaScatti);
    MediaImpGiorno->setText(t.mediaImporto);
    MostraScatti(giornoSel > 0 ? giornoSel : 1);
}

void Bolletta::MostraScatti(int giornoSel)
{
    const QDate giorno(AA, MM, std::clamp(giornoSel, 1, QDate(AA, MM, 1).daysInMonth()));
    selezionato_ = giorno;
    DataSelezionata->setText(TestoData(giorno));
    const auto riga = db_.TrovaGiorno(giorno);
    if (!riga)
        SegnalaErrore(QStringLiteral("lettura"), riga.Errore());
    const TestiGiorno t = TestiDelGiorno(riga.ValoreO({}).value_or(Totali{}));
    ScattiGiorno->setText(t.scatti);
    ImpGiorno->setText(t.importo);
    SceltaGiorni->Seleziona(giorno);
}

void Bolletta::CambiaScatti(const QDate& giorno)
{
    const auto riga = db_.TrovaGiorno(giorno);
    if (!riga) {
        SegnalaErrore(QStringLiteral("lettura"), riga.Errore());
        return; // correcting values never read could overwrite the stored ones
    }
    const Totali vecchi = riga->value_or(Totali{});
    ValoreScambio = TestoScambioScatti(vecchi, locale());
    ModificaScatti editor(giorno, vecchi, this);
    // Only "OK" hands values back; a cancel never writes.
    if (EseguiDialogo(editor) != QDialog::Accepted)
        return;
    const QString* scambio = std::get_if<QString>(&ValoreScambio);
    if (!scambio)
        return;
    const auto esito = db_.ImpostaGiorno(giorno, vecchi, LeggiScambioScatti(*scambio, locale()));
    if (!esito)
        SegnalaErrore(QStringLiteral("scrittura"), esito.Errore());
    else if (*esito != EsitoImpostazione::Nulla) {
        AA = giorno.year();
        MM = giorno.month();
        MostraCalendario(giorno.day());
        MostraBolletta();
    }
}

void Bolletta::MostraBolletta()
{
    const int iva = imp_.Tariffe.PrcIva;
    ErroreDatabase errore;
    const QDateTime adesso = adesso_();
    auto rapporto = LeggiRapporto(db_, inizio_, fine_, adesso, iva, &errore);
    if (!rapporto) {
        SegnalaErrore(QStringLiteral("lettura"), errore);
        rapporto = CreaRapporto({}, inizio_, fine_, adesso, iva);
    }
    const TestiBolletta t = TestiDiBolletta(rapporto->totali);
    ScattiBolletta->setText(t.scatti);
    MediaScattiBolletta->setText(t.mediaScatti);
    MediaImportoBolletta->setText(t.mediaImporto);
    NettoBolletta->setText(t.netto);
    IvaBolletta->setText(t.iva);
    TotaleBolletta->setText(t.totale);

    RiquadroStima->setVisible(rapporto->stima.has_value());
    const TestiBolletta s = rapporto->stima ? TestiDiBolletta(*rapporto->stima) : TestiBolletta{};
    MediaStima->setText(s.mediaImporto);
    NettoStima->setText(s.netto);
    IvaStima->setText(s.iva);
    TotaleStima->setText(s.totale);
    Grafico->Mostra(SerieDelRapporto(*rapporto));
}

void Bolletta::MostraPeriodo()
{
    V_DataInizioBolletta->setText(TestoData(inizio_));
    V_DataFineBolletta->setText(TestoData(fine_));
    MostraBolletta();
}

void Bolletta::P_SelezionaOggi_Click()
{
    const QDate oggi = adesso_().date();
    AA = oggi.year();
    MM = oggi.month();
    MostraCalendario(oggi.day());
}

void Bolletta::P_ModificaScatti_Click() { CambiaScatti(selezionato_); }

void Bolletta::P_AzzeraScatti_Click()
{
    const QDate giorno = selezionato_;
    if (!messaggi_.Conferma(DomandaAzzeramento(giorno, locale())))
        return;
    if (const auto azzerati = db_.AzzeraMese(giorno); !azzerati) {
        SegnalaErrore(QStringLiteral("scrittura"), azzerati.Errore());
        return;
    }
    MostraCalendario(giorno.day());
    MostraBolletta();
    messaggi_.Informazione(AvvisoAzzeramento(giorno, locale()));
}

std::optional<QDate> Bolletta::ScegliData(const QDate& partenza)
{
    ValoreScambio = partenza;
    Calendario picker(this);
    EseguiDialogo(picker);
    const QDate* scelta = std::get_if<QDate>(&ValoreScambio);
    if (!scelta || !scelta->isValid())
        return std::nullopt;
    return *scelta;
}

void Bolletta::P_DataInizio_Click()
{
    const auto scelta = ScegliData(inizio_);
    if (!scelta)
        return;
    inizio_ = *scelta;
    if (inizio_ > fine_)
        fine_ = inizio_;
    MostraPeriodo();
}

void Bolletta::P_DataFine_Click()
{
    const auto scelta = ScegliData(fine_);
    if (!scelta)
        return;
    fine_ = *scelta;
    if (fine_ < inizio_)
        inizio_ = fine_;
    MostraPeriodo();
}

QString Bolletta::DialogoEsporta(const QString& proposto)
{
    QFileDialog d(this, QStringLiteral("Esporta"));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    d.setNameFilters({QStringLiteral("File CSV (*.csv)"), QStringLiteral("Tutti i file (*)")});
    d.setDefaultSuffix(QStringLiteral("csv"));
    d.setDirectory(CartellaEsportazione());
    d.selectFile(proposto);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return {};
    return d.selectedFiles().constFirst();
}

void Bolletta::P_Esporta_Click()
{
    // Read again, so a read that failed earlier is never written out as zeros.
    ErroreDatabase errore;
    const auto rapporto = LeggiRapporto(db_, inizio_, fine_, adesso_(), imp_.Tariffe.PrcIva, &errore);
    if (!rapporto) {
        SegnalaErrore(QStringLiteral("lettura"), errore);
        return;
    }
    const QString proposto =
        QStringLiteral("bolletta_%1_%2.csv").arg(inizio_.toString(Qt::ISODate), fine_.toString(Qt::ISODate));
    const QString percorso = SceltaFileCsv ? SceltaFileCsv(proposto) : DialogoEsporta(proposto);
    if (percorso.isEmpty())
        return;
    RicordaCartellaEsportazione(percorso);
    QString motivo;
    if (ScriviRapportoCsv(*rapporto, percorso, &motivo))
        messaggi_.Informazione(QStringLiteral("Il riepilogo bolletta è stato esportato nel file ")
                               + QDir::toNativeSeparators(percorso));
    else
        messaggi_.Avviso(QStringLiteral("Impossibile esportare il riepilogo bolletta.\n") + motivo);
}

void Bolletta::P_Chiudi_Click()
{
    if (PeriodoCambiato(imp_, inizio_, fine_)) {
        Pannelli->setCurrentIndex(1);
        if (messaggi_.Domanda(QStringLiteral("Mantenere il nuovo periodo bolletta impostato ?"))) {
            QString errore;
            if (!SalvaPeriodoBolletta(imp_, archivio_, inizio_, fine_, &errore))
                messaggi_.Avviso(QStringLiteral("Impossibile salvare il periodo bolletta: %1").arg(errore));
        }
    }
    accept();
}

void Bolletta::done(int risultato)
{
    if (RicaricaTotali)
        RicaricaTotali();
    QDialog::done(risultato);
}
