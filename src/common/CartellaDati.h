#pragma once
// Where the pulse database and the connection log live.
#include <QString>
#include <QStringList>

struct RigaComando {
    QString cartellaDati;      // from --data-dir DIR, empty when not given
    QStringList argomenti;     // what is left, e.g. "/START"
    QString errore;            // set when the line cannot be understood
};

RigaComando LeggiRigaComando(const QStringList& argomentiSenzaProgramma);

// The folder given on the command line; else the executable's folder when it
// already holds Velatrix.001 (a portable install); else the per-user data
// folder. Creates the chosen folder when missing; empty with a message when
// it cannot be had.
QString CartellaDati(const QString& daRigaComando, const QString& cartellaProgramma, QString* errore);

inline constexpr const char* NomeDatabase = "Velatrix.001";
inline constexpr const char* NomeLog = "Velatrix.003";
inline constexpr const char* NomeLogFiltrato = "Velatrix.T03";
