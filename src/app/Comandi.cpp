// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Comandi.h"

#include "app/IstanzaUnica.h"
#include "app/ServizioLocale.h"
#include "common/CartellaDati.h"
#include "common/FormeTesto.h"
#include "common/FusoOrario.h"
#include "log/LogPerProgrammi.h"
#include "pulses/DatabaseScatti.h"
#include "pulses/DisegnoBolletta.h"
#include "pulses/RapportoBolletta.h"
#include "settings/ArchivioImpostazioni.h"
#include "settings/CaricaImpostazioni.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>
#include <cmath>
#include <unistd.h>

namespace {

void Scrivi(QIODevice& dove, const QString& testo) { dove.write(testo.toUtf8()); }

int Fallisci(QIODevice& err, const QString& testo)
{
    Scrivi(err, QStringLiteral("velatrix: %1\n").arg(testo));
    return UscitaFallita;
}

// The figures from the running copy when there is one, else from the files,
// read only.
std::optional<DatiRapporto> DatiDelRapporto(const QString& cartellaDati, QDate da, QDate a,
                                            const PercorsiComando& percorsi, QString* errore)
{
    const QString cartella = ScegliCartellaDati(cartellaDati, percorsi.cartellaProgramma);
    // Wherever the panel may listen for this user, whatever login asks.
    const QStringList nomi = percorsi.esecuzione.isEmpty() ? NomiServizio(cartella, false)
                                                           : QStringList{NomeServizio(cartella, percorsi.esecuzione)};
    for (const QString& nome : nomi) {
        EsitoRichiesta esito = EsitoRichiesta::NessunServizio;
        auto dati = ChiediRapporto(nome, da, a, &esito, errore);
        if (esito != EsitoRichiesta::NessunServizio)
            return dati;
    }

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
    auto dati = RaccogliDatiRapporto(db, imp, da, a, percorsi.oggi, {}, &e);
    if (dati)
        dati->ora = percorsi.ora;
    else
        *errore = QStringLiteral("lettura di %1 non riuscita: %2 (errore %3)").arg(percorso, e.testo).arg(e.numero);
    return dati;
}

// The report over da..a (both invalid: the bill period), asked at the
// answering copy's time.
std::optional<RapportoBolletta> RapportoDi(const QString& cartellaDati, QDate da, QDate a,
                                           const PercorsiComando& percorsi, QString* errore)
{
    const auto dati = DatiDelRapporto(cartellaDati, da, a, percorsi, errore);
    if (!dati)
        return std::nullopt;
    const auto rapporto =
        dati->ora.isValid()
            // In UTC, which skips no hour: only its date and time are read.
            ? CreaRapporto(dati->righe, dati->inizio, dati->fine, InUtc(dati->oggi, dati->ora), dati->percentualeIva)
            : CreaRapporto(dati->righe, dati->inizio, dati->fine, dati->oggi, dati->percentualeIva);
    if (!rapporto)
        *errore = QStringLiteral("gli scatti del periodo superano il limite di 2147483647");
    return rapporto;
}

Raggruppamento Per(GruppoRapporto gruppo)
{
    switch (gruppo) {
    case GruppoRapporto::Mese: return Raggruppamento::Mese;
    case GruppoRapporto::Anno: return Raggruppamento::Anno;
    case GruppoRapporto::Giorno: break;
    }
    return Raggruppamento::Giorno;
}

int Rapporto(const RigaComando& riga, const PercorsiComando& percorsi, QIODevice& out, QIODevice& err)
{
    if (riga.formato == FormatoRapporto::Png && percorsi.uscitaTerminale) {
        Scrivi(err, QStringLiteral("velatrix: il grafico è un'immagine PNG: va scritto in un file "
                                   "(velatrix --report --format png > bolletta.png).\n"));
        return UscitaUso;
    }
    QString errore;
    const auto rapporto = RapportoDi(riga.cartellaDati, riga.da, riga.a, percorsi, &errore);
    if (!rapporto)
        return Fallisci(err, errore);
    const Raggruppamento per = Per(riga.gruppo);
    switch (riga.formato) {
    case FormatoRapporto::Csv: out.write(RapportoCsv(*rapporto, per)); break;
    case FormatoRapporto::Json: out.write(RapportoJson(*rapporto, per)); break;
    case FormatoRapporto::Testo: Scrivi(out, RapportoTesto(*rapporto, QLocale(), per)); break;
    case FormatoRapporto::Riga: out.write(RapportoRiga(*rapporto)); break;
    case FormatoRapporto::Png: {
        const QByteArray png = GraficoPng(*rapporto, DimensioneGraficoPng);
        if (png.isEmpty())
            return Fallisci(err, QStringLiteral("impossibile disegnare il grafico"));
        out.write(png);
        break;
    }
    }
    return UscitaRiuscita;
}

// One line and its own status when the total with VAT, in whole lire as
// shown, passes the limit; nothing otherwise.
int Limite(const RigaComando& riga, const PercorsiComando& percorsi, QIODevice& out, QIODevice& err)
{
    const LimiteComando& limite = riga.limite;
    const bool oggi = limite.voce == LimiteComando::Voce::Oggi;
    QString errore;
    const auto r =
        RapportoDi(riga.cartellaDati, oggi ? percorsi.oggi : riga.da, oggi ? percorsi.oggi : riga.a, percorsi, &errore);
    if (!r)
        return Fallisci(err, errore);
    if (limite.voce == LimiteComando::Voce::Stima && !r->stima)
        return Fallisci(err, QStringLiteral("nessuna stima: oggi (%1) non è nel periodo dal %2 al %3")
                                 .arg(TestoData(r->oggi), TestoData(r->inizio), TestoData(r->fine)));
    const double totale = limite.voce == LimiteComando::Voce::Stima ? r->stima->totale : r->totali.totale;
    if (!(std::round(totale) > limite.lire))
        return UscitaRiuscita;
    const QString cosa = limite.voce == LimiteComando::Voce::Periodo ? QStringLiteral("Totale del periodo")
                         : oggi                                      ? QStringLiteral("Totale di oggi")
                                                                     : TitoloStima();
    const QString quando =
        oggi ? TestoData(r->inizio) : QStringLiteral("dal %1 al %2").arg(TestoData(r->inizio), TestoData(r->fine));
    const QString schema = QStringLiteral("#,##0");
    Scrivi(out, QStringLiteral("%1 %2: L. %3 con Iva, oltre il limite di L. %4\n")
                    .arg(cosa, quando, FormattaNumero(totale, schema), FormattaNumero(limite.lire, schema)));
    return UscitaLimite;
}

// The log as it is on disk: the panel keeps no file of it open between
// operations, so it is read the same whether the panel runs or not.
int Registro(const RigaComando& riga, const PercorsiComando& percorsi, QIODevice& out, QIODevice& err)
{
    const QString cartella = ScegliCartellaDati(riga.cartellaDati, percorsi.cartellaProgramma);
    if (!QFileInfo(cartella).isDir())
        return Fallisci(err, QStringLiteral("la cartella dei dati %1 non esiste").arg(cartella));
    QString motivo;
    if (!ScriviLogPerProgrammi(QDir(cartella).filePath(NomeLog), {riga.da, riga.a, riga.connessione}, riga.formatoLog,
                               out, &motivo))
        return Fallisci(err, motivo);
    return UscitaRiuscita;
}

} // namespace

