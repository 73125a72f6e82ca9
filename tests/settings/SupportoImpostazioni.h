// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "SupportoFile.h"
#include "settings/CaricaImpostazioni.h"
#include "settings/ValoriImpostazioni.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline const QDate Oggi(2026, 5, 14);

// Every key's text as loaded, so two loads can be compared whole.
inline QStringList Valori(Impostazioni imp)
{
    QStringList t;
    for (const VoceImpostazione& v : TabellaImpostazioni)
        if (v.campo || v.campoModello)
            for (int i = v.primo; i <= v.ultimo; ++i)
                t << NomeChiave(v, i) + "=" + TestoValore(v, CampoDi(v, imp, i));
    return t;
}

// The writer that owns `scrittore`'s keys; it puts the window at -45.5, -45.5.
inline bool ScriviCon(unsigned scrittore, ArchivioImpostazioni& a, const Impostazioni& imp, QString* errore)
{
    return scrittore == ScritturaOpzioni    ? ScriviOpzioni(a, imp, errore)
           : scrittore == ScritturaTariffe  ? ScriviTariffe(a, imp, errore)
           : scrittore == ScritturaBolletta ? ScriviPeriodoBolletta(a, imp, errore)
                                            : ScriviUscita(a, imp, -45.5, -45.5, errore);
}

class ConArchivio : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString percorso = tmp.filePath("Velatrix.conf");

    // Loaded from a store holding just these texts.
    Impostazioni CaricaDa(std::initializer_list<std::pair<QString, QString>> valori)
    {
        QFile::remove(percorso);
        ArchivioImpostazioni a(percorso);
        for (const auto& [k, v] : valori)
            a.Scrivi(k, v);
        return CaricaImpostazioni(a, Oggi, QLocale(), true, nullptr);
    }
};
