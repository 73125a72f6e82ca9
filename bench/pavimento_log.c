// SPDX-License-Identifier: GPL-3.0-or-later
#include "pavimento_log.h"

#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
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

/* Windows-1252 to UTF-8. */
static const uint16_t alti[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

static char* utf8(unsigned char b, char* d)
{
    unsigned c = (b >= 0x80 && b < 0xA0) ? alti[b - 0x80] : b;
    if (c < 0x80) {
        *d++ = (char)c;
    } else if (c < 0x800) {
        *d++ = (char)(0xC0 | (c >> 6));
        *d++ = (char)(0x80 | (c & 0x3F));
    } else {
        *d++ = (char)(0xE0 | (c >> 12));
        *d++ = (char)(0x80 | ((c >> 6) & 0x3F));
        *d++ = (char)(0x80 | (c & 0x3F));
    }
    return d;
}

static int spazio(unsigned char b)
{
    return b == ' ' || (b >= 9 && b <= 13) || b == 0xA0;
}

static void durata(int32_t s, char* d)
{
    if (s < 0)
        s = 0;
    int h = s / 3600, m = s % 3600 / 60, r = s % 60;
    if (h >= 1)
        sprintf(d, "%dh%02d'%02d\"", h, m, r);
    else if (m >= 1)
        sprintf(d, "%d'%02d\"", m, r);
    else
        sprintf(d, "%d\"", r);
}

int pavimento_esporta(const char* sorgente, const char* destinazione, int fisso)
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
    setvbuf(out, NULL, _IOFBF, 1 << 20);
    if (fisso)
        fputs("Data Inizio  Ora Inizio   Data Fine    Ora Fine      Durata  Scatti    Importo  "
              "Connessione                                       \r\n", out);
    else
        fputs("Data Inizio\tOra Inizio\tData Fine\tOra Fine\tDurata\tScatti\tImporto\tConnessione\r\n", out);
    static char blocco[BLOCCO * L];
    long scarto = 0;
    size_t n;
    while ((n = fread(blocco, L, BLOCCO, in)) > 0) {
        for (size_t i = 0; i < n; ++i) {
            const char* r = blocco + i * L;
            double giorni, importo;
            int32_t secondi, scatti;
            memcpy(&giorni, r, 8);
            memcpy(&secondi, r + 8, 4);
            memcpy(&scatti, r + 12, 4);
            memcpy(&importo, r + 16, 8);

            /* Days from 30/12/1899 as a local wall clock; the end through
             * time_t. The offset of the record before is tried first; when it
             * does not hold, a wall time that occurs twice reads as its first
             * occurrence. */
            double intero = trunc(giorni);
            long long s = llround(fabs(giorni - intero) * 86400);
            time_t w = (time_t)((intero - 25569) * 86400 + s);
            struct tm inizio, fine, t;
            gmtime_r(&w, &inizio);
            time_t u = w - scarto;
            localtime_r(&u, &t);
            if (t.tm_gmtoff != scarto) {
                time_t prima = w - 86400, dopo = w + 86400;
                localtime_r(&prima, &t);
                long o1 = t.tm_gmtoff;
                localtime_r(&dopo, &t);
                scarto = t.tm_gmtoff;
                u = w - o1;
                localtime_r(&u, &t);
                if (t.tm_gmtoff == o1)
                    scarto = o1;
                u = w - scarto;
            }
            time_t tf = u + secondi;
            localtime_r(&tf, &fine);

            char campi[7][32];
            sprintf(campi[0], "%02d/%02d/%04d", inizio.tm_mday, inizio.tm_mon + 1, inizio.tm_year + 1900);
            sprintf(campi[1], "%02d:%02d:%02d", inizio.tm_hour, inizio.tm_min, inizio.tm_sec);
            sprintf(campi[2], "%02d/%02d/%04d", fine.tm_mday, fine.tm_mon + 1, fine.tm_year + 1900);
            sprintf(campi[3], "%02d:%02d:%02d", fine.tm_hour, fine.tm_min, fine.tm_sec);
            durata(secondi, campi[4]);
            sprintf(campi[5], "%d", scatti);
            sprintf(campi[6], "%lld", (long long)llround(importo));

            const unsigned char* c = (const unsigned char*)r + 24;
            int primo = 0, ultimo = 50;
            char testo[160], *d = testo;
            if (fisso) {
                fprintf(out, "%11s%12s%12s%12s%12s%8s%11s  ", campi[0], campi[1], campi[2], campi[3], campi[4],
                        campi[5], campi[6]);
            } else {
                fprintf(out, "%s\t%s\t%s\t%s\t%s\t%s\t%s\t", campi[0], campi[1], campi[2], campi[3], campi[4],
                        campi[5], campi[6]);
                while (primo < ultimo && spazio(c[primo]))
                    ++primo;
                while (ultimo > primo && spazio(c[ultimo - 1]))
                    --ultimo;
            }
            for (int k = primo; k < ultimo; ++k)
                d = utf8(c[k], d);
            *d++ = '\r';
            *d++ = '\n';
            fwrite(testo, 1, (size_t)(d - testo), out);
        }
    }
    fclose(in);
    return chiudi_e_rinomina(out, nome, destinazione);
}
