/* The plain C floors of the log benchmark. Each writes a temporary file,
 * syncs it and renames it over the destination, as the program does. */
#ifndef PAVIMENTO_LOG_H
#define PAVIMENTO_LOG_H
#ifdef __cplusplus
extern "C" {
#endif

/* Copies the records whose pulses lie in [minimo, massimo]; the number kept, or -1. */
long pavimento_filtra_scatti(const char* sorgente, const char* destinazione, int minimo, int massimo);
/* The exports' floor (pavimento_esporta.c): tab-delimited (fisso 0) or
 * fixed-column (fisso 1) text in the Italian forms, the program's bytes; 0 on
 * success. */
int pavimento_esporta(const char* sorgente, const char* destinazione, int fisso);

#ifdef __cplusplus
}
#endif
#endif
