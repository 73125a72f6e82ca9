// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// The state of a dial-up link as detection sees it.
enum class StatoLink {
    Ignoto = 0,         // the query failed: says nothing about the link
    Composizione = 1,   // being dialled, or the device is connected
    Autenticazione = 2, // line up, link being authenticated
    Connesso = 3,
    Disconnesso = 4, // gone, or never there
};

// Where detection learns of dial-up links.
class SorgenteConnessioni {
public:
    virtual ~SorgenteConnessioni() = default;
    // The first link found: a handle that is never 0 and changes when a link
    // is created anew, and its entry name. Handle 0 when there is none.
    virtual quint32 CercaConnessione(QString* nome) = 0;
    virtual StatoLink StatoConnessione(quint32 maniglia) = 0;
    // The entry name of a link found before, as now known (a name may come
    // after the link); empty when it is gone or no better name is known.
    virtual QString NomeConnessione(quint32 maniglia)
    {
        (void)maniglia;
        return {};
    }
    // The network interface of a link found before; empty when unknown.
    virtual QString Interfaccia(quint32 maniglia)
    {
        (void)maniglia;
        return {};
    }
    // Interfaces the user names as calls besides those that are by nature.
    virtual void InterfacceNominate(const QStringList& nomi) { (void)nomi; }
};
