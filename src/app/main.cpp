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

namespace {

void Nomina()
{
    QCoreApplication::setApplicationName(QStringLiteral("Velatrix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELATRIX_VERSIONE));
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
        QCoreApplication app(argc, argv);
        Nomina();
        InstallaTraduzioneQt(&app);
        QFile out, err;
        out.open(stdout, QIODevice::WriteOnly);
        err.open(stderr, QIODevice::WriteOnly);
        // Read again so its messages come in the translator's language.
        return EseguiComando(LeggiRigaComando(argomenti), PercorsiComando::Predefiniti(), out, err);
    }

    QApplication app(argc, argv);
    Nomina();
    QApplication::setQuitOnLastWindowClosed(false);
    InstallaTraduzioneQt(&app);
    return Applicazione::Esegui(app.arguments().mid(1));
}
