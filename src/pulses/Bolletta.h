// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pulses and bill window: a month calendar of the stored days with the
// day and month totals, the correction of a day and the clearing of a month;
// on its second tab the totals of a bill period with its chart, its estimate
// and its export.
#include "common/Interlocutore.h"
#include "pulses/RapportoBolletta.h"

#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <array>
#include <functional>

class GraficoBolletta;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTabWidget;
class ArchivioImpostazioni;
class DatabaseScatti;
struct ErroreDatabase;
class SceltaMese;
struct Impostazioni;

class Bolletta : public QDialog {
public:
    Bolletta(Impostazioni& imp, ArchivioImpostazioni& archivio, DatabaseScatti& db, Interlocutore& messaggi,
             std::function<QDateTime()> adesso, QWidget* genitore = nullptr);

    // Run however the window closes: corrections and clears are already
    // written, so the main window's totals must be read again.
    std::function<void()> RicaricaTotali;
    // How the day editor and the date picker are run; tests drive them here.
    std::function<int(QDialog&)> EseguiDialogo = [](QDialog& d) { return d.exec(); };
    // Where "Esporta..." writes; empty when the user gave up. Tests answer here.
    std::function<QString(const QString& proposto)> SceltaFileCsv;

    void MostraCalendario(int giornoSel);
    void MostraScatti(int giornoSel);
    void CambiaScatti(const QDate& giorno);
    void MostraBolletta();
    void P_SelezionaOggi_Click();
    void P_ModificaScatti_Click();
    void P_AzzeraScatti_Click();
    void P_DataInizio_Click();
    void P_DataFine_Click();
    void P_Esporta_Click();
    void P_Chiudi_Click();

    QTabWidget* Pannelli;
    std::array<QWidget*, 2> Pannello{};
    SceltaMese* SceltaGiorni;
    QPushButton* P_SelezionaOggi;
    QLabel *DataSelezionata, *ScattiGiorno, *ImpGiorno;
    QLabel *ScattiMese, *ImpMese, *MediaScattiGiorno, *MediaImpGiorno;
    QPushButton *P_ModificaScatti, *P_AzzeraScatti;
    QLabel *V_DataInizioBolletta, *V_DataFineBolletta;
    QPushButton *P_DataInizio, *P_DataFine;
    QLabel *ScattiBolletta, *MediaScattiBolletta, *MediaImportoBolletta, *NettoBolletta, *IvaBolletta, *TotaleBolletta,
        *EtichettaIvaBolletta;
    QGroupBox* RiquadroStima;
    QLabel *MediaStima, *NettoStima, *IvaStima, *TotaleStima, *EtichettaIvaStima;
    GraficoBolletta* Grafico;
    QPushButton* P_Esporta;
    QPushButton* P_Chiudi;

    void done(int risultato) override;

private:
    QWidget* CreaPannelloScatti();
    QWidget* CreaPannelloBolletta();
    QHBoxLayout* CreaRigaPeriodo(QWidget* p);
    QGridLayout* CreaGrigliaTotali(QWidget* p);
    void CreaRiquadroStima(QWidget* p);
    std::optional<QDate> ScegliData(const QDate& partenza);
    QString DialogoEsporta(const QString& proposto);
    // The period's two dates and its totals.
    void MostraPeriodo();
    // "lettura" or "scrittura".
    void SegnalaErrore(const QString& operazione, const ErroreDatabase& errore);

    Impostazioni& imp_;
    ArchivioImpostazioni& archivio_;
    DatabaseScatti& db_;
    Interlocutore& messaggi_;
    std::function<QDateTime()> adesso_;
    int MM = 1;
    int AA = 2000;
    QDate selezionato_;
    QDate inizio_, fine_;
};
