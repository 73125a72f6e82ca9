#include "options/Opzioni.h"

#include "common/Colori.h"
#include "common/Interlocutore.h"
#include "engine/Vista.h"
#include "settings/CaricaImpostazioni.h"
#include "tariffs/Tariffe.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
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

// Index of the preview property of each list entry, in key order.
constexpr std::array<int, 5> ChiaveDellaVoce{0, 1, 2, 4, 3};

void Colora(QWidget* w, QPalette::ColorRole ruolo, quint32 colore)
{
    QPalette p = w->palette();
    p.setColor(ruolo, ColoreDaLong(colore));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QString Secondi(int s)
{
    return QString::number(s) + QStringLiteral(" sec.");
}

// The half-filled bar of the preview.
class BarraAnteprima : public QWidget {
public:
    using QWidget::QWidget;
    QColor riempimento, sfondo;
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), sfondo);
        p.fillRect(QRect(0, 0, width() / 2, height()), riempimento);
        p.setPen(Qt::gray);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

} // namespace

Opzioni::Opzioni(Impostazioni& imp, ArchivioImpostazioni& archivio, Interlocutore& messaggi, Riproduttore& suoni,
                 std::array<quint32, 5> coloriCorrenti, quint32 riempimentoCorrente, std::function<QDateTime()> adesso,
                 QWidget* genitore)
    : QDialog(genitore)
    , imp_(imp)
    , archivio_(archivio)
    , messaggi_(messaggi)
    , suoni_(suoni)
    , scelta_(SceltaOpzioni::Da(imp, coloriCorrenti))
{
    setWindowTitle(QStringLiteral("Configurazione"));
    ScegliColore = [this](const QColor& iniziale) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(iniziale, this);
        return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
    };
    ScegliFile = [this] {
        return QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("File audio (*.wav)"));
    };
    // With the tariff colour on, the preview fills with the tariff in force.
    if (imp.ClrTar) {
        const QDateTime ora = adesso ? adesso() : QDateTime::currentDateTime();
        riempimentoAnteprima_ = imp.Tariffe.tariffa(TariffaInVigore(imp.Tariffe, ora.date(), ora.time())).Colore;
    } else {
        riempimentoAnteprima_ = riempimentoCorrente;
    }
    scelta_.colori[2] = riempimentoAnteprima_;

    Schede = new QTabWidget(this);
    Schede->addTab(CreaGenerale(), QStringLiteral("Generale"));
    Schede->addTab(CreaColori(), QStringLiteral("Colori"));
    Schede->addTab(CreaSuoni(), QStringLiteral("Suoni"));
    Schede->addTab(CreaMessaggi(), QStringLiteral("Messaggi"));
    connect(Schede, &QTabWidget::currentChanged, this, &Opzioni::Schede_Click);

    P_Salva = new QPushButton(QStringLiteral("OK"), this);
    P_Annulla = new QPushButton(QStringLiteral("Annulla"), this);
    P_Salva->setDefault(true);
    connect(P_Salva, &QPushButton::clicked, this, &Opzioni::P_Salva_Click);
    connect(P_Annulla, &QPushButton::clicked, this, &QDialog::reject);
    auto* pulsanti = new QHBoxLayout;
    pulsanti->addStretch();
    pulsanti->addWidget(P_Salva);
    pulsanti->addWidget(P_Annulla);
    auto* tutto = new QVBoxLayout(this);
    tutto->addWidget(Schede);
    tutto->addLayout(pulsanti);

    ListaColori->setCurrentRow(0);
    ListaColori_Click();
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
    M_IntervalloControllo->setRange(1, 5);
    M_IntervalloControllo->setValue(scelta_.secondiControllo);
    M_ValoreControllo = new QLabel(Secondi(scelta_.secondiControllo), conteggio);
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
    M_IntervalloRefresh->setRange(1, 5);
    M_IntervalloRefresh->setValue(scelta_.secondiRefresh);
    M_ValoreRefresh = new QLabel(Secondi(scelta_.secondiRefresh), aggiornamento);
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

    auto* v = new QVBoxLayout(pagina);
    v->addWidget(conteggio);
    v->addWidget(aggiornamento);
    for (QCheckBox* c : {M_SalvaImpostazioni, M_ConfermaStop, M_PrimoPiano, M_CreaLog})
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
    // A small copy of the main window to try the colours on.
    auto* Pannello = new QFrame(pagina);
    Pannello->setFrameShape(QFrame::StyledPanel);
    CorniceLed = new QLabel(Pannello);
    CorniceLed->setFixedSize(22, 22);
    LedStato = new QLabel(QStringLiteral("\u25CF"), CorniceLed);
    LedStato->setGeometry(5, 2, 14, 18);
    Colora(LedStato, QPalette::WindowText, 0x00C800);
    LedStato->setAutoFillBackground(false);
    Importo = new QLabel(QStringLiteral("Lire  127"), Pannello);
    Importo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Importo->setMinimumWidth(130);
    QFont cifre(QStringLiteral("DejaVu Sans Mono"));
    cifre.setBold(true);
    Importo->setFont(cifre);
    auto* P_Periodo = new QPushButton(QStringLiteral("C"), Pannello);
    auto* P_Ferma = new QPushButton(QStringLiteral("\u25A0"), Pannello);
    auto* P_Menu = new QPushButton(QStringLiteral("\u2630"), Pannello);
    for (QPushButton* b : {P_Periodo, P_Ferma, P_Menu}) {
        b->setFixedSize(22, 22);
        b->setFocusPolicy(Qt::NoFocus);
    }
    auto* barra = new BarraAnteprima(Pannello);
    Indicatore = barra;
    Indicatore->setFixedHeight(14);
    ValoreIndicatore = new QLabel(QStringLiteral("3'20\""), Indicatore);
    ValoreIndicatore->setAlignment(Qt::AlignCenter);
    auto* dentro = new QHBoxLayout(Indicatore);
    dentro->setContentsMargins(0, 0, 0, 0);
    dentro->addWidget(ValoreIndicatore);
    auto* riga = new QHBoxLayout;
    riga->addWidget(CorniceLed);
    riga->addWidget(Importo, 1);
    riga->addWidget(P_Periodo);
    riga->addWidget(P_Ferma);
    riga->addWidget(P_Menu);
    auto* anteprima = new QVBoxLayout(Pannello);
    anteprima->addLayout(riga);
    anteprima->addWidget(Indicatore);
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
    connect(ColoreTariffa, &QCheckBox::toggled, this, [this](bool on) { scelta_.coloreTariffa = on; });
    AggiornaAnteprima();
    return pagina;
}

