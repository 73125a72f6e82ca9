// SPDX-License-Identifier: GPL-3.0-or-later
#include "ValoreScambio.h"

Scambio ValoreScambio;
