// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FusoOrario.h"

#include <QByteArray>
#include <QScopeGuard>
#include <gtest/gtest.h>

TEST(FusoOrario, SoloQuandoTzNonEImpostato)
{
    const auto rimetti = qScopeGuard([prima = qgetenv("TZ"), cEra = qEnvironmentVariableIsSet("TZ")] {
        cEra ? qputenv("TZ", prima) : qunsetenv("TZ");
    });

    qunsetenv("TZ");
    FissaFusoOrario();
    EXPECT_EQ(qgetenv("TZ"), ":/etc/localtime");

    qputenv("TZ", ""); // an empty TZ means UTC to the C library: the user's choice stays
    FissaFusoOrario();
    EXPECT_TRUE(qEnvironmentVariableIsSet("TZ"));
    EXPECT_EQ(qgetenv("TZ"), "");
}
