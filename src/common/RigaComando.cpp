// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RigaComando.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

// The window system's own options, which QGuiApplication takes out of the
// line itself: with a value, then without.
const char* const OpzioniGraficheConValore[] = {"platform",        "platformpluginpath", "platformtheme", "plugin",
                                                "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "display",
                                                "style",           "stylesheet",         "session"};
const char* const OpzioniGraficheSemplici[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

struct Opzioni {
    QCommandLineOption aiuto{{QStringLiteral("h"), QStringLiteral("help")},
                             QStringLiteral("Mostra questo aiuto ed esce.")};
    QCommandLineOption versione{{QStringLiteral("v"), QStringLiteral("version")},
                                QStringLiteral("Mostra la versione ed esce.")};
    QCommandLineOption cartella{QStringLiteral("data-dir"),
                                QStringLiteral("Cartella del database degli scatti e del registro delle "
                                               "connessioni."),
                                QStringLiteral("DIR")};
    QCommandLineOption rapporto{QStringLiteral("report"),
                                QStringLiteral("Scrive i totali giornalieri del periodo, i totali del periodo e la "
                                               "stima a fine periodo, poi esce. Senza --from e --to il periodo è "
                                               "quello della bolletta.")};
    QCommandLineOption registro{QStringLiteral("log"),
                                QStringLiteral("Scrive le connessioni del registro, poi esce; con --from e --to "
                                               "quelle iniziate in quei giorni. Esempio: velatrix --log --from oggi "
                                               "--to oggi --format csv")};
    QCommandLineOption allarme{QStringLiteral("alert"),
                               QStringLiteral("Confronta con LIRE il totale con Iva del periodo (period), di oggi "
                                              "(today) o della stima a fine periodo (estimate); oltre il limite "
                                              "scrive una riga ed esce con 4. Esempio: velatrix --alert "
                                              "estimate:50000"),
                               QStringLiteral("period|today|estimate:LIRE")};
    QCommandLineOption da{QStringLiteral("from"),
                          QStringLiteral("Primo giorno del rapporto o del registro (AAAA-MM-GG, oppure oggi o "
                                         "today)."),
                          QStringLiteral("DATE")};
    QCommandLineOption a{QStringLiteral("to"),
                         QStringLiteral("Ultimo giorno del rapporto o del registro (AAAA-MM-GG, oppure oggi o "
                                        "today)."),
                         QStringLiteral("DATE")};
    QCommandLineOption formato{QStringLiteral("format"),
                               QStringLiteral("Forma del rapporto: text (predefinita), csv, json, oneline (una riga: "
                                              "velatrix --report --format oneline) o png (il grafico: velatrix "
                                              "--report --format png > bolletta.png); del registro: tab "
                                              "(predefinita), fixed, csv o json."),
                               QStringLiteral("FORMA")};
    QCommandLineOption gruppo{QStringLiteral("group"),
                              QStringLiteral("Con --report: una riga al mese (month) o all'anno (year) invece che al "
                                             "giorno. Esempio: velatrix --report --from 2026-01-01 --to oggi "
                                             "--group month"),
                              QStringLiteral("month|year")};
    QCommandLineOption connessione{QStringLiteral("connection"),
                                   QStringLiteral("Con --log: solo le connessioni con questo nome (maiuscole e "
                                                  "minuscole non contano). Esempio: velatrix --log --connection "
                                                  "casa --format fixed"),
                                   QStringLiteral("NOME")};
    QCommandLineParser parser;

    Opzioni()
    {
        // "-platform" is one option, not -p -l -a ...
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QStringLiteral("Contatore del costo delle chiamate a scatti."));
        parser.addOptions(
            {aiuto, versione, cartella, rapporto, registro, allarme, da, a, formato, gruppo, connessione});
        parser.addPositionalArgument(QStringLiteral("/START"), QStringLiteral("Inizia subito un conteggio."),
                                     QStringLiteral("[/START]"));
        for (const char* nome : OpzioniGraficheConValore) {
            QCommandLineOption o(QString::fromLatin1(nome), QString(), QStringLiteral("valore"));
            o.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(o);
        }
        for (const char* nome : OpzioniGraficheSemplici) {
            QCommandLineOption o(QString::fromLatin1(nome));
            o.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(o);
        }
    }

    QString Nome(const QCommandLineOption& o) const { return QStringLiteral("--") + o.names().constLast(); }
};

