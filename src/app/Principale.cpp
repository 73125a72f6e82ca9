// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Principale.h"
#include "common/RigaComando.h"

#include "app/Controllore.h"
#include "app/Spie.h"
#include "common/BarraScatto.h"
#include "common/Colori.h"
#include "common/FormeTesto.h"
#include "common/Interlocutore.h"
#include "common/PannelloContatore.h"
#include "engine/Motore.h"
#include "engine/Rilevamento.h"
#include "settings/Impostazioni.h"
#include "settings/PosizioneFinestra.h"
#include "tariffs/Tariffe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace Tasti {
int Codice(int tastoQt)
{
    if (tastoQt >= Qt::Key_F1 && tastoQt <= Qt::Key_F12)
        return F1 + (tastoQt - Qt::Key_F1);
    if ((tastoQt >= Qt::Key_A && tastoQt <= Qt::Key_Z) || (tastoQt >= Qt::Key_0 && tastoQt <= Qt::Key_9))
        return tastoQt;
    return 0;
}

int Modificatori(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? Maiuscolo : 0) | (m & Qt::ControlModifier ? Ctrl : 0)
           | (m & Qt::AltModifier ? Alt : 0);
}
} // namespace Tasti

namespace {

void Colora(QWidget* w, QPalette::ColorRole ruolo, const QColor& colore)
{
    QPalette pal = w->palette();
    pal.setColor(ruolo, colore);
    w->setPalette(pal);
}

} // namespace

Principale::Principale(Servizi servizi, QWidget* genitore)
    : QWidget(genitore, Qt::Window | Qt::FramelessWindowHint), s_(servizi)
{
    setWindowTitle(TitoloApplicazione);
    setFocusPolicy(Qt::StrongFocus);
    CreaControlli();
    CreaMenu();
    TimerControllo = new QTimer(this);
    TimerScatto = new QTimer(this);
    connect(TimerScatto, &QTimer::timeout, this, &Principale::TimerScatto_Timer);
    connect(TimerControllo, &QTimer::timeout, this, &Principale::TimerControllo_Timer);
}

Principale::~Principale() = default;

void Principale::TimerScatto_Timer() { s_.controllo.TimerScatto_Timer(); }

void Principale::TimerControllo_Timer()
{
    if (rilevamento_ && !uscito_)
        rilevamento_->TimerControllo_Timer();
}

void Principale::CreaControlli()
{
    Pannello = new PannelloContatore(this);
    CorniceLed = Pannello->CorniceLed;
    LedStato = Pannello->LedStato;
    Importo = Pannello->Importo;
    P_Periodo = Pannello->P_Periodo;
    P_Avvia = Pannello->P_Avvia;
    P_Ferma = Pannello->P_Ferma;
    P_Menu = Pannello->P_Menu;
    Indicatore = Pannello->Indicatore;
    ValoreIndicatore = Pannello->ValoreIndicatore;
    setFixedSize(Pannello->size());

    ApplicaColori();
    MostraLed(Led::Spento);

    connect(P_Periodo, &QPushButton::clicked, this, &Principale::CambiaPeriodo);
    connect(P_Avvia, &QPushButton::clicked, this, [this] {
        // A count started by hand on a watched link still carries its name.
        if (!s_.motore.ConteggioAttivo())
            s_.controllo.AvviaConteggio(rilevamento_ ? rilevamento_->NomeConnessione() : QString());
    });
    connect(P_Ferma, &QPushButton::clicked, this, [this] {
        if (s_.motore.ConteggioAttivo())
            s_.controllo.FermaContatore(TipoArresto::Manuale);
    });
    connect(P_Menu, &QPushButton::clicked, this,
            [this] { ApriPopup(2, P_Menu->mapTo(this, QPoint(0, P_Menu->height()))); });
    Importo->installEventFilter(this);
    ValoreIndicatore->installEventFilter(this);
}

namespace {
// The menu's names of what the panel shows, also the tray's description of it.
const std::pair<PeriodoImporto, const char*> PeriodiImporto[] = {{PeriodoImporto::Connessione, "Connessione attiva"},
                                                                 {PeriodoImporto::Giorno, "Giornaliero"},
                                                                 {PeriodoImporto::Bolletta, "Periodo bolletta"}};
const std::pair<TipoImporto, const char*> TipiImporto[] = {{TipoImporto::Importo, "Costo (Lire)"},
                                                           {TipoImporto::ImportoIva, "Costo (Lire+IVA)"},
                                                           {TipoImporto::Scatti, "Scatti"},
                                                           {TipoImporto::Tempo, "Tempo "}};
} // namespace

