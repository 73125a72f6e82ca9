// SPDX-License-Identifier: GPL-3.0-or-later
#include "pulses/RapportoBolletta.h"
#include "common/FileIntero.h"
#include "common/FormeTesto.h"

#include <QDir>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

const QString FormaIso = QStringLiteral("yyyy-MM-dd");

double Centesimi(double v) { return std::round(v * 100) / 100; }

QByteArray Iso(const QDate& d) { return d.toString(FormaIso).toLatin1(); }
QByteArray Numero(double v) { return NumeroSemplice(v).toLatin1(); }

// Both rounded first, so the written net and VAT add up to the written total.
double Iva(double netto, double totale) { return Centesimi(totale) - Centesimi(netto); }

qint64 GiorniDelPeriodo(QDate inizio, QDate fine)
{
    return inizio.isValid() && fine.isValid() ? inizio.daysTo(fine) + 1 : 0;
}

void RigaCsv(QByteArray& out, const char* voce, QDate dal, QDate al, qint32 scatti, double netto, double totale)
{
    out += voce;
    out += ',' + Iso(dal) + ',' + Iso(al) + ',' + QByteArray::number(scatti) + ',' + Numero(netto) + ','
           + Numero(Iva(netto, totale)) + ',' + Numero(totale) + '\n';
}

QByteArray TotaliJson(const TotaliBolletta& t)
{
    return "{\"scatti\": " + QByteArray::number(t.scatti) + ", \"media_scatti\": " + Numero(t.mediaScatti)
           + ", \"media_netto\": " + Numero(t.mediaImporto) + ", \"netto\": " + Numero(t.netto)
           + ", \"iva\": " + Numero(Iva(t.netto, t.totale)) + ", \"totale\": " + Numero(t.totale) + "}";
}

std::optional<RapportoBolletta> CreaRapportoAlle(const QMap<QDate, Totali>& righe, QDate inizio, QDate fine, QDate oggi,
                                                 double parteDiOggi, int percentualeIva)
{
    RapportoBolletta r;
    r.inizio = inizio;
    r.fine = fine;
    r.oggi = oggi;
    r.percentualeIva = percentualeIva;
    const qint64 giorni = GiorniDelPeriodo(inizio, fine);
    qint64 scatti = 0, scattiFinora = 0;
    double netto = 0, nettoFinora = 0;
    if (giorni > 0) {
        r.giorni.reserve(giorni);
        auto riga = righe.lowerBound(inizio);
        for (QDate g = inizio; g <= fine; g = g.addDays(1)) {
            GiornoBolletta d{g};
            if (riga != righe.end() && riga.key() == g) {
                d.scatti = riga->scatti;
                d.netto = riga->importo;
                ++riga;
            }
            d.totale = ConIva(d.netto, percentualeIva);
            scatti += d.scatti;
            netto += d.netto;
            if (g <= oggi) {
                scattiFinora += d.scatti;
                nettoFinora += d.netto;
            }
            r.giorni.push_back(d);
        }
    }
    if (scatti > std::numeric_limits<qint32>::max() || scatti < std::numeric_limits<qint32>::min())
        return std::nullopt;
    r.totali = CalcolaBolletta(qint32(scatti), netto, giorni, percentualeIva);
    r.stima = StimaBolletta(inizio, fine, oggi, qint32(scattiFinora), nettoFinora, percentualeIva, parteDiOggi);
    return r;
}

std::optional<RapportoBolletta> LeggiRapportoAlle(DatabaseScatti& db, QDate inizio, QDate fine, QDate oggi,
                                                  double parteDiOggi, int percentualeIva, ErroreDatabase* errore)
{
    const auto righe = db.Giorni(inizio, fine);
    if (!righe) {
        if (errore)
            *errore = righe.Errore();
        return std::nullopt;
    }
    auto r = CreaRapportoAlle(*righe, inizio, fine, oggi, parteDiOggi, percentualeIva);
    if (!r && errore)
        *errore = {DatabaseScatti::ErroreTotaleFuoriLimite,
                   QStringLiteral("gli scatti del periodo superano il limite di 2147483647")};
    return r;
}

