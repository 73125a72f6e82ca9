// SPDX-License-Identifier: GPL-3.0-or-later
/* The careful plain C floor of the log exports: the same bytes as the
 * program's Italian forms (dd/MM/yyyy, HH:mm:ss), written the way a careful C
 * programmer would: dates and UTC offsets worked out once a day, digits from
 * a two-digit table, names through a 256-entry table, output gathered in one
 * reused buffer and written with write(2) to a temporary file that is synced
 * and renamed over the destination. */
#include "pavimento_log.h"

#include <fcntl.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#define L 74
#define NOME 50
#define RECORD_BLOCCO 4096
#define USCITA (600 * 1024)
#define GIORNO 86400LL
#define EPOCA_SERIALE 25569LL /* 1/1/1970 counted from 30/12/1899 */

static const char due_cifre[200] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                   "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                   "8081828384858687888990919293949596979899";

static const uint16_t alti[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

/* Each stored byte in UTF-8 (control bytes as '?'), and whether trimming drops it. */
static char nome_utf8[256][4];
static unsigned char nome_lunghezza[256];
static unsigned char nome_spazio[256];

static void prepara_nomi(void)
{
    for (int b = 0; b < 256; ++b) {
        unsigned c = (b < 0x20 || b == 0x7F) ? '?' : (b >= 0x80 && b < 0xA0) ? alti[b - 0x80] : (unsigned)b;
        char* d = nome_utf8[b];
        if (c < 0x80) {
            d[0] = (char)c;
            nome_lunghezza[b] = 1;
        } else if (c < 0x800) {
            d[0] = (char)(0xC0 | (c >> 6));
            d[1] = (char)(0x80 | (c & 0x3F));
            nome_lunghezza[b] = 2;
        } else {
            d[0] = (char)(0xE0 | (c >> 12));
            d[1] = (char)(0x80 | ((c >> 6) & 0x3F));
            d[2] = (char)(0x80 | (c & 0x3F));
            nome_lunghezza[b] = 3;
        }
        nome_spazio[b] = b == ' ' || b == 0xA0;
    }
}

static long long scarto_a(long long utc)
{
    time_t t = (time_t)utc;
    struct tm tm;
    localtime_r(&t, &tm);
    return tm.tm_gmtoff;
}

static long long giu(long long a, long long b) { return a / b - (a % b < 0); }

/* One day, worked out once: its date text and, when the offset from UTC
 * holds all day, that offset. */
struct giorno {
    long long numero; /* days from 1/1/1970 */
    char data[10];
    int costante;
    long long scarto;
};

static void calcola_giorno(struct giorno* g, long long numero)
{
    g->numero = numero;
    /* Civil date from a day count. */
    long long z = numero + 719468, era = giu(z, 146097);
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    int d = (int)(doy - (153 * mp + 2) / 5 + 1), m = (int)(mp < 10 ? mp + 3 : mp - 9);
    int a = (int)(yoe + era * 400 + (m <= 2));
    memcpy(g->data, due_cifre + 2 * d, 2);
    g->data[2] = '/';
    memcpy(g->data + 3, due_cifre + 2 * m, 2);
    g->data[5] = '/';
    memcpy(g->data + 6, due_cifre + 2 * (a / 100), 2);
    memcpy(g->data + 8, due_cifre + 2 * (a % 100), 2);
    long long mezzanotte = numero * GIORNO;
    long long s = scarto_a(mezzanotte - GIORNO);
    g->costante = scarto_a(mezzanotte + GIORNO / 2) == s && scarto_a(mezzanotte + 2 * GIORNO) == s;
    g->scarto = s;
}

static const struct giorno* giorno_di(struct giorno* cache, long long numero)
{
    if (cache->numero != numero)
        calcola_giorno(cache, numero);
    return cache;
}

/* The end shown for a start on a day whose offset changes: the start as its
 * first occurrence unless that ends before it; a start the clock skipped adds
 * the duration. Wall clocks in seconds from 1/1/1970 as if UTC. */
static long long fine_mostrata(long long muro, long long durata)
{
    long long fine = muro + durata, scarto = 0;
    int trovato = 0;
    for (int lato = -1; lato <= 1; lato += 2) {
        long long s = scarto_a(muro + lato * GIORNO);
        if (scarto_a(muro - s) == s && (!trovato || s > scarto)) {
            scarto = s;
            trovato = 1;
        }
    }
    if (trovato) {
        long long utc = muro - scarto + durata;
        long long f = utc + scarto_a(utc);
        if (f >= muro)
            fine = f;
    }
    return fine;
}

static char* ora(int s, char* d)
{
    memcpy(d, due_cifre + 2 * (s / 3600), 2);
    d[2] = ':';
    memcpy(d + 3, due_cifre + 2 * (s / 60 % 60), 2);
    d[5] = ':';
    memcpy(d + 6, due_cifre + 2 * (s % 60), 2);
    return d + 8;
}

static char* intero(unsigned long long v, char* d)
{
    char buf[24], *p = buf + sizeof buf;
    while (v >= 100) {
        p -= 2;
        memcpy(p, due_cifre + 2 * (v % 100), 2);
        v /= 100;
    }
    if (v >= 10) {
        p -= 2;
        memcpy(p, due_cifre + 2 * v, 2);
    } else {
        *--p = (char)('0' + v);
    }
    size_t n = (size_t)(buf + sizeof buf - p);
    memcpy(d, p, n);
    return d + n;
}

static char* durata(int32_t secondi, char* d)
{
    int s = secondi < 0 ? 0 : secondi, h = s / 3600, m = s % 3600 / 60, r = s % 60;
    if (h >= 1) {
        d = intero((unsigned)h, d);
        *d++ = 'h';
        memcpy(d, due_cifre + 2 * m, 2);
        d[2] = '\'';
        d += 3;
    } else if (m >= 1) {
        d = intero((unsigned)m, d);
        *d++ = '\'';
    } else {
        d = intero((unsigned)r, d);
        *d++ = '"';
        return d;
    }
    memcpy(d, due_cifre + 2 * r, 2);
    d[2] = '"';
    return d + 3;
}

static char* con_segno(long long v, char* d)
{
    if (v < 0)
        *d++ = '-';
    return intero(v < 0 ? 0ULL - (unsigned long long)v : (unsigned long long)v, d);
}

static char* importo(double x, char* d)
{
    double a = fabs(x);
    if (a < 4503599627370496.0) {
        long long lire = llround(a);
        if (lire != 0 && x < 0)
            *d++ = '-';
        return intero((unsigned long long)lire, d);
    }
    return d + sprintf(d, "%.0f", x);
}

static const int larghezze[7] = {11, 12, 12, 12, 12, 8, 11};

/* Seven fields and the name into one line at d. */
static char* riga(char campi[7][40], const int lunghezze[7], const unsigned char* nome, int fisso, char* d)
{
    for (int i = 0; i < 7; ++i) {
        if (fisso) {
            int spazi = larghezze[i] - lunghezze[i];
            if (spazi >= 0) {
                memset(d, ' ', (size_t)spazi);
                memcpy(d + spazi, campi[i], (size_t)lunghezze[i]);
            } else {
                memcpy(d, campi[i] - spazi, (size_t)larghezze[i]);
            }
            d += larghezze[i];
        } else {
            memcpy(d, campi[i], (size_t)lunghezze[i]);
            d += lunghezze[i];
            *d++ = '\t';
        }
    }
    int primo = 0, ultimo = NOME;
    if (fisso) {
        *d++ = ' ';
        *d++ = ' ';
    } else {
        while (primo < ultimo && nome_spazio[nome[primo]])
            ++primo;
        while (ultimo > primo && nome_spazio[nome[ultimo - 1]])
            --ultimo;
    }
    for (int k = primo; k < ultimo; ++k) {
        memcpy(d, nome_utf8[nome[k]], 4);
        d += nome_lunghezza[nome[k]];
    }
    *d++ = '\r';
    *d++ = '\n';
    return d;
}

static int scrivi_tutto(int fd, const char* p, size_t n)
{
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w <= 0)
            return -1;
        p += w;
        n -= (size_t)w;
    }
    return 0;
}

