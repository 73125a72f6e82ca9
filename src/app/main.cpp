// SPDX-License-Identifier: GPL-3.0-or-later
// Data flow: the settings store and the pulse database feed the engine's
// totals at start-up; the engine, driven by the two timers of the main window,
// prices every pulse, stores it at once and tells the window what to draw.
// Windows only show state and forward the user's acts.
#include "app/Applicazione.h"
#include "app/Comandi.h"
#include "common/FusoOrario.h"
#include "common/RigaComando.h"
#include "common/TraduzioneQt.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

void Nomina()
{
    QCoreApplication::setApplicationName(QStringLiteral("Velatrix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELATRIX_VERSIONE));
}

// Whether the window system has somewhere to show the panel: a display of
// its own, or a platform named by the user.
bool SchermoDisponibile(const QStringList& argomenti)
{
    for (const char* variabile : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(variabile))
            return true;
    return argomenti.contains(QLatin1String("-platform")) || argomenti.contains(QLatin1String("--platform"));
}

// Until the display is open, Qt's own words on failure (a plugin list and an
// advice to reinstall) give way to one line of the program's, and exit 1
// instead of an abort.
void MessaggiApertura(QtMsgType tipo, const QMessageLogContext& contesto, const QString& testo)
{
    const QByteArray categoria(contesto.category ? contesto.category : "");
    if (tipo == QtFatalMsg) {
        std::fprintf(stderr,
                     "velatrix: impossibile aprire lo schermo (DISPLAY=%s, WAYLAND_DISPLAY=%s, QT_QPA_PLATFORM=%s).\n"
                     "Per un rapporto senza schermo: velatrix --report\n",
                     qgetenv("DISPLAY").constData(), qgetenv("WAYLAND_DISPLAY").constData(),
                     qgetenv("QT_QPA_PLATFORM").constData());
        std::_Exit(UscitaFallita);
    }
    if (categoria.startsWith("qt.qpa"))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(tipo, contesto, testo)));
}

// What was printed reached its file, pipe or terminal: a write or close
// error (a full disk, /dev/full, a closed pipe) fails the command.
int ChiudiUscita(QFile& out, QFile& err, int codice)
{
    out.flush();
    const bool scritto = out.error() == QFileDevice::NoError && std::fflush(stdout) == 0 && !std::ferror(stdout);
    const int errore = errno;
    if (std::fclose(stdout) == 0 && scritto)
        return codice;
    err.write(QStringLiteral("velatrix: impossibile scrivere sull'uscita standard: %1\n")
                  .arg(QString::fromLocal8Bit(std::strerror(scritto ? errno : errore)))
                  .toUtf8());
    err.flush();
    return codice == UscitaRiuscita ? UscitaFallita : codice;
}

} // namespace

int main(int argc, char** argv)
{
    FissaFusoOrario();
    QStringList argomenti;
    for (int i = 1; i < argc; ++i)
        argomenti << QString::fromLocal8Bit(argv[i]);

    // Read before any window exists: help, version, a report or a mistake
    // need no display and touch no file of the panel.
    const RigaComando riga = LeggiRigaComando(argomenti);
    if (riga.comando != Comando::Avvia || !riga.errore.isEmpty()) {
        // The chart's picture needs fonts, not a display.
        const bool immagine =
            riga.errore.isEmpty() && riga.comando == Comando::Rapporto && riga.formato == FormatoRapporto::Png;
        if (immagine)
            qputenv("QT_QPA_PLATFORM", "offscreen");
        std::unique_ptr<QCoreApplication> app =
            immagine ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
        Nomina();
        InstallaTraduzioneQt(app.get());
        QFile out, err;
        out.open(stdout, QIODevice::WriteOnly);
        err.open(stderr, QIODevice::WriteOnly);
        // Read again so its messages come in the translator's language.
        const int codice = EseguiComando(LeggiRigaComando(argomenti), PercorsiComando::Predefiniti(), out, err);
        return ChiudiUscita(out, err, codice);
    }

    if (!SchermoDisponibile(argomenti)) {
        // Qt would abort here without a word of why.
        std::fputs("velatrix: nessuno schermo disponibile (DISPLAY e WAYLAND_DISPLAY non sono impostati).\n"
                   "Per un rapporto senza schermo: velatrix --report\n",
                   stderr);
        return UscitaFallita;
    }
    const QtMessageHandler prima = qInstallMessageHandler(MessaggiApertura);
    QApplication app(argc, argv);
    qInstallMessageHandler(prima);
    Nomina();
    QApplication::setQuitOnLastWindowClosed(false);
    InstallaTraduzioneQt(&app);
    return Applicazione::Esegui(app.arguments().mid(1));
}
