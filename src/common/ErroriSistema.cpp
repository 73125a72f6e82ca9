// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ErroriSistema.h"

#include <cerrno>
#include <cstring>
#include <iterator>

QString CausaInItaliano(const QString& causa)
{
    struct Voce {
        int numero;
        const char* testo;
    };
    static const Voce voci[] = {
        {EROFS, "file system di sola lettura"},
        {ENOSPC, "spazio esaurito sul disco"},
        {EDQUOT, "quota del disco superata"},
        {EACCES, "permesso negato"},
        {EPERM, "operazione non permessa"},
        {ENOENT, "file o cartella inesistente"},
        {ENOTDIR, "non è una cartella"},
        {EISDIR, "è una cartella"},
        {EEXIST, "il file esiste già"},
        {EIO, "errore di input/output"},
        {ENAMETOOLONG, "nome del file troppo lungo"},
        {EMFILE, "troppi file aperti"},
        {EFBIG, "file troppo grande"},
    };
    // Compared with the library's own words, in whatever language it speaks.
    for (const Voce& v : voci)
        if (causa.compare(QString::fromLocal8Bit(std::strerror(v.numero)), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(v.testo);
    return causa;
}
