#pragma once
// Every file the program writes whole (the recovery file, the autostart entry,
// exports, copies) goes through here: the bytes go to a new file beside the
// target, unbuffered, every write and the final sync checked, and only then
// does it take the target's name. A failure at any step leaves the target as
// it was and no temporary file behind.
#include <QByteArray>
#include <QString>

struct OpzioniFileIntero {
    // 0: the target's present mode, else what the umask leaves of 0666.
    int modo = 0;
    // Write into the file a link at the target leads to, as a user who
    // picked the name expects; without it the link itself is replaced.
    bool seguiCollegamento = true;
};

class FileIntero {
public:
    using Opzioni = OpzioniFileIntero;

    explicit FileIntero(QString destinazione);
    FileIntero(QString destinazione, Opzioni opzioni);
    ~FileIntero();
    FileIntero(const FileIntero&) = delete;
    FileIntero& operator=(const FileIntero&) = delete;

    [[nodiscard]] bool Apri();
    [[nodiscard]] bool Scrivi(const char* dati, qint64 quanti);
    [[nodiscard]] bool Scrivi(const QByteArray& dati) { return Scrivi(dati.constData(), dati.size()); }
    // Sync, close, rename, sync the folder: true once the bytes are on disk
    // under the target's name.
    [[nodiscard]] bool Conferma();
    // Drops what was written; the target stays as it was.
    void Annulla();

    // "path: cause" of the first failure.
    const QString& Errore() const { return errore_; }
    // The name written at last (a link followed).
    const QString& Destinazione() const { return destinazione_; }

    // The whole file in one call; false with the reason in *motivo.
    [[nodiscard]] static bool ScriviTutto(const QString& percorso, const QByteArray& dati, QString* motivo,
                                          Opzioni opzioni = {});

private:
    bool Fallisci(int codice, const QString& percorso);

    QString destinazione_;
    Opzioni opzioni_;
    QString provvisorio_;
    int fd_ = -1;
    QString errore_;
};
