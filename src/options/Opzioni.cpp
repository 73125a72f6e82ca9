// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/Opzioni.h"

#include "common/BarraScatto.h"
#include "common/PannelloContatore.h"

#include "common/Colori.h"
#include "common/Interlocutore.h"
#include "engine/Suoni.h"
#include "engine/Vista.h"
#include "settings/CaricaImpostazioni.h"
#include "tariffs/Tariffe.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

void Colora(QWidget* w, QPalette::ColorRole ruolo, quint32 colore)
{
    QPalette p = w->palette();
    p.setColor(ruolo, ColoreDaLong(colore));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QString Secondi(int s) { return QString::number(s) + QStringLiteral(" sec."); }

} // namespace

Opzioni::Opzioni(Impostazioni& imp, ArchivioImpostazioni& archivio, Interlocutore& messaggi, Riproduttore& suoni,
                 std::array<quint32, 5> coloriCorrenti, quint32 riempimentoCorrente, std::function<QDateTime()> adesso,
                 QWidget* genitore)
    : QDialog(genitore), imp_(imp), archivio_(archivio), messaggi_(messaggi), suoni_(suoni), adesso_(std::move(adesso)),
      scelta_(SceltaOpzioni::Da(imp, coloriCorrenti, riempimentoCorrente))
{
    setWindowTitle(QStringLiteral("Configurazione"));
    ScegliColore = [this](const QColor& iniziale) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(iniziale, this);
        return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
    };
    ScegliFile = [this] {
        return QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("File audio (*.wav)"));
    };

    Schede = new QTabWidget(this);
    Schede->addTab(CreaGenerale(), QStringLiteral("Generale"));
    Schede->addTab(CreaColori(), QStringLiteral("Colori"));
    Schede->addTab(CreaSuoni(), QStringLiteral("Suoni"));
    Schede->addTab(CreaMessaggi(), QStringLiteral("Messaggi"));
    connect(Schede, &QTabWidget::currentChanged, this, &Opzioni::Schede_Click);

    P_Salva = new QPushButton(QStringLiteral("&OK"), this);
    P_Annulla = new QPushButton(QStringLiteral("&Annulla"), this);
    P_Salva->setDefault(true);
    connect(P_Salva, &QPushButton::clicked, this, &Opzioni::P_Salva_Click);
    connect(P_Annulla, &QPushButton::clicked, this, &QDialog::reject);
    auto* pulsanti = new QDialogButtonBox(this);
    pulsanti->addButton(P_Salva, QDialogButtonBox::AcceptRole);
    pulsanti->addButton(P_Annulla, QDialogButtonBox::RejectRole);
    auto* tutto = new QVBoxLayout(this);
    tutto->addWidget(Schede);
    tutto->addWidget(pulsanti);

    AssegnaNomi();
    // Runs the list's click handling too.
    ListaColori->setCurrentRow(0);
    ColoreTariffa_Click();
}

