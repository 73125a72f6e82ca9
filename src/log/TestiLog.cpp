// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestiLog.h"

#include "common/FormeTesto.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

const QString Tab = QStringLiteral("\t");
const QByteArray FineRiga = QByteArrayLiteral("\r\n");

// Fields of the fixed-column form; the header labels end where they end.
constexpr int Larghezze[7] = {11, 12, 12, 12, 12, 8, 11};

QStringList DateEOre(const RecordLog& r, const FormatiLog& f)
{
    const TempiRecord t = r.Tempi();
    if (!t.valido)
        return {QString(), QString(), QString(), QString()};
    return {f.Data(t.inizio.Data()), f.Ora(t.inizio.Ora()), f.Data(t.fine.Data()), f.Ora(t.fine.Ora())};
}

} // namespace

const QStringList& IntestazioniLog()
{
    static const QStringList t = {QStringLiteral("Data Inizio"), QStringLiteral("Ora Inizio"),
                                  QStringLiteral("Data Fine"),   QStringLiteral("Ora Fine"),
                                  QStringLiteral("Durata"),      QStringLiteral("Scatti"),
                                  QStringLiteral("Importo"),     QStringLiteral("Connessione")};
    return t;
}

QString TestoOraLog(const QTime& ora, const QLocale& locale) { return locale.toString(ora, FormatoOra(locale)); }

namespace {

constexpr const char* LettereData = "dMy";
constexpr const char* LettereOra = "hHmsa";

// Nothing for a form holding names, quotes, letters of the other kind or
// another numbering system: those go through the locale.
std::optional<std::vector<FormatiLog::Pezzo>> Scomponi(const QString& formato, const QLocale& locale,
                                                       const char* lettere)
{
    if (locale.zeroDigit() != QLatin1String("0"))
        return std::nullopt;
    std::vector<FormatiLog::Pezzo> pezzi;
    int testo = 0;
    for (qsizetype i = 0; i < formato.size();) {
        const QChar c = formato.at(i);
        qsizetype n = 1;
        while (i + n < formato.size() && formato.at(i + n) == c)
            ++n;
        if (c.isLetter() || c == QLatin1Char('\'') || c.unicode() > 0x7f) {
            const char l = c.toLatin1() == 'A' ? 'a' : c.toLatin1();
            if (!l || !std::strchr(lettere, l))
                return std::nullopt;
            if (l == 'a') {
                // "AP", "ap", "A" or "a": the texts the locale itself gives.
                if (n != 1)
                    return std::nullopt;
                if (i + 1 < formato.size()
                    && (formato.at(i + 1) == QLatin1Char('P') || formato.at(i + 1) == QLatin1Char('p')))
                    n = 2;
                const QString segno = formato.mid(i, n);
                FormatiLog::Pezzo p{'a', 0, locale.toString(QTime(1, 0), segno).toUtf8(),
                                    locale.toString(QTime(13, 0), segno).toUtf8()};
                testo += int(std::max(p.testo.size(), p.pomeriggio.size()));
                pezzi.push_back(std::move(p));
            } else {
                const bool ammesso = (l == 'y' && (n == 2 || n == 4)) || (l != 'y' && n <= 2);
                if (!ammesso)
                    return std::nullopt;
                pezzi.push_back({l, int(n), {}, {}});
                testo += 4;
            }
        } else {
            pezzi.push_back({0, 0, formato.mid(i, n).toUtf8(), {}});
            testo += int(pezzi.back().testo.size());
        }
        i += n;
    }
    if (testo > FormatiLog::MassimoTesto)
        return std::nullopt;
    return pezzi;
}

char* Cifre(int v, int larghezza, char* d)
{
    char buf[12];
    char* fine = std::to_chars(buf, buf + sizeof buf, v).ptr;
    for (qsizetype z = larghezza - (fine - buf); z > 0; --z)
        *d++ = '0';
    std::memcpy(d, buf, size_t(fine - buf));
    return d + (fine - buf);
}

// `posizioni`, when given, receives where the minutes and the seconds were
// written, or -1 for a field that is not there or not two digits.
char* Componi(const std::vector<FormatiLog::Pezzo>& pezzi, int anno, int mese, int giorno, int secondo, char* d,
              int* posizioni = nullptr)
{
    char* const inizio = d;
    const int ora = secondo / 3600;
    // With AM/PM "h" counts 12, 1 ... 11; "H" always counts to 23.
    bool dodici = false;
    for (const FormatiLog::Pezzo& p : pezzi)
        dodici = dodici || p.lettera == 'a';
    for (const FormatiLog::Pezzo& p : pezzi) {
        int v = 0;
        switch (p.lettera) {
        case 0:
            std::memcpy(d, p.testo.constData(), size_t(p.testo.size()));
            d += p.testo.size();
            continue;
        case 'a': {
            const QByteArray& t = ora < 12 ? p.testo : p.pomeriggio;
            std::memcpy(d, t.constData(), size_t(t.size()));
            d += t.size();
            continue;
        }
        case 'd': v = giorno; break;
        case 'M': v = mese; break;
        case 'y': v = p.larghezza == 2 ? anno % 100 : anno; break;
        case 'h': v = dodici ? (ora % 12 == 0 ? 12 : ora % 12) : ora; break;
        case 'H': v = ora; break;
        case 'm': v = secondo / 60 % 60; break;
        case 's': v = secondo % 60; break;
        }
        if (posizioni && (p.lettera == 'm' || p.lettera == 's'))
            posizioni[p.lettera == 's'] = p.larghezza == 2 && posizioni[p.lettera == 's'] == -1 ? int(d - inizio) : -2;
        d = Cifre(v, p.larghezza, d);
    }
    return d;
}

} // namespace