void Opzioni::AggiornaAnteprima()
{
    const auto& c = scelta_.colori;
    Colora(Importo, QPalette::WindowText, c[0]);
    Colora(Importo, QPalette::Window, c[1]);
    Colora(CorniceLed, QPalette::Window, c[1]);
    auto* barra = static_cast<BarraAnteprima*>(Indicatore);
    barra->riempimento = ColoreDaLong(c[2]);
    barra->sfondo = ColoreDaLong(c[4]);
    barra->update();
    Colora(ValoreIndicatore, QPalette::WindowText, c[3]);
    ValoreIndicatore->setAutoFillBackground(false);
}

void Opzioni::ListaColori_Click()
{
    const int voce = std::max(0, ListaColori->currentRow());
    Colora(Colore, QPalette::Window, scelta_.colori[size_t(ChiaveDellaVoce[size_t(voce)])]);
    ColoreTariffa->setEnabled(voce == 2);
}

void Opzioni::P_Colore_Click()
{
    const int voce = std::max(0, ListaColori->currentRow());
    const size_t chiave = size_t(ChiaveDellaVoce[size_t(voce)]);
    const auto scelto = ScegliColore(ColoreDaLong(scelta_.colori[chiave]));
    if (!scelto)
        return;
    scelta_.colori[chiave] = LongDaColore(*scelto);
    if (chiave == 2)
        scelta_.riempimentoScelto = true;
    ListaColori_Click();
    AggiornaAnteprima();
}