void Opzioni::AssegnaNomi()
{
    const std::initializer_list<std::pair<QWidget*, const char*>> nomi{
        {Schede, "Schede"},
        {M_Automatico, "M_Automatico"},
        {M_Manuale, "M_Manuale"},
        {L_IntervalloControllo, "L_IntervalloControllo"},
        {M_IntervalloControllo, "M_IntervalloControllo"},
        {M_ValoreControllo, "M_ValoreControllo"},
        {M_AvviaSeConnesso, "M_AvviaSeConnesso"},
        {M_IntervalloRefresh, "M_IntervalloRefresh"},
        {M_ValoreRefresh, "M_ValoreRefresh"},
        {M_SalvaImpostazioni, "M_SalvaImpostazioni"},
        {M_ConfermaStop, "M_ConfermaStop"},
        {M_PrimoPiano, "M_PrimoPiano"},
        {M_CreaLog, "M_CreaLog"},
        {M_AvvioSessione, "M_AvvioSessione"},
        {ListaColori, "ListaColori"},
        {Colore, "Colore"},
        {P_Colore, "P_Colore"},
        {ColoreTariffa, "ColoreTariffa"},
        {Importo, "Importo"},
        {Indicatore, "Indicatore"},
        {ValoreIndicatore, "ValoreIndicatore"},
        {LedStato, "LedStato"},
        {CorniceLed, "CorniceLed"},
        {M_TerminaChiamata, "M_TerminaChiamata"},
        {L_ComandoTermina, "L_ComandoTermina"},
        {M_ComandoTermina, "M_ComandoTermina"},
        {P_Salva, "P_Salva"},
        {P_Annulla, "P_Annulla"},
    };
    for (const auto& [w, nome] : nomi)
        w->setObjectName(QString::fromLatin1(nome));
    for (int k = 0; k < Schede->count(); ++k)
        Schede->widget(k)->setObjectName(QStringLiteral("Scheda%1").arg(k));
    // Indexed rows carry their index in the name, as M_Suono0 or M_Msg1.
    for (size_t i = 0; i < M_Suono.size(); ++i) {
        M_Suono[i]->setObjectName(QStringLiteral("M_Suono%1").arg(i));
        P_Apri[i]->setObjectName(QStringLiteral("P_Apri%1").arg(i));
        P_Play[i]->setObjectName(QStringLiteral("P_Play%1").arg(i));
    }
    for (size_t n = 1; n <= NumeroAllarmi; ++n) {
        M_Msg[n]->setObjectName(QStringLiteral("M_Msg%1").arg(n));
        M_MsgVal[n]->setObjectName(QStringLiteral("M_MsgVal%1").arg(n));
        if (n < M_MsgIva.size())
            M_MsgIva[n]->setObjectName(QStringLiteral("M_MsgIva%1").arg(n));
    }
}

QWidget* Opzioni::CreaGenerale()
{
    auto* pagina = new QWidget;
    auto* conteggio = new QGroupBox(QStringLiteral("Inizio e fine conteggio"), pagina);
    M_Automatico = new QRadioButton(QStringLiteral("Automatico"), conteggio);
    M_Manuale = new QRadioButton(QStringLiteral("Manuale"), conteggio);
    (scelta_.automatico ? M_Automatico : M_Manuale)->setChecked(true);
    L_IntervalloControllo = new QLabel(QStringLiteral("Frequenza di controllo"), conteggio);
    M_IntervalloControllo = new QSlider(Qt::Horizontal, conteggio);
    M_IntervalloControllo->setRange(CursoreControllo.minimo, CursoreControllo.massimo);
    M_IntervalloControllo->setValue(scelta_.cursoreControllo);
    M_ValoreControllo = new QLabel(Secondi(scelta_.cursoreControllo), conteggio);
    M_AvviaSeConnesso = new QCheckBox(QStringLiteral("Avvia conteggio solo a connessione stabilita"), conteggio);
    M_AvviaSeConnesso->setChecked(scelta_.avviaSeConnesso);
    auto* g = new QGridLayout(conteggio);
    g->addWidget(M_Automatico, 0, 0);
    g->addWidget(M_Manuale, 0, 1);
    g->addWidget(L_IntervalloControllo, 1, 0, 1, 2);
    g->addWidget(M_IntervalloControllo, 2, 0);
    g->addWidget(M_ValoreControllo, 2, 1);
    g->addWidget(M_AvviaSeConnesso, 3, 0, 1, 2);

    auto* aggiornamento = new QGroupBox(QStringLiteral("Frequenza di aggiornamento"), pagina);
    M_IntervalloRefresh = new QSlider(Qt::Horizontal, aggiornamento);
    M_IntervalloRefresh->setRange(CursoreRefresh.minimo, CursoreRefresh.massimo);
    M_IntervalloRefresh->setValue(scelta_.cursoreRefresh);
    M_ValoreRefresh = new QLabel(Secondi(scelta_.cursoreRefresh), aggiornamento);
    auto* r = new QHBoxLayout(aggiornamento);
    r->addWidget(M_IntervalloRefresh);
    r->addWidget(M_ValoreRefresh);

    M_SalvaImpostazioni = new QCheckBox(QStringLiteral("Salva impostazioni"), pagina);
    M_ConfermaStop = new QCheckBox(QStringLiteral("Conferma stop manuale"), pagina);
    M_PrimoPiano = new QCheckBox(QStringLiteral("Sempre in primo piano"), pagina);
    M_CreaLog = new QCheckBox(QStringLiteral("Riepilogo connessioni"), pagina);
    M_SalvaImpostazioni->setChecked(scelta_.salvaImpostazioni);
    M_ConfermaStop->setChecked(scelta_.confermaStop);
    M_PrimoPiano->setChecked(scelta_.primoPiano);
    M_CreaLog->setChecked(scelta_.creaLog);
    M_AvvioSessione = new QCheckBox(QStringLiteral("Avvia all'accesso"), pagina);
    M_AvvioSessione->setToolTip(QStringLiteral("Avvia Velatrix all'accesso al desktop"));
    M_AvvioSessione->setChecked(avvio_.Attivo());

    auto* v = new QVBoxLayout(pagina);
    v->addWidget(conteggio);
    v->addWidget(aggiornamento);
    for (QCheckBox* c : {M_SalvaImpostazioni, M_ConfermaStop, M_PrimoPiano, M_CreaLog, M_AvvioSessione})
        v->addWidget(c);
    v->addStretch();

    connect(M_Automatico, &QRadioButton::toggled, this, [this](bool on) { AbilitaControllo(on); });
    connect(M_IntervalloControllo, &QSlider::valueChanged, this,
            [this](int s) { M_ValoreControllo->setText(Secondi(s)); });
    connect(M_IntervalloRefresh, &QSlider::valueChanged, this, [this](int s) { M_ValoreRefresh->setText(Secondi(s)); });
    AbilitaControllo(scelta_.automatico);
    return pagina;
}

