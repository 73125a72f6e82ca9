// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system's reason for a failed file operation, in Italian like the rest
// of the message: Qt passes on the C library's text, which is English where
// the Italian locale or its messages are not installed.
#include <QString>

QString CausaInItaliano(const QString& causa);
