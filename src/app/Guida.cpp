// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Guida.h"

#include "app/Risorse.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

void MostraGuida(QWidget* genitore)
{
    // The page lives in a static library, whose resources the linker keeps
    // only when asked for by name.
    Q_INIT_RESOURCE(risorse);
    // One help window at a time; F1 again brings it forward.
    static QPointer<QDialog> guida;
    if (!guida) {
        guida = new QDialog(genitore);
        guida->setAttribute(Qt::WA_DeleteOnClose);
        guida->setWindowTitle(QStringLiteral("Velatrix - Guida in linea"));
        auto* testo = new QTextBrowser(guida);
        // The installed page, else the copy built into the program.
        const QString pagina = PercorsoGuida(QApplication::applicationDirPath());
        testo->setSource(pagina.isEmpty() ? QUrl(QStringLiteral("qrc:/guida/Velatrix.html"))
                                          : QUrl::fromLocalFile(pagina));
        testo->setOpenExternalLinks(false);
        auto* pulsanti = new QDialogButtonBox(QDialogButtonBox::Close, guida);
        QObject::connect(pulsanti, &QDialogButtonBox::rejected, guida, &QDialog::reject);
        auto* layout = new QVBoxLayout(guida);
        layout->addWidget(testo);
        layout->addWidget(pulsanti);
        guida->resize(560, 520);
    }
    guida->show();
    guida->raise();
    guida->activateWindow();
}

void MostraInfo(QWidget* genitore)
{
    QDialog info(genitore);
    info.setWindowTitle(QStringLiteral("Informazioni su Velatrix"));
    auto* testo = new QLabel(QStringLiteral("<h2>Velatrix</h2>"
                                            "<p>Versione %1</p>"
                                            "<p>Contatore del costo delle connessioni telefoniche<br>"
                                            "a tariffa a scatti.</p>")
                                 .arg(QStringLiteral(VELATRIX_VERSIONE)),
                             &info);
    testo->setAlignment(Qt::AlignCenter);
    auto* pulsanti = new QDialogButtonBox(QDialogButtonBox::Ok, &info);
    QObject::connect(pulsanti, &QDialogButtonBox::accepted, &info, &QDialog::accept);
    auto* layout = new QVBoxLayout(&info);
    layout->addWidget(testo);
    layout->addWidget(pulsanti);
    info.exec();
}