void Opzioni::AbilitaControllo(bool automatico)
{
    for (QWidget* w : std::initializer_list<QWidget*>{L_IntervalloControllo, M_IntervalloControllo, M_ValoreControllo,
                                                      M_AvviaSeConnesso})
        w->setEnabled(automatico);
}

QWidget* Opzioni::CreaColori()
{
    auto* pagina = new QWidget;
    // The main window's own panel, as it looks while counting, to try the
    // colours on.
    auto* Pannello = new PannelloContatore(pagina);
    CorniceLed = Pannello->CorniceLed;
    LedStato = Pannello->LedStato;
    Pannello->MostraLed(QColor(0, 200, 0), true);
    Importo = Pannello->Importo;
    Importo->setText(QStringLiteral("Lire  127"));
    Pannello->P_Avvia->hide();
    Pannello->P_Ferma->show();
    Indicatore = Pannello->Indicatore;
    Indicatore->ImpostaPercento(50);
    ValoreIndicatore = Pannello->ValoreIndicatore;
    ValoreIndicatore->setText(QStringLiteral("3'20\""));
    for (QWidget* w : std::initializer_list<QWidget*>{LedStato, CorniceLed, Importo, ValoreIndicatore})
        w->installEventFilter(this);

    ListaColori = new QListWidget(pagina);
    ListaColori->addItems({QStringLiteral("Testo contatore"), QStringLiteral("Sfondo contatore/led"),
                           QStringLiteral("Indicatore scatto"), QStringLiteral("Sfondo indicatore scatto"),
                           QStringLiteral("Durata scatto")});
    auto* selezionato = new QGroupBox(QStringLiteral("Colore selezionato"), pagina);
    Colore = new QLabel(selezionato);
    Colore->setFixedSize(40, 22);
    Colore->setFrameShape(QFrame::Box);
    P_Colore = new QPushButton(QStringLiteral("Cambia..."), selezionato);
    ColoreTariffa = new QCheckBox(QStringLiteral("Colore tariffa corrente"), selezionato);
    ColoreTariffa->setChecked(scelta_.coloreTariffa);
    auto* s = new QVBoxLayout(selezionato);
    auto* sr = new QHBoxLayout;
    sr->addWidget(Colore);
    sr->addWidget(P_Colore);
    s->addLayout(sr);
    s->addWidget(ColoreTariffa);

    auto* basso = new QHBoxLayout;
    basso->addWidget(ListaColori);
    basso->addWidget(selezionato);
    auto* v = new QVBoxLayout(pagina);
    v->addWidget(Pannello);
    v->addLayout(basso);
    connect(ListaColori, &QListWidget::currentRowChanged, this, &Opzioni::ListaColori_Click);
    connect(P_Colore, &QPushButton::clicked, this, &Opzioni::P_Colore_Click);
    connect(ColoreTariffa, &QCheckBox::toggled, this, &Opzioni::ColoreTariffa_Click);
    AggiornaAnteprima();
    return pagina;
}

