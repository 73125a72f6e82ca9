// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Comandi.h"

#include "app/IstanzaUnica.h"
#include "app/ServizioLocale.h"
#include "common/CartellaDati.h"
#include "pulses/DatabaseScatti.h"
#include "pulses/RapportoBolletta.h"
#include "settings/ArchivioImpostazioni.h"
#include "settings/CaricaImpostazioni.h"

#include <QCoreApplication>
#include <QDir>
#include <QIODevice>
#include <QLocale>

namespace {

void Scrivi(QIODevice& dove, const QString& testo)
{
    dove.write(testo.toUtf8());
}

int Fallisci(QIODevice& err, const QString& testo)
{
    Scrivi(err, QStringLiteral("velatrix: %1\n").arg(testo));
    return UscitaFallita;
}

// The figures from the running copy when there is one, else from the files,
// read only.
std::optional<DatiRapporto> DatiDelRapporto(const RigaComando& riga, const PercorsiComando& percorsi,
                                            QString* errore)
{
    const QString cartella = ScegliCartellaDati(riga.cartellaDati, percorsi.cartellaProgramma);
    EsitoRichiesta esito = EsitoRichiesta::NessunServizio;
    const QString esecuzione =
        percorsi.esecuzione.isEmpty() ? IstanzaUnica::CartellaEsecuzione() : percorsi.esecuzione;
    auto dati = ChiediRapporto(NomeServizio(cartella, esecuzione), riga.da, riga.a, &esito, errore);
    if (esito != EsitoRichiesta::NessunServizio)
        return dati;

    const QString percorso = QDir(cartella).filePath(NomeDatabase);
    DatabaseScatti db;
    if (const auto aperto = db.ApriInLettura(percorso); !aperto) {
        const ErroreDatabase& e = aperto.Errore();
        *errore = QStringLiteral("impossibile leggere %1: %2 (errore %3)").arg(percorso, e.testo).arg(e.numero);
        return std::nullopt;
    }
    const ArchivioImpostazioni archivio(percorsi.impostazioni);
    bool primoAvvio = false;
    const Impostazioni imp = CaricaImpostazioni(archivio, percorsi.oggi, QLocale(), false, &primoAvvio);
    ErroreDatabase e;
    dati = RaccogliDatiRapporto(db, imp, riga.da, riga.a, percorsi.oggi, {}, &e);
    if (!dati)
        *errore = QStringLiteral("lettura di %1 non riuscita: %2 (errore %3)").arg(percorso, e.testo).arg(e.numero);
    return dati;
}

int Rapporto(const RigaComando& riga, const PercorsiComando& percorsi, QIODevice& out, QIODevice& err)
{
    QString errore;
    const auto dati = DatiDelRapporto(riga, percorsi, &errore);
    if (!dati)
        return Fallisci(err, errore);
    const auto rapporto = CreaRapporto(dati->righe, dati->inizio, dati->fine, dati->oggi, dati->percentualeIva);
    if (!rapporto)
        return Fallisci(err, QStringLiteral("gli scatti del periodo superano il limite di 2147483647"));
    switch (riga.formato) {
    case FormatoRapporto::Csv: out.write(RapportoCsv(*rapporto)); break;
    case FormatoRapporto::Json: out.write(RapportoJson(*rapporto)); break;
    case FormatoRapporto::Testo: Scrivi(out, RapportoTesto(*rapporto, QLocale())); break;
    }
    return UscitaRiuscita;
}

} // namespace

PercorsiComando PercorsiComando::Predefiniti()
{
    // The runtime folder is looked up only by a report: finding it may
    // create it, and help or version create nothing.
    return {ArchivioImpostazioni::PercorsoPredefinito(), QCoreApplication::applicationDirPath(), QString(),
            QDate::currentDate()};
}

int EseguiComando(const RigaComando& riga, const PercorsiComando& percorsi, QIODevice& out, QIODevice& err)
{
    if (!riga.errore.isEmpty()) {
        Scrivi(err, QStringLiteral("velatrix: %1\n").arg(riga.errore));
        Scrivi(err, riga.mostraUso ? QStringLiteral("\n") + TestoUso()
                                   : QStringLiteral("Le opzioni: velatrix --help\n"));
        return UscitaUso;
    }
    switch (riga.comando) {
    case Comando::Aiuto: Scrivi(out, TestoUso()); return UscitaRiuscita;
    case Comando::Versione:
        Scrivi(out, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                  QCoreApplication::applicationVersion()));
        return UscitaRiuscita;
    case Comando::Rapporto: return Rapporto(riga, percorsi, out, err);
    case Comando::Avvia: break;
    }
    return UscitaUso;
}