FormatiLog::FormatiLog(const QLocale& locale)
    : locale_(locale), data_(FormatoQuattroCifre(locale)), ora_(FormatoOra(locale)),
      pezziData_(Scomponi(data_, locale, LettereData)), pezziOra_(Scomponi(ora_, locale, LettereOra))
{
}

char* FormatiLog::ScriviData(const QDate& data, char* dest) const
{
    int a = 0, m = 0, g = 0;
    data.getDate(&a, &m, &g);
    if (!pezziData_ || !data.isValid() || a <= 0 || a > 9999)
        return nullptr;
    return Componi(*pezziData_, a, m, g, 0, dest);
}

char* FormatiLog::ScriviOra(int secondo, char* dest) const
{
    if (!pezziOra_ || secondo < 0 || secondo >= 86400)
        return nullptr;
    return Componi(*pezziOra_, 0, 0, 0, secondo, dest);
}

char* FormatiLog::ScriviModelloOra(int ora, char* dest, int& minuti, int& secondi) const
{
    int posizioni[2] = {-1, -1};
    if (!pezziOra_ || ora < 0 || ora > 23)
        return nullptr;
    char* fine = Componi(*pezziOra_, 0, 0, 0, ora * 3600, dest, posizioni);
    minuti = posizioni[0];
    secondi = posizioni[1];
    return minuti >= 0 && secondi >= 0 ? fine : nullptr;
}

QString FormatiLog::Data(const QDate& data) const
{
    char testo[MassimoTesto];
    if (const char* fine = ScriviData(data, testo))
        return QString::fromUtf8(testo, fine - testo);
    return locale_.toString(data, data_);
}

QString FormatiLog::Ora(const QTime& ora) const
{
    char testo[MassimoTesto];
    if (ora.isValid())
        if (const char* fine = ScriviOra(ora.msecsSinceStartOfDay() / 1000, testo))
            return QString::fromUtf8(testo, fine - testo);
    return locale_.toString(ora, ora_);
}