PercorsiComando PercorsiComando::Predefiniti()
{
    // The runtime folder is looked up only by a report: finding it may
    // create it, and help or version create nothing.
    const QDateTime adesso = QDateTime::currentDateTime();
    return {ArchivioImpostazioni::PercorsoPredefinito(),
            QCoreApplication::applicationDirPath(),
            QString(),
            adesso.date(),
            adesso.time(),
            ::isatty(STDOUT_FILENO) == 1};
}

int EseguiComando(const RigaComando& riga, const PercorsiComando& percorsi, QIODevice& out, QIODevice& err)
{
    if (!riga.errore.isEmpty()) {
        Scrivi(err, QStringLiteral("velatrix: %1\n").arg(riga.errore));
        Scrivi(err,
               riga.mostraUso ? QStringLiteral("\n") + TestoUso() : QStringLiteral("Le opzioni: velatrix --help\n"));
        return UscitaUso;
    }
    switch (riga.comando) {
    case Comando::Aiuto: Scrivi(out, TestoUso()); return UscitaRiuscita;
    case Comando::Versione:
        Scrivi(out, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                  QCoreApplication::applicationVersion()));
        return UscitaRiuscita;
    case Comando::Rapporto: return Rapporto(riga, percorsi, out, err);
    case Comando::Log: return Registro(riga, percorsi, out, err);
    case Comando::Allarme: return Limite(riga, percorsi, out, err);
    case Comando::Avvia: break;
    }
    return UscitaUso;
}