// The value of `testo` among `nomi`, in their order; -1 when none.
int Scelta(const QString& testo, std::initializer_list<const char*> nomi)
{
    int i = 0;
    for (const char* nome : nomi) {
        if (testo == QLatin1String(nome))
            return i;
        ++i;
    }
    return -1;
}

// --from and --to: together, readable, in order.
QString LeggiIntervallo(const Opzioni& o, QDate oggi, RigaComando& riga)
{
    if (o.parser.isSet(o.da) != o.parser.isSet(o.a))
        return QStringLiteral("--from e --to vanno dati insieme.");
    if (!o.parser.isSet(o.da))
        return {};
    for (auto [opzione, data] : {std::pair{&o.da, &riga.da}, std::pair{&o.a, &riga.a}}) {
        const QString testo = o.parser.value(*opzione);
        *data = LeggiDataComando(testo, oggi);
        if (!data->isValid())
            return QStringLiteral("Data non valida per %1: \"%2\" (si attende AAAA-MM-GG, oggi o today).")
                .arg(o.Nome(*opzione), testo);
    }
    if (riga.da > riga.a)
        return QStringLiteral("Il primo giorno (--from) viene dopo l'ultimo (--to).");
    return {};
}

QString LeggiFormatoRapporto(const Opzioni& o, RigaComando& riga)
{
    if (o.parser.isSet(o.formato)) {
        const QString f = o.parser.value(o.formato);
        const int i = Scelta(f, {"text", "csv", "json", "oneline", "png"});
        if (i < 0)
            return QStringLiteral("Forma del rapporto sconosciuta: \"%1\" (text, csv, json, oneline o png).").arg(f);
        riga.formato = FormatoRapporto(i);
    }
    if (o.parser.isSet(o.gruppo)) {
        const QString g = o.parser.value(o.gruppo);
        const int i = Scelta(g, {"month", "year"});
        if (i < 0)
            return QStringLiteral("Raggruppamento sconosciuto: \"%1\" (month o year).").arg(g);
        riga.gruppo = i == 0 ? GruppoRapporto::Mese : GruppoRapporto::Anno;
        if (riga.formato != FormatoRapporto::Testo && riga.formato != FormatoRapporto::Csv
            && riga.formato != FormatoRapporto::Json)
            return QStringLiteral("--group vale con le forme text, csv e json.");
    }
    return {};
}

QString LeggiFormatoLog(const Opzioni& o, RigaComando& riga)
{
    riga.connessione = o.parser.value(o.connessione);
    if (o.parser.isSet(o.connessione) && riga.connessione.trimmed().isEmpty())
        return QStringLiteral("--connection vuole un nome.");
    if (!o.parser.isSet(o.formato))
        return {};
    const QString f = o.parser.value(o.formato);
    const int i = Scelta(f, {"tab", "fixed", "csv", "json"});
    if (i < 0)
        return QStringLiteral("Forma del registro sconosciuta: \"%1\" (tab, fixed, csv o json).").arg(f);
    riga.formatoLog = FormatoLog(i);
    return {};
}

// WHAT:LIRE, a limit of whole or decimal lire written with a dot.
QString LeggiLimite(const Opzioni& o, RigaComando& riga)
{
    const QString testo = o.parser.value(o.allarme);
    const qsizetype due = testo.indexOf(QLatin1Char(':'));
    const int voce = Scelta(testo.left(due), {"period", "today", "estimate"});
    bool ok = false;
    const double lire = due < 0 ? 0 : testo.mid(due + 1).toDouble(&ok);
    if (voce < 0 || !ok || !std::isfinite(lire) || lire < 0)
        return QStringLiteral("--alert vuole period, today o estimate, due punti e un limite in lire: \"%1\" "
                              "(per esempio estimate:50000).")
            .arg(testo);
    riga.limite = {LimiteComando::Voce(voce), lire};
    if (riga.limite.voce == LimiteComando::Voce::Oggi && riga.da.isValid())
        return QStringLiteral("--from e --to non valgono con --alert today.");
    return {};
}

