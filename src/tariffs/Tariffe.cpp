// SPDX-License-Identifier: GPL-3.0-or-later
#include "tariffs/Tariffe.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int MinutiGiorno = 24 * 60;

bool SoloCifre(QStringView t)
{
    return !t.isEmpty() && std::all_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

int FasceInUso(const ModelloTariffe& m) { return std::clamp(m.MaxFsc, 1, MassimoFasce); }
int TariffeInUso(const ModelloTariffe& m) { return std::clamp(m.MaxTrf, 1, MassimoTariffe); }

} // namespace

std::optional<int> MinutiInizio(const QString& inizio)
{
    const QString t = inizio.trimmed();
    const qsizetype punto = t.indexOf(QLatin1Char('.'));
    if (punto < 1 || punto > 2 || t.size() - punto - 1 != 2)
        return std::nullopt;
    const QStringView ore = QStringView(t).left(punto), minuti = QStringView(t).mid(punto + 1);
    if (!SoloCifre(ore) || !SoloCifre(minuti))
        return std::nullopt;
    const int h = ore.toInt(), m = minuti.toInt();
    if (h > 23 || m > 59)
        return std::nullopt;
    return h * 60 + m;
}

QDate Pasqua(int anno)
{
    if (anno < 1583)
        return {};
    // Anonymous Gregorian algorithm.
    const int a = anno % 19, b = anno / 100, c = anno % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int mese = (h + l - 7 * m + 114) / 31, giorno = (h + l - 7 * m + 114) % 31 + 1;
    return QDate(anno, mese, giorno);
}

TipoGiorno TipoDelGiorno(const QDate& data)
{
    if (!data.isValid())
        return TipoGiorno::Feriale;
    for (const GiornoMeseAnno& d : FestivitaAggiuntive)
        if (data.day() == d.giorno && data.month() == d.mese && data.year() == d.anno)
            return TipoGiorno::Festivo;
    for (const GiornoMese& f : FestivitaFisse)
        if (data.day() == f.giorno && data.month() == f.mese)
            return TipoGiorno::Festivo;
    for (const GiornoMeseDal& f : FestivitaFisseDal)
        if (data.day() == f.giorno && data.month() == f.mese && data.year() >= f.dal)
            return TipoGiorno::Festivo;
    // Easter Monday moves every year; the fixed table cannot hold it.
    const QDate pasqua = Pasqua(data.year());
    if (pasqua.isValid() && data == pasqua.addDays(1))
        return TipoGiorno::Festivo;
    switch (data.dayOfWeek()) {
    case Qt::Sunday: return TipoGiorno::Festivo;
    case Qt::Saturday: return TipoGiorno::Sabato;
    default: return TipoGiorno::Feriale;
    }
}

int FasciaInVigore(const ModelloTariffe& modello, const QTime& ora)
{
    const int n = FasceInUso(modello);
    if (!ora.isValid())
        return n;
    // Hours and minutes as numbers: a 12-hour text form would turn 14:30 into 2:30.
    const int t = ora.hour() * 60 + ora.minute();
    std::array<std::optional<int>, MassimoFasce + 2> lo{};
    lo[0] = 0;
    for (int k = 1; k <= n; ++k)
        lo[size_t(k)] = MinutiInizio(modello.fascia(k).Inizio);
    lo[size_t(n + 1)] = MinutiGiorno;
    for (int i = 0; i <= n; ++i) {
        const auto& da = lo[size_t(i)];
        const auto& a = lo[size_t(i + 1)];
        if (da && a && *da <= t && t < *a)
            return i == 0 ? n : i;
    }
    return n;
}

int TariffaDellaFascia(const ModelloTariffe& modello, int fascia, TipoGiorno tipo)
{
    const Fascia& f = modello.fascia(std::clamp(fascia, 1, FasceInUso(modello)));
    int k = f.TariffaFeriali;
    switch (tipo) {
    case TipoGiorno::Festivo: k = f.TariffaFestivi; break;
    case TipoGiorno::Sabato: k = f.TariffaSabato; break;
    case TipoGiorno::Feriale: break;
    }
    return std::clamp(k, 1, TariffeInUso(modello));
}

int TariffaInVigore(const ModelloTariffe& modello, const QDate& data, const QTime& ora)
{
    return TariffaDellaFascia(modello, FasciaInVigore(modello, ora), TipoDelGiorno(data));
}

double PrezzoRidotto(const ModelloTariffe& modello)
{
    // A hand-edited percentage beyond 100 must not turn pulses into credits.
    return modello.CstSct * (1 - std::clamp(modello.PrcRid, 0, 100) / 100.0);
}

PassoScatto PrezzaScatto(const ModelloTariffe& modello, bool primoScatto, qint32 scattiPrima, float secondiConnessione,
                         bool riduzioneAttiva)
{
    if (primoScatto) {
        scattiPrima = 0;
        secondiConnessione = 0;
        riduzioneAttiva = false;
    }
    PassoScatto passo;
    if (primoScatto && modello.SctAgg) {
        passo.scatti = 1;
        passo.importo = modello.CstSct;
    }
    passo.scatti += 1;
    const qint64 scatti = qint64(scattiPrima) + passo.scatti;
    passo.riduzioneAttiva = riduzioneAttiva;
    if (modello.RidTrf && !riduzioneAttiva) {
        // The extra pulse does not count toward the threshold.
        if (modello.TipRid == 0)
            passo.riduzioneAttiva = scatti > qint64(modello.LimRid) + (modello.SctAgg ? 1 : 0);
        else
            passo.riduzioneAttiva = secondiConnessione > float(modello.LimRid);
        passo.riduzioneIniziata = passo.riduzioneAttiva;
    }
    passo.importo += passo.riduzioneAttiva ? PrezzoRidotto(modello) : double(modello.CstSct);
    return passo;
}

int ScattiPrimaOra(float secondiPerScatto)
{
    if (!(secondiPerScatto > 0))
        return 0;
    return int(std::ceil(3600.0 / double(secondiPerScatto)));
}

double CostoPrimaOra(const ModelloTariffe& modello, float secondiPerScatto)
{
    const int n = ScattiPrimaOra(secondiPerScatto);
    int piene = n;
    if (modello.RidTrf && n > 0) {
        const int limite = std::max(modello.LimRid, 0);
        if (modello.TipRid == 0)
            piene = std::min(limite, n);
        else if (limite < 3600)
            // The first pulse comes at 0 seconds, so it is never reduced by time.
            piene = std::clamp(int(std::ceil(limite / double(secondiPerScatto))), 1, n);
    }
    double costo = double(modello.CstSct) * piene + PrezzoRidotto(modello) * (n - piene);
    if (modello.SctAgg)
        costo += modello.CstSct;
    return costo;
}
