// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/SceltaOpzioni.h"

#include "common/FormeTesto.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

double NumeroSoglia(const QString& testo)
{
    QString t = testo;
    t.remove(QRegularExpression(QStringLiteral("\\s")));
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        ++i;
    bool punto = false;
    while (i < t.size() && (t[i].isDigit() || (t[i] == u'.' && !punto))) {
        punto |= t[i] == u'.';
        ++i;
    }
    bool ok = false;
    const double v = t.left(i).toDouble(&ok);
    return ok && std::isfinite(v) ? Chiave<"MsV00">::intervallo.Limita(std::round(v)) : 0;
}

QString TestoSoglia(const QString& testo)
{
    const double v = NumeroSoglia(testo);
    return v == 0 ? QString() : FormattaNumero(v, QStringLiteral("#"), QLocale::c());
}

int Cursore::DaMillisecondi(int millisecondi) const { return std::clamp(millisecondi / 1000, minimo, massimo); }

int Cursore::Millisecondi(int posizione) const { return std::clamp(posizione, minimo, massimo) * 1000; }

int ChiaveDellaVoce(int voce)
{
    static constexpr std::array<int, VociColori> chiavi{0, 1, 2, 4, 3};
    return chiavi[size_t(std::clamp(voce, 0, VociColori - 1))];
}

int VoceDaAnteprima(ElementoAnteprima elemento, int voceAttuale)
{
    switch (elemento) {
    case ElementoAnteprima::Led: return 1;
    case ElementoAnteprima::Contatore: return voceAttuale == 0 ? 1 : 0;
    case ElementoAnteprima::DurataScatto: return voceAttuale == 2 ? 3 : voceAttuale == 3 ? 4 : 2;
    }
    return voceAttuale;
}

SceltaOpzioni SceltaOpzioni::Da(const Impostazioni& imp, const std::array<quint32, 5>& coloriCorrenti,
                                quint32 riempimentoCorrente)
{
    SceltaOpzioni s;
    s.cursoreRefresh = CursoreRefresh.DaMillisecondi(imp.IntRfr);
    s.cursoreControllo = CursoreControllo.DaMillisecondi(imp.IntCtr);
    s.primoPiano = imp.TopWin;
    s.confermaStop = imp.CnfStp;
    s.creaLog = imp.LogCon;
    s.salvaImpostazioni = imp.SlvImp;
    s.automatico = imp.CtrAut;
    s.avviaSeConnesso = imp.CtrCon;
    s.colori = coloriCorrenti;
    s.coloreTariffa = imp.ClrTar;
    // While the tariff colour is on, the main window may be showing the
    // tariff's fill; its own is the stored one.
    s.riempimentoProprio = imp.ClrTar ? coloriCorrenti[2] : riempimentoCorrente;
    s.suoni = imp.Wav;
    for (size_t n = 1; n <= NumeroAllarmi; ++n) {
        s.msg[n] = imp.Msg[n];
        s.msgVal[n] = TestoSoglia(QString::number(imp.MsV[n], 'f', 0));
        if (n < s.msgIva.size())
            s.msgIva[n] = imp.MsI[n];
    }
    s.terminaChiamata = imp.TrmAll;
    s.comandoTermina = imp.CmdTrm;
    return s;
}

quint32 SceltaOpzioni::Colore(int chiave) const
{
    if (chiave != 2)
        return colori[size_t(chiave)];
    if (riempimentoScelto)
        return *riempimentoScelto;
    if (coloreTariffa && riempimentoTariffa)
        return *riempimentoTariffa;
    return riempimentoProprio;
}

void SceltaOpzioni::CambiaColore(int chiave, quint32 colore)
{
    if (chiave == 2)
        riempimentoScelto = colore;
    else
        colori[size_t(chiave)] = colore;
}

Impostazioni ApplicaScelta(const Impostazioni& vecchie, const SceltaOpzioni& s)
{
    Impostazioni imp = vecchie;
    imp.IntRfr = CursoreRefresh.Millisecondi(s.cursoreRefresh);
    imp.TopWin = s.primoPiano;
    imp.CnfStp = s.confermaStop;
    imp.LogCon = s.creaLog;
    imp.SlvImp = s.salvaImpostazioni;
    imp.CtrAut = s.automatico;
    imp.IntCtr = CursoreControllo.Millisecondi(s.cursoreControllo);
    imp.CtrCon = s.avviaSeConnesso;
    for (size_t i = 0; i < imp.Clr.size(); ++i)
        imp.Clr[i] = s.colori[i];
    imp.Clr[2] = s.riempimentoScelto.value_or(s.riempimentoProprio);
    imp.ClrTar = s.coloreTariffa;
    if (vecchie.SchedaAudio)
        imp.Wav = s.suoni;
    for (size_t n = 1; n <= NumeroAllarmi; ++n) {
        const double valore = NumeroSoglia(s.msgVal[n]);
        imp.Msg[n] = s.msg[n] && valore > 0;
        imp.MsV[n] = valore;
        if (n < imp.MsI.size())
            imp.MsI[n] = s.msgIva[n];
    }
    imp.TrmAll = s.terminaChiamata;
    imp.CmdTrm = s.comandoTermina.trimmed();
    return imp;
}
