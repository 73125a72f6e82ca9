// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starting with the session: the desktop's autostart entry is the only place
// the choice lives, so the dialog reads it from the entry itself.
#include <QString>
#include <QStringList>

class AvvioSessione {
public:
    // voce: where the entry lives; comando: the program and its arguments.
    AvvioSessione(QString voce, QStringList comando);
    // The user's entry, $XDG_CONFIG_HOME/autostart/velatrix.desktop, starting
    // this very program.
    static AvvioSessione Predefinito(const QStringList& argomenti = {});

    // The entry is there, the desktop has not switched it off (Hidden=true,
    // X-GNOME-Autostart-enabled=false) and it starts this very command.
    bool Attivo() const;
    // Whether Imposta(attivo) has anything to do: a stale entry is rewritten
    // when on, and removed when off.
    bool DaAggiornare(bool attivo) const;
    // Writes or removes the entry; false with the reason when it cannot.
    bool Imposta(bool attivo, QString* motivo) const;
    const QString& Voce() const { return voce_; }

    // The entry's text for a command.
    static QByteArray Testo(const QStringList& comando);
    // One argument as the Exec key wants it: quoted when it has to be.
    static QString ArgomentoExec(const QString& argomento);

private:
    QString voce_;
    QStringList comando_;
};