void Opzioni::SelezionaDaAnteprima(QObject* elemento)
{
    const int attuale = ListaColori->currentRow();
    int voce = attuale;
    if (elemento == LedStato || elemento == CorniceLed)
        voce = 1;
    else if (elemento == Importo)
        voce = attuale == 0 ? 1 : 0;
    else if (elemento == ValoreIndicatore)
        voce = attuale == 2 ? 3 : attuale == 3 ? 4 : 2;
    ListaColori->setCurrentRow(voce);
}

bool Opzioni::eventFilter(QObject* oggetto, QEvent* evento)
{
    if (evento->type() == QEvent::MouseButtonPress) {
        SelezionaDaAnteprima(oggetto);
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
        connect(M_Suono[size_t(i)], &QLineEdit::textChanged, this,
                [this, i](const QString& t) { scelta_.suoni[size_t(i)] = t; });
        connect(P_Apri[size_t(i)], &QPushButton::clicked, this, [this, i] {
            const QString file = ScegliFile();
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
            connect(M_MsgIva[n], &QCheckBox::toggled, this, [this, n](bool on) { scelta_.msgIva[n] = on; });
        }
        connect(M_Msg[n], &QCheckBox::toggled, this, [this, n](bool on) {
            scelta_.msg[n] = on;
            M_MsgVal[n]->setEnabled(on);
            if (M_MsgIva[n])
                M_MsgIva[n]->setEnabled(on);
        });
        connect(M_MsgVal[n], &QLineEdit::editingFinished, this,
                [this, n] { M_MsgVal[n]->setText(TestoSoglia(M_MsgVal[n]->text())); });
        connect(M_MsgVal[n], &QLineEdit::textChanged, this, [this, n](const QString& t) { scelta_.msgVal[n] = t; });
    }
    g->setRowStretch(NumeroAllarmi + 1, 1);
    return pagina;
}

void Opzioni::Schede_Click(int scheda)
{
    if (scheda == 2 && !imp_.SchedaAudio)
        messaggi_.Avviso(QStringLiteral("ATTENZIONE: il sistema non è in grado di riprodurre file audio. "
                                        "Le modifiche apportate alla configurazione dei suoni verranno ignorate."));
}

void Opzioni::P_Salva_Click()
{
    // "OK" can be pressed without the last field losing the focus.
    for (int i = 1; i <= NumeroAllarmi; ++i)
        M_MsgVal[size_t(i)]->setText(TestoSoglia(M_MsgVal[size_t(i)]->text()));
    scelta_.secondiRefresh = M_IntervalloRefresh->value();
    scelta_.secondiControllo = M_IntervalloControllo->value();
    scelta_.primoPiano = M_PrimoPiano->isChecked();
    scelta_.confermaStop = M_ConfermaStop->isChecked();
    scelta_.creaLog = M_CreaLog->isChecked();
    scelta_.salvaImpostazioni = M_SalvaImpostazioni->isChecked();
    scelta_.automatico = M_Automatico->isChecked();
    scelta_.avviaSeConnesso = M_AvviaSeConnesso->isChecked();

    const Impostazioni nuove = ApplicaScelta(imp_, scelta_);
    QString motivo;
    if (!ScriviOpzioni(archivio_, nuove, QLocale(), &motivo)) {
        // Nothing changes until the settings are really stored.
        messaggi_.Avviso(QStringLiteral("Impossibile salvare la configurazione: %1").arg(motivo));
        return;
    }
    imp_ = nuove;
    accept();
}
