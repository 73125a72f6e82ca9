// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/PannelloContatore.h"

#include "common/BarraScatto.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

// Designed at 96 dots per inch; everything scales from there.
constexpr double DpiProgetto = 96;
constexpr double PuntiCifre = 11;
constexpr double PuntiTempo = 7;
constexpr double PuntiPulsanti = 9;
constexpr int LatoPulsante = 22;
constexpr int LatoLed = 14;
constexpr int AltezzaBarra = 14;
constexpr int MargineDisplay = 4;

int Scala(int pixel, double dpi) { return int(std::lround(pixel * dpi / DpiProgetto)); }

int PixelDaPunti(double punti, double dpi) { return std::max(1, int(std::lround(punti * dpi / 72.0))); }

// A glyph says nothing to a screen reader: each button is named in words.
QPushButton* Pulsante(QWidget* genitore, const QString& testo, const QString& nome, const QString& suggerimento)
{
    auto* b = new QPushButton(testo, genitore);
    b->setFocusPolicy(Qt::NoFocus); // every key goes to the window's dispatcher
    b->setAccessibleName(nome);
    b->setToolTip(suggerimento);
    return b;
}

} // namespace

QPixmap DisegnaLed(int lato, const QColor& colore, bool acceso)
{
    QPixmap led(lato, lato);
    led.fill(Qt::transparent);
    QPainter p(&led);
    p.setRenderHint(QPainter::Antialiasing);
    const double r = lato / 14.0;
    QRadialGradient luce(QPointF(5 * r, 5 * r), 8 * r);
    luce.setColorAt(0, acceso ? colore.lighter(170) : colore);
    luce.setColorAt(1, acceso ? colore : colore.darker(150));
    p.setBrush(luce);
    p.setPen(QPen(QColor(40, 40, 40), std::max(1.0, r)));
    p.drawEllipse(QRectF(r, r, lato - 2 * r, lato - 2 * r));
    return led;
}

QFont DisplayValore::CarattereAdattato(const QString& testo) const
{
    QFont f = font();
    const int spazio = contentsRect().width();
    int pixel = f.pixelSize() > 0 ? f.pixelSize() : QFontMetrics(f).height();
    while (pixel > 1 && QFontMetrics(f).horizontalAdvance(testo) > spazio) {
        // Straight to the proportional size, then a pixel at a time for the
        // rounding of glyph advances.
        const int avanzamento = QFontMetrics(f).horizontalAdvance(testo);
        pixel = std::min(pixel - 1, int(pixel * double(spazio) / avanzamento));
        f.setPixelSize(std::max(1, pixel));
    }
    return f;
}

void DisplayValore::paintEvent(QPaintEvent*)
{
    // The background is filled by the widget itself (autoFillBackground).
    QPainter p(this);
    p.setFont(CarattereAdattato(text()));
    p.setPen(palette().color(foregroundRole()));
    p.drawText(contentsRect(), int(alignment()), text());
}

