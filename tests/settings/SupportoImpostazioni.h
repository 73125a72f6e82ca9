// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "settings/ValoriImpostazioni.h"

#include <QStringList>

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