QStringList ColonneRecordLog(const RecordLog& r, const FormatiLog& f)
{
    QStringList c = DateEOre(r, f);
    c << FormattaTempo(r.Durata) << FormattaNumero(r.Scatti, QStringLiteral("#,##0"), f.Locale())
      << FormattaNumero(r.Importo, QStringLiteral("#,##0"), f.Locale()) << r.Connessione;
    return c;
}

QStringList CampioniColonnaLog(int colonna, const QLocale& locale)
{
    const FormatiLog f(locale);
    QStringList c;
    switch (colonna) {
    case 0:
    case 2:
        for (const int anno : {1988, 2000})
            for (QDate d(anno, 1, 1); d.year() == anno; d = d.addDays(1))
                c << f.Data(d);
        break;
    case 1:
    case 3:
        for (int minuto = 0; minuto < 24 * 60; ++minuto)
            c << f.Ora(QTime(minuto / 60, minuto % 60, minuto % 60));
        break;
    case 4:
        for (const int ore : {999, 888, 100})
            c << FormattaTempo(ore * 3600.0 + 59 * 60 + 58);
        break;
    case 5:
    case 6:
        // Every digit repeated, since digits need not be equally wide.
        for (int cifra = 1; cifra <= 9; ++cifra) {
            const double n = cifra * (colonna == 5 ? 111111.0 : 11111111.0);
            c << FormattaNumero(n, QStringLiteral("#,##0"), locale);
        }
        break;
    default: break;
    }
    return c;
}

namespace {

// Characters, not UTF-16 units: a digit outside the basic plane is one.
qsizetype Caratteri(QStringView testo)
{
    qsizetype n = testo.size();
    for (const QChar c : testo)
        n -= c.isLowSurrogate();
    return n;
}

} // namespace

QString AllineaADestra(const QString& testo, int larghezza)
{
    qsizetype n = Caratteri(testo);
    if (n <= larghezza)
        return QString(larghezza - n, QLatin1Char(' ')) + testo;
    qsizetype da = 0;
    for (; n > larghezza; --n)
        da += testo.at(da).isHighSurrogate() && da + 1 < testo.size() && testo.at(da + 1).isLowSurrogate() ? 2 : 1;
    return testo.mid(da);
}

QString AllineaASinistra(const QString& testo, int larghezza)
{
    qsizetype n = Caratteri(testo);
    if (n <= larghezza)
        return testo + QString(larghezza - n, QLatin1Char(' '));
    qsizetype fine = testo.size();
    for (; n > larghezza; --n)
        fine -= testo.at(fine - 1).isLowSurrogate() && fine > 1 && testo.at(fine - 2).isHighSurrogate() ? 2 : 1;
    return testo.left(fine);
}

QByteArray IntestazioneEsportazione(TipoEsportazione tipo)
{
    if (tipo == TipoEsportazione::Tabulazione)
        return IntestazioniLog().join(Tab).toUtf8() + FineRiga;
    const QString riga =
        QStringLiteral("Data Inizio  Ora Inizio   Data Fine    Ora Fine      Durata  Scatti    Importo  ")
        + AllineaASinistra(QStringLiteral("Connessione"), LunghezzaConnessione);
    return riga.toUtf8() + FineRiga;
}

namespace {
// A damaged record may hold control bytes in its name: as '?', the way a
// name is stored, they cannot split a line or shift a column.
QString NomeEsportato(const QString& nome)
{
    QString out = nome;
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('?');
    return out;
}
} // namespace

QByteArray RigaEsportazione(const RecordLog& r, TipoEsportazione tipo, const FormatiLog& f)
{
    const QString nome = NomeEsportato(r.Connessione);
    QStringList campi = DateEOre(r, f);
    campi << FormattaTempo(r.Durata) << FormattaNumero(r.Scatti, QStringLiteral("0"), f.Locale())
          << FormattaNumero(r.Importo, QStringLiteral("0"), f.Locale());
    QString riga;
    if (tipo == TipoEsportazione::Tabulazione) {
        campi << nome.trimmed();
        riga = campi.join(Tab);
    } else {
        for (int i = 0; i < 7; ++i)
            riga += AllineaADestra(campi.at(i), Larghezze[i]);
        riga += QStringLiteral("  ") + AllineaASinistra(nome, LunghezzaConnessione);
    }
    return riga.toUtf8() + FineRiga;
}

