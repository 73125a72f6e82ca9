// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Choosing the connections whose value in one field lies in a range, and
// writing them to the filtered copy.
#include "log/FileLog.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <array>
#include <optional>
#include <variant>

enum class CampoLog { DataInizio, OraInizio, DataFine, OraFine, Durata, Scatti, Importo, Connessione };
enum class GenereCampo { Data, Ora, Numero, Testo };

inline constexpr int NumeroCampiLog = 8;
// "Data Inizio", ..., "Durata (min.)", ..., "Connessione".
const QStringList& NomiCampiLog();
GenereCampo GenereDi(CampoLog campo);

// The value a bound stands for once normalised.
using ValoreLimite = std::variant<std::monostate, QDate, QTime, qint64, QString>;

// The two bounds of the filter as the user writes them, with the values
// they were normalised to. A text the normaliser wrote itself keeps its value
// and is never read again, so a date shown day first is not re-read in the
// order of another locale.
class LimitiFiltro {
public:
    void ImpostaCampo(CampoLog campo);
    CampoLog Campo() const { return campo_; }
    // i is 0 (lower) or 1 (upper).
    void ImpostaTesto(int i, const QString& testo) { testi_[i] = testo; }
    const QString& Testo(int i) const { return testi_[i]; }
    const ValoreLimite& Valore(int i) const { return valori_[i]; }

    // Normalises each non-empty bound by the kind of the field (dates to
    // "dd/mm/yyyy", times to "h.mm.ss", numbers to the absolute whole part,
    // names as entered; what cannot be read is emptied) and swaps the two
    // when the upper is smaller than the lower.
    void ControllaValori();
    bool Vuoti() const { return testi_[0].isEmpty() && testi_[1].isEmpty(); }

    // Inclusive; an empty bound leaves its side open. Call ControllaValori first.
    bool Corrisponde(const RecordLog& record) const;
    // The same for a record as stored, decoding only the field compared.
    bool Corrisponde(const char* byte, CalendarioLocale& calendario) const;

private:
    struct Istante {
        bool valido = false;
        qint64 giorno = 0;
        int secondo = 0;
    };
    bool CorrispondeIstante(const Istante& istante) const;
    bool CorrispondeNumero(qint64 numero) const;
    bool CorrispondeImporto(double importo) const;
    bool CorrispondeNome(const QString& nome) const;

    ValoreLimite Leggi(const QString& testo) const;
    QString Scrivi(const ValoreLimite& valore) const;

    CampoLog campo_ = CampoLog::DataInizio;
    std::array<QString, 2> testi_;
    std::array<ValoreLimite, 2> valori_;
    std::array<QString, 2> scritti_; // what ControllaValori wrote, to know our own texts
};

// A name as it is compared: upper case, surrounding blanks removed.
QString NomeConfrontato(const QString& nome);

struct EsitoFiltroLog {
    qint64 letti = 0;   // records of the whole log
    qint64 tenuti = -1; // written to the copy, -1 when it could not be written
    QString errore;
};

// Writes the records of `log` that match into `filtrato`; the old copy stays
// as it was when the new one cannot be written.
EsitoFiltroLog EseguiFiltroLog(const QString& log, const QString& filtrato, const LimitiFiltro& limiti,
                               const AvanzamentoLog& avanzamento = {});