static void campi_record(const char* r, struct giorno* gi, struct giorno* gf, char campi[7][40], int lunghezze[7])
{
    double serie, euro;
    int32_t secondi, scatti;
    memcpy(&serie, r, 8);
    memcpy(&secondi, r + 8, 4);
    memcpy(&scatti, r + 12, 4);
    memcpy(&euro, r + 16, 8);
    for (int i = 0; i < 4; ++i)
        lunghezze[i] = 0;
    if (isfinite(serie) && serie >= -657434.0 && serie < 2958466.0) {
        double parte = trunc(serie);
        long long s = llround(fabs(serie - parte) * 86400);
        long long giorno = (long long)parte - EPOCA_SERIALE;
        if (s >= GIORNO) {
            ++giorno;
            s -= GIORNO;
        }
        const struct giorno* inizio = giorno_di(gi, giorno);
        long long fine = s + secondi, giorni = giu(fine, GIORNO);
        const struct giorno* arrivo = giorno_di(gf, giorno + giorni);
        if (!(inizio->costante && arrivo->costante && arrivo->scarto == inizio->scarto)) {
            long long muro = giorno * GIORNO + s;
            fine = fine_mostrata(muro, secondi) - giorno * GIORNO;
            giorni = giu(fine, GIORNO);
            arrivo = giorno_di(gf, giorno + giorni);
        }
        memcpy(campi[0], inizio->data, 10);
        lunghezze[0] = 10;
        lunghezze[1] = (int)(ora((int)s, campi[1]) - campi[1]);
        memcpy(campi[2], arrivo->data, 10);
        lunghezze[2] = 10;
        lunghezze[3] = (int)(ora((int)(fine - giorni * GIORNO), campi[3]) - campi[3]);
    }
    lunghezze[4] = (int)(durata(secondi, campi[4]) - campi[4]);
    lunghezze[5] = (int)(con_segno(scatti, campi[5]) - campi[5]);
    lunghezze[6] = (int)(importo(euro, campi[6]) - campi[6]);
}