std::vector<RigaLog> RichiediRigheLog(const SorgenteRecordLog& sorgente, qint64 numero, const QString& segnalibro,
                                      bool indietro, int righe, const QLocale& locale)
{
    const qint64 passo = indietro ? -1 : 1;
    bool ok = false;
    const qint64 marca = segnalibro.toLongLong(&ok);
    qint64 indice;
    if (ok && !segnalibro.isEmpty())
        indice = marca + passo;
    else
        indice = indietro ? numero - 1 : 0;
    const FormatiLog formati(locale);
    std::vector<RigaLog> out;
    for (int r = 0; r < righe && indice >= 0 && indice < numero; ++r, indice += passo) {
        const std::optional<RecordLog> record = sorgente(indice + 1);
        if (!record)
            break;
        out.push_back({QString::number(indice), ColonneRecordLog(*record, formati)});
    }
    return out;
}

namespace {

// Characters of a UTF-8 text: its bytes that start one.
qsizetype CaratteriUtf8(const char* t, qsizetype n)
{
    qsizetype u = 0;
    for (qsizetype i = 0; i < n; ++i)
        u += (static_cast<unsigned char>(t[i]) & 0xC0) != 0x80;
    return u;
}

} // namespace

ScrittoreRigheLog::ScrittoreRigheLog(TipoEsportazione tipo, const QLocale& locale)
    : tipo_(tipo), formati_(locale), meno_(locale.negativeSign().toUtf8())
{
    caratteriMeno_ = int(CaratteriUtf8(meno_.constData(), meno_.size()));
    for (int b = 0; b < 256; ++b) {
        // Control bytes as '?', as RigaEsportazione writes them.
        const bool controllo = b < 0x20 || b == 0x7F;
        const char16_t c = controllo ? u'?' : CarattereAnsi(static_cast<unsigned char>(b));
        const QByteArray u = QString(QChar(c)).toUtf8();
        lunghezzaAnsi_[b] = quint8(u.size());
        std::memcpy(ansi_[b], u.constData(), size_t(u.size()));
        spazio_[b] = QChar::isSpace(c);
    }
    // Every hour's form, when minutes and seconds are two digits wherever it
    // puts them (the usual case, AM/PM included).
    orePerModello_ = true;
    for (int h = 0; h < 24 && orePerModello_; ++h) {
        ModelloOra& o = ore_[h];
        const char* fine = formati_.ScriviModelloOra(h, o.modello.testo, o.minuti, o.secondi);
        orePerModello_ = fine != nullptr;
        if (fine) {
            o.modello.byte = int(fine - o.modello.testo);
            o.modello.caratteri = int(CaratteriUtf8(o.modello.testo, o.modello.byte));
        }
    }
}

namespace {

bool Riempi(ScrittoreRigheLog::Testo& t, const char* testo, qsizetype byte)
{
    if (byte > FormatiLog::MassimoTesto)
        return false;
    std::memcpy(t.testo, testo, size_t(byte));
    t.byte = int(byte);
    t.caratteri = int(CaratteriUtf8(testo, byte));
    return true;
}

} // namespace