void Opzioni::AggiornaAnteprima()
{
    const SceltaOpzioni& c = scelta_;
    Colora(Importo, QPalette::WindowText, c.Colore(0));
    Colora(Importo, QPalette::Window, c.Colore(1));
    Colora(CorniceLed, QPalette::Window, c.Colore(1));
    Indicatore->ImpostaRiempimento(ColoreDaLong(c.Colore(2)));
    Indicatore->ImpostaSfondo(ColoreDaLong(c.Colore(4)));
    Colora(ValoreIndicatore, QPalette::WindowText, c.Colore(3));
    ValoreIndicatore->setAutoFillBackground(false);
}

void Opzioni::ListaColori_Click()
{
    const int voce = std::max(0, ListaColori->currentRow());
    Colora(Colore, QPalette::Window, scelta_.Colore(ChiaveDellaVoce(voce)));
    ColoreTariffa->setEnabled(voce == 2);
}

void Opzioni::P_Colore_Click()
{
    const int chiave = ChiaveDellaVoce(std::max(0, ListaColori->currentRow()));
    const auto scelto = ScegliColore ? ScegliColore(ColoreDaLong(scelta_.Colore(chiave))) : std::nullopt;
    if (!scelto || !scelto->isValid())
        return;
    scelta_.CambiaColore(chiave, LongDaColore(*scelto));
    ListaColori_Click();
    AggiornaAnteprima();
}

void Opzioni::ColoreTariffa_Click()
{
    scelta_.coloreTariffa = ColoreTariffa->isChecked();
    // Looked up once, when first needed, so the preview shows what the main
    // window will paint.
    if (scelta_.coloreTariffa && !scelta_.riempimentoTariffa) {
        const QDateTime ora = adesso_ ? adesso_() : QDateTime::currentDateTime();
        const ModelloTariffe& m = imp_.Tariffe;
        scelta_.riempimentoTariffa = m.tariffa(TariffaInVigore(m, ora.date(), ora.time())).Colore;
    }
    ListaColori_Click();
    AggiornaAnteprima();
}

void Opzioni::SelezionaDaAnteprima(ElementoAnteprima elemento)
{
    ListaColori->setCurrentRow(VoceDaAnteprima(elemento, ListaColori->currentRow()));
}

bool Opzioni::eventFilter(QObject* oggetto, QEvent* evento)
{
    if (evento->type() == QEvent::MouseButtonPress) {
        if (oggetto == LedStato || oggetto == CorniceLed)
            SelezionaDaAnteprima(ElementoAnteprima::Led);
        else if (oggetto == Importo)
            SelezionaDaAnteprima(ElementoAnteprima::Contatore);
        else if (oggetto == ValoreIndicatore)
            SelezionaDaAnteprima(ElementoAnteprima::DurataScatto);
        return true;
    }
    return QDialog::eventFilter(oggetto, evento);
}