QString Principale::DescrizioneValore() const
{
    QString tipo, periodo;
    for (const auto& [t, nome] : TipiImporto)
        if (t == s_.imp.TipImp)
            tipo = QString::fromUtf8(nome).trimmed();
    for (const auto& [p, nome] : PeriodiImporto)
        if (p == s_.imp.PerImp)
            periodo = QString::fromUtf8(nome);
    return tipo + QStringLiteral(", ") + periodo.toLower();
}

void Principale::CreaMenu()
{
    mnuPrincipale = new QMenu(QStringLiteral("Principale"), this);
    struct Voce {
        int indice;
        const char* testo;
        const char* tasto;
    };
    const Voce voci[] = {
        {1, "Inizia conteggio", "F2"},
        {2, "Termina conteggio", "F3"},
        {3, "-", ""},
        {4, "Tipo conteggio", ""},
        {5, "Valore conteggio", ""},
        {6, "-", ""},
        {7, "Tariffe...", "F5"},
        {8, "Scatti e bolletta...", "F6"},
        {9, "Riepilogo connessioni...", "F7"},
        {10, "-", ""},
        {11, "Configurazione...", "F8"},
        {12, "-", ""},
        {13, "Guida in linea", "F1"},
        {14, "Informazioni su...", "Ctrl+I"},
        {15, "-", ""},
        {16, "Esci", "Ctrl+E"},
    };
    const auto& periodi = PeriodiImporto;
    const auto& tipi = TipiImporto;

    for (const Voce& v : voci) {
        const QString testo = QString::fromUtf8(v.testo);
        QAction* azione = nullptr;
        if (testo == "-") {
            azione = mnuPrincipale->addSeparator();
        } else if (v.indice == 4 || v.indice == 5) {
            QMenu* sotto = mnuPrincipale->addMenu(testo);
            azione = sotto->menuAction();
            const bool periodo = v.indice == 4;
            const int quanti = periodo ? 3 : 4;
            for (int i = 1; i <= quanti; ++i) {
                QAction* a = sotto->addAction(QString::fromUtf8(periodo ? periodi[i - 1].second : tipi[i - 1].second));
                if (periodo) {
                    mnuPeriodoImporto[size_t(i)] = a;
                    connect(a, &QAction::triggered, this, [this, p = periodi[i - 1].first] { ScegliPeriodo(p); });
                } else {
                    mnuTipoImporto[size_t(i)] = a;
                    connect(a, &QAction::triggered, this, [this, t = tipi[i - 1].first] { ScegliTipo(t); });
                }
            }
        } else {
            // The shortcut is only shown: the keys themselves reach the dispatcher.
            azione = mnuPrincipale->addAction(testo + QLatin1Char('\t') + QString::fromUtf8(v.tasto));
            const int indice = v.indice;
            connect(azione, &QAction::triggered, this, [this, indice] {
                switch (indice) {
                case 1: EseguiFunzione(Tasti::F2, 0); break;
                case 2: EseguiFunzione(Tasti::F3, 0); break;
                case 7: EseguiFunzione(Tasti::F5, 0); break;
                case 8: EseguiFunzione(Tasti::F6, 0); break;
                case 9: EseguiFunzione(Tasti::F7, 0); break;
                case 11: EseguiFunzione(Tasti::F8, 0); break;
                case 13:
                    if (finestre_.Guida)
                        finestre_.Guida();
                    break;
                case 14: EseguiFunzione(Tasti::I, Tasti::Ctrl); break;
                case 16: EseguiFunzione(Tasti::E, Tasti::Ctrl); break;
                }
            });
        }
        mnuVoce[size_t(v.indice)] = azione;
    }
    mnuVoce[2]->setEnabled(false);
    connect(mnuPrincipale, &QMenu::aboutToHide, this, [this] { ValoreIndicatore->setCursor(Qt::SizeAllCursor); });
}

double Principale::DpiLogici() const
{
    const QScreen* schermo = screen() ? screen() : QGuiApplication::primaryScreen();
    return schermo ? schermo->logicalDotsPerInch() : 96.0;
}

