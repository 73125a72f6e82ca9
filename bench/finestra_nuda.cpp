// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of a start-up: a bare Qt Widgets window, shown, and nothing else.
// Given a size it loads no font before it is mapped (its text is first
// measured when it paints); with --al-testo it takes its size from its text,
// as the panel must, so the font database is read before the map.
#include <QApplication>
#include <QLabel>
#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel finestra(QStringLiteral("Velatrix"));
    finestra.setWindowTitle(QStringLiteral("Finestra nuda"));
    if (argc < 2 || std::strcmp(argv[1], "--al-testo") != 0)
        finestra.resize(320, 120);
    finestra.show();
    return QApplication::exec();
}
