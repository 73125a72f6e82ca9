// SPDX-License-Identifier: GPL-3.0-or-later
/* The plain C floor of the log benchmark: the filter and the two exports as
 * a C programmer would write them with stdio, for the Italian forms
 * (dd/MM/yyyy, HH:mm:ss). Each writes a temporary file, syncs it and renames
 * it over the destination, as the program does. */
#ifndef PAVIMENTO_LOG_H
#define PAVIMENTO_LOG_H
#ifdef __cplusplus
extern "C" {
#endif

/* Copies the records whose pulses lie in [minimo, massimo]; the number kept, or -1. */
long pavimento_filtra_scatti(const char* sorgente, const char* destinazione, int minimo, int massimo);
/* Tab-delimited (fisso 0) or fixed-column (fisso 1) text; 0 on success. */
int pavimento_esporta(const char* sorgente, const char* destinazione, int fisso);

#ifdef __cplusplus
}
#endif
#endif
