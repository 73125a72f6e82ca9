// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings store: text values by key in group "Settings" of an INI file.
// Writes are held until Salva, which replaces the file as a whole or not at
// all, so a failed save never leaves a half-written file behind. Lines outside
// the group belong to others: they are kept as they stand.
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

class ArchivioImpostazioni {
public:
    explicit ArchivioImpostazioni(const QString& percorso);

    // ~/.config/Velatrix/Velatrix.conf, following XDG_CONFIG_HOME.
    static QString PercorsoPredefinito();

    const QString& Percorso() const { return percorso_; }

    // The stored text, or `predefinito` when the key is absent. Includes
    // writes not yet saved.
    QString Leggi(const QString& chiave, const QString& predefinito) const;
    bool Contiene(const QString& chiave) const;
    QStringList Chiavi() const;

    void Scrivi(const QString& chiave, const QString& testo);
    bool InSospeso() const { return !sospese_.isEmpty(); }

    // Stores the pending writes. On failure the previous file is left as it
    // was, the writes stay pending for a later Salva, and `errore` says why.
    [[nodiscard]] bool Salva(QString* errore);

    // Set when the file could not be parsed in full at opening; the first
    // Salva then keeps a copy of it beside the new one.
    bool Danneggiato() const { return danneggiato_; }

private:
    QString percorso_;
    QMap<QString, QString> valori_;          // file content plus pending writes
    QList<QPair<QString, QString>> sospese_; // in the order written
    bool danneggiato_ = false;
};
