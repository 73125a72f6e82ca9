// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: a small frameless panel that shows what the engine
// counts and forwards the user's acts. It computes nothing itself.
#include "engine/Vista.h"
#include "settings/Impostazioni.h"

#include <QPointF>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class BarraScatto;
class PannelloContatore;
class Interlocutore;
class Controllore;
class Motore;
class Rilevamento;
struct Impostazioni;

// Key codes and shift bits as the dispatcher knows them.
namespace Tasti {
inline constexpr int F1 = 112, F2 = 113, F3 = 114, F5 = 116, F6 = 117, F7 = 118, F8 = 119;
inline constexpr int E = 69, I = 73;
inline constexpr int Maiuscolo = 1, Ctrl = 2, Alt = 4;
int Codice(int tastoQt);
int Modificatori(Qt::KeyboardModifiers m);
} // namespace Tasti

class Principale : public QWidget, public VistaMotore {
    Q_OBJECT
public:
    struct Servizi {
        Interlocutore& messaggi;
        Impostazioni& imp;
        Motore& motore;         // read for what is shown
        Controllore& controllo; // given the user's orders
    };
    // The windows opened from the menu; each runs modally and returns.
    struct Finestre {
        std::function<void()> Tariffe, Bolletta, Log, Opzioni, Info, Guida;
    };

    explicit Principale(Servizi servizi, QWidget* genitore = nullptr);
    ~Principale() override;

    void ImpostaFinestre(Finestre finestre) { finestre_ = std::move(finestre); }
    void ImpostaRilevamento(Rilevamento* rilevamento) { rilevamento_ = rilevamento; }

    // What ends the program once the count is stopped: pending writes,
    // settings, database. Gets whether someone can answer, gives the exit
    // status.
    void ImpostaFine(std::function<int(bool chiedi)> fine) { fine_ = std::move(fine); }

    // The load, in two steps around the program's own: first places and
    // colours the window by the settings; then shows it, arms the timers and
    // honours "/START".
    void Prepara();
    void Mostra(const QStringList& argomenti, QWidget* splash);
    // Top-left corner in twips from the primary screen's, as stored.
    QPointF PosizioneTwip() const;

    void EseguiFunzione(int codiceTasto, int maiuscole);
    // The two timers' ticks.
    void TimerControllo_Timer();
    void TimerScatto_Timer();
    void AggiornaLetteraPeriodo();
    void ApriPopup(int pulsante, const QPoint& posizione);
    // Exit: asks while counting (unless the session is ending), then runs
    // the program's end and emits Uscita with its status.
    bool Esci(bool chiedi = true);

    // Display choices driven by clicks and the menu.
    void CambiaTipo();    // left click on the value
    void CambiaPeriodo(); // P_Periodo
    void ScegliPeriodo(PeriodoImporto periodo);
    void ScegliTipo(TipoImporto tipo);
    // Applies what Opzioni changed: timers, topmost, LED, colours.
    void ApplicaOpzioni();

    // VistaMotore
    void ConteggioIniziato() override;
    void ConteggioTerminato() override;
    void ChiamataInCorso(bool inCorso) override;
    void MostraLed(Led led) override;
    void MostraIntervallo(int percento, const QString& tempoRimasto) override;
    void ColoreIndicatore(quint32 colore) override;
    void AggiornaImporto() override;
    void MostraTesto(const QString& testo) override;
    QString TestoMostrato() const override;
    void SegnalaErrore(const QString& testo) override;
    void ModalitaManuale() override;

    // Read by tests and by the options preview.
    QLabel* Importo = nullptr;
    QPushButton* P_Periodo = nullptr;
    BarraScatto* Indicatore = nullptr;
    QLabel* ValoreIndicatore = nullptr;
    QLabel* CorniceLed = nullptr;
    QLabel* LedStato = nullptr;
    QPushButton* P_Avvia = nullptr;
    QPushButton* P_Ferma = nullptr;
    QPushButton* P_Menu = nullptr;
    QTimer* TimerControllo = nullptr;
    QTimer* TimerScatto = nullptr;
    QMenu* mnuPrincipale = nullptr;
    std::array<QAction*, 17> mnuVoce{};          // 1..16
    std::array<QAction*, 4> mnuPeriodoImporto{}; // 1..3
    std::array<QAction*, 5> mnuTipoImporto{};    // 1..4
    Led LedCorrente() const { return led_; }
    // What the shown value is, as the menu names it: "Costo (Lire), giornaliero".
    QString DescrizioneValore() const;
    // Current colours of the five display elements, as stored.
    std::array<quint32, 5> ColoriCorrenti() const;
    void ApplicaColori();
    bool InUscita() const { return uscito_; }

signals:
    void Uscita(int codice);
    // What the panel shows, for the tray: sent as the panel changes.
    void LedCambiato(Led led);
    void ValoreCambiato(const QString& testo);

protected:
    void keyPressEvent(QKeyEvent* evento) override;
    void contextMenuEvent(QContextMenuEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    void CreaControlli();
    void CreaMenu();
    void Posiziona();
    void ApriModale(const std::function<void()>& apri, bool sospendiControllo);
    double DpiLogici() const;

    Servizi s_;
    Finestre finestre_;
    std::function<int(bool)> fine_;
    Rilevamento* rilevamento_ = nullptr;
    PannelloContatore* Pannello = nullptr;
    Led led_ = Led::Spento;
    QPoint presa_;
    bool trascinamento_ = false;
    bool uscito_ = false;
    bool erroreInAttesa_ = false;
    QStringList errori_;
};
