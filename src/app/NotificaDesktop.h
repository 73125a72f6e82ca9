// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A desktop notification through the freedesktop notification service on the
// session bus. Sent without waiting: with no service nothing happens.
#include <QString>

void NotificaDesktop(const QString& testo);
