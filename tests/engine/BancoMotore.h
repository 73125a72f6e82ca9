// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An engine on files in a temporary folder, with stand-ins for the clock,
// the window and what hears the engine, and the speakers detection plays.
#include "Finti.h"
#include "engine/Motore.h"
#include "log/FileLog.h"
#include "pulses/DatabaseScatti.h"

#include <QTemporaryDir>
#include <memory>

struct BancoMotore {
    // Monday 7 December 2026, 10:00, bill period December.
    bool Prepara()
    {
        imp.DatIPB = QDate(2026, 12, 1);
        imp.DatFPB = QDate(2026, 12, 31);
        if (!tmp.isValid() || !db.Apri(tmp.filePath("Velatrix.001")))
            return false;
        log = std::make_unique<FileLog>(tmp.filePath("Velatrix.003"));
        motore = std::make_unique<Motore>(imp, db, *log, orologio);
        motore->ImpostaEventi(vista);
        return bool(motore->CaricaTotali());
    }
    // The day's row as stored.
    Totali Giorno(const QDate& d)
    {
        auto s = db.Somma(d, d);
        return {s->scatti, s->importo};
    }
    // Ticks once a second for the given time.
    void Conta(double secondi)
    {
        for (double t = 0; t < secondi; t += 1) {
            orologio.Avanza(1);
            motore->TimerScatto_Timer();
        }
    }

    QTemporaryDir tmp;
    Impostazioni imp;
    DatabaseScatti db;
    std::unique_ptr<FileLog> log;
    OrologioFinto orologio;
    VistaFinta vista;
    SuoniFinti suoni;
    std::unique_ptr<Motore> motore;
};
