// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/MessaggiQt.h"

#include <QApplication>
#include <QMessageBox>

QWidget* MessaggiQt::Genitore() const
{
    if (QWidget* dialogo = QApplication::activeModalWidget())
        return dialogo;
    // A box belonging to a hidden or minimised window would go with it.
    if (principale_ && principale_->isVisible() && !principale_->isMinimized())
        return principale_;
    return nullptr;
}

bool MessaggiQt::Domanda(const QString& testo)
{
    return QMessageBox::question(Genitore(), TitoloApplicazione, testo, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
           == QMessageBox::Yes;
}

bool MessaggiQt::Conferma(const QString& testo)
{
    return QMessageBox::question(Genitore(), TitoloApplicazione, testo, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Cancel)
           == QMessageBox::Ok;
}

void MessaggiQt::Avviso(const QString& testo) { QMessageBox::warning(Genitore(), TitoloApplicazione, testo); }

void MessaggiQt::Informazione(const QString& testo) { QMessageBox::information(Genitore(), TitoloApplicazione, testo); }

void MessaggiQt::Errore(const QString& testo) { QMessageBox::critical(Genitore(), TitoloApplicazione, testo); }