// The period's totals and the estimate under the rows, in the window's texts.
QString TestoTotali(const RapportoBolletta& r)
{
    QString out;
    // The window's own texts; their trailing blanks only pad the figures there.
    const TestiBolletta etichette = EtichetteBolletta(r.percentualeIva);
    const auto riga = [&](const QString& etichetta, const QString& valore) {
        return QStringLiteral("%1 %2\n").arg(etichetta, -20).arg(valore.trimmed(), 14);
    };
    const TestiBolletta t = TestiDiBolletta(r.totali);
    out += QLatin1Char('\n') + riga(etichette.scatti, t.scatti) + riga(etichette.mediaScatti, t.mediaScatti)
           + riga(etichette.mediaImporto, t.mediaImporto) + riga(etichette.netto, t.netto) + riga(etichette.iva, t.iva)
           + riga(etichette.totale, t.totale);
    if (r.stima) {
        const TestiBolletta s = TestiDiBolletta(*r.stima);
        // With the rate per day it stands on.
        out += QLatin1Char('\n') + TitoloStima() + QLatin1Char('\n') + riga(etichette.mediaImporto, s.mediaImporto)
               + riga(etichette.netto, s.netto) + riga(etichette.iva, s.iva) + riga(etichette.totale, s.totale);
    }
    return out;
}

} // namespace

std::optional<RapportoBolletta> CreaRapporto(const QMap<QDate, Totali>& righe, QDate inizio, QDate fine,
                                             const QDateTime& adesso, int percentualeIva)
{
    return CreaRapportoAlle(righe, inizio, fine, adesso.date(), ParteDelGiorno(adesso.time()), percentualeIva);
}

std::optional<RapportoBolletta> CreaRapporto(const QMap<QDate, Totali>& righe, QDate inizio, QDate fine, QDate oggi,
                                             int percentualeIva)
{
    return CreaRapportoAlle(righe, inizio, fine, oggi, 1, percentualeIva);
}

std::optional<RapportoBolletta> LeggiRapporto(DatabaseScatti& db, QDate inizio, QDate fine, const QDateTime& adesso,
                                              int percentualeIva, ErroreDatabase* errore)
{
    return LeggiRapportoAlle(db, inizio, fine, adesso.date(), ParteDelGiorno(adesso.time()), percentualeIva, errore);
}

std::optional<RapportoBolletta> LeggiRapporto(DatabaseScatti& db, QDate inizio, QDate fine, QDate oggi,
                                              int percentualeIva, ErroreDatabase* errore)
{
    return LeggiRapportoAlle(db, inizio, fine, oggi, 1, percentualeIva, errore);
}

QVector<GruppoBolletta> Raggruppa(const RapportoBolletta& r, Raggruppamento per)
{
    QVector<GruppoBolletta> gruppi;
    const auto stesso = [per](QDate a, QDate b) {
        return per == Raggruppamento::Anno   ? a.year() == b.year()
               : per == Raggruppamento::Mese ? a.year() == b.year() && a.month() == b.month()
                                             : a == b;
    };
    for (const GiornoBolletta& g : r.giorni) {
        if (gruppi.isEmpty() || !stesso(gruppi.back().dal, g.giorno))
            gruppi.push_back({g.giorno, g.giorno});
        GruppoBolletta& ultimo = gruppi.back();
        ultimo.al = g.giorno;
        ultimo.scatti += g.scatti;
        ultimo.netto += g.netto;
        ultimo.totale += g.totale;
    }
    return gruppi;
}

QByteArray RapportoCsv(const RapportoBolletta& r, Raggruppamento per)
{
    QByteArray out = "voce,dal,al,scatti,netto,iva,totale\n";
    out.reserve(out.size() + (r.giorni.size() + 2) * 64);
    if (per == Raggruppamento::Giorno)
        for (const GiornoBolletta& g : r.giorni)
            RigaCsv(out, "giorno", g.giorno, g.giorno, g.scatti, g.netto, g.totale);
    else
        for (const GruppoBolletta& g : Raggruppa(r, per))
            RigaCsv(out, per == Raggruppamento::Mese ? "mese" : "anno", g.dal, g.al, g.scatti, g.netto, g.totale);
    RigaCsv(out, "periodo", r.inizio, r.fine, r.totali.scatti, r.totali.netto, r.totali.totale);
    if (r.stima)
        RigaCsv(out, "stima", r.inizio, r.fine, r.stima->scatti, r.stima->netto, r.stima->totale);
    return out;
}

