// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The configuration dialog: works on a copy and changes the settings only
// on "OK".
#include "options/AvvioSessione.h"
#include "options/SceltaOpzioni.h"

#include <QColor>
#include <QDateTime>
#include <QDialog>
#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class BarraScatto;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class ArchivioImpostazioni;
class Interlocutore;
class Riproduttore;

class Opzioni : public QDialog {
    Q_OBJECT
public:
    // coloriCorrenti: the main window's colours in the order of Impostazioni::Clr;
    // riempimentoCorrente: the fill it shows now.
    Opzioni(Impostazioni& imp, ArchivioImpostazioni& archivio, Interlocutore& messaggi, Riproduttore& suoni,
            std::array<quint32, 5> coloriCorrenti, quint32 riempimentoCorrente, std::function<QDateTime()> adesso,
            QWidget* genitore = nullptr);

    // Choosers, replaceable so no real dialog opens in a test.
    std::function<std::optional<QColor>(const QColor&)> ScegliColore;
    std::function<QString()> ScegliFile;
    // The autostart entry the "Generale" box stands for; the box shows
    // whether it exists now.
    void ImpostaAvvioSessione(AvvioSessione avvio);

    QTabWidget* Schede = nullptr;
    QRadioButton *M_Automatico = nullptr, *M_Manuale = nullptr;
    QLabel* L_IntervalloControllo = nullptr;
    QSlider *M_IntervalloControllo = nullptr, *M_IntervalloRefresh = nullptr;
    QLabel *M_ValoreControllo = nullptr, *M_ValoreRefresh = nullptr;
    QCheckBox* M_AvviaSeConnesso = nullptr;
    QCheckBox *M_SalvaImpostazioni = nullptr, *M_ConfermaStop = nullptr, *M_PrimoPiano = nullptr;
    QCheckBox* M_CreaLog = nullptr;
    QCheckBox* M_AvvioSessione = nullptr;
    QListWidget* ListaColori = nullptr;
    QLabel* Colore = nullptr;
    QPushButton* P_Colore = nullptr;
    QCheckBox* ColoreTariffa = nullptr;
    QLabel *Importo = nullptr, *ValoreIndicatore = nullptr, *LedStato = nullptr, *CorniceLed = nullptr;
    BarraScatto* Indicatore = nullptr;
    std::array<QLineEdit*, NumeroSuoni> M_Suono{};
    std::array<QPushButton*, NumeroSuoni> P_Apri{}, P_Play{};
    std::array<QCheckBox*, NumeroAllarmi + 1> M_Msg{};
    std::array<QLineEdit*, NumeroAllarmi + 1> M_MsgVal{};
    std::array<QCheckBox*, NumeroAllarmi> M_MsgIva{}; // 1..3: alarm 4 has no VAT flag
    QCheckBox* M_TerminaChiamata = nullptr;
    QLabel* L_ComandoTermina = nullptr;
    QLineEdit* M_ComandoTermina = nullptr;
    QPushButton *P_Salva = nullptr, *P_Annulla = nullptr;

    void P_Salva_Click();
    void Schede_Click(int scheda);
    void ListaColori_Click();
    void P_Colore_Click();
    void ColoreTariffa_Click();
    void SelezionaDaAnteprima(ElementoAnteprima elemento);
    // What the preview shows now, by key.
    const SceltaOpzioni& Scelta() const { return scelta_; }

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    QWidget* CreaGenerale();
    QWidget* CreaColori();
    QWidget* CreaSuoni();
    QWidget* CreaMessaggi();
    void AggiornaAnteprima();
    void AbilitaControllo(bool automatico);
    void LeggiControlli();
    void AssegnaNomi();

    Impostazioni& imp_;
    ArchivioImpostazioni& archivio_;
    Interlocutore& messaggi_;
    Riproduttore& suoni_;
    std::function<QDateTime()> adesso_;
    SceltaOpzioni scelta_;
    AvvioSessione avvio_ = AvvioSessione::Predefinito();
};
