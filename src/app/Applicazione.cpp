// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Applicazione.h"

#include "app/Avvio.h"
#include "app/Comandi.h"
#include "app/Controllore.h"
#include "app/Guida.h"
#include "app/IstanzaUnica.h"
#include "app/Messaggio.h"
#include "app/NotificaDesktop.h"
#include "app/Principale.h"
#include "app/Risorse.h"
#include "app/SegnaliTerminazione.h"
#include "app/ServizioLocale.h"
#include "app/Vassoio.h"
#include "common/BarraScatto.h"
#include "common/CartellaDati.h"
#include "common/Colori.h"
#include "common/FormeTesto.h"
#include "common/Interlocutore.h"
#include "common/MessaggiQt.h"
#include "common/RigaComando.h"
#include "engine/LinkPuntoPunto.h"
#include "engine/Motore.h"
#include "engine/NetworkManager.h"
#include "engine/Recupero.h"
#include "engine/Rilevamento.h"
#include "engine/SuoniQt.h"
#include "engine/TerminatoreChiamata.h"
#include "log/FileLog.h"
#include "log/Log.h"
#include "options/AvvioSessione.h"
#include "options/Opzioni.h"
#include "pulses/Bolletta.h"
#include "pulses/DatabaseScatti.h"
#include "settings/ArchivioImpostazioni.h"
#include "settings/CaricaImpostazioni.h"
#include "tariffs/FinestraTariffe.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPushButton>
#include <QSessionManager>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// A log of a million records leaves tens of megabytes of freed heap that
// the C library would keep until exit: the viewer gives it back on closing.
void RestituisciMemoria()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

Applicazione::Applicazione(Dipendenze dipendenze) : d_(dipendenze) {}

Applicazione::~Applicazione()
{
    // The sockets, the windows and detection refer to the rest: they go first.
    altriServizi_.clear();
    servizio_.reset();
    finestraAllarme_.reset();
    vassoio_.reset();
    finestra_.reset();
    rilevamento_.reset();
}

bool Applicazione::Avvia(const QStringList& argomenti, const Percorsi& percorsi, int* codice)
{
    *codice = UscitaRiuscita;
    const RigaComando riga = LeggiRigaComando(argomenti);
    istanza_ = std::make_unique<IstanzaUnica>(percorsi.blocco);
    if (!istanza_->Acquisisci()) {
        SecondoAvvio(riga, percorsi);
        return false;
    }
    // The box names the error; the reason goes to the terminal too, where a
    // start from a shell or a script can read it.
    auto fallisci = [this, codice](int numero, const QString& motivo) {
        const QString testo = QStringLiteral("Errore %1. Impossibile continuare.").arg(numero);
        std::fprintf(stderr, "velatrix: %s\n",
                     qPrintable(motivo.isEmpty() ? testo : testo + QLatin1Char(' ') + motivo));
        d_.messaggi.Errore(testo);
        *codice = UscitaFallita;
        return false;
    };

    if (!riga.errore.isEmpty()) {
        d_.messaggi.Errore(riga.errore);
        *codice = UscitaUso;
        return false;
    }
    QString motivo;
    cartellaDati_ = ::CartellaDati(riga.cartellaDati, percorsi.cartellaProgramma, &motivo);
    if (cartellaDati_.isEmpty())
        return fallisci(76, motivo); // no folder for the data
    ScriviCartellaInUso(percorsi.blocco, cartellaDati_);

    Avvio splash;
    splash.MostraSubito();

    archivio_ = std::make_unique<ArchivioImpostazioni>(percorsi.impostazioni);
    cartellaImpostazioni_ = QFileInfo(percorsi.impostazioni).absolutePath();
    bool primoAvvio = false;
    // Devices are asked for when a sound plays or the sounds' tab opens, not
    // here: the sound layer would cost the start more than the window.
    imp_ = CaricaImpostazioni(*archivio_, QDate::currentDate(), QLocale(), true, &primoAvvio);
    CreaParti();
    // Started with the session, the program keeps the data folder it was given.
    const QStringList argomentiSessione =
        riga.cartellaDati.isEmpty() ? QStringList() : QStringList{QStringLiteral("--data-dir"), cartellaDati_};
    Principale* w = finestra_.get();
    w->ImpostaFinestre(CreaFinestre(argomentiSessione));
    w->ImpostaFine([this](bool chiedi) { return Termina(chiedi); });

    w->Prepara();
    if (primoAvvio) {
        const QPointF posizione = w->PosizioneTwip();
        QString motivo;
        if (!ScriviPrimoAvvio(*archivio_, imp_, posizione.y(), posizione.x(), w->ColoriCorrenti(), &motivo))
            d_.messaggi.Avviso(QStringLiteral("Impossibile salvare le impostazioni: %1").arg(motivo));
    }
    const auto aperto = db_->Apri(QDir(cartellaDati_).filePath(NomeDatabase));
    if (!aperto) {
        splash.close();
        return fallisci(aperto.Errore().numero, aperto.Errore().testo);
    }
    Recupera();
    const auto totali = motore_->CaricaTotali();
    if (!totali) {
        db_->Chiudi();
        splash.close();
        return fallisci(totali.Errore().numero, totali.Errore().testo);
    }
    w->Mostra(riga.argomenti, &splash);
    AvviaServizio();
    return true;
}

