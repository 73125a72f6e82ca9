#include "common/MessaggiQt.h"

#include <QMessageBox>

bool MessaggiQt::Domanda(const QString& testo)
{
    return QMessageBox::question(genitore_, TitoloApplicazione, testo, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
        == QMessageBox::Yes;
}

bool MessaggiQt::Conferma(const QString& testo)
{
    return QMessageBox::question(genitore_, TitoloApplicazione, testo, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Cancel)
        == QMessageBox::Ok;
}

void MessaggiQt::Avviso(const QString& testo)
{
    QMessageBox::warning(genitore_, TitoloApplicazione, testo);
}

void MessaggiQt::Informazione(const QString& testo)
{
    QMessageBox::information(genitore_, TitoloApplicazione, testo);
}

void MessaggiQt::Errore(const QString& testo)
{
    QMessageBox::critical(genitore_, TitoloApplicazione, testo);
}
