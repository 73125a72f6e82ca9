// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one program-wide value through which a modal dialog takes a value from
// its caller and hands one back. The caller sets it before opening the dialog;
// the dialog overwrites it only when the user confirms.
#include <QDate>
#include <QString>
#include <variant>

using Scambio = std::variant<std::monostate, qint16, QDate, QString>;

extern Scambio ValoreScambio;

inline bool ScambioIntero(const Scambio& v, qint16 atteso)
{
    return std::holds_alternative<qint16>(v) && std::get<qint16>(v) == atteso;
}