void Applicazione::CreaParti()
{
    db_ = std::make_unique<DatabaseScatti>();
    log_ = std::make_unique<FileLog>(QDir(cartellaDati_).filePath(NomeLog));
    motore_ = std::make_unique<Motore>(imp_, *db_, *log_, d_.orologio);
    controllo_ = std::make_unique<Controllore>(imp_, *motore_, d_.messaggi, d_.suoni);
    finestra_ = std::make_unique<Principale>(Principale::Servizi{d_.messaggi, imp_, *motore_, *controllo_});
    controllo_->ImpostaVista(*finestra_);
    vassoio_ = std::make_unique<Vassoio>(*finestra_, *finestra_->mnuPrincipale);
    QObject::connect(finestra_.get(), &Principale::LedCambiato, vassoio_.get(), &Vassoio::MostraLed);
    vassoio_->ImpostaDescrizione([w = finestra_.get()] { return w->DescrizioneValore(); });
    QObject::connect(finestra_.get(), &Principale::ValoreCambiato, vassoio_.get(), &Vassoio::MostraValore);
    // Detection hears only the controller, which draws through the window.
    rilevamento_ = std::make_unique<Rilevamento>(imp_, *controllo_, d_.connessioni, *controllo_, d_.suoni, d_.orologio);
    controllo_->ImpostaConnessioneSeguita(rilevamento_.get());
    finestraAllarme_ = std::make_unique<FinestraAllarme>(imp_, d_.suoni);
    // In the tray or minimised, the panel's alarm window may go unseen: the
    // desktop is told as well.
    finestraAllarme_->Notifica = [this, w = finestra_.get()](const QString& testo) {
        if (w->isVisible() && !w->isMinimized())
            return;
        if (d_.notifica)
            d_.notifica(testo);
        else
            NotificaDesktop(testo);
    };
    controllo_->ImpostaFinestraMessaggio(finestraAllarme_.get());
    chiusura_ = std::make_unique<TerminatoreChiamata>(imp_, *rilevamento_, d_.connessioni, d_.rete);
    controllo_->ImpostaChiusuraChiamata(chiusura_.get());
    finestra_->ImpostaRilevamento(rilevamento_.get());
}