QByteArray RapportoJson(const RapportoBolletta& r, Raggruppamento per)
{
    const char* chiave = per == Raggruppamento::Giorno ? "giorni" : per == Raggruppamento::Mese ? "mesi" : "anni";
    QByteArray out = "{\n  \"versione_formato\": " + QByteArray::number(VersioneFormatoJson) + ",\n  \"dal\": \""
                     + Iso(r.inizio) + "\",\n  \"al\": \"" + Iso(r.fine) + "\",\n  \"oggi\": \"" + Iso(r.oggi)
                     + "\",\n  \"iva_percento\": " + QByteArray::number(r.percentualeIva) + ",\n  \"" + chiave
                     + "\": [";
    out.reserve(out.size() + (r.giorni.size() + 4) * 96);
    const QVector<GruppoBolletta> gruppi = Raggruppa(r, per);
    for (qsizetype i = 0; i < gruppi.size(); ++i) {
        const GruppoBolletta& g = gruppi[i];
        out += (i ? ",\n    " : "\n    ");
        out += per == Raggruppamento::Giorno ? "{\"data\": \"" + Iso(g.dal) + "\""
                                             : "{\"dal\": \"" + Iso(g.dal) + "\", \"al\": \"" + Iso(g.al) + "\"";
        out += ", \"scatti\": " + QByteArray::number(g.scatti) + ", \"netto\": " + Numero(g.netto)
               + ", \"iva\": " + Numero(Iva(g.netto, g.totale)) + ", \"totale\": " + Numero(g.totale) + "}";
    }
    out += gruppi.isEmpty() ? "]" : "\n  ]";
    out += ",\n  \"periodo\": " + TotaliJson(r.totali);
    out += ",\n  \"stima\": " + (r.stima ? TotaliJson(*r.stima) : QByteArray("null")) + "\n}\n";
    return out;
}

QString RapportoTesto(const RapportoBolletta& r, const QLocale& locale, Raggruppamento per)
{
    const auto cifre = [&](double v) { return FormattaNumero(v, QStringLiteral("#,##0"), locale); };
    const auto nome = [&](const GruppoBolletta& g) {
        return per == Raggruppamento::Giorno ? TestoData(g.dal, locale)
               : per == Raggruppamento::Mese ? locale.standaloneMonthName(g.dal.month(), QLocale::ShortFormat)
                                                   + QLatin1Char(' ') + QString::number(g.dal.year())
                                             : QString::number(g.dal.year());
    };
    QString out = QStringLiteral("Periodo bolletta: dal %1 al %2\n\n")
                      .arg(TestoData(r.inizio, locale), TestoData(r.fine, locale));
    const QString colonna = per == Raggruppamento::Giorno ? QStringLiteral("Giorno")
                            : per == Raggruppamento::Mese ? QStringLiteral("Mese")
                                                          : QStringLiteral("Anno");
    out += QStringLiteral("%1 %2 %3 %4\n")
               .arg(colonna, -12)
               .arg(QStringLiteral("Scatti"), 8)
               .arg(QStringLiteral("Netto"), 12)
               .arg(QStringLiteral("TOTALE"), 12);
    for (const GruppoBolletta& g : Raggruppa(r, per))
        out += QStringLiteral("%1 %2 %3 %4\n")
                   .arg(nome(g), -12)
                   .arg(FormattaNumero(double(g.scatti), QStringLiteral("0"), locale), 8)
                   .arg(cifre(g.netto), 12)
                   .arg(cifre(g.totale), 12);
    return out + TestoTotali(r);
}

QByteArray RapportoRiga(const RapportoBolletta& r)
{
    return "1;" + Iso(r.inizio) + ';' + Iso(r.fine) + ';' + QByteArray::number(r.totali.scatti) + ';'
           + Numero(r.totali.netto) + ';' + Numero(r.totali.totale) + ';'
           + (r.stima ? Numero(r.stima->totale) : QByteArray()) + '\n';
}

bool ScriviRapportoCsv(const RapportoBolletta& r, const QString& percorso, QString* motivo)
{
    return FileIntero::ScriviTutto(percorso, RapportoCsv(r), motivo);
}

SerieBolletta SerieDelRapporto(const RapportoBolletta& r)
{
    SerieBolletta s;
    const qsizetype n = r.giorni.size();
    s.giorni.reserve(n);
    s.barre.reserve(n);
    s.cumulato.reserve(n);
    double somma = 0;
    for (const GiornoBolletta& g : r.giorni) {
        s.giorni.push_back(g.giorno);
        s.barre.push_back(g.totale);
        s.cumulato.push_back(somma += g.totale);
    }
    if (n > 0 && r.oggi >= r.inizio && r.oggi <= r.fine)
        s.oggi = int(r.inizio.daysTo(r.oggi));
    s.fineCumulato = s.oggi >= 0 ? s.oggi : int(n) - 1;
    if (r.stima)
        s.stimaFinale = r.stima->totale;
    return s;
}

