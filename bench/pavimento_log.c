#include "pavimento_log.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define L 74
#define BLOCCO 4096

static FILE* apri_temporaneo(const char* destinazione, char* nome)
{
    snprintf(nome, 4096, "%s.XXXXXX", destinazione);
    int fd = mkstemp(nome);
    return fd < 0 ? NULL : fdopen(fd, "wb");
}

static int chiudi_e_rinomina(FILE* f, const char* nome, const char* destinazione)
{
    int ok = fflush(f) == 0 && fsync(fileno(f)) == 0;
    ok = fclose(f) == 0 && ok;
    if (!ok || rename(nome, destinazione) != 0) {
        unlink(nome);
        return -1;
    }
    return 0;
}

long pavimento_filtra_scatti(const char* sorgente, const char* destinazione, int minimo, int massimo)
{
    FILE* in = fopen(sorgente, "rb");
    if (!in)
        return -1;
    char nome[4096];
    FILE* out = apri_temporaneo(destinazione, nome);
    if (!out) {
        fclose(in);
        return -1;
    }
    static char blocco[BLOCCO * L];
    long tenuti = 0;
    size_t n;
    while ((n = fread(blocco, L, BLOCCO, in)) > 0) {
        for (size_t i = 0; i < n; ++i) {
            int32_t scatti;
            memcpy(&scatti, blocco + i * L + 12, 4);
            if (scatti >= minimo && scatti <= massimo) {
                fwrite(blocco + i * L, L, 1, out);
                ++tenuti;
            }
        }
    }
    fclose(in);
    return chiudi_e_rinomina(out, nome, destinazione) == 0 ? tenuti : -1;
}