// The options that belong to one command only, when given with another.
QString OpzioneFuoriPosto(const Opzioni& o, Comando comando)
{
    const QList<Comando> intervallo{Comando::Rapporto, Comando::Log, Comando::Allarme};
    const std::pair<const QCommandLineOption*, QList<Comando>> proprie[] = {
        {&o.da, intervallo},
        {&o.a, intervallo},
        {&o.formato, {Comando::Rapporto, Comando::Log}},
        {&o.gruppo, {Comando::Rapporto}},
        {&o.connessione, {Comando::Log}}};
    for (const auto& [opzione, comandi] : proprie)
        if (o.parser.isSet(*opzione) && !comandi.contains(comando)) {
            QStringList con;
            for (Comando c : comandi)
                con << (c == Comando::Rapporto ? o.Nome(o.rapporto)
                        : c == Comando::Log    ? o.Nome(o.registro)
                                               : o.Nome(o.allarme));
            return QStringLiteral("%1 vale solo con %2.").arg(o.Nome(*opzione), con.join(QStringLiteral(", ")));
        }
    return {};
}

} // namespace

QDate LeggiDataIso(const QString& testo)
{
    static const QRegularExpression forma(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    if (!forma.match(testo).hasMatch())
        return {};
    return QDate::fromString(testo, QStringLiteral("yyyy-MM-dd"));
}

QDate LeggiDataComando(const QString& testo, QDate oggi)
{
    if (testo.compare(QLatin1String("oggi"), Qt::CaseInsensitive) == 0
        || testo.compare(QLatin1String("today"), Qt::CaseInsensitive) == 0)
        return oggi;
    return LeggiDataIso(testo);
}

RigaComando LeggiRigaComando(const QStringList& argomenti, QDate oggi)
{
    RigaComando riga;
    Opzioni o;
    if (!o.parser.parse(QStringList{QStringLiteral("velatrix")} + argomenti)) {
        riga.errore = o.parser.errorText();
        riga.mostraUso = !o.parser.unknownOptionNames().isEmpty();
        return riga;
    }
    if (o.parser.isSet(o.aiuto)) {
        riga.comando = Comando::Aiuto;
        return riga;
    }
    if (o.parser.isSet(o.versione)) {
        riga.comando = Comando::Versione;
        return riga;
    }
    riga.cartellaDati = o.parser.value(o.cartella);
    if (o.parser.isSet(o.cartella) && riga.cartellaDati.isEmpty()) {
        riga.errore = QStringLiteral("--data-dir vuole il nome di una cartella.");
        return riga;
    }
    riga.argomenti = o.parser.positionalArguments();

    const int comandi =
        int(o.parser.isSet(o.rapporto)) + int(o.parser.isSet(o.registro)) + int(o.parser.isSet(o.allarme));
    if (comandi > 1) {
        riga.errore = QStringLiteral("--report, --log e --alert vanno dati uno alla volta.");
        riga.mostraUso = true;
        return riga;
    }
    riga.comando = o.parser.isSet(o.rapporto)   ? Comando::Rapporto
                   : o.parser.isSet(o.registro) ? Comando::Log
                   : o.parser.isSet(o.allarme)  ? Comando::Allarme
                                                : Comando::Avvia;
    riga.errore = OpzioneFuoriPosto(o, riga.comando);
    if (!riga.errore.isEmpty()) {
        riga.mostraUso = true;
        return riga;
    }
    if (riga.comando == Comando::Avvia)
        return riga;
    if (!riga.argomenti.isEmpty()) {
        const QCommandLineOption& c = riga.comando == Comando::Rapporto ? o.rapporto
                                      : riga.comando == Comando::Log    ? o.registro
                                                                        : o.allarme;
        riga.errore = QStringLiteral("Argomento inatteso con %1: %2").arg(o.Nome(c), riga.argomenti.constFirst());
        riga.mostraUso = true;
        return riga;
    }
    riga.errore = LeggiIntervallo(o, oggi, riga);
    if (riga.errore.isEmpty())
        riga.errore = riga.comando == Comando::Rapporto ? LeggiFormatoRapporto(o, riga)
                      : riga.comando == Comando::Log    ? LeggiFormatoLog(o, riga)
                                                        : LeggiLimite(o, riga);
    return riga;
}

QString TestoUso()
{
    Opzioni o;
    return o.parser.helpText();
}

bool ChiedeAvvio(const QStringList& argomenti)
{
    return argomenti.join(QLatin1Char(' ')).toUpper() == QLatin1String("/START");
}
