// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line, read before anything is shown or any file is touched.
#include <QDate>
#include <QString>
#include <QStringList>

enum class Comando { Avvia, Aiuto, Versione, Rapporto, Log, Allarme };
// Riga: one line of figures separated by ';'. Png: the chart as a picture.
enum class FormatoRapporto { Testo, Csv, Json, Riga, Png };
// Tabulazione and Colonne: the log viewer's two exports.
enum class FormatoLog { Tabulazione, Colonne, Csv, Json };
// The rows of a report: one a day, a month or a year.
enum class GruppoRapporto { Giorno, Mese, Anno };

// --alert WHAT:LIRE, the total with VAT compared.
struct LimiteComando {
    enum class Voce { Periodo, Oggi, Stima };
    Voce voce = Voce::Periodo;
    double lire = 0;
};

struct RigaComando {
    Comando comando = Comando::Avvia;
    QString cartellaDati;   // from --data-dir DIR, empty when not given
    QStringList argomenti;  // what is left, e.g. "/START"
    QString errore;         // set when the line cannot be understood
    bool mostraUso = false; // with errore: the usage helps (an unknown option)
    // --report, --log, --alert: both dates invalid when not given (the
    // stored bill period; the whole log).
    QDate da, a;
    FormatoRapporto formato = FormatoRapporto::Testo;
    GruppoRapporto gruppo = GruppoRapporto::Giorno;
    FormatoLog formatoLog = FormatoLog::Tabulazione;
    QString connessione;  // --log --connection NAME, empty for every call
    LimiteComando limite; // --alert
};

// Reads the arguments that follow the program's name. Options of the
// window system (-platform NAME, -style NAME, ...) are let through for it.
// `oggi` is the day "oggi" and "today" stand for.
RigaComando LeggiRigaComando(const QStringList& argomentiSenzaProgramma, QDate oggi = QDate::currentDate());

// Whether the arguments left ask to start a count at once ("/START", any case).
bool ChiedeAvvio(const QStringList& argomenti);

// A day written YYYY-MM-DD; invalid for any other text or an impossible day.
QDate LeggiDataIso(const QString& testo);
// The same, or "oggi" / "today" (any case) for `oggi`.
QDate LeggiDataComando(const QString& testo, QDate oggi);

// The options and what they do, in the language of the translator installed
// when it is called.
QString TestoUso();
