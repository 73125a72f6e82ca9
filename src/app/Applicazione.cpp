#include "app/Applicazione.h"

#include "app/Avvio.h"
#include "app/Comandi.h"
#include "app/Guida.h"
#include "app/IstanzaUnica.h"
#include "app/Messaggio.h"
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
#include "engine/LinkPuntoPunto.h"
#include "engine/Motore.h"
#include "engine/Recupero.h"
#include "engine/Rilevamento.h"
#include "engine/SuoniQt.h"
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
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSessionManager>

Applicazione::Applicazione(Dipendenze dipendenze) : d_(dipendenze) {}

Applicazione::~Applicazione()
{
    // The socket, the windows and detection refer to the rest: they go first.
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
        // The panel already running comes forward behind the notice.
        ChiediMostra(NomeServizio(ScegliCartellaDati(riga.cartellaDati, percorsi.cartellaProgramma)));
        d_.messaggi.Informazione(QStringLiteral("Velatrix è già in esecuzione."));
        return false;
    }
    auto fallisci = [this, codice](int numero) {
        d_.messaggi.Errore(QStringLiteral("Errore %1. Impossibile continuare.").arg(numero));
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
        return fallisci(76);  // no folder for the data

    Avvio splash;
    splash.MostraSubito();

    archivio_ = std::make_unique<ArchivioImpostazioni>(percorsi.impostazioni);
    cartellaImpostazioni_ = QFileInfo(percorsi.impostazioni).absolutePath();
    bool primoAvvio = false;
    imp_ = CaricaImpostazioni(*archivio_, QDate::currentDate(), QLocale(), d_.suoni.NumeroDispositivi() > 0,
                              &primoAvvio);
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
        return fallisci(aperto.Errore().numero);
    }
    Recupera();
    const auto totali = motore_->CaricaTotali();
    if (!totali) {
        db_->Chiudi();
        splash.close();
        return fallisci(totali.Errore().numero);
    }
    w->Mostra(riga.argomenti, &splash);
    AvviaServizio();
    return true;
}

void Applicazione::CreaParti()
{
    db_ = std::make_unique<DatabaseScatti>();
    log_ = std::make_unique<FileLog>(QDir(cartellaDati_).filePath(NomeLog));
    motore_ = std::make_unique<Motore>(imp_, *db_, *log_, d_.orologio, d_.messaggi, d_.suoni);
    finestra_ = std::make_unique<Principale>(Principale::Servizi{d_.messaggi, imp_, *motore_});
    motore_->ImpostaVista(*finestra_);
    vassoio_ = std::make_unique<Vassoio>(*finestra_, *finestra_->mnuPrincipale);
    QObject::connect(finestra_.get(), &Principale::LedCambiato, vassoio_.get(), &Vassoio::MostraLed);
    QObject::connect(finestra_.get(), &Principale::ValoreCambiato, vassoio_.get(), &Vassoio::MostraValore);
    rilevamento_ = std::make_unique<Rilevamento>(imp_, *motore_, d_.connessioni, *finestra_, d_.suoni, d_.orologio);
    motore_->ImpostaConnessioneSeguita(rilevamento_.get());
    finestraAllarme_ = std::make_unique<FinestraAllarme>(imp_, d_.suoni);
    motore_->ImpostaFinestraMessaggio(finestraAllarme_.get());
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
        Bolletta finestra(imp_, *archivio_, *db_, d_.messaggi, [this] { return d_.orologio.Adesso().date(); }, w);
        finestra.RicaricaTotali = [this] { RicaricaTotali(); };
        finestra.setWindowModality(Qt::WindowModal);
        finestra.exec();
    };
    finestre.Log = [this, w] {
        Log finestra(cartellaDati_, d_.messaggi, w);
        finestra.setWindowModality(Qt::WindowModal);
        finestra.exec();
    };
    finestre.Opzioni = [this, w, argomentiSessione] {
        Opzioni dialogo(imp_, *archivio_, d_.messaggi, d_.suoni, w->ColoriCorrenti(),
                        LongDaColore(w->Indicatore->Riempimento()), [this] { return d_.orologio.Adesso(); }, w);
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
    QStringList letti;
    for (const QString& percorso : PercorsiRecupero()) {
        if (const auto recuperati = LeggiRecupero(percorso)) {
            motore_->Recupera(*recuperati);
            letti << percorso;
        }
    }
    if (letti.isEmpty())
        return;
    // Each entry is added once: what got written leaves the file now, what
    // did not stays pending and is kept again at exit.
    static_cast<void>(motore_->RiprovaScritture());
    QString motivo;
    const bool resta = !motore_->InAttesa().Vuoto();
    if (resta && ScriviRecupero(letti.first(), motore_->InAttesa(), &motivo))
        letti.removeFirst();
    for (const QString& percorso : letti)
        QFile::remove(percorso);
}