QWidget* Opzioni::CreaSuoni()
{
    auto* pagina = new QWidget;
    auto* g = new QGridLayout(pagina);
    const char* etichette[] = {"Rilevamento connessione", "Inizio conteggio", "Fine conteggio", "Scatto", "Messaggio"};
    for (int i = 0; i < NumeroSuoni; ++i) {
        M_Suono[size_t(i)] = new QLineEdit(scelta_.suoni[size_t(i)], pagina);
        P_Apri[size_t(i)] = new QPushButton(QStringLiteral("..."), pagina);
        P_Play[size_t(i)] = new QPushButton(QStringLiteral("\u25B6"), pagina);
        g->addWidget(new QLabel(QString::fromUtf8(etichette[i]), pagina), i, 0);
        g->addWidget(M_Suono[size_t(i)], i, 1);
        g->addWidget(P_Apri[size_t(i)], i, 2);
        g->addWidget(P_Play[size_t(i)], i, 3);
        connect(P_Apri[size_t(i)], &QPushButton::clicked, this, [this, i] {
            const QString file = ScegliFile ? ScegliFile() : QString();
            if (!file.isEmpty())
                M_Suono[size_t(i)]->setText(file);
        });
        connect(P_Play[size_t(i)], &QPushButton::clicked, this, [this, i] {
            if (!M_Suono[size_t(i)]->text().isEmpty() && imp_.SchedaAudio)
                suoni_.RiproduciSuono(M_Suono[size_t(i)]->text());
        });
    }
    g->setRowStretch(NumeroSuoni, 1);
    return pagina;
}

QWidget* Opzioni::CreaMessaggi()
{
    auto* pagina = new QWidget;
    auto* g = new QGridLayout(pagina);
    const char* etichette[] = {"", "Costo connessione maggiore di L.", "Costo giornaliero maggiore di L.",
                               "Costo periodo bolletta maggiore di L.",
                               "Minuti consecutivi di connessione maggiori di"};
    for (int i = 1; i <= NumeroAllarmi; ++i) {
        const size_t n = size_t(i);
        M_Msg[n] = new QCheckBox(QString::fromUtf8(etichette[i]), pagina);
        M_Msg[n]->setChecked(scelta_.msg[n]);
        M_MsgVal[n] = new QLineEdit(scelta_.msgVal[n], pagina);
        M_MsgVal[n]->setEnabled(scelta_.msg[n]);
        g->addWidget(M_Msg[n], i, 0);
        g->addWidget(M_MsgVal[n], i, 1);
        if (i <= 3) {
            M_MsgIva[n] = new QCheckBox(QStringLiteral("con IVA"), pagina);
            M_MsgIva[n]->setChecked(scelta_.msgIva[n]);
            M_MsgIva[n]->setEnabled(scelta_.msg[n]);
            g->addWidget(M_MsgIva[n], i, 2);
        }
        connect(M_Msg[n], &QCheckBox::toggled, this, [this, n](bool on) {
            M_MsgVal[n]->setEnabled(on);
            if (n < M_MsgIva.size())
                M_MsgIva[n]->setEnabled(on);
        });
        connect(M_MsgVal[n], &QLineEdit::editingFinished, this,
                [this, n] { M_MsgVal[n]->setText(TestoSoglia(M_MsgVal[n]->text())); });
    }
    // Off by default: the alarms only warn unless the user asks for more.
    M_TerminaChiamata = new QCheckBox(
        QStringLiteral("Termina la chiamata all'allarme di costo della connessione o del periodo bolletta"), pagina);
    M_TerminaChiamata->setChecked(scelta_.terminaChiamata);
    L_ComandoTermina =
        new QLabel(QStringLiteral("Comando per terminarla (se non la gestisce NetworkManager):"), pagina);
    M_ComandoTermina = new QLineEdit(scelta_.comandoTermina, pagina);
    M_ComandoTermina->setPlaceholderText(QStringLiteral("poff"));
    M_ComandoTermina->setMaxLength(int(Chiave<"CmdTrm">::intervallo.massimo));
    L_ComandoTermina->setBuddy(M_ComandoTermina);
    L_ComandoTermina->setEnabled(scelta_.terminaChiamata);
    M_ComandoTermina->setEnabled(scelta_.terminaChiamata);
    connect(M_TerminaChiamata, &QCheckBox::toggled, this, [this](bool on) {
        L_ComandoTermina->setEnabled(on);
        M_ComandoTermina->setEnabled(on);
    });
    g->addWidget(M_TerminaChiamata, NumeroAllarmi + 1, 0, 1, 3);
    g->addWidget(L_ComandoTermina, NumeroAllarmi + 2, 0, 1, 3);
    g->addWidget(M_ComandoTermina, NumeroAllarmi + 3, 0, 1, 3);
    g->setRowStretch(NumeroAllarmi + 4, 1);
    return pagina;
}

