#pragma once
// The configuration dialog: works on a copy and changes the settings only
// on "OK".
#include "options/SceltaOpzioni.h"

#include <QDateTime>
#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
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
    // coloriCorrenti: the main window's colours in key order Clr000..Clr004;
    // riempimentoCorrente: the fill it shows now.
    Opzioni(Impostazioni& imp, ArchivioImpostazioni& archivio, Interlocutore& messaggi, Riproduttore& suoni,
            std::array<quint32, 5> coloriCorrenti, quint32 riempimentoCorrente, std::function<QDateTime()> adesso,
            QWidget* genitore = nullptr);

    // Choosers, replaceable so no real dialog opens in a test.
    std::function<std::optional<QColor>(const QColor&)> ScegliColore;
    std::function<QString()> ScegliFile;

    QTabWidget* Schede;
    QRadioButton *M_Automatico, *M_Manuale;
    QLabel* L_IntervalloControllo;
    QSlider *M_IntervalloControllo, *M_IntervalloRefresh;
    QLabel *M_ValoreControllo, *M_ValoreRefresh;
    QCheckBox *M_AvviaSeConnesso, *M_SalvaImpostazioni, *M_ConfermaStop, *M_PrimoPiano, *M_CreaLog;
    QListWidget* ListaColori;
    QLabel* Colore;
    QPushButton* P_Colore;
    QCheckBox* ColoreTariffa;
    QLabel *Importo, *ValoreIndicatore, *LedStato, *CorniceLed;
    QWidget* Indicatore;
    std::array<QLineEdit*, NumeroSuoni> M_Suono{};
    std::array<QPushButton*, NumeroSuoni> P_Apri{}, P_Play{};
    std::array<QCheckBox*, NumeroAllarmi + 1> M_Msg{};
    std::array<QLineEdit*, NumeroAllarmi + 1> M_MsgVal{};
    std::array<QCheckBox*, NumeroAllarmi> M_MsgIva{};
    QPushButton *P_Salva, *P_Annulla;

    void P_Salva_Click();
    void Schede_Click(int scheda);
    void ListaColori_Click();
    void P_Colore_Click();
    void SelezionaDaAnteprima(QObject* elemento);
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

    Impostazioni& imp_;
    ArchivioImpostazioni& archivio_;
    Interlocutore& messaggi_;
    Riproduttore& suoni_;
    SceltaOpzioni scelta_;
    quint32 riempimentoAnteprima_;
};