QString Applicazione::DomandaScrittureInAttesa() const
{
    const Pendenti& p = motore_->InAttesa();
    const Totali scatti = p.TotaleScatti();
    return QStringLiteral("Non è stato possibile registrare %1 scatti (Lire %2) e %3 connessioni.\n"
                          "Uscendo ora saranno conservati a parte e aggiunti al prossimo avvio.\n"
                          "Riprovare la scrittura ?")
        .arg(scatti.scatti)
        .arg(FormattaNumero(scatti.importo, QStringLiteral("#,##0")))
        .arg(p.log.size());
}

int Applicazione::Termina(bool chiedi)
{
    int codice = UscitaRiuscita;
    // Writes that failed during the run get their last chances here; with
    // nobody to answer, one.
    while (!motore_->RiprovaScritture() && chiedi && d_.messaggi.Domanda(DomandaScrittureInAttesa())) {
    }
    if (!motore_->InAttesa().Vuoto()) {
        QStringList motivi;
        bool conservati = false;
        for (const QString& percorso : PercorsiRecupero()) {
            QString motivo;
            if ((conservati = ScriviRecupero(percorso, motore_->InAttesa(), &motivo)))
                break;
            motivi << motivo;
        }
        if (!conservati) {
            codice = UscitaPerdita;
            if (chiedi)
                d_.messaggi.Errore(QStringLiteral("Impossibile conservare gli scatti e le connessioni non registrati: "
                                                  "andranno persi.\n%1")
                                       .arg(motivi.join(QLatin1Char('\n'))));
        }
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

void Applicazione::AvviaServizio()
{
    servizio_ = std::make_unique<ServizioLocale>(NomeServizio(cartellaDati_));
    Principale* w = finestra_.get();
    servizio_->Mostra = [w] {
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        w->show();
        w->raise();
        w->activateWindow();
    };
    // Straight from the open database, with any pulse still waiting for the
    // disk, so the figures are the panel's own.
    servizio_->Rapporto = [this](QDate da, QDate a, QString* errore) {
        ErroreDatabase e;
        auto dati =
            RaccogliDatiRapporto(*db_, imp_, da, a, d_.orologio.Adesso().date(), motore_->InAttesa().scatti, &e);
        if (!dati)
            *errore = QStringLiteral("errore %1 nella lettura degli scatti: %2").arg(e.numero).arg(e.testo);
        return dati;
    };
    // Without the socket the panel works all the same; reports and a second
    // start then cannot reach it.
    if (!servizio_->Ascolta())
        servizio_.reset();
}

int Applicazione::Esegui(const QStringList& argomenti)
{
    // Every window carries the icon; the desktop matches the running program
    // to its menu entry by this name.
    QApplication::setWindowIcon(IconaProgramma());
    QGuiApplication::setDesktopFileName(QStringLiteral("velatrix"));
    MessaggiQt messaggi;
    SuoniQt suoni;
    OrologioSistema orologio;
    LinkPuntoPunto connessioni;
    Applicazione applicazione({messaggi, suoni, orologio, connessioni});
    int codice = 0;
    const Percorsi percorsi{ArchivioImpostazioni::PercorsoPredefinito(), QApplication::applicationDirPath(),
                            IstanzaUnica::PercorsoPredefinito()};
    if (!applicazione.Avvia(argomenti, percorsi, &codice))
        return codice;

    Principale* w = applicazione.Finestra();
    QObject::connect(w, &Principale::Uscita, qApp, &QCoreApplication::exit);
    // A kill or the end of the session takes the same exit path, with nobody
    // left to answer its question.
    SegnaliTerminazione segnali;
    QObject::connect(&segnali, &SegnaliTerminazione::Terminazione, w, [w] { w->Esci(false); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, w, [w](QSessionManager&) { w->Esci(false); });
    return QApplication::exec();
}
