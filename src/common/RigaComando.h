// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line, read before anything is shown or any file is touched.
#include <QDate>
#include <QString>
#include <QStringList>

enum class Comando { Avvia, Aiuto, Versione, Rapporto };
enum class FormatoRapporto { Testo, Csv, Json };

struct RigaComando {
    Comando comando = Comando::Avvia;
    QString cartellaDati;      // from --data-dir DIR, empty when not given
    QStringList argomenti;     // what is left, e.g. "/START"
    QString errore;            // set when the line cannot be understood
    bool mostraUso = false;    // with errore: the usage helps (an unknown option)
    // --report: both dates invalid when not given (the stored bill period).
    QDate da, a;
    FormatoRapporto formato = FormatoRapporto::Testo;
};

// Reads the arguments that follow the program's name. Options of the
// window system (-platform NAME, -style NAME, ...) are let through for it.
RigaComando LeggiRigaComando(const QStringList& argomentiSenzaProgramma);

// Whether the arguments left ask to start a count at once ("/START", any case).
bool ChiedeAvvio(const QStringList& argomenti);

// A day written YYYY-MM-DD; invalid for any other text or an impossible day.
QDate LeggiDataIso(const QString& testo);

// The options and what they do, in the language of the translator installed
// when it is called.
QString TestoUso();
