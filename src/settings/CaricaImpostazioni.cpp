#include "settings/CaricaImpostazioni.h"

#include "common/FormeTesto.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace {

const QString None = QStringLiteral("None");

// Whole-number text: optional sign and digits only. Too many digits saturate,
// so an absurd value still lands on the nearest end of its range.
std::optional<qint64> LeggiIntero(const QString& testo)
{
    static const QRegularExpression forma(QStringLiteral("^[+-]?[0-9]+$"));
    const QString t = testo.trimmed();
    if (!forma.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (ok)
        return v;
    return t.startsWith(QLatin1Char('-')) ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
}

int Satura(qint64 v)
{
    return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Out-of-range doubles must not be converted to float directly.
float Singolo(double v)
{
    return float(std::clamp(v, double(-FLT_MAX), double(FLT_MAX)));
}

class Lettore {
public:
    Lettore(const ArchivioImpostazioni& a, const QLocale& l) : archivio_(a), locale_(l) {}

    QString Testo(const QString& k, const QString& predefinito) const { return archivio_.Leggi(k, predefinito); }

    bool Booleano(const QString& k, bool predefinito) const
    {
        const auto v = LeggiNumero(archivio_.Leggi(k, QString()), locale_);
        return v ? *v != 0 : predefinito;
    }

    int Intero(const QString& k, int predefinito) const
    {
        const auto v = LeggiIntero(archivio_.Leggi(k, QString()));
        return v ? Satura(*v) : predefinito;
    }

    double Doppio(const QString& k, double predefinito) const
    {
        return LeggiNumero(archivio_.Leggi(k, QString()), locale_).value_or(predefinito);
    }

    float Singolo(const QString& k, float predefinito) const
    {
        const auto v = LeggiNumero(archivio_.Leggi(k, QString()), locale_);
        return v ? ::Singolo(*v) : predefinito;
    }

    QDate Data(const QString& k, const QDate& predefinito) const
    {
        return LeggiData(archivio_.Leggi(k, QString()), locale_).value_or(predefinito);
    }

    static std::optional<quint32> Colore(const QString& testo)
    {
        const auto v = LeggiIntero(testo);
        if (!v || *v < 0 || *v > 0xFFFFFF)
            return std::nullopt;
        return quint32(*v);
    }

    quint32 Colore(const QString& k, quint32 predefinito) const
    {
        return Colore(archivio_.Leggi(k, QString())).value_or(predefinito);
    }

    // "None" and anything unreadable give nothing.
    std::optional<quint32> ColoreONone(const QString& k) const { return Colore(archivio_.Leggi(k, None)); }

    std::optional<double> PosizioneONone(const QString& k) const
    {
        const QString t = archivio_.Leggi(k, None);
        if (t == None)
            return std::nullopt;
        const auto v = LeggiNumero(t, locale_);
        if (!v)
            return std::nullopt;
        return double(::Singolo(*v));
    }

private:
    const ArchivioImpostazioni& archivio_;
    const QLocale& locale_;
};

class Scrittore {
public:
    Scrittore(ArchivioImpostazioni& a, const QLocale& l) : archivio_(a), locale_(l) {}

    void Testo(const QString& k, const QString& v) { archivio_.Scrivi(k, v); }
    void Booleano(const QString& k, bool v) { archivio_.Scrivi(k, TestoBooleano(v)); }
    void Intero(const QString& k, qint64 v) { archivio_.Scrivi(k, QString::number(v)); }
    void Singolo(const QString& k, double v) { archivio_.Scrivi(k, TestoNumeroSingolo(::Singolo(v), locale_)); }
    void Doppio(const QString& k, double v) { archivio_.Scrivi(k, TestoNumero(v, locale_)); }
    void Data(const QString& k, const QDate& v) { archivio_.Scrivi(k, TestoData(v, locale_)); }
    void Colore(const QString& k, quint32 v) { archivio_.Scrivi(k, QString::number(v)); }
    void ColoreONone(const QString& k, const std::optional<quint32>& v)
    {
        archivio_.Scrivi(k, v ? QString::number(*v) : None);
    }

private:
    ArchivioImpostazioni& archivio_;
    const QLocale& locale_;
};

QString K(const char* chiave) { return QString::fromLatin1(chiave); }

// The array bounds, whatever count a caller hands over.
int InUso(int conteggio, int massimo) { return std::clamp(conteggio, 0, massimo); }

void ScriviModello(Scrittore& s, const ModelloTariffe& m)
{
    s.Intero(K("CstSct"), m.CstSct);
    s.Intero(K("PrcIva"), m.PrcIva);
    s.Booleano(K("SctAgg"), m.SctAgg);
    s.Intero(K("MaxTrf"), m.MaxTrf);
    for (int i = 1; i <= InUso(m.MaxTrf, MassimoTariffe); ++i) {
        const Tariffa& t = m.tariffa(i);
        s.Testo(ChiaveFamiglia("DscTr", i), t.Descrizione);
        s.Singolo(ChiaveFamiglia("SPSTr", i), t.SecondiPerScatto);
        s.Colore(ChiaveFamiglia("ClrTr", i), t.Colore);
    }
    s.Intero(K("MaxFsc"), m.MaxFsc);
    for (int i = 1; i <= InUso(m.MaxFsc, MassimoFasce); ++i) {
        const Fascia& f = m.fascia(i);
        s.Testo(ChiaveFamiglia("InzFs", i), f.Inizio);
        s.Intero(ChiaveFamiglia("TrfFr", i), f.TariffaFeriali);
        s.Intero(ChiaveFamiglia("TrfSb", i), f.TariffaSabato);
        s.Intero(ChiaveFamiglia("TrfFs", i), f.TariffaFestivi);
    }
}

void ScriviSuoniEAllarmi(Scrittore& s, const Impostazioni& imp)
{
    for (int i = 0; i < NumeroSuoni; ++i)
        s.Testo(ChiaveFamiglia("Wav00", i), imp.Wav[size_t(i)]);
    for (int n = 1; n <= NumeroAllarmi; ++n) {
        s.Booleano(ChiaveFamiglia("Msg00", n), imp.Msg[size_t(n)]);
        s.Doppio(ChiaveFamiglia("MsV00", n), imp.MsV[size_t(n)]);
        if (n <= 3)
            s.Booleano(ChiaveFamiglia("MsI00", n), imp.MsI[size_t(n)]);
    }
}

// At most 20 characters, never splitting a surrogate pair.
QString Tronca20(const QString& testo)
{
    if (testo.size() <= 20)
        return testo;
    const int n = testo.at(19).isHighSurrogate() ? 19 : 20;
    return testo.left(n);
}

} // namespace

QString TestoBooleano(bool valore)
{
    return valore ? QStringLiteral("-1") : QStringLiteral("0");
}

QString ChiaveFamiglia(const char* radice, int indice)
{
    return QString::fromLatin1(radice) + QString::number(indice);
}

QStringList NomiInterfacce(const QString& testo)
{
    QStringList nomi;
    static const QRegularExpression separatori(QStringLiteral("[\\s,]+"));
    for (const QString& nome : testo.split(separatori, Qt::SkipEmptyParts)) {
        // The kernel's own rule: at most 15 bytes, no '/', no ':' (an alias
        // label), nothing unprintable.
        const bool valido = QFile::encodeName(nome).size() <= 15 && nome != QLatin1String(".")
            && nome != QLatin1String("..")
            && std::none_of(nome.begin(), nome.end(), [](QChar c) {
                   return c == u'/' || c == u':' || !c.isPrint();
               });
        if (valido && !nomi.contains(nome))
            nomi << nome;
        if (nomi.size() == NumeroMassimoInterfacce)
            break;
    }
    return nomi;
}

QString TestoNomiInterfacce(const QStringList& nomi)
{
    return nomi.join(QLatin1Char(' '));
}

QDate InizioPeriodoPredefinito(const QDate& oggi)
{
    return QDate(oggi.year(), oggi.month(), 1);
}

QDate FinePeriodoPredefinita(const QDate& oggi)
{
    return InizioPeriodoPredefinito(oggi).addMonths(1).addDays(-1);
}

Impostazioni CaricaImpostazioni(const ArchivioImpostazioni& archivio, const QDate& oggi, const QLocale& locale,
                                bool schedaAudio, bool* primoAvvio)
{
    const Lettore l(archivio, locale);
    const Impostazioni d;  // the defaults
    Impostazioni imp;

    imp.SchedaAudio = schedaAudio;
    const bool regFlg = l.Booleano(K("RegFlg"), true);

    imp.IntRfr = l.Intero(K("IntRfr"), d.IntRfr);
    imp.IntCtr = l.Intero(K("IntCtr"), d.IntCtr);
    imp.TopWin = l.Booleano(K("TopWin"), d.TopWin);
    imp.CnfStp = l.Booleano(K("CnfStp"), d.CnfStp);
    imp.SlvImp = l.Booleano(K("SlvImp"), d.SlvImp);
    imp.CtrAut = l.Booleano(K("CtrAut"), d.CtrAut);
    imp.CtrCon = l.Booleano(K("CtrCon"), d.CtrCon);
    for (int i = 0; i < int(imp.Clr.size()); ++i)
        imp.Clr[size_t(i)] = l.ColoreONone(ChiaveFamiglia("Clr00", i));
    imp.ClrTar = l.Booleano(K("ClrTar"), d.ClrTar);
    imp.TopTwp = l.PosizioneONone(K("TopTwp"));
    imp.LftTwp = l.PosizioneONone(K("LftTwp"));
    imp.TipImp = l.Intero(K("TipImp"), d.TipImp);
    imp.PerImp = l.Intero(K("PerImp"), d.PerImp);

    imp.DatIPB = l.Data(K("DatIPB"), InizioPeriodoPredefinito(oggi));
    imp.DatFPB = l.Data(K("DatFPB"), FinePeriodoPredefinita(oggi));

    ModelloTariffe& m = imp.Tariffe;
    const ModelloTariffe& dm = d.Tariffe;
    m.CstSct = l.Intero(K("CstSct"), dm.CstSct);
    m.PrcIva = l.Intero(K("PrcIva"), dm.PrcIva);
    m.SctAgg = l.Booleano(K("SctAgg"), dm.SctAgg);
    m.MaxTrf = l.Intero(K("MaxTrf"), dm.MaxTrf);
    for (int i = 1; i <= MassimoTariffe; ++i)
        m.tariffa(i).Descrizione = l.Testo(ChiaveFamiglia("DscTr", i), dm.tariffa(i).Descrizione);
    for (int i = 1; i <= MassimoTariffe; ++i)
        m.tariffa(i).SecondiPerScatto = l.Singolo(ChiaveFamiglia("SPSTr", i), dm.tariffa(i).SecondiPerScatto);
    for (int i = 1; i <= MassimoTariffe; ++i)
        m.tariffa(i).Colore = l.Colore(ChiaveFamiglia("ClrTr", i), dm.tariffa(i).Colore);
    m.MaxFsc = l.Intero(K("MaxFsc"), dm.MaxFsc);
    for (int i = 1; i <= MassimoFasce; ++i)
        m.fascia(i).Inizio = l.Testo(ChiaveFamiglia("InzFs", i), dm.fascia(i).Inizio);
    for (int i = 1; i <= MassimoFasce; ++i)
        m.fascia(i).TariffaFeriali = l.Intero(ChiaveFamiglia("TrfFr", i), dm.fascia(i).TariffaFeriali);
    for (int i = 1; i <= MassimoFasce; ++i)
        m.fascia(i).TariffaSabato = l.Intero(ChiaveFamiglia("TrfSb", i), dm.fascia(i).TariffaSabato);
    for (int i = 1; i <= MassimoFasce; ++i)
        m.fascia(i).TariffaFestivi = l.Intero(ChiaveFamiglia("TrfFs", i), dm.fascia(i).TariffaFestivi);
    m.RidTrf = l.Booleano(K("RidTrf"), dm.RidTrf);
    m.PrcRid = l.Intero(K("PrcRid"), dm.PrcRid);
    m.LimRid = l.Intero(K("LimRid"), dm.LimRid);
    m.TipRid = l.Intero(K("TipRid"), dm.TipRid);

    imp.LogCon = l.Booleano(K("LogCon"), d.LogCon);
    for (int i = 0; i < NumeroSuoni; ++i)
        imp.Wav[size_t(i)] = l.Testo(ChiaveFamiglia("Wav00", i), QString());
    for (int n = 1; n <= NumeroAllarmi; ++n) {
        imp.Msg[size_t(n)] = l.Booleano(ChiaveFamiglia("Msg00", n), false);
        imp.MsV[size_t(n)] = l.Doppio(ChiaveFamiglia("MsV00", n), 0);
        if (n <= 3)
            imp.MsI[size_t(n)] = l.Booleano(ChiaveFamiglia("MsI00", n), false);
    }

    imp.IfcPtp = NomiInterfacce(l.Testo(K("IfcPtp"), QString()));

    NormalizzaImpostazioni(imp, oggi);
    if (primoAvvio)
        *primoAvvio = regFlg;
    return imp;
}

void NormalizzaImpostazioni(Impostazioni& imp, const QDate& oggi)
{
    imp.IntRfr = std::clamp(imp.IntRfr, 1000, 5000);
    imp.IntCtr = std::clamp(imp.IntCtr, 1000, 5000);
    imp.TipImp = std::clamp(imp.TipImp, 1, 4);
    imp.PerImp = std::clamp(imp.PerImp, 1, 3);
    // Time is shown only for the current connection.
    if (imp.TipImp == 4 && imp.PerImp != 1)
        imp.TipImp = 1;
    for (std::optional<double>* p : {&imp.TopTwp, &imp.LftTwp})
        if (*p && !std::isfinite(**p))
            p->reset();
    if (!imp.DatIPB.isValid())
        imp.DatIPB = InizioPeriodoPredefinito(oggi);
    if (!imp.DatFPB.isValid())
        imp.DatFPB = FinePeriodoPredefinita(oggi);

    ModelloTariffe& m = imp.Tariffe;
    m.CstSct = std::clamp(m.CstSct, 0, 9999);
    m.PrcIva = std::clamp(m.PrcIva, 0, 99);
    m.MaxTrf = std::clamp(m.MaxTrf, 1, MassimoTariffe);
    m.MaxFsc = std::clamp(m.MaxFsc, 1, MassimoFasce);
    for (Tariffa& t : m.Tariffe)
        t.Descrizione = Tronca20(t.Descrizione);
    for (int i = 1; i <= m.MaxTrf; ++i) {
        float& s = m.tariffa(i).SecondiPerScatto;
        s = std::isnan(s) ? 1.0f : std::clamp(s, 1.0f, 3600.0f);
    }
    for (int i = 1; i <= m.MaxFsc; ++i) {
        Fascia& f = m.fascia(i);
        for (int* t : {&f.TariffaFeriali, &f.TariffaSabato, &f.TariffaFestivi})
            *t = std::clamp(*t, 1, m.MaxTrf);
    }
    m.PrcRid = std::clamp(m.PrcRid, 1, 99);
    m.LimRid = std::clamp(m.LimRid, 0, 9999);
    m.TipRid = std::clamp(m.TipRid, 0, 1);
}

QPointF PosizioneFinestra(std::optional<double> topTwp, std::optional<double> lftTwp, const QSizeF& schermoTwp,
                          const QSizeF& finestraTwp)
{
    const double spazioVerticale = schermoTwp.height() - finestraTwp.height();
    const double spazioOrizzontale = schermoTwp.width() - finestraTwp.width();
    double top = 0;
    if (topTwp)
        top = spazioVerticale < *topTwp ? spazioVerticale : *topTwp;
    double left;
    if (lftTwp)
        left = spazioOrizzontale < *lftTwp ? spazioOrizzontale : *lftTwp;
    else
        left = std::trunc(std::round(spazioOrizzontale) / 2);
    return {left, top};
}

bool PosizioneRaggiungibile(const QRectF& finestraTwp, const QList<QRectF>& schermiTwp)
{
    return std::any_of(schermiTwp.begin(), schermiTwp.end(),
                       [&](const QRectF& s) { return finestraTwp.intersects(s); });
}

bool ScriviPrimoAvvio(ArchivioImpostazioni& archivio, const Impostazioni& imp, double topTwp, double lftTwp,
                      const std::array<quint32, 5>& coloriCorrenti, const QLocale& locale, QString* errore)
{
    Scrittore s(archivio, locale);
    ScriviModello(s, imp.Tariffe);
    s.Intero(K("IntRfr"), imp.IntRfr);
    s.Intero(K("IntCtr"), imp.IntCtr);
    s.Booleano(K("TopWin"), imp.TopWin);
    s.Booleano(K("CnfStp"), imp.CnfStp);
    s.Booleano(K("SlvImp"), imp.SlvImp);
    s.Booleano(K("LogCon"), imp.LogCon);
    s.Booleano(K("CtrAut"), imp.CtrAut);
    s.Booleano(K("CtrCon"), imp.CtrCon);
    s.Singolo(K("TopTwp"), topTwp);
    s.Singolo(K("LftTwp"), lftTwp);
    s.Intero(K("TipImp"), imp.TipImp);
    s.Intero(K("PerImp"), imp.PerImp);
    s.Data(K("DatIPB"), imp.DatIPB);
    s.Data(K("DatFPB"), imp.DatFPB);
    for (int i = 0; i < int(coloriCorrenti.size()); ++i)
        s.Colore(ChiaveFamiglia("Clr00", i), coloriCorrenti[size_t(i)]);
    s.Booleano(K("ClrTar"), imp.ClrTar);
    ScriviSuoniEAllarmi(s, imp);
    s.Testo(K("RegFlg"), QStringLiteral("0"));
    return archivio.Salva(errore);
}

bool ScriviOpzioni(ArchivioImpostazioni& archivio, const Impostazioni& imp, const QLocale& locale, QString* errore)
{
    Scrittore s(archivio, locale);
    s.Intero(K("IntRfr"), imp.IntRfr);
    s.Booleano(K("CnfStp"), imp.CnfStp);
    s.Booleano(K("TopWin"), imp.TopWin);
    s.Booleano(K("LogCon"), imp.LogCon);
    s.Booleano(K("CtrAut"), imp.CtrAut);
    s.Intero(K("IntCtr"), imp.IntCtr);
    s.Booleano(K("CtrCon"), imp.CtrCon);
    s.Booleano(K("SlvImp"), imp.SlvImp);
    for (int i = 0; i < int(imp.Clr.size()); ++i)
        s.ColoreONone(ChiaveFamiglia("Clr00", i), imp.Clr[size_t(i)]);
    s.Booleano(K("ClrTar"), imp.ClrTar);
    ScriviSuoniEAllarmi(s, imp);
    return archivio.Salva(errore);
}

bool ScriviTariffe(ArchivioImpostazioni& archivio, const Impostazioni& imp, const QLocale& locale, QString* errore)
{
    Scrittore s(archivio, locale);
    const ModelloTariffe& m = imp.Tariffe;
    ScriviModello(s, m);
    s.Booleano(K("RidTrf"), m.RidTrf);
    s.Intero(K("PrcRid"), m.PrcRid);
    s.Intero(K("LimRid"), m.LimRid);
    s.Intero(K("TipRid"), m.TipRid);
    return archivio.Salva(errore);
}

bool ScriviPeriodoBolletta(ArchivioImpostazioni& archivio, const Impostazioni& imp, const QLocale& locale,
                           QString* errore)
{
    Scrittore s(archivio, locale);
    s.Data(K("DatIPB"), imp.DatIPB);
    s.Data(K("DatFPB"), imp.DatFPB);
    return archivio.Salva(errore);
}

bool ScriviUscita(ArchivioImpostazioni& archivio, const Impostazioni& imp, double topTwp, double lftTwp,
                  const QLocale& locale, QString* errore)
{
    Scrittore s(archivio, locale);
    s.Singolo(K("TopTwp"), topTwp);
    s.Singolo(K("LftTwp"), lftTwp);
    s.Intero(K("TipImp"), imp.TipImp);
    s.Intero(K("PerImp"), imp.PerImp);
    return archivio.Salva(errore);
}
