#include "options/SceltaOpzioni.h"

#include "common/FormeTesto.h"

#include <algorithm>
#include <cmath>

double NumeroSoglia(const QString& testo)
{
    // Leading number with a point as decimal mark; blanks are skipped.
    QString t = testo;
    t.remove(QLatin1Char(' '));
    int i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        ++i;
    bool punto = false;
    while (i < t.size() && (t[i].isDigit() || (t[i] == '.' && !punto))) {
        punto |= t[i] == '.';
        ++i;
    }
    bool ok = false;
    const double v = t.left(i).toDouble(&ok);
    return ok && std::isfinite(v) ? std::round(v) : 0;
}

QString TestoSoglia(const QString& testo)
{
    const double v = std::min(NumeroSoglia(testo), 1e15);
    return v == 0 ? QString() : FormattaNumero(v, QStringLiteral("#"), QLocale::c());
}

SceltaOpzioni SceltaOpzioni::Da(const Impostazioni& imp, const std::array<quint32, 5>& coloriCorrenti)
{
    SceltaOpzioni s;
    s.secondiRefresh = std::clamp(imp.IntRfr / 1000, 1, 5);
    s.secondiControllo = std::clamp(imp.IntCtr / 1000, 1, 5);
    s.primoPiano = imp.TopWin;
    s.confermaStop = imp.CnfStp;
    s.creaLog = imp.LogCon;
    s.salvaImpostazioni = imp.SlvImp;
    s.automatico = imp.CtrAut;
    s.avviaSeConnesso = imp.CtrCon;
    s.colori = coloriCorrenti;
    s.coloreTariffa = imp.ClrTar;
    s.suoni = imp.Wav;
    for (int i = 1; i <= NumeroAllarmi; ++i) {
        s.msg[size_t(i)] = imp.Msg[size_t(i)];
        s.msgVal[size_t(i)] = TestoSoglia(QString::number(imp.MsV[size_t(i)], 'f', 0));
        if (i <= 3)
            s.msgIva[size_t(i)] = imp.MsI[size_t(i)];
    }
    return s;
}

Impostazioni ApplicaScelta(const Impostazioni& vecchie, const SceltaOpzioni& s)
{
    Impostazioni imp = vecchie;
    imp.IntRfr = s.secondiRefresh * 1000;
    imp.TopWin = s.primoPiano;
    imp.CnfStp = s.confermaStop;
    imp.LogCon = s.creaLog;
    imp.SlvImp = s.salvaImpostazioni;
    imp.CtrAut = s.automatico;
    imp.IntCtr = s.secondiControllo * 1000;
    imp.CtrCon = s.avviaSeConnesso;
    for (size_t i = 0; i < 5; ++i)
        imp.Clr[i] = s.colori[i];
    // With the tariff colour on, the preview's fill was the tariff's: unless
    // the user picked one, the stored fill stays the user's own.
    if (s.coloreTariffa && !s.riempimentoScelto)
        imp.Clr[2] = vecchie.Clr[2] ? vecchie.Clr[2] : std::optional<quint32>(ColoriProgettati[2]);
    imp.ClrTar = s.coloreTariffa;
    if (vecchie.SchedaAudio)
        imp.Wav = s.suoni;
    for (int i = 1; i <= NumeroAllarmi; ++i) {
        const double valore = NumeroSoglia(s.msgVal[size_t(i)]);
        imp.Msg[size_t(i)] = s.msg[size_t(i)] && valore > 0;
        imp.MsV[size_t(i)] = valore;
        if (i <= 3)
            imp.MsI[size_t(i)] = s.msgIva[size_t(i)];
    }
    return imp;
}
