// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RigaComando.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

namespace {

// The window system's own options, which QGuiApplication takes out of the
// line itself: with a value, then without.
const char* const OpzioniGraficheConValore[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                                "qwindowgeometry", "qwindowicon", "qwindowtitle", "display",
                                                "style", "stylesheet", "session"};
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
    QCommandLineOption da{QStringLiteral("from"), QStringLiteral("Primo giorno del rapporto (AAAA-MM-GG)."),
                          QStringLiteral("DATE")};
    QCommandLineOption a{QStringLiteral("to"), QStringLiteral("Ultimo giorno del rapporto (AAAA-MM-GG)."),
                         QStringLiteral("DATE")};
    QCommandLineOption formato{QStringLiteral("format"),
                               QStringLiteral("Forma del rapporto: text (predefinita), csv o json."),
                               QStringLiteral("text|csv|json")};
    QCommandLineParser parser;

    Opzioni()
    {
        // "-platform" is one option, not -p -l -a ...
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QStringLiteral("Contatore del costo delle chiamate a scatti."));
        parser.addOptions({aiuto, versione, cartella, rapporto, da, a, formato});
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
};

} // namespace

QDate LeggiDataIso(const QString& testo)
{
    static const QRegularExpression forma(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    if (!forma.match(testo).hasMatch())
        return {};
    return QDate::fromString(testo, QStringLiteral("yyyy-MM-dd"));
}

RigaComando LeggiRigaComando(const QStringList& argomenti)
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

    const bool rapporto = o.parser.isSet(o.rapporto);
    if (!rapporto) {
        for (const QCommandLineOption* solo : {&o.da, &o.a, &o.formato})
            if (o.parser.isSet(*solo)) {
                riga.errore = QStringLiteral("--%1 vale solo con --report.").arg(solo->names().constFirst());
                riga.mostraUso = true;
                return riga;
            }
        return riga;
    }
    riga.comando = Comando::Rapporto;
    if (!riga.argomenti.isEmpty()) {
        riga.errore = QStringLiteral("Argomento inatteso con --report: %1").arg(riga.argomenti.constFirst());
        riga.mostraUso = true;
        return riga;
    }
    if (o.parser.isSet(o.da) != o.parser.isSet(o.a)) {
        riga.errore = QStringLiteral("--from e --to vanno dati insieme.");
        return riga;
    }
    if (o.parser.isSet(o.da)) {
        for (auto [opzione, data] : {std::pair{&o.da, &riga.da}, std::pair{&o.a, &riga.a}}) {
            const QString testo = o.parser.value(*opzione);
            *data = LeggiDataIso(testo);
            if (!data->isValid()) {
                riga.errore = QStringLiteral("Data non valida per --%1: \"%2\" (si attende AAAA-MM-GG).")
                                  .arg(opzione->names().constFirst(), testo);
                return riga;
            }
        }
        if (riga.da > riga.a) {
            riga.errore = QStringLiteral("Il primo giorno (--from) viene dopo l'ultimo (--to).");
            return riga;
        }
    }
    if (o.parser.isSet(o.formato)) {
        const QString f = o.parser.value(o.formato);
        if (f == QLatin1String("text"))
            riga.formato = FormatoRapporto::Testo;
        else if (f == QLatin1String("csv"))
            riga.formato = FormatoRapporto::Csv;
        else if (f == QLatin1String("json"))
            riga.formato = FormatoRapporto::Json;
        else
            riga.errore = QStringLiteral("Forma del rapporto sconosciuta: \"%1\" (text, csv o json).").arg(f);
    }
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
