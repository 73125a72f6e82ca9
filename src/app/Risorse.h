// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The files shipped beside the program: found in a portable copy's own
// folder first, then under the prefix the program was installed into.
#include <QIcon>
#include <QPixmap>
#include <QString>

// The help page on disk, or empty when only the built-in copy is there.
// cartellaProgramma is the folder of the running executable.
QString PercorsoGuida(const QString& cartellaProgramma);

// The program's icon, drawn at every size it ships in.
QIcon IconaProgramma();

// The splash's picture.
QPixmap LogoAvvio();