bool ScrittoreRigheLog::Data(qint64 giorno, DataDelGiorno& posto, Campo& campo)
{
    // Calls go in order, so the day is nearly always the one before.
    if (posto.giorno != giorno) {
        const DataDelGiorno& altro = &posto == &giorni_[0] ? giorni_[1] : giorni_[0];
        if (altro.giorno == giorno) {
            posto = altro;
        } else {
            posto.giorno = giorno;
            posto.data.byte = -1;
            const QDate d = QDate::fromJulianDay(giorno);
            char testo[FormatiLog::MassimoTesto];
            if (const char* fine = formati_.ScriviData(d, testo))
                Riempi(posto.data, testo, fine - testo);
            else if (const QByteArray t = formati_.Data(d).toUtf8(); !t.isEmpty())
                Riempi(posto.data, t.constData(), t.size());
        }
    }
    campo = {posto.data.testo, posto.data.byte, posto.data.caratteri};
    return posto.data.byte >= 0;
}

bool ScrittoreRigheLog::Ora(int secondo, char* spazio, Campo& campo)
{
    if (orePerModello_) {
        const ModelloOra& o = ore_[secondo / 3600];
        std::memcpy(spazio, o.modello.testo, size_t(std::max(o.modello.byte, Lettura)));
        const int m = secondo / 60 % 60, s = secondo % 60;
        spazio[o.minuti] = char('0' + m / 10);
        spazio[o.minuti + 1] = char('0' + m % 10);
        spazio[o.secondi] = char('0' + s / 10);
        spazio[o.secondi + 1] = char('0' + s % 10);
        campo = {spazio, o.modello.byte, o.modello.caratteri};
        return true;
    }
    auto t = oreLocale_.find(secondo);
    if (t == oreLocale_.end())
        t = oreLocale_.emplace(secondo, formati_.Ora(QTime::fromMSecsSinceStartOfDay(secondo * 1000)).toUtf8()).first;
    const qsizetype n = t->second.size();
    if (n > FormatiLog::MassimoTesto)
        return false;
    std::memcpy(spazio, t->second.constData(), size_t(n));
    campo = {spazio, int(n), int(CaratteriUtf8(spazio, n))};
    return true;
}

// The helpers below are the export's inner loop: inline, and only called here.

inline char* ScrittoreRigheLog::Segno(char* d) const
{
    std::memcpy(d, meno_.constData(), size_t(meno_.size()));
    return d + meno_.size();
}

inline ScrittoreRigheLog::Campo ScrittoreRigheLog::Scatti(qint64 s, char* spazio) const
{
    char* fine = s < 0 ? Segno(spazio) : spazio;
    const int n = int(std::to_chars(fine, fine + 12, s < 0 ? -s : s).ptr - spazio);
    return {spazio, n, s < 0 ? n - int(meno_.size()) + caratteriMeno_ : n};
}

// Out of the way of the common case.
ScrittoreRigheLog::Campo ScrittoreRigheLog::ImportoEnorme(double x)
{
    importoLento_ = FormattaNumero(x, QStringLiteral("0"), formati_.Locale()).toUtf8();
    importoLento_.reserve(importoLento_.size() + Lettura);
    return {importoLento_.constData(), int(importoLento_.size()),
            int(CaratteriUtf8(importoLento_.constData(), importoLento_.size()))};
}

inline ScrittoreRigheLog::Campo ScrittoreRigheLog::Importo(double x, char* spazio)
{
    // Whole lire, halves away from zero. Below 2^52 rounding the value equals
    // rounding its shortest decimal text, which is what the pattern does.
    const double assoluto = std::fabs(x);
    if (assoluto < 4503599627370496.0) {
        const auto lire = qint64(std::round(assoluto));
        const bool segno = lire != 0 && x < 0;
        char* fine = segno ? Segno(spazio) : spazio;
        const int n = int(std::to_chars(fine, fine + 17, lire).ptr - spazio);
        return {spazio, n, segno ? n - int(meno_.size()) + caratteriMeno_ : n};
    }
    return ImportoEnorme(x);
}

namespace {

// Short texts move in one fixed-size copy; the bytes past the end are
// overwritten by what follows.
inline char* Copia(char* d, const ScrittoreRigheLog::Campo& c)
{
    if (c.byte <= ScrittoreRigheLog::Lettura)
        std::memcpy(d, c.testo, ScrittoreRigheLog::Lettura);
    else
        std::memcpy(d, c.testo, size_t(c.byte));
    return d + c.byte;
}

} // namespace

