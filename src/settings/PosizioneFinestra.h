// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the main window goes, from the stored edges; no store needed.
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>

// Top-left of the main window, in twips, from the stored edges (nothing for
// "None"): clamped from above only, so the window is not pushed past the
// bottom or right edge; an unsaved left edge centres it.
QPointF PosizioneFinestra(std::optional<double> topTwp, std::optional<double> lftTwp, const QSizeF& schermoTwp,
                          const QSizeF& finestraTwp);

// Whether the frameless window would show at least partly on some screen;
// when not, it could never be dragged back, and the caller places it as if
// nothing had been saved.
bool PosizioneRaggiungibile(const QRectF& finestraTwp, const QList<QRectF>& schermiTwp);