Principale::Finestre Applicazione::CreaFinestre(const QStringList& argomentiSessione)
{
    Principale* w = finestra_.get();
    Principale::Finestre finestre;
    finestre.Guida = [w] { MostraGuida(w); };
    finestre.Info = [w] { MostraInfo(w); };
    finestre.Tariffe = [this, w] {
        Tariffe finestra(
            imp_, *archivio_, d_.messaggi,
            [this, w] { return motore_->ConteggioAttivo() || w->TestoMostrato() == TestoConnessione; },
            [this] { return d_.orologio.Adesso(); }, w);
        finestra.AggiornaImporto = [w] { w->AggiornaImporto(); };
        finestra.setWindowModality(Qt::WindowModal);
        finestra.exec();
    };
    finestre.Bolletta = [this, w] {
        Bolletta finestra(
            imp_, *archivio_, *db_, d_.messaggi, [this] { return d_.orologio.Adesso(); }, w);
        finestra.RicaricaTotali = [this] { RicaricaTotali(); };
        finestra.setWindowModality(Qt::WindowModal);
        finestra.exec();
    };
    finestre.Log = [this, w] {
        {
            Log finestra(cartellaDati_, d_.messaggi, w);
            finestra.setWindowModality(Qt::WindowModal);
            finestra.exec();
        }
        RestituisciMemoria();
    };
    finestre.Opzioni = [this, w, argomentiSessione] {
        Opzioni dialogo(
            imp_, *archivio_, d_.messaggi, d_.suoni, w->ColoriCorrenti(), LongDaColore(w->Indicatore->Riempimento()),
            [this] { return d_.orologio.Adesso(); }, w);
        dialogo.ImpostaAvvioSessione(AvvioSessione::Predefinito(argomentiSessione));
        dialogo.setWindowModality(Qt::WindowModal);
        if (dialogo.exec() == QDialog::Accepted)
            w->ApplicaOpzioni();
    };
    return finestre;
}

QStringList Applicazione::PercorsiRecupero() const
{
    // The data folder first; the settings folder when that one is full.
    return {QDir(cartellaDati_).filePath(NomeRecupero), QDir(cartellaImpostazioni_).filePath(NomeRecupero)};
}

void Applicazione::Recupera()
{
    const QDate oggi = d_.orologio.Adesso().date();
    QStringList avvisi;
    for (const QString& percorso : PercorsiRecupero()) {
        const LetturaRecupero letto = LeggiRecupero(percorso, cartellaDati_, oggi);
        const bool qui = percorso == PercorsiRecupero().first();
        if (letto.esito == EsitoLettura::Assente || (letto.esito == EsitoLettura::AltraCartella && !qui))
            continue; // another data folder's file waits for that folder
        const QString nome = QDir::toNativeSeparators(percorso);
        if (letto.esito != EsitoLettura::Valido) {
            const QString aParte = MettiDaParte(percorso);
            avvisi << (aParte.isEmpty()
                           ? QStringLiteral("%1 non è stato aggiunto ai dati (%2) e non è stato possibile "
                                            "metterlo da parte.")
                                 .arg(nome, letto.motivo)
                           : QStringLiteral("%1 non è stato aggiunto ai dati (%2) ed è stato messo da parte come "
                                            "%3.")
                                 .arg(nome, letto.motivo, QDir::toNativeSeparators(aParte)));
            continue;
        }
        const EsitoUnione unione = UnisciRecupero(*db_, *log_, letto.file, passoRecupero_);
        switch (unione.stato) {
        case EsitoUnione::Completa: QFile::remove(percorso); break;
        case EsitoUnione::Interrotta: return;
        case EsitoUnione::NessunoScritto:
            // Kept whole for a later try; counted nowhere meanwhile, so it is
            // never added twice.
            nonUniti_.Unisci(unione.resto);
            recuperiAperti_.push_back({percorso, false});
            avvisi << QStringLiteral("%1 non è stato aggiunto ai dati (%2): sarà ritentato al prossimo avvio.")
                          .arg(nome, unione.errore);
            break;
        case EsitoUnione::RecordInSospeso:
            // Its pulses are in; the records left wait with the run's own.
            motore_->Recupera(unione.resto);
            recuperiAperti_.push_back({percorso, true});
            break;
        }
    }
    if (!avvisi.isEmpty())
        d_.messaggi.Avviso(QStringLiteral("Scatti e connessioni conservati da un'esecuzione precedente:\n")
                           + avvisi.join(QLatin1Char('\n')));
}

