// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ripristino.h"
#include "common/FusoOrario.h"

#include <QByteArray>
#include <gtest/gtest.h>

TEST(FusoOrario, SoloQuandoTzNonEImpostato)
{
    const VariabileProva tz("TZ");

    qunsetenv("TZ");
    FissaFusoOrario();
    EXPECT_EQ(qgetenv("TZ"), ":/etc/localtime");

    qputenv("TZ", ""); // an empty TZ means UTC to the C library: the user's choice stays
    FissaFusoOrario();
    EXPECT_TRUE(qEnvironmentVariableIsSet("TZ"));
    EXPECT_EQ(qgetenv("TZ"), "");
}
