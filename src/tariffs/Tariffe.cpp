#include "tariffs/Tariffe.h"

#include <algorithm>
#include <cmath>

std::optional<int> MinutiInizio(const QString& inizio)
{
    const QString t = inizio.trimmed();
    const int punto = t.indexOf(QLatin1Char('.'));
    if (punto < 1 || punto > 2 || t.size() - punto - 1 != 2)
        return std::nullopt;
    bool okOre = false, okMinuti = false;
    const int ore = t.left(punto).toInt(&okOre);
    const int minuti = t.mid(punto + 1).toInt(&okMinuti);
    if (!okOre || !okMinuti || ore < 0 || ore > 23 || minuti < 0 || minuti > 59)
        return std::nullopt;
    return ore * 60 + minuti;
}

QString TestoInizio(int minuti)
{
    return QStringLiteral("%1.%2").arg(minuti / 60).arg(minuti % 60, 2, 10, QLatin1Char('0'));
}

QDate Pasqua(int anno)
{
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
    for (const Data& d : FestivitaAggiuntive)
        if (data == QDate(d.anno, d.mese, d.giorno))
            return TipoGiorno::Festivo;
    for (const GiornoMese& f : FestivitaFisse)
        if (data.day() == f.giorno && data.month() == f.mese)
            return TipoGiorno::Festivo;
    // Easter Monday moves every year; the fixed table cannot hold it.
    if (data == Pasqua(data.year()).addDays(1))
        return TipoGiorno::Festivo;
    switch (data.dayOfWeek()) {
    case Qt::Sunday: return TipoGiorno::Festivo;
    case Qt::Saturday: return TipoGiorno::Sabato;
    default: return TipoGiorno::Feriale;
    }
}

int FasciaInVigore(const ModelloTariffe& modello, const QTime& ora)
{
    const int n = std::clamp(modello.MaxFsc, 1, MassimoFasce);
    const int t = ora.hour() * 60 + ora.minute();
    auto inizio = [&](int k) { return MinutiInizio(modello.fascia(k).Inizio).value_or(-1); };
    for (int i = 0; i <= n; ++i) {
        const int lo = i == 0 ? 0 : inizio(i);
        const int hi = i == n ? 24 * 60 : inizio(i + 1);
        if (lo >= 0 && hi >= 0 && lo <= t && t < hi)
            return i == 0 ? n : i;
    }
    // Stored bands that break the rules: the last band applies.
    return n;
}

int TariffaInVigore(const ModelloTariffe& modello, const QDate& data, const QTime& ora)
{
    const Fascia& f = modello.fascia(FasciaInVigore(modello, ora));
    int k = f.TariffaFeriali;
    switch (TipoDelGiorno(data)) {
    case TipoGiorno::Festivo: k = f.TariffaFestivi; break;
    case TipoGiorno::Sabato: k = f.TariffaSabato; break;
    case TipoGiorno::Feriale: break;
    }
    return std::clamp(k, 1, std::clamp(modello.MaxTrf, 1, MassimoTariffe));
}

double PrezzoRidotto(const ModelloTariffe& modello)
{
    return double(float(modello.CstSct) * (1.0f - float(modello.PrcRid) / 100.0f));
}

PassoScatto PrezzaScatto(const ModelloTariffe& modello, bool primoScatto, qint32 scattiPrima, float secondiConnessione,
                         bool riduzioneAttiva)
{
    PassoScatto passo;
    if (primoScatto && modello.SctAgg) {
        passo.scatti = 1;
        passo.importo = modello.CstSct;
    }
    passo.scatti += 1;
    const qint32 scatti = scattiPrima + passo.scatti;
    passo.riduzioneAttiva = riduzioneAttiva;
    if (modello.RidTrf && !riduzioneAttiva) {
        if (modello.TipRid == 0)
            passo.riduzioneAttiva = scatti > modello.LimRid + (modello.SctAgg ? 1 : 0);
        else
            passo.riduzioneAttiva = secondiConnessione > float(modello.LimRid);
        passo.riduzioneIniziata = passo.riduzioneAttiva;
    }
    passo.importo += passo.riduzioneAttiva ? PrezzoRidotto(modello) : double(modello.CstSct);
    return passo;
}

double ConIva(double importo, int prcIva)
{
    return importo * (prcIva / 100.0 + 1);
}

int ScattiPrimaOra(float secondiPerScatto)
{
    if (!(secondiPerScatto > 0))
        return 0;
    return int(std::ceil(3600.0 / double(secondiPerScatto) - 1e-9));
}