bool Applicazione::ConservaInAttesa(QStringList* motivi)
{
    const Pendenti& inAttesa = motore_->InAttesa();
    if (inAttesa.Vuoto()) {
        // A file whose records were all written since is done with.
        for (const auto& [percorso, parziale] : recuperiAperti_)
            if (parziale)
                QFile::remove(percorso);
        return true;
    }
    Pendenti tutto = nonUniti_;
    tutto.Unisci(inAttesa);
    for (const QString& percorso : PercorsiRecupero()) {
        QString motivo;
        if (ScriviRecupero(percorso, tutto, cartellaDati_, &motivo)) {
            // The new file holds what the old ones still had.
            for (const auto& aperto : recuperiAperti_)
                if (aperto.first != percorso)
                    QFile::remove(aperto.first);
            return true;
        }
        *motivi << motivo;
    }
    return false;
}

void Applicazione::Interrompi()
{
    interrotto_ = true;
    if (!inUscita_) {
        finestra_->Esci(false);
        return;
    }
    // The exit runs already, held by a question: nobody will answer it.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialogo = qobject_cast<QDialog*>(w); dialogo && dialogo->isVisible())
            dialogo->reject();
}

QString Applicazione::DomandaScrittureInAttesa() const
{
    const Pendenti& p = motore_->InAttesa();
    const Totali scatti = p.TotaleScatti();
    QStringList parti;
    if (scatti.scatti > 0 || scatti.importo > 0)
        parti << QStringLiteral("%1 %2 (Lire %3)")
                     .arg(scatti.scatti)
                     .arg(scatti.scatti == 1 ? QStringLiteral("scatto") : QStringLiteral("scatti"))
                     .arg(FormattaNumero(scatti.importo, QStringLiteral("#,##0")));
    if (!p.log.empty())
        parti << QStringLiteral("%1 %2")
                     .arg(p.log.size())
                     .arg(p.log.size() == 1 ? QStringLiteral("connessione") : QStringLiteral("connessioni"));
    return QStringLiteral("Non è stato possibile registrare %1.\n"
                          "Uscendo ora saranno conservati a parte e aggiunti al prossimo avvio.\n"
                          "Riprovare la scrittura ?")
        .arg(parti.join(QStringLiteral(" e ")));
}

int Applicazione::Termina(bool chiedi)
{
    inUscita_ = true;
    int codice = UscitaRiuscita;
    // Writes that failed during the run get their last chances here; with
    // nobody to answer, one.
    while (!motore_->RiprovaScritture() && chiedi && !interrotto_ && d_.messaggi.Domanda(DomandaScrittureInAttesa())) {
    }
    chiedi = chiedi && !interrotto_;
    QStringList motivi;
    if (!ConservaInAttesa(&motivi)) {
        codice = UscitaPerdita;
        if (chiedi)
            d_.messaggi.Errore(QStringLiteral("Impossibile conservare gli scatti e le connessioni non registrati: "
                                              "andranno persi.\n%1")
                                   .arg(motivi.join(QLatin1Char('\n'))));
    }
    if (imp_.SlvImp) {
        const QPointF posizione = finestra_->PosizioneTwip();
        QString motivo;
        if (!ScriviUscita(*archivio_, imp_, posizione.y(), posizione.x(), &motivo) && chiedi)
            d_.messaggi.Avviso(QStringLiteral("Impossibile salvare le impostazioni: %1").arg(motivo));
    }
    db_->Chiudi();
    return codice;
}

void Applicazione::RicaricaTotali()
{
    const auto totali = motore_->CaricaTotali();
    if (!totali)
        d_.messaggi.Avviso(QStringLiteral("Errore %1 nella lettura degli scatti.").arg(totali.Errore().numero));
    finestra_->AggiornaImporto();
}