inline char* ScrittoreRigheLog::Tabulati(const Campo (&c)[7], char* d)
{
    for (const Campo& k : c) {
        d = Copia(d, k);
        *d++ = '\t';
    }
    return d;
}

inline char* ScrittoreRigheLog::Incolonnati(const Campo (&c)[7], char* d)
{
    for (int i = 0; i < 7; ++i) {
        const int vuoti = Larghezze[i] - c[i].caratteri;
        if (vuoti >= 0) {
            std::memset(d, ' ', 16);
            d = Copia(d + vuoti, c[i]);
        } else if (c[i].caratteri == c[i].byte) {
            // Plain ASCII too long for its field keeps its rightmost characters.
            std::memcpy(d, c[i].testo + c[i].byte - Larghezze[i], size_t(Larghezze[i]));
            d += Larghezze[i];
        } else {
            return nullptr;
        }
    }
    *d++ = ' ';
    *d++ = ' ';
    return d;
}

inline char* ScrittoreRigheLog::Connessione(const char* byte, char* d) const
{
    const unsigned char* nome = reinterpret_cast<const unsigned char*>(ConnessioneGrezza(byte));
    int primo = 0, ultimo = LunghezzaConnessione;
    if (tipo_ == TipoEsportazione::Tabulazione) {
        while (primo < ultimo && spazio_[nome[primo]])
            ++primo;
        while (ultimo > primo && spazio_[nome[ultimo - 1]])
            --ultimo;
    }
    for (int i = primo; i < ultimo; ++i) {
        std::memcpy(d, ansi_[nome[i]], 4);
        d += lunghezzaAnsi_[nome[i]];
    }
    return d;
}

void ScrittoreRigheLog::Aggiungi(const char* byte, QByteArray& uscita)
{
    const auto lento = [&] { uscita += RigaEsportazione(DecodificaRecordLog(byte), tipo_, formati_); };
    if (meno_.size() > 8)
        return lento();
    const TempiRecord t = calendario_.Tempi(byte);
    char ore[2][FormatiLog::MassimoTesto + Lettura];
    char durata[16 + Lettura], scatti[32 + Lettura], importo[32 + Lettura];
    Campo c[7];
    if (t.valido
        && !(Data(t.inizio.giorno, giorni_[0], c[0]) && Ora(t.inizio.secondo, ore[0], c[1])
             && Data(t.fine.giorno, giorni_[1], c[2]) && Ora(t.fine.secondo, ore[1], c[3])))
        return lento();
    c[4].testo = durata;
    c[4].byte = c[4].caratteri = int(ScriviTempo(DurataGrezza(byte), durata) - durata);
    c[5] = Scatti(ScattiGrezzi(byte), scatti);
    c[6] = Importo(ImportoGrezzo(byte), importo);

    // Room for the longest line these fields can make (and the fixed-size
    // copies' overrun), trimmed to fit after.
    qsizetype totale = 0;
    for (const Campo& k : c)
        totale += k.byte;
    const qsizetype prima = uscita.size();
    const qsizetype massimo = totale + 7 * 16 + 4 * LunghezzaConnessione + Lettura;
    if (prima + massimo > uscita.capacity())
        uscita.reserve(std::max(prima + massimo, 2 * uscita.capacity()));
    uscita.resize(prima + massimo);
    char* d = uscita.data() + prima;
    if (tipo_ == TipoEsportazione::Tabulazione) {
        d = Tabulati(c, d);
    } else if (!(d = Incolonnati(c, d))) {
        uscita.resize(prima);
        return lento();
    }
    d = Connessione(byte, d);
    *d++ = '\r';
    *d++ = '\n';
    uscita.resize(d - uscita.constData());
}
