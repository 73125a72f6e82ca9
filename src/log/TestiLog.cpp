#include "TestiLog.h"

#include "common/FormeTesto.h"

namespace {

const QString Tab = QStringLiteral("\t");
const QByteArray FineRiga = QByteArrayLiteral("\r\n");

// Fields of the fixed-column form; the header labels end where they end.
constexpr int Larghezze[7] = {11, 12, 12, 12, 12, 8, 11};

QStringList DateEOre(const RecordLog& r, const FormatiLog& f)
{
    if (!r.Inizio.isValid())
        return {QString(), QString(), QString(), QString()};
    const QDateTime fine = r.Fine();
    return {f.Data(r.Inizio.date()), f.Ora(r.Inizio.time()), f.Data(fine.date()), f.Ora(fine.time())};
}

QString FormatoOra(const QLocale& locale)
{
    QString formato = locale.timeFormat(QLocale::LongFormat);
    formato.remove(QLatin1Char('t'));
    return formato.trimmed();
}

} // namespace

const QStringList& IntestazioniLog()
{
    static const QStringList t = {QStringLiteral("Data Inizio"), QStringLiteral("Ora Inizio"),
                                  QStringLiteral("Data Fine"),   QStringLiteral("Ora Fine"),
                                  QStringLiteral("Durata"),      QStringLiteral("Scatti"),
                                  QStringLiteral("Importo"),     QStringLiteral("Connessione")};
    return t;
}

QString TestoOraLog(const QTime& ora, const QLocale& locale) { return locale.toString(ora, FormatoOra(locale)); }

FormatiLog::FormatiLog(const QLocale& locale)
    : locale_(locale), data_(FormatoQuattroCifre(locale)), ora_(FormatoOra(locale))
{
}

QStringList ColonneRecordLog(const RecordLog& r, const FormatiLog& f)
{
    QStringList c = DateEOre(r, f);
    c << FormattaTempo(r.Durata) << f.Locale().toString(r.Scatti)
      << FormattaNumero(r.Importo, QStringLiteral("#,##0"), f.Locale()) << r.Connessione;
    return c;
}

QString AllineaADestra(const QString& testo, int larghezza)
{
    if (testo.size() >= larghezza)
        return testo.right(larghezza);
    return QString(larghezza - testo.size(), QLatin1Char(' ')) + testo;
}

QByteArray IntestazioneEsportazione(TipoEsportazione tipo)
{
    if (tipo == TipoEsportazione::Tabulazione)
        return IntestazioniLog().join(Tab).toUtf8() + FineRiga;
    const QString riga = QStringLiteral("Data Inizio  Ora Inizio   Data Fine    Ora Fine      Durata  Scatti    Importo  ") +
                         QStringLiteral("Connessione").leftJustified(LunghezzaConnessione, QLatin1Char(' '));
    return riga.toUtf8() + FineRiga;
}

QByteArray RigaEsportazione(const RecordLog& r, TipoEsportazione tipo, const FormatiLog& f)
{
    QStringList campi = DateEOre(r, f);
    campi << FormattaTempo(r.Durata) << FormattaNumero(r.Scatti, QStringLiteral("0"), f.Locale())
          << FormattaNumero(r.Importo, QStringLiteral("0"), f.Locale());
    QString riga;
    if (tipo == TipoEsportazione::Tabulazione) {
        campi << r.Connessione.trimmed();
        riga = campi.join(Tab);
    } else {
        for (int i = 0; i < 7; ++i)
            riga += AllineaADestra(campi.at(i), Larghezze[i]);
        riga += QStringLiteral("  ") + r.Connessione.leftJustified(LunghezzaConnessione, QLatin1Char(' '), true);
    }
    return riga.toUtf8() + FineRiga;
}

std::vector<RigaLog> RichiediRigheLog(const SorgenteRecordLog& sorgente, qint64 numero, const QString& segnalibro,
                                      bool indietro, int righe, const QLocale& locale)
{
    const qint64 passo = indietro ? -1 : 1;
    bool ok = false;
    const qint64 marca = segnalibro.toLongLong(&ok);
    qint64 indice;
    if (ok && !segnalibro.isEmpty())
        indice = marca + passo;
    else
        indice = indietro ? numero - 1 : 0;
    const FormatiLog formati(locale);
    std::vector<RigaLog> out;
    for (int r = 0; r < righe && indice >= 0 && indice < numero; ++r, indice += passo) {
        const std::optional<RecordLog> record = sorgente(indice + 1);
        if (!record)
            break;
        out.push_back({QString::number(indice), ColonneRecordLog(*record, formati)});
    }
    return out;
}
