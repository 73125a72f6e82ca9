// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/BarraScatto.h"
#include "common/FormeTesto.h"
#include "common/PannelloContatore.h"
#include "engine/Rilevamento.h"
#include "engine/Vista.h"

#include <QFontMetrics>
#include <QPushButton>
#include <gtest/gtest.h>
#include <limits>
#include <map>

namespace {

// Every text the value display can show, at the ends of what the totals hold.
QStringList TestiEstremi()
{
    constexpr qint32 massimo = std::numeric_limits<qint32>::max();
    constexpr qint32 minimo = std::numeric_limits<qint32>::min();
    constexpr double importoMassimo = 999999999;
    constexpr int ivaMassima = 99;
    QStringList testi{TestoConnessione};
    for (double importo : {0.0, 63.5, 12827762.0, importoMassimo, importoMassimo + 0.5})
        for (TipoImporto tipo : {TipoImporto::Importo, TipoImporto::ImportoIva})
            testi << *TestoImporto(tipo, {0, importo}, 0, ivaMassima);
    for (qint32 scatti : {0, massimo, minimo})
        testi << *TestoImporto(TipoImporto::Scatti, {scatti, 0}, 0, 0);
    for (float secondi : {0.0f, 3895.0f, 359999.0f, float(massimo)})
        testi << *TestoImporto(TipoImporto::Tempo, {}, secondi, 0);
    return testi;
}

TEST(PannelloContatore, OgniTestoEstremoSiVedeInteroAOgniDpi)
{
    const QStringList testi = TestiEstremi();
    ASSERT_TRUE(testi.contains("L.+Iva  1.989.999.998 "));
    ASSERT_TRUE(testi.contains("Scatti  -2147483648 "));
    ASSERT_TRUE(testi.contains("Tempo  596523h14'07\" "));
    PannelloContatore p;
    std::map<double, QSize> misure; // the panel's width and a button's height
    for (double dpi : {96.0, 192.0}) {
        SCOPED_TRACE(dpi);
        p.Adatta(dpi);
        const DisplayValore* d = p.Importo;
        const QRect spazio = d->contentsRect();
        const int pieno = d->font().pixelSize();
        EXPECT_EQ(pieno, qRound(11 * dpi / 72));
        for (const QString& t : testi) {
            SCOPED_TRACE(t.toStdString());
            const QFont f = d->CarattereAdattato(t);
            const QFontMetrics m(f);
            EXPECT_LE(m.horizontalAdvance(t), spazio.width());
            EXPECT_LE(m.height(), spazio.height());
            EXPECT_GE(f.pixelSize(), pieno / 2) << "shrunk past reading";
        }
        // The everyday texts keep the full size.
        for (const QString& t : PannelloContatore::TestiComuni() + QStringList{"Tempo  1h04'55\" ", "Lire  0"})
            EXPECT_EQ(d->CarattereAdattato(t).pixelSize(), pieno) << t.toStdString();

        // The time left to the next pulse: up to an hour a pulse.
        const QFontMetrics piccolo(p.ValoreIndicatore->font());
        for (double s : {3600.0, 3599.4, 0.0})
            EXPECT_LE(piccolo.horizontalAdvance(FormattaTempo(s)), p.Indicatore->width());
        EXPECT_LE(piccolo.height(), p.Indicatore->height());

        // Still a small panel: about twice as wide as the buttons' row is high.
        EXPECT_LE(p.width(), 12 * p.P_Menu->height()) << p.width();
        misure[dpi] = {p.width(), p.P_Menu->height()};
    }
    EXPECT_GE(misure[192].height(), 2 * misure[96].height() - 1);
    EXPECT_GT(misure[192].width(), misure[96].width() * 3 / 2);
}

} // namespace
