// The floor of a start-up: a bare Qt Widgets window, shown, and nothing else.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel finestra(QStringLiteral("Velatrix"));
    finestra.setWindowTitle(QStringLiteral("Finestra nuda"));
    finestra.resize(320, 120);
    finestra.show();
    return QApplication::exec();
}
