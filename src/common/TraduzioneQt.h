// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Qt's own texts (the standard buttons of message boxes, the file and colour
// dialogs, the edit menus) in Italian like every other text of the program,
// whatever the user's locale; numbers and dates still follow the locale.
#include <QObject>

class QTranslator;

// Installs the translation, owned by `proprietario`. Nothing when it cannot
// be found: Qt's texts then stay in English.
QTranslator* InstallaTraduzioneQt(QObject* proprietario);