double PassoScala(double massimo, int tacche)
{
    if (!(massimo > 0) || !std::isfinite(massimo) || tacche < 1)
        return 1;
    const double grezzo = massimo / tacche;
    const double potenza = std::pow(10.0, std::floor(std::log10(grezzo)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * potenza >= grezzo * (1 - 1e-12))
            return m * potenza;
    return 10 * potenza;
}

QString FormatoGiornoMese(const QLocale& locale)
{
    QString f = locale.dateFormat(QLocale::ShortFormat);
    // The year and the separator that joins it to the rest.
    static const QRegularExpression anno(QStringLiteral("[^dMy]*y+[^dMy]*"));
    const QRegularExpressionMatch m = anno.match(f);
    if (!m.hasMatch())
        return f;
    const bool inMezzo = m.capturedStart() > 0 && m.capturedEnd() < f.size();
    QString separatore = m.captured();
    separatore.remove(QLatin1Char('y'));
    // In the middle, keep one separator between what was before and after.
    f.replace(m.capturedStart(), m.capturedLength(), inMezzo ? separatore.left(separatore.size() / 2) : QString());
    return f;
}

int PassoEtichette(int giorni, double larghezza, double spazio)
{
    if (giorni <= 0 || !(spazio > 0))
        return 1;
    const double minimo = larghezza * giorni / spazio;
    for (int passo : {1, 2, 7, 14})
        if (passo >= minimo)
            return passo;
    return int(std::ceil(minimo / 30)) * 30;
}

QVector<EtichettaGrafico> EtichetteGrafico(const QVector<QDate>& giorni, double spazio,
                                           const std::function<double(const QString&)>& misura, const QLocale& locale)
{
    QVector<EtichettaGrafico> etichette;
    const int n = int(giorni.size());
    if (n == 0 || !(spazio > 0))
        return etichette;
    const QString formato = FormatoGiornoMese(locale);
    const int passo = PassoEtichette(n, misura(locale.toString(QDate(2000, 12, 28), formato)) + 8, spazio);
    if (passo <= 14) {
        for (int i = 0; i < n; i += passo)
            etichette.push_back({i, locale.toString(giorni[i], formato)});
        return etichette;
    }
    const double perGiorno = spazio / n;
    const bool anni = giorni.front().year() != giorni.back().year();
    const auto mese = [&](QDate d) {
        const QString nome = locale.standaloneMonthName(d.month(), QLocale::ShortFormat);
        return anni ? nome + QLatin1Char(' ') + QString::number(d.year()) : nome;
    };
    double larghezzaMese = 0;
    for (int m = 1; m <= 12; ++m)
        larghezzaMese = std::max(larghezzaMese, misura(mese(QDate(2000, m, 1))) + 8);
    // Every k months or years, the first that leaves room for its labels.
    int mesi = 0, anniPasso = 0;
    for (int k : {1, 2, 3, 6})
        if (!mesi && k * 30.4 * perGiorno >= larghezzaMese)
            mesi = k;
    const double larghezzaAnno = misura(QStringLiteral("2000")) + 8;
    for (int k = 1; !mesi && !anniPasso && k <= 100000000; k *= 10)
        for (int m : {1, 2, 5})
            if (!anniPasso && m * k * 365.25 * perGiorno >= larghezzaAnno)
                anniPasso = m * k;
    for (int i = 0; i < n; ++i) {
        const QDate d = giorni[i];
        if (d.day() != 1)
            continue;
        if (mesi && (d.month() - 1) % mesi == 0)
            etichette.push_back({i, mese(d)});
        else if (anniPasso && d.month() == 1 && d.year() % anniPasso == 0)
            etichette.push_back({i, QString::number(d.year())});
    }
    return etichette;
}

QString TestoPuntoGrafico(const SerieBolletta& s, int indice, const QLocale& locale)
{
    if (indice < 0 || indice >= s.giorni.size())
        return {};
    const QString schema = QStringLiteral("#,##0");
    return QStringLiteral("%1\nL. %2 con Iva\nProgressivo L. %3")
        .arg(TestoData(s.giorni[indice], locale), FormattaNumero(s.barre[indice], schema, locale),
             FormattaNumero(s.cumulato[indice], schema, locale));
}
