#pragma once
// Shared by the log tests: a log written from records, a user who answers
// from a script, and the stand-ins for a read-only folder and a full disk.
#include "SupportoFile.h"
#include "common/Interlocutore.h"
#include "log/FileLog.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

inline RecordLog RecordProva(const QDateTime& inizio, qint32 durata, qint32 scatti, double importo, const QString& nome)
{
    RecordLog r;
    r.Inizio = inizio;
    r.Durata = durata;
    r.Scatti = scatti;
    r.Importo = importo;
    r.Connessione = nome;
    return r;
}

// Record i of a numbered log: one a day from 1/3/1998, i minutes long.
inline RecordLog RecordNumerato(int i)
{
    return RecordProva(QDateTime(QDate(1998, 3, 1), QTime(10, 0)).addDays(i - 1), i * 60, i, 127.0 * i,
                       QStringLiteral("Rete %1").arg(i));
}

inline void ScriviLog(const QString& percorso, int quanti)
{
    std::vector<RecordLog> r;
    for (int i = 1; i <= quanti; ++i)
        r.push_back(RecordNumerato(i));
    ScriviCopia(percorso, r);
}

inline QByteArray Contenuto(const QString& percorso)
{
    QFile f(percorso);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class UtenteFinto : public Interlocutore {
public:
    bool Domanda(const QString& t) override { return Registra("Domanda", t), risposta; }
    bool Conferma(const QString& t) override { return Registra("Conferma", t), risposta; }
    void Avviso(const QString& t) override { Registra("Avviso", t); }
    void Informazione(const QString& t) override { Registra("Informazione", t); }
    void Errore(const QString& t) override { Registra("Errore", t); }

    bool risposta = true;
    QStringList detti;   // "Kind: text"

private:
    void Registra(const char* tipo, const QString& t) { detti << QString::fromLatin1(tipo) + QStringLiteral(": ") + t; }
};

