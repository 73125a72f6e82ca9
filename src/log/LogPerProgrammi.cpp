// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/LogPerProgrammi.h"

#include "common/FormeTesto.h"
#include "log/FileLog.h"
#include "log/FiltroLog.h"
#include "log/TestiLog.h"

#include <QIODevice>

namespace {

constexpr qsizetype BloccoScrittura = 1 << 20;
// Written first in the JSON, for a script to check what it reads.
constexpr int VersioneFormato = 1;

// Empty when the record holds no date.
QByteArray DataIso(const TempiRecord& t, const GiornoESecondo& g)
{
    return t.valido ? g.Data().toString(Qt::ISODate).toLatin1() : QByteArray();
}
QByteArray OraIso(const TempiRecord& t, const GiornoESecondo& g)
{
    return t.valido ? g.Ora().toString(Qt::ISODate).toLatin1() : QByteArray();
}

QByteArray CampoCsv(const QString& testo)
{
    QString t = testo;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + t.toUtf8() + '"';
}

QByteArray TestoJson(const QString& testo)
{
    QByteArray out = "\"";
    for (const char c : testo.toUtf8()) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20)
            out += "\\u00" + QByteArray::number(int(c), 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out + '"';
}

// A date or time field of the JSON: null when the record holds no date.
QByteArray ValoreJson(const QByteArray& iso) { return iso.isEmpty() ? QByteArray("null") : '"' + iso + '"'; }

void RigaCsv(const RecordLog& r, QByteArray& out)
{
    const TempiRecord t = r.Tempi();
    out += DataIso(t, t.inizio) + ',' + OraIso(t, t.inizio) + ',' + DataIso(t, t.fine) + ',' + OraIso(t, t.fine) + ','
           + QByteArray::number(r.Durata) + ',' + QByteArray::number(r.Scatti) + ','
           + NumeroSemplice(r.Importo).toLatin1() + ',' + CampoCsv(r.ConnessioneSenzaSpazi()) + "\r\n";
}

void RigaJson(const RecordLog& r, bool prima, QByteArray& out)
{
    const TempiRecord t = r.Tempi();
    out += prima ? "\n    " : ",\n    ";
    out += "{\"data_inizio\": " + ValoreJson(DataIso(t, t.inizio)) + ", \"ora_inizio\": "
           + ValoreJson(OraIso(t, t.inizio)) + ", \"data_fine\": " + ValoreJson(DataIso(t, t.fine))
           + ", \"ora_fine\": " + ValoreJson(OraIso(t, t.fine)) + ", \"durata\": " + QByteArray::number(r.Durata)
           + ", \"scatti\": " + QByteArray::number(r.Scatti) + ", \"importo\": " + NumeroSemplice(r.Importo).toLatin1()
           + ", \"connessione\": " + TestoJson(r.ConnessioneSenzaSpazi()) + "}";
}

class Scelta {
public:
    explicit Scelta(const SceltaLog& s)
        : da_(s.da.isValid() ? s.da.toJulianDay() : std::numeric_limits<qint64>::min()),
          a_(s.a.isValid() ? s.a.toJulianDay() : std::numeric_limits<qint64>::max()),
          date_(s.da.isValid() || s.a.isValid()), nome_(NomeConfrontato(s.connessione))
    {
    }
    bool Tiene(const char* byte)
    {
        if (date_) {
            const TempiRecord t = calendario_.Tempi(byte);
            if (!t.valido || t.inizio.giorno < da_ || t.inizio.giorno > a_)
                return false;
        }
        return nome_.isEmpty() || NomeConfrontato(DaTestoAnsi(ConnessioneGrezza(byte), LunghezzaConnessione)) == nome_;
    }

private:
    qint64 da_, a_;
    bool date_;
    QString nome_;
    CalendarioLocale calendario_;
};

bool Scrivi(QIODevice& uscita, QByteArray& attesa)
{
    const bool ok = uscita.write(attesa) == attesa.size();
    // Emptied, not freed: the next block fills the same memory.
    attesa.resize(0);
    return ok;
}

} // namespace

bool ScriviLogPerProgrammi(const QString& log, const SceltaLog& scelta, FormatoLog formato, QIODevice& uscita,
                           QString* motivo, const QLocale& locale)
{
    const auto fallito = [&](const QString& causa) {
        if (motivo)
            *motivo = causa;
        return false;
    };
    LettoreLog lettore(log);
    if (!lettore.Errore().isEmpty())
        return fallito(lettore.Errore());
    const bool esportazione = formato == FormatoLog::Tabulazione || formato == FormatoLog::Colonne;
    const TipoEsportazione tipo =
        formato == FormatoLog::Colonne ? TipoEsportazione::Spazi : TipoEsportazione::Tabulazione;
    QByteArray attesa =
        esportazione ? IntestazioneEsportazione(tipo)
        : formato == FormatoLog::Csv
            ? "data_inizio,ora_inizio,data_fine,ora_fine,durata,scatti,importo,connessione\r\n"
            : "{\n  \"versione_formato\": " + QByteArray::number(VersioneFormato) + ",\n  \"connessioni\": [";
    attesa.reserve(BloccoScrittura + 4096);
    ScrittoreRigheLog scrittore(tipo, locale);
    Scelta sceglie(scelta);
    bool nessuna = true;
    while (const char* byte = lettore.ProssimoByte()) {
        if (!sceglie.Tiene(byte))
            continue;
        if (esportazione)
            scrittore.Aggiungi(byte, attesa);
        else if (formato == FormatoLog::Csv)
            RigaCsv(DecodificaRecordLog(byte), attesa);
        else
            RigaJson(DecodificaRecordLog(byte), nessuna, attesa);
        nessuna = false;
        if (attesa.size() >= BloccoScrittura && !Scrivi(uscita, attesa))
            return fallito(uscita.errorString());
    }
    if (!lettore.Errore().isEmpty())
        return fallito(lettore.Errore());
    if (formato == FormatoLog::Json)
        attesa += nessuna ? "]\n}\n" : "\n  ]\n}\n";
    if (!Scrivi(uscita, attesa))
        return fallito(uscita.errorString());
    return true;
}