void Principale::Posiziona()
{
    const Impostazioni& imp = s_.imp;
    const double dpi = DpiLogici();
    const QScreen* primario = QGuiApplication::primaryScreen();
    const QRect schermo = primario ? primario->geometry() : QRect(0, 0, 1024, 768);
    auto twip = [dpi](double px) { return PixelInTwip(px, dpi); };
    const QSizeF schermoTwp(twip(schermo.width()), twip(schermo.height()));
    const QSizeF finestraTwp(twip(width()), twip(height()));

    QPointF posizione = PosizioneFinestra(imp.TopTwp, imp.LftTwp, schermoTwp, finestraTwp);
    QList<QRectF> schermi;
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        schermi << QRectF(twip(g.x()), twip(g.y()), twip(g.width()), twip(g.height()));
    }
    // A frameless window off every screen could never be dragged back.
    if (!PosizioneRaggiungibile(QRectF(posizione, finestraTwp), schermi))
        posizione = PosizioneFinestra(std::nullopt, std::nullopt, schermoTwp, finestraTwp);
    move(schermo.x() + qRound(TwipInPixel(posizione.x(), dpi)), schermo.y() + qRound(TwipInPixel(posizione.y(), dpi)));
}

std::array<quint32, 5> Principale::ColoriCorrenti() const
{
    std::array<quint32, 5> colori = ColoriProgettati;
    for (size_t i = 0; i < colori.size(); ++i)
        if (s_.imp.Clr[i])
            colori[i] = *s_.imp.Clr[i];
    return colori;
}

void Principale::ApplicaColori()
{
    const auto colori = ColoriCorrenti();
    Colora(Importo, QPalette::WindowText, ColoreDaLong(colori[0]));
    Colora(Importo, QPalette::Window, ColoreDaLong(colori[1]));
    Colora(CorniceLed, QPalette::Window, ColoreDaLong(colori[1]));
    if (!s_.imp.ClrTar || !s_.motore.ConteggioAttivo())
        Indicatore->ImpostaRiempimento(ColoreDaLong(colori[2]));
    Colora(ValoreIndicatore, QPalette::WindowText, ColoreDaLong(colori[3]));
    Indicatore->ImpostaSfondo(ColoreDaLong(colori[4]));
}

void Principale::Prepara()
{
    Posiziona();
    ApplicaColori();
}

QPointF Principale::PosizioneTwip() const
{
    const double dpi = DpiLogici();
    const QScreen* primario = QGuiApplication::primaryScreen();
    const QPoint origine = primario ? primario->geometry().topLeft() : QPoint();
    return {PixelInTwip(x() - origine.x(), dpi), PixelInTwip(y() - origine.y(), dpi)};
}

void Principale::Mostra(const QStringList& argomenti, QWidget* splash)
{
    const Impostazioni& imp = s_.imp;
    AggiornaLetteraPeriodo();
    AggiornaImporto();
    Indicatore->ImpostaPercento(0);
    ValoreIndicatore->clear();
    ValoreIndicatore->setCursor(Qt::SizeAllCursor);
    mnuTipoImporto[4]->setEnabled(TipoMostrato(TipoImporto::Tempo, imp.PerImp) == TipoImporto::Tempo);
    MostraLed(imp.CtrAut ? Led::Verde : Led::Spento);
    setWindowFlag(Qt::WindowStaysOnTopHint, imp.TopWin);
    TimerScatto->setInterval(imp.IntRfr);
    TimerControllo->setInterval(imp.IntCtr);
    show();
    if (splash)
        splash->close();
    TimerScatto->start();
    if (imp.CtrAut)
        TimerControllo->start();
    if (ChiedeAvvio(argomenti))
        P_Avvia->click();
}

void Principale::ApplicaOpzioni()
{
    const Impostazioni& imp = s_.imp;
    TimerScatto->setInterval(imp.IntRfr);
    TimerControllo->setInterval(imp.IntCtr);
    const bool visibile = isVisible();
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) != imp.TopWin) {
        setWindowFlag(Qt::WindowStaysOnTopHint, imp.TopWin);
        if (visibile)
            show();
    }
    if (!s_.motore.ConteggioAttivo())
        MostraLed(imp.CtrAut ? Led::Verde : Led::Spento);
    ApplicaColori();
}

void Principale::AggiornaImporto()
{
    const Impostazioni& imp = s_.imp;
    const auto testo = TestoImporto(imp.TipImp, s_.motore.TotaliDelPeriodo(imp.PerImp), s_.motore.SecondiConnessione(),
                                    imp.Tariffe.PrcIva);
    if (testo)
        Importo->setText(*testo);
    emit ValoreCambiato(Importo->text());
}

void Principale::AggiornaLetteraPeriodo()
{
    static const std::pair<PeriodoImporto, const char*> lettere[] = {
        {PeriodoImporto::Connessione, "C"}, {PeriodoImporto::Giorno, "G"}, {PeriodoImporto::Bolletta, "B"}};
    for (size_t i = 0; i < std::size(lettere); ++i) {
        if (lettere[i].first != s_.imp.PerImp)
            continue;
        P_Periodo->setText(QString::fromLatin1(lettere[i].second));
        // The letter read out as the period it stands for.
        P_Periodo->setAccessibleDescription(mnuPeriodoImporto[i + 1]->text());
    }
}

