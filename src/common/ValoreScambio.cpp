#include "ValoreScambio.h"

Scambio ValoreScambio;
