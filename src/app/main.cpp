// Data flow: the settings store and the pulse database feed the engine's
// totals at start-up; the engine, driven by the two timers of the main window,
// prices every pulse, stores it at once and tells the window what to draw.
// Windows only show state and forward the user's acts.
#include "app/Applicazione.h"
#include "common/FusoOrario.h"
#include "common/TraduzioneQt.h"

#include <QApplication>

int main(int argc, char** argv)
{
    FissaFusoOrario();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velatrix"));
    QApplication::setApplicationVersion(QStringLiteral(VELATRIX_VERSIONE));
    QApplication::setQuitOnLastWindowClosed(false);
    InstallaTraduzioneQt(&app);
    return Applicazione::Esegui(app.arguments().mid(1));
}