void Applicazione::SecondoAvvio(const RigaComando& riga, const Percorsi& percorsi)
{
    const QString nostra = ScegliCartellaDati(riga.cartellaDati, percorsi.cartellaProgramma);
    const QString inUso = LeggiCartellaInUso(percorsi.blocco);
    const bool avvia = ChiedeAvvio(riga.argomenti);
    // The running panel comes forward behind the notice, and counts when asked.
    bool consegnato = false;
    for (const QString& nome : NomiServizio(inUso.isEmpty() ? nostra : inUso, false))
        if ((consegnato = ChiediMostra(nome, avvia)))
            break;
    if (!inUso.isEmpty() && !StessaCartella(inUso, nostra)) {
        const QString testo = QStringLiteral("Velatrix è già in esecuzione e usa la cartella dei dati %1.")
                                  .arg(QDir::toNativeSeparators(inUso));
        std::fprintf(stderr, "velatrix: %s\n", qPrintable(testo));
        d_.messaggi.Informazione(testo);
    } else if (!(avvia && consegnato)) {
        // A shortcut with /START that reached the panel needs no box: the count starts.
        d_.messaggi.Informazione(QStringLiteral("Velatrix è già in esecuzione."));
    }
}

void Applicazione::AvviaServizio()
{
    Principale* w = finestra_.get();
    const auto mostra = [w] {
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->show();
        w->raise();
        w->activateWindow();
    };
    for (const QString& nome : NomiServizio(cartellaDati_, true)) {
        auto servizio = std::make_unique<ServizioLocale>(nome);
        servizio->Mostra = mostra;
        // As the start button, which an open dialog keeps out of reach.
        servizio->Avvia = [this, w, mostra] {
            mostra();
            if (!QApplication::activeModalWidget() && !motore_->ConteggioAttivo() && !w->InUscita())
                w->P_Avvia->click();
        };
        // Straight from the open database, with any pulse still waiting for
        // the disk, so the figures are the panel's own.
        servizio->Rapporto = [this](QDate da, QDate a, QString* errore) {
            ErroreDatabase e;
            const QDateTime adesso = d_.orologio.Adesso();
            auto risposta =
                CodificaRapporto(*db_, imp_, da, a, adesso.date(), adesso.time(), motore_->InAttesa().scatti, &e);
            if (!risposta)
                *errore = QStringLiteral("errore %1 nella lettura degli scatti: %2").arg(e.numero).arg(e.testo);
            return risposta;
        };
        // Without a socket the panel works all the same; reports and a
        // second start then cannot reach it there.
        if (!servizio->Ascolta())
            continue;
        if (!servizio_)
            servizio_ = std::move(servizio);
        else
            altriServizi_.push_back(std::move(servizio));
    }
}

int Applicazione::Esegui(const QStringList& argomenti)
{
    // The desktop matches the running program to its menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("velatrix"));
    MessaggiQt messaggi;
    SuoniQt suoni;
    OrologioSistema orologio;
    NetworkManagerDBus rete;
    LinkPuntoPunto connessioni;
    connessioni.ImpostaGestoreRete(&rete);
    Applicazione applicazione({messaggi, suoni, orologio, connessioni, &rete});
    int codice = 0;
    QString errore;
    const Percorsi percorsi{ArchivioImpostazioni::PercorsoPredefinito(), QApplication::applicationDirPath(),
                            IstanzaUnica::PercorsoPredefinito(&errore)};
    if (percorsi.blocco.isEmpty()) {
        messaggi.Errore(QStringLiteral("Impossibile avviare Velatrix: %1.").arg(errore));
        return 1;
    }
    if (!applicazione.Avvia(argomenti, percorsi, &codice))
        return codice;

    // Every window carries the icon. Decoded once the panel is on screen: the
    // splash and the panel's first frame do without it.
    QApplication::setWindowIcon(IconaProgramma());
    Principale* w = applicazione.Finestra();
    messaggi.ImpostaPrincipale(w);
    QObject::connect(w, &Principale::Uscita, qApp, &QCoreApplication::exit);
    // A kill or the end of the session takes the same exit path, with nobody
    // left to answer its question.
    SegnaliTerminazione segnali;
    QObject::connect(&segnali, &SegnaliTerminazione::Terminazione, w, [&applicazione] { applicazione.Interrompi(); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, w, [w](QSessionManager&) { w->Esci(false); });
    return QApplication::exec();
}
