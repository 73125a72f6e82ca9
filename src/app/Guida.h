// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
class QWidget;

// F1: the help text shipped with the program.
void MostraGuida(QWidget* genitore);
// Ctrl+I: the about window.
void MostraInfo(QWidget* genitore);