void Principale::CambiaTipo()
{
    Impostazioni& imp = s_.imp;
    switch (imp.TipImp) {
    case TipoImporto::Importo: imp.TipImp = TipoImporto::ImportoIva; break;
    case TipoImporto::ImportoIva: imp.TipImp = TipoImporto::Scatti; break;
    case TipoImporto::Scatti: imp.TipImp = TipoMostrato(TipoImporto::Tempo, imp.PerImp); break;
    case TipoImporto::Tempo: imp.TipImp = TipoImporto::Importo; break;
    }
    AggiornaImporto();
}

void Principale::CambiaPeriodo()
{
    switch (s_.imp.PerImp) {
    case PeriodoImporto::Connessione: ScegliPeriodo(PeriodoImporto::Giorno); break;
    case PeriodoImporto::Giorno: ScegliPeriodo(PeriodoImporto::Bolletta); break;
    case PeriodoImporto::Bolletta: ScegliPeriodo(PeriodoImporto::Connessione); break;
    }
}

void Principale::ScegliPeriodo(PeriodoImporto periodo)
{
    Impostazioni& imp = s_.imp;
    imp.PerImp = periodo;
    AggiornaLetteraPeriodo();
    imp.TipImp = TipoMostrato(imp.TipImp, imp.PerImp);
    AggiornaImporto();
    mnuTipoImporto[4]->setEnabled(TipoMostrato(TipoImporto::Tempo, imp.PerImp) == TipoImporto::Tempo);
}

void Principale::ScegliTipo(TipoImporto tipo)
{
    s_.imp.TipImp = tipo;
    AggiornaImporto();
}

void Principale::ApriPopup(int pulsante, const QPoint& posizione)
{
    if (pulsante != 2)
        return;
    mnuPrincipale->popup(mapToGlobal(posizione));
}

void Principale::ApriModale(const std::function<void()>& apri, bool sospendiControllo)
{
    if (!apri)
        return;
    const bool sospeso = sospendiControllo && s_.imp.CtrAut;
    if (sospeso)
        TimerControllo->stop();
    apri();
    // The options dialog may have switched the mode: read it again.
    if (sospeso && s_.imp.CtrAut && !uscito_)
        TimerControllo->start();
}

void Principale::EseguiFunzione(int codiceTasto, int maiuscole)
{
    if (uscito_)
        return;
    if (maiuscole != 0) {
        if (!(maiuscole & Tasti::Ctrl))
            return;
        if (codiceTasto == Tasti::E)
            Esci();
        else if (codiceTasto == Tasti::I && finestre_.Info)
            finestre_.Info();
        return;
    }
    Motore& m = s_.motore;
    switch (codiceTasto) {
    case Tasti::F2:
        if (!m.ConteggioAttivo())
            P_Avvia->click();
        break;
    case Tasti::F3:
        if (m.ConteggioAttivo())
            P_Ferma->click();
        break;
    case Tasti::F5: ApriModale(finestre_.Tariffe, false); break;
    // F6..F8 follow their menu items, which are also off while a call is set up.
    case Tasti::F6:
        if (!m.ConteggioAttivo() && mnuVoce[8]->isEnabled())
            ApriModale(finestre_.Bolletta, true);
        break;
    case Tasti::F7:
        if (!m.ConteggioAttivo() && mnuVoce[9]->isEnabled())
            ApriModale(finestre_.Log, true);
        break;
    case Tasti::F8:
        if (!m.ConteggioAttivo() && mnuVoce[11]->isEnabled())
            ApriModale(finestre_.Opzioni, true);
        break;
    default: break;
    }
}

bool Principale::Esci(bool chiedi)
{
    if (uscito_)
        return true;
    if (s_.motore.ConteggioAttivo()) {
        // With nobody to answer (the session is ending) the count is closed
        // as if the connection had ended, so its record is written.
        const bool fermato = s_.controllo.FermaContatore(chiedi ? TipoArresto::Uscita : TipoArresto::FineConnessione);
        if (!fermato)
            return false;
    }
    uscito_ = true;
    TimerScatto->stop();
    TimerControllo->stop();
    const int codice = fine_ ? fine_(chiedi) : 0;
    hide();
    emit Uscita(codice);
    return true;
}

void Principale::ConteggioIniziato()
{
    P_Ferma->show();
    P_Avvia->hide();
    mnuVoce[1]->setEnabled(false);
    mnuVoce[2]->setEnabled(true);
    for (int i : {8, 9, 11})
        mnuVoce[size_t(i)]->setEnabled(false);
}

