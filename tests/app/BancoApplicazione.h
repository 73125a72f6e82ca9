// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "Finti.h"
#include "app/Applicazione.h"
#include "app/Principale.h"
#include "engine/Motore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// The whole program on stand-ins, its files in a folder of its own.
class BancoApplicazione : public ::testing::Test {
protected:
    void SetUp() override { Avvia(); }
    // Starts the program, or starts it again on the same files; messaggi
    // answers in place of utente when given.
    void Avvia(Interlocutore* messaggi = nullptr)
    {
        app.reset();
        app = std::make_unique<Applicazione>(
            Applicazione::Dipendenze{messaggi ? *messaggi : utente, suoni, orologio, sorgente, nullptr,
                                     [this](const QString& testo) { notifiche << testo; }});
        int codice = 0;
        ASSERT_TRUE(
            app->Avvia({"--data-dir", Dati()}, {conf, tmp.filePath("p"), tmp.filePath("Velatrix.lock")}, &codice));
        w = app->Finestra();
        m = app->MotoreConteggio();
    }
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