PannelloContatore::PannelloContatore(QWidget* genitore) : QWidget(genitore)
{
    setObjectName(QStringLiteral("Pannello"));
    CorniceLed = new QLabel(this);
    CorniceLed->setAutoFillBackground(true);
    LedStato = new QLabel(CorniceLed);

    Importo = new DisplayValore(QStringLiteral("Lire  0"), this);
    Importo->setAutoFillBackground(true);
    Importo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    P_Periodo = Pulsante(this, QStringLiteral("C"), QStringLiteral("Tipo conteggio"),
                         QStringLiteral("Tipo conteggio: C connessione attiva, G giornaliero, B periodo bolletta"));
    P_Avvia = Pulsante(this, QStringLiteral("\u25B6"), QStringLiteral("Inizia conteggio"),
                       QStringLiteral("Inizia conteggio (F2)"));
    P_Ferma = Pulsante(this, QStringLiteral("\u25A0"), QStringLiteral("Termina conteggio"),
                       QStringLiteral("Termina conteggio (F3)"));
    P_Ferma->hide();
    P_Menu = Pulsante(this, QStringLiteral("\u2630"), QStringLiteral("Menu"),
                      QStringLiteral("Menu (clic destro, tasto Menu o Maiusc+F10)"));

    Indicatore = new BarraScatto(this);
    ValoreIndicatore = new QLabel(Indicatore);
    ValoreIndicatore->setAlignment(Qt::AlignCenter);
    auto* dentro = new QHBoxLayout(Indicatore);
    dentro->setContentsMargins(0, 0, 0, 0);
    dentro->addWidget(ValoreIndicatore);

    auto* riga = new QHBoxLayout;
    riga->setSpacing(2);
    riga->addWidget(CorniceLed);
    riga->addWidget(Importo, 1);
    riga->addWidget(P_Periodo);
    riga->addWidget(P_Avvia);
    riga->addWidget(P_Ferma);
    riga->addWidget(P_Menu);
    auto* verticale = new QVBoxLayout(this);
    verticale->setContentsMargins(3, 3, 3, 3);
    verticale->setSpacing(2);
    verticale->addLayout(riga);
    verticale->addWidget(Indicatore);

    const std::initializer_list<std::pair<QWidget*, const char*>> nomi{
        {CorniceLed, "CorniceLed"}, {LedStato, "LedStato"},     {Importo, "Importo"},
        {P_Periodo, "P_Periodo"},   {P_Avvia, "P_Avvia"},       {P_Ferma, "P_Ferma"},
        {P_Menu, "P_Menu"},         {Indicatore, "Indicatore"}, {ValoreIndicatore, "ValoreIndicatore"},
    };
    for (const auto& [w, nome] : nomi)
        w->setObjectName(QString::fromLatin1(nome));

    Adatta(logicalDpiY() > 0 ? logicalDpiY() : DpiProgetto);
}

const QStringList& PannelloContatore::TestiComuni()
{
    // A call being set up, and the values of a day or a month of calls.
    static const QStringList testi{
        QStringLiteral("Connessione... "), QStringLiteral("Lire  999.999 "),    QStringLiteral("L.+Iva  999.999 "),
        QStringLiteral("Scatti  99999 "),  QStringLiteral("Tempo  9h59'59\" "),
    };
    return testi;
}

void PannelloContatore::Adatta(double dpi)
{
    QFont cifre(QStringLiteral("DejaVu Sans Mono"));
    cifre.setStyleHint(QFont::Monospace);
    cifre.setBold(true);
    cifre.setPixelSize(PixelDaPunti(PuntiCifre, dpi));
    Importo->setFont(cifre);
    const QFontMetrics misure(cifre);
    int larghezza = 0;
    for (const QString& t : TestiComuni())
        larghezza = std::max(larghezza, misure.horizontalAdvance(t));
    const int margine = Scala(MargineDisplay, dpi);
    Importo->setContentsMargins(margine, 0, margine, 0);
    const int lato = std::max(Scala(LatoPulsante, dpi), misure.height() + 2);
    Importo->setFixedSize(larghezza + 2 * margine + 1, lato);

    QFont pulsanti = font();
    pulsanti.setPixelSize(PixelDaPunti(PuntiPulsanti, dpi));
    for (QPushButton* b : {P_Periodo, P_Avvia, P_Ferma, P_Menu}) {
        b->setFont(pulsanti);
        b->setFixedSize(lato, lato);
    }
    CorniceLed->setFixedSize(lato, lato);
    const int latoLed = Scala(LatoLed, dpi);
    LedStato->setGeometry((lato - latoLed) / 2, (lato - latoLed) / 2, latoLed, latoLed);
    if (led_.isValid())
        LedStato->setPixmap(DisegnaLed(latoLed, led_, acceso_));

    QFont tempo = font();
    tempo.setPixelSize(PixelDaPunti(PuntiTempo, dpi));
    ValoreIndicatore->setFont(tempo);
    Indicatore->setFixedHeight(std::max(Scala(AltezzaBarra, dpi), QFontMetrics(tempo).height()));

    layout()->activate();
    setFixedSize(sizeHint());
}

void PannelloContatore::MostraLed(const QColor& colore, bool acceso)
{
    led_ = colore;
    acceso_ = acceso;
    LedStato->setPixmap(DisegnaLed(LedStato->width(), colore, acceso));
}
