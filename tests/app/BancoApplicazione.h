// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "Finti.h"
#include "app/Applicazione.h"
#include "app/Principale.h"
#include "engine/Motore.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// The whole program on stand-ins, its files in a folder of its own.
class BancoApplicazione : public ::testing::Test {
protected:
    void SetUp() override { Avvia(); }
    // Starts the program, or starts it again on the same files; messaggi
    // answers in place of utente when given.
    void Avvia(const QStringList& altri = {}, Interlocutore* messaggi = nullptr)
    {
        app.reset();
        app = Nuova(messaggi);
        int codice = 0;
        ASSERT_TRUE(app->Avvia(Argomenti(altri), Percorsi(), &codice)) << utente.avvisi.join('|').toStdString();
        w = app->Finestra();
        m = app->MotoreConteggio();
    }
    std::unique_ptr<Applicazione> Nuova(Interlocutore* messaggi = nullptr)
    {
        return std::make_unique<Applicazione>(
            Applicazione::Dipendenze{messaggi ? *messaggi : utente, suoni, orologio, sorgente, nullptr,
                                     [this](const QString& testo) { notifiche << testo; }});
    }
    // A start beside the bench's own that must not come up: its exit status.
    int AvvioRifiutato(const QStringList& argomenti)
    {
        int codice = -1;
        EXPECT_FALSE(Nuova()->Avvia(argomenti, Percorsi(), &codice));
        return codice;
    }
    // The exit status the window reports when azione ends the program.
    int CodiceDiUscita(const std::function<void()>& azione)
    {
        int codice = -1;
        const auto c = QObject::connect(w, &Principale::Uscita, w, [&codice](int v) { codice = v; });
        azione();
        QObject::disconnect(c);
        return codice;
    }
    QStringList Argomenti(const QStringList& altri = {}) const { return QStringList{"--data-dir", Dati()} + altri; }
    Applicazione::Percorsi Percorsi() const { return {conf, tmp.filePath("p"), tmp.filePath("Velatrix.lock")}; }
    QString Dati() const { return dati.isEmpty() ? tmp.filePath("dati") : dati; }

    QTemporaryDir tmp;
    QString conf = tmp.filePath("Velatrix.conf");
    QString dati;          // the data folder, when not the default one
    QStringList notifiche; // what the desktop was told
    UtenteFinto utente;
    SuoniFinti suoni;
    OrologioFinto orologio;
    SorgenteFinta sorgente;
    std::unique_ptr<Applicazione> app;
    Principale* w = nullptr;
    Motore* m = nullptr;
};
