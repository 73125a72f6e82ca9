// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the log tests: a log written from records, a user who answers
// from a script, a locale and a time zone for a while, and records a damaged
// log may hold.
#include "Ripristino.h"
#include "SupportoFile.h"
#include "common/Interlocutore.h"
#include "log/FileLog.h"

#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QtEndian>
#include <bit>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>
#include <random>

// Record i of a numbered log: one a day from 1/3/1998, i minutes long.
inline RecordLog RecordNumerato(int i)
{
    return {QDateTime(QDate(1998, 3, 1), QTime(10, 0)).addDays(i - 1), i * 60, i, 127.0 * i + 0.5,
            QStringLiteral("Rete %1 è").arg(i)};
}

inline void ScriviLog(const QString& percorso, int quanti)
{
    std::vector<RecordLog> r;
    for (int i = 1; i <= quanti; ++i)
        r.push_back(RecordNumerato(i));
    ScriviCopia(percorso, r);
}

class UtenteFinto : public Interlocutore {
public:
    bool Domanda(const QString& t) override { return Registra("Domanda", t), risposta; }
    bool Conferma(const QString& t) override { return Registra("Conferma", t), risposta; }
    void Avviso(const QString& t) override { Registra("Avviso", t); }
    void Informazione(const QString& t) override { Registra("Informazione", t); }
    void Errore(const QString& t) override { Registra("Errore", t); }

    bool risposta = true;
    QStringList detti; // "Kind: text"

private:
    void Registra(const char* tipo, const QString& t) { detti << QString::fromLatin1(tipo) + QStringLiteral(": ") + t; }
};

// 74 bytes of a record a damaged or odd log may hold: mostly plausible
// calls, also the hour repeated or skipped by summer time, dates at the ends
// of the range, NaN and huge amounts, negative and extreme counts, any byte
// in the name (tabs and line ends included), and plain noise.
inline QByteArray RecordCasuale(std::mt19937_64& g)
{
    const auto scegli = [&g](std::initializer_list<double> v) { return *(v.begin() + g() % v.size()); };
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    double inizio;
    switch (g() % 6) {
    case 0: inizio = 35000 + double(g() % 20000) + double(g() % 86400) / 86400.0; break;
    case 1: inizio = -657434.0 + double(g() % 3615900) + double(g() % 86400) / 86400.0; break;
    case 2: inizio = std::bit_cast<double>(quint64(g())); break;
    // Around the changes of 2021 in Europe and of 2019 in Brazil, by quarters of an hour.
    case 3: inizio = scegli({44282.0, 44500.0, 43512.0, 43394.0}) + double(g() % 192) / 96.0; break;
    default:
        inizio = scegli({-657434.0, 2958465.99999, 2958466.0, -657435.0, 0.0, -1.25, -0.5, inf, nan, -0.0,
                         36250.0833333333, 44500.0833333333});
    }
    constexpr qint32 massimo = std::numeric_limits<qint32>::max(), minimo = std::numeric_limits<qint32>::min();
    const qint32 estremi[] = {0, 1, -1, 59, 60, 3599, 3600, 86399, 86400, 999999999, massimo, minimo};
    const qint32 durata = g() % 3 ? qint32(g() % 20000) : g() % 2 ? estremi[g() % 12] : qint32(g());
    const qint32 scatti = g() % 3 ? qint32(g() % 500) : g() % 2 ? estremi[g() % 12] : qint32(g());
    const double importo = g() % 3 == 0 ? double(g() % 100000) * 0.5
                           : g() % 2
                               ? scegli({0.0, -0.0, 0.5, 0.49999999999999994, 2.5, -0.4, -0.5, -1.5, 4503599627370495.5,
                                         4503599627370496.0, 1e20, -1e300, nan, inf, -inf, 5e-324})
                               : std::bit_cast<double>(quint64(g()));
    char b[74];
    qToLittleEndian(std::bit_cast<quint64>(inizio), b);
    qToLittleEndian(durata, b + 8);
    qToLittleEndian(scatti, b + 12);
    qToLittleEndian(std::bit_cast<quint64>(importo), b + 16);
    const int lunghezza = int(g() % 51);
    for (int i = 0; i < 50; ++i)
        b[24 + i] = i >= lunghezza ? ' ' : g() % 2 ? char(g() % 256) : " aRETà\xa0\x85\x80\x81\t\r\n"[g() % 14];
    return QByteArray(b, 74);
}