void Opzioni::Schede_Click(int scheda)
{
    // The panel starts without asking for devices; the tab asks. A device
    // found missing once stays so for the run, as one probed at start did.
    if (scheda == 2 && imp_.SchedaAudio)
        imp_.SchedaAudio = suoni_.NumeroDispositivi() > 0;
    if (scheda == 2 && !imp_.SchedaAudio)
        messaggi_.Avviso(QStringLiteral("ATTENZIONE: il sistema non è in grado di riprodurre file audio. "
                                        "Le modifiche apportate alla configurazione dei suoni verranno ignorate."));
}

void Opzioni::LeggiControlli()
{
    scelta_.cursoreRefresh = M_IntervalloRefresh->value();
    scelta_.cursoreControllo = M_IntervalloControllo->value();
    scelta_.primoPiano = M_PrimoPiano->isChecked();
    scelta_.confermaStop = M_ConfermaStop->isChecked();
    scelta_.creaLog = M_CreaLog->isChecked();
    scelta_.salvaImpostazioni = M_SalvaImpostazioni->isChecked();
    scelta_.automatico = M_Automatico->isChecked();
    scelta_.avviaSeConnesso = M_AvviaSeConnesso->isChecked();
    scelta_.coloreTariffa = ColoreTariffa->isChecked();
    for (size_t i = 0; i < M_Suono.size(); ++i)
        scelta_.suoni[i] = M_Suono[i]->text();
    for (size_t n = 1; n <= NumeroAllarmi; ++n) {
        scelta_.msg[n] = M_Msg[n]->isChecked();
        scelta_.msgVal[n] = M_MsgVal[n]->text();
        if (n < M_MsgIva.size())
            scelta_.msgIva[n] = M_MsgIva[n]->isChecked();
    }
    scelta_.terminaChiamata = M_TerminaChiamata->isChecked();
    scelta_.comandoTermina = M_ComandoTermina->text();
}

void Opzioni::P_Salva_Click()
{
    // "OK" can be pressed without the last field losing the focus.
    for (size_t n = 1; n <= NumeroAllarmi; ++n)
        M_MsgVal[n]->setText(TestoSoglia(M_MsgVal[n]->text()));
    LeggiControlli();

    const Impostazioni nuove = ApplicaScelta(imp_, scelta_);
    QString motivo;
    if (!SostituisciImpostazioni(imp_, nuove, archivio_, ScritturaOpzioni, &motivo)) {
        messaggi_.Avviso(motivo + QStringLiteral("\nLa configurazione non è stata modificata."));
        return;
    }
    if (avvio_.DaAggiornare(M_AvvioSessione->isChecked()) && !avvio_.Imposta(M_AvvioSessione->isChecked(), &motivo))
        messaggi_.Avviso(motivo);
    accept();
}

void Opzioni::ImpostaAvvioSessione(AvvioSessione avvio)
{
    avvio_ = std::move(avvio);
    M_AvvioSessione->setChecked(avvio_.Attivo());
}
