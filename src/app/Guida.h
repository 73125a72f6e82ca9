#pragma once
class QWidget;

// F1: the help text shipped with the program.
void MostraGuida(QWidget* genitore);
// Ctrl+I: the about window.
void MostraInfo(QWidget* genitore);
