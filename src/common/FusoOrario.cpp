// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FusoOrario.h"

#include <QByteArray>
#include <QtGlobal>
#include <ctime>

void FissaFusoOrario()
{
    if (qEnvironmentVariableIsSet("TZ"))
        return;
    qputenv("TZ", QByteArrayLiteral(":/etc/localtime"));
    tzset();
}