void Principale::ConteggioTerminato()
{
    P_Avvia->show();
    P_Ferma->hide();
    Indicatore->ImpostaPercento(0);
    ValoreIndicatore->clear();
    mnuVoce[1]->setEnabled(true);
    mnuVoce[2]->setEnabled(false);
    for (int i : {8, 9, 11})
        mnuVoce[size_t(i)]->setEnabled(true);
}

void Principale::ChiamataInCorso(bool inCorso)
{
    for (int i : {8, 9, 11})
        mnuVoce[size_t(i)]->setEnabled(!inCorso);
}

void Principale::MostraLed(Led led)
{
    led_ = led;
    const auto [colore, acceso] = Lampada(led);
    Pannello->MostraLed(colore, acceso);
    LedStato->setToolTip(NomeLed(led));
    emit LedCambiato(led);
}

void Principale::MostraIntervallo(int percento, const QString& tempoRimasto)
{
    Indicatore->ImpostaPercento(percento);
    ValoreIndicatore->setText(tempoRimasto);
}

void Principale::ColoreIndicatore(quint32 colore) { Indicatore->ImpostaRiempimento(ColoreDaLong(colore)); }

void Principale::MostraTesto(const QString& testo)
{
    Importo->setText(testo);
    emit ValoreCambiato(testo);
}

QString Principale::TestoMostrato() const { return Importo->text(); }

void Principale::SegnalaErrore(const QString& testo)
{
    errori_ << testo;
    if (erroreInAttesa_)
        return;
    erroreInAttesa_ = true;
    // Shown once the current step is over, never in the middle of a pulse.
    QTimer::singleShot(0, this, [this] {
        const QStringList testi = std::exchange(errori_, {});
        erroreInAttesa_ = false;
        // After the exit the end itself says what was not written.
        if (uscito_)
            return;
        s_.messaggi.Avviso(testi.join(QLatin1Char('\n')));
    });
}

void Principale::ModalitaManuale() { TimerControllo->stop(); }

void Principale::keyPressEvent(QKeyEvent* evento)
{
    // The Menu key and Shift+F10 open the popup menu in the panel's middle.
    if ((evento->key() == Qt::Key_Menu && evento->modifiers() == Qt::NoModifier)
        || (evento->key() == Qt::Key_F10 && evento->modifiers() == Qt::ShiftModifier)) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, rect().center(), mapToGlobal(rect().center()));
        contextMenuEvent(&menu);
        return;
    }
    const int codice = Tasti::Codice(evento->key());
    const int maiuscole = Tasti::Modificatori(evento->modifiers());
    if (codice == Tasti::F1 && maiuscole == 0 && finestre_.Guida) {
        finestre_.Guida();
        return;
    }
    if (codice != 0)
        EseguiFunzione(codice, maiuscole);
}

void Principale::contextMenuEvent(QContextMenuEvent* evento)
{
    // Over the drag handle the pointer turns back into an arrow while the
    // menu is open.
    if (childAt(evento->pos()) == ValoreIndicatore)
        ValoreIndicatore->setCursor(Qt::ArrowCursor);
    ApriPopup(2, evento->pos());
}

void Principale::closeEvent(QCloseEvent* evento)
{
    if (uscito_ || Esci())
        evento->accept();
    else
        evento->ignore();
}

bool Principale::eventFilter(QObject* oggetto, QEvent* evento)
{
    const QEvent::Type tipo = evento->type();
    const bool delMouse =
        tipo == QEvent::MouseButtonPress || tipo == QEvent::MouseMove || tipo == QEvent::MouseButtonRelease;
    if (!delMouse)
        return QWidget::eventFilter(oggetto, evento);
    auto* mouse = static_cast<QMouseEvent*>(evento);
    if (oggetto == Importo && tipo == QEvent::MouseButtonPress) {
        if (mouse->button() == Qt::LeftButton) {
            CambiaTipo();
            return true;
        }
    }
    if (oggetto == ValoreIndicatore) {
        switch (tipo) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton) {
                presa_ = mouse->position().toPoint();
                trascinamento_ = true;
                return true;
            }
            break;
        case QEvent::MouseMove:
            if (trascinamento_ && (mouse->buttons() & Qt::LeftButton)) {
                move(pos() + (mouse->position().toPoint() - presa_));
                return true;
            }
            break;
        case QEvent::MouseButtonRelease: trascinamento_ = false; break;
        default: break;
        }
    }
    return QWidget::eventFilter(oggetto, evento);
}