int pavimento_esporta(const char* sorgente, const char* destinazione, int fisso)
{
    static char blocco[RECORD_BLOCCO * L];
    static char uscita[USCITA + 4096];
    char nome[4096];
    int in = open(sorgente, O_RDONLY);
    if (in < 0)
        return -1;
    snprintf(nome, sizeof nome, "%s.XXXXXX", destinazione);
    int out = mkstemp(nome);
    if (out < 0) {
        close(in);
        return -1;
    }
    prepara_nomi();
    static const char tab[] = "Data Inizio\tOra Inizio\tData Fine\tOra Fine\tDurata\tScatti\tImporto\tConnessione\r\n";
    static const char spazi[] = "Data Inizio  Ora Inizio   Data Fine    Ora Fine      Durata  Scatti    Importo  "
                                "Connessione                                       \r\n";
    const char* intestazione = fisso ? spazi : tab;
    size_t pieno = strlen(intestazione);
    memcpy(uscita, intestazione, pieno);
    struct giorno gi = {INT64_MIN, {0}, 0, 0}, gf = gi;
    int errore = 0;
    ssize_t n;
    size_t resto = 0;
    while (!errore && (n = read(in, blocco + resto, sizeof blocco - resto)) > 0) {
        size_t tot = resto + (size_t)n, i = 0;
        for (; i + L <= tot; i += L) {
            char campi[7][40];
            int lunghezze[7];
            campi_record(blocco + i, &gi, &gf, campi, lunghezze);
            pieno =
                (size_t)(riga(campi, lunghezze, (const unsigned char*)blocco + i + 24, fisso, uscita + pieno) - uscita);
            if (pieno >= USCITA) {
                errore = scrivi_tutto(out, uscita, pieno);
                pieno = 0;
            }
        }
        resto = tot - i;
        memmove(blocco, blocco + i, resto);
    }
    close(in);
    if (!errore)
        errore = scrivi_tutto(out, uscita, pieno);
    errore = fsync(out) != 0 || errore;
    errore = close(out) != 0 || errore;
    if (errore || rename(nome, destinazione) != 0) {
        unlink(nome);
        return -1;
    }
    return 0;
}
