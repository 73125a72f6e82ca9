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

namespace {

// Nothing for a form holding names, AM/PM, quotes or another numbering
// system: those go through the locale.
std::optional<std::vector<FormatiLog::Pezzo>> Scomponi(const QString& formato, const QLocale& locale)
{
    if (locale.zeroDigit() != QLatin1String("0"))
        return std::nullopt;
    std::vector<FormatiLog::Pezzo> pezzi;
    for (qsizetype i = 0; i < formato.size();) {
        const QChar c = formato.at(i);
        qsizetype n = 1;
        while (i + n < formato.size() && formato.at(i + n) == c)
            ++n;
        if (c.isLetter() || c == QLatin1Char('\'') || c.unicode() > 0x7f) {
            const char l = c.toLatin1() == 'H' ? 'h' : c.toLatin1();
            const bool ammesso = (QByteArrayView("dMhms").contains(l) && n <= 2) || (l == 'y' && (n == 2 || n == 4));
            if (!ammesso)
                return std::nullopt;
            pezzi.push_back({l, int(n), {}});
        } else {
            pezzi.push_back({0, 0, formato.mid(i, n)});
        }
        i += n;
    }
    return pezzi;
}

QString Componi(const std::vector<FormatiLog::Pezzo>& pezzi, const QDate& d, const QTime& t)
{
    QString out;
    out.reserve(12);
    for (const FormatiLog::Pezzo& p : pezzi) {
        int v = 0;
        switch (p.lettera) {
        case 0: out += p.testo; continue;
        case 'd': v = d.day(); break;
        case 'M': v = d.month(); break;
        case 'y': v = p.larghezza == 2 ? d.year() % 100 : d.year(); break;
        case 'h': v = t.hour(); break;
        case 'm': v = t.minute(); break;
        case 's': v = t.second(); break;
        }
        out += QString::number(v).rightJustified(p.larghezza, QLatin1Char('0'));
    }
    return out;
}

} // namespace

FormatiLog::FormatiLog(const QLocale& locale)
    : locale_(locale), data_(FormatoQuattroCifre(locale)), ora_(FormatoOra(locale)),
      pezziData_(Scomponi(data_, locale)), pezziOra_(Scomponi(ora_, locale))
{
}

QString FormatiLog::Data(const QDate& data) const
{
    if (pezziData_ && data.isValid() && data.year() > 0 && data.year() <= 9999)
        return Componi(*pezziData_, data, {});
    return locale_.toString(data, data_);
}

QString FormatiLog::Ora(const QTime& ora) const
{
    if (pezziOra_ && ora.isValid())
        return Componi(*pezziOra_, {}, ora);
    return locale_.toString(ora, ora_);
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
