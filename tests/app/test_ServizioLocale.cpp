// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ripristino.h"
#include "app/IstanzaUnica.h"
#include "app/ServizioLocale.h"
#include "settings/Impostazioni.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QDate d1(2026, 12, 1), d7(2026, 12, 7), d31(2026, 12, 31);

DatiRapporto Esempio()
{
    DatiRapporto d{d1, d31, d7, 20, {}, {}};
    d.righe.insert(d1, {3, 381});
    d.righe.insert(d7, {7, 0.1 + 0.2}); // not a short decimal
    d.righe.insert(d31, {1, 63.5});
    return d;
}

// Runs a blocking client on its own thread while this one serves.
template <typename F>
auto DalCliente(F&& cliente)
{
    auto futuro = std::async(std::launch::async, std::forward<F>(cliente));
    while (futuro.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return futuro.get();
}

class ServizioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        servizio.Mostra = [this] { ++mostrato; };
        servizio.Rapporto = [this](QDate da, QDate a, QString* errore) -> std::optional<QByteArray> {
            richieste << qMakePair(da, a);
            if (!risposta)
                *errore = QStringLiteral("disco rotto");
            return risposta ? std::optional(CodificaDati(*risposta)) : std::nullopt;
        };
    }
    QTemporaryDir tmp;
    ServizioLocale servizio{tmp.filePath("s")};
    int mostrato = 0;
    QList<QPair<QDate, QDate>> richieste;
    std::optional<DatiRapporto> risposta = Esempio();
};

} // namespace

TEST(DatiRapporto, LaFormaDiTrasmissioneRestituisceGliStessiNumeri)
{
    const DatiRapporto d = Esempio();
    const QByteArray testo = CodificaDati(d);
    EXPECT_EQ(DecodificaDati(testo), d);
    EXPECT_EQ(DecodificaDati(CodificaDati(DatiRapporto{d1, d1, d7, 0, {}, {}})), (DatiRapporto{d1, d1, d7, 0, {}, {}}));
    // The time of day, when the panel sends it, comes back to the millisecond.
    DatiRapporto conOra = d;
    conOra.ora = QTime(23, 59, 59, 999);
    EXPECT_EQ(DecodificaDati(CodificaDati(conOra)), conOra);
    EXPECT_FALSE(DecodificaDati(QByteArray(CodificaDati(conOra)).replace(" 86399999\n", " 86400000\n")));

    // Anything cut short or garbled is refused, never half read.
    for (const QByteArray& rotto :
         {testo.left(testo.size() - 1), testo.left(testo.size() - 6), QByteArray("fine\n"),
          QByteArray(testo).replace("2026-12-07", "2026-13-07"), QByteArray(testo).replace(" 7 ", " sette "),
          QByteArray("errore no\n"), QByteArray(testo).replace("63.5", "nan")})
        EXPECT_FALSE(DecodificaDati(rotto)) << rotto.toStdString();
}

TEST(DatiRapporto, DalDatabaseConIlPeriodoEGliScattiInAttesa)
{
    QTemporaryDir tmp;
    DatabaseScatti db;
    ASSERT_TRUE(db.Apri(tmp.filePath("Velatrix.001")));
    ASSERT_TRUE(db.AggiungiScatti(d1, 3, 381));
    ASSERT_TRUE(db.AggiungiScatti(QDate(2026, 11, 30), 9, 900));
    Impostazioni imp;
    imp.DatIPB = d1;
    imp.DatFPB = d31;
    imp.Tariffe.PrcIva = 10;
    std::map<QDate, Totali> inAttesa{
        {d1, {1, 127}}, {d7, {2, 254}}, {QDate(2027, 1, 1), {5, 5}}}; // the last outside the period

    const auto dati = RaccogliDatiRapporto(db, imp, {}, {}, d7, inAttesa);
    ASSERT_TRUE(dati);
    EXPECT_EQ(dati->inizio, d1);
    EXPECT_EQ(dati->fine, d31);
    EXPECT_EQ(dati->oggi, d7);
    EXPECT_EQ(dati->percentualeIva, 10);
    QMap<QDate, Totali> attese;
    attese.insert(d1, {4, 508});
    attese.insert(d7, {2, 254});
    EXPECT_EQ(dati->righe, attese);

    // The panel's answer, written straight from the rows, says the same,
    // with pending days before, between and after the stored ones.
    inAttesa[QDate(2026, 11, 29)] = {1, 1};
    inAttesa[d31] = {1, 0.1};
    ASSERT_TRUE(db.AggiungiScatti(QDate(2026, 12, 5), 1, 1.0 / 3));
    for (const auto& [da, a] : {std::pair{QDate(), QDate()}, {QDate(2026, 11, 1), d31}, {d7, d7}, {d31, d1}}) {
        const auto risposta = CodificaRapporto(db, imp, da, a, d7, QTime(9, 30), inAttesa);
        auto dati = RaccogliDatiRapporto(db, imp, da, a, d7, inAttesa);
        ASSERT_TRUE(risposta && dati);
        dati->ora = QTime(9, 30);
        EXPECT_EQ(*risposta, CodificaDati(*dati));
    }

    const auto novembre = RaccogliDatiRapporto(db, imp, QDate(2026, 11, 1), QDate(2026, 11, 30), d7);
    ASSERT_TRUE(novembre);
    EXPECT_EQ(novembre->righe.size(), 1);
    EXPECT_EQ(novembre->inizio, QDate(2026, 11, 1));

    db.Chiudi();
    ErroreDatabase e;
    EXPECT_FALSE(RaccogliDatiRapporto(db, imp, {}, {}, d7, {}, &e));
    EXPECT_NE(e.numero, 0);
    e = {};
    EXPECT_FALSE(CodificaRapporto(db, imp, {}, {}, d7, {}, {}, &e));
    EXPECT_NE(e.numero, 0);
}

TEST(NomeServizio, UnoPerCartellaNellaCartellaDiEsecuzione)
{
    QTemporaryDir tmp;
    QDir().mkpath(tmp.filePath("a"));
    const QString nome = NomeServizio(tmp.filePath("a"), tmp.filePath("run"));
    EXPECT_TRUE(nome.startsWith(tmp.filePath("run") + "/velatrix-"));
    EXPECT_EQ(NomeServizio(tmp.filePath("b/../a"), tmp.filePath("run")), nome);
    EXPECT_NE(NomeServizio(tmp.filePath("b"), tmp.filePath("run")), nome);
    // A folder too deep for a socket path gives no name: Qt would put a
    // short one in the shared temporary folder.
    EXPECT_TRUE(NomeServizio(tmp.filePath("a"), "/tmp/" + QString(120, 'x')).isEmpty());
}

namespace {

// A Unix socket bound to nome, not yet listening; -1 when it cannot be.
int Lega(const QString& nome)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un indirizzo{};
    indirizzo.sun_family = AF_UNIX;
    const QByteArray percorso = QFile::encodeName(nome);
    std::memcpy(indirizzo.sun_path, percorso.constData(), size_t(percorso.size()));
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&indirizzo), sizeof indirizzo) == 0)
        return fd;
    ::close(fd);
    return -1;
}

bool RunUserValida()
{
    struct stat st {};
    const QByteArray run = "/run/user/" + QByteArray::number(::getuid());
    return ::lstat(run.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid()
           && (st.st_mode & 077) == 0;
}

} // namespace

// The lock and the socket only ever go in a folder of the user's own that
// nobody else may enter; one another user made first is refused, not used.
TEST(CartellaEsecuzione, MaiInUnaCartellaCheAltriPossonoScrivere)
{
    if (RunUserValida())
        GTEST_SKIP() << "/run/user/<uid> exists here and comes first";
    QTemporaryDir tmp;
    const VariabileProva tempPrima("TMPDIR");
    const VariabileProva runtimePrima("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", tmp.path().toUtf8());
    QDir().mkpath(tmp.filePath("aperta"));
    QFile::setPermissions(tmp.filePath("aperta"), QFile::Permissions(0x7777));
    qputenv("XDG_RUNTIME_DIR", tmp.filePath("aperta").toUtf8());

    QString errore;
    const QString propria = tmp.filePath(QStringLiteral("velatrix-%1").arg(::getuid()));
    EXPECT_EQ(IstanzaUnica::CartellaEsecuzione(&errore), propria) << "a runtime folder open to others is skipped";
    EXPECT_EQ(QFileInfo(propria).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(IstanzaUnica::PercorsoPredefinito(), propria + "/Velatrix.lock");
    EXPECT_EQ(NomiServizio(tmp.filePath("dati"), false), QStringList{NomeServizio(tmp.filePath("dati"), propria)});

    // Planted by someone else, with a lock in it.
    ASSERT_TRUE(QDir(propria).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(propria));
    QFile::setPermissions(propria, QFile::Permissions(0x7777));
    QFile piantato(propria + "/Velatrix.lock");
    ASSERT_TRUE(piantato.open(QIODevice::WriteOnly));
    piantato.write("1\nvelatrix\naltro\n");
    piantato.close();
    EXPECT_TRUE(IstanzaUnica::CartellaEsecuzione(&errore).isEmpty());
    EXPECT_TRUE(errore.contains("accessibile ad altri")) << errore.toStdString();
    EXPECT_TRUE(IstanzaUnica::PercorsoPredefinito().isEmpty());
    EXPECT_TRUE(NomiServizio(tmp.filePath("dati"), false).isEmpty());
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(propria).constData(), 65534, 65534), 0);
        QFile::setPermissions(propria, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_TRUE(IstanzaUnica::CartellaEsecuzione(&errore).isEmpty());
        EXPECT_TRUE(errore.contains("un altro utente")) << errore.toStdString();
    }
}

TEST(ServizioLocale, UnaRispostaDiUnAltroUtenteNonVieneCreduta)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to serve as another user";
    QTemporaryDir tmp;
    QFile::setPermissions(tmp.path(), QFile::Permissions(0x7777));
    const QString nome = tmp.filePath("s");
    int pronto[2];
    ASSERT_EQ(::pipe(pronto), 0);
    const pid_t figlio = fork();
    ASSERT_GE(figlio, 0);
    if (figlio == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            _exit(1);
        const int fd = Lega(nome);
        if (fd < 0 || ::listen(fd, 4) != 0)
            _exit(2);
        ::chmod(QFile::encodeName(nome).constData(), 0777);
        [[maybe_unused]] auto n = ::write(pronto[1], "x", 1);
        const QByteArray falso = CodificaDati(Esempio());
        for (int i = 0; i < 2; ++i) {
            const int c = ::accept(fd, nullptr, nullptr);
            char b[256];
            [[maybe_unused]] auto letti = ::read(c, b, sizeof b);
            [[maybe_unused]] auto scritti = ::write(c, falso.constData(), size_t(falso.size()));
            ::close(c);
        }
        _exit(0);
    }
    char c;
    ASSERT_EQ(::read(pronto[0], &c, 1), 1);
    EsitoRichiesta esito = EsitoRichiesta::Risposta;
    QString errore;
    EXPECT_FALSE(ChiediRapporto(nome, d1, d31, &esito, &errore));
    EXPECT_EQ(esito, EsitoRichiesta::NessunServizio);
    EXPECT_FALSE(ChiediMostra(nome));
    ::kill(figlio, SIGKILL);
    ::waitpid(figlio, nullptr, 0);
    ::close(pronto[0]);
    ::close(pronto[1]);
}

TEST_F(ServizioTest, RisposteAOgniRichiesta)
{
    EXPECT_EQ(servizio.Rispondi("mostra"), "ok\n");
    EXPECT_EQ(mostrato, 1);
    EXPECT_EQ(servizio.Rispondi("rapporto"), CodificaDati(Esempio()));
    EXPECT_EQ(servizio.Rispondi("rapporto  2026-12-01 2026-12-31 "), CodificaDati(Esempio()));
    ASSERT_EQ(richieste.size(), 2);
    EXPECT_FALSE(richieste[0].first.isValid());
    EXPECT_EQ(richieste[1], qMakePair(d1, d31));

    for (const QByteArray& sbagliata : {QByteArray("rapporto 2026-12-31 2026-12-01"), QByteArray("rapporto 2026-12-01"),
                                        QByteArray("rapporto ieri oggi"), QByteArray("mostra subito"),
                                        QByteArray("MOSTRA"), QByteArray(""), QByteArray("chiudi")})
        EXPECT_TRUE(servizio.Rispondi(sbagliata).startsWith("errore ")) << sbagliata.toStdString();
    EXPECT_EQ(mostrato, 1);
    EXPECT_EQ(richieste.size(), 2);

    risposta.reset();
    EXPECT_EQ(servizio.Rispondi("rapporto"), "errore disco rotto\n");
}

TEST_F(ServizioTest, SulSocket)
{
    ASSERT_TRUE(servizio.Ascolta());
    const QString nome = servizio.Nome();
    // Only its user may connect, whatever the folder allows.
    EXPECT_EQ(QFileInfo(nome).permissions()
                  & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
              QFile::Permissions());

    EsitoRichiesta esito = EsitoRichiesta::NessunServizio;
    QString errore;
    const auto dati = DalCliente([&] { return ChiediRapporto(nome, d1, d31, &esito, &errore); });
    EXPECT_EQ(esito, EsitoRichiesta::Risposta) << errore.toStdString();
    EXPECT_EQ(dati, Esempio());

    risposta.reset();
    EXPECT_FALSE(DalCliente([&] { return ChiediRapporto(nome, {}, {}, &esito, &errore); }));
    EXPECT_EQ(esito, EsitoRichiesta::Errore);
    EXPECT_EQ(errore, "disco rotto");

    // The second start does not wait for the panel: the request is served
    // when the panel gets to it.
    EXPECT_TRUE(ChiediMostra(nome));
    EXPECT_EQ(mostrato, 0);
    EXPECT_TRUE(QTest::qWaitFor([this] { return mostrato != 0; }, 1000));
    EXPECT_EQ(mostrato, 1);
}

TEST_F(ServizioTest, NessunoInAscoltoEClientiMaleducati)
{
    EsitoRichiesta esito = EsitoRichiesta::Risposta;
    EXPECT_FALSE(ChiediRapporto(servizio.Nome(), {}, {}, &esito, nullptr));
    EXPECT_EQ(esito, EsitoRichiesta::NessunServizio);
    EXPECT_FALSE(ChiediMostra(servizio.Nome()));

    ASSERT_TRUE(servizio.Ascolta());
    // An endless line is cut off, and the service still answers the next one.
    const RispostaServizio lunga =
        DalCliente([&] { return ChiediServizio(servizio.Nome(), QByteArray(100000, 'x'), 5000); });
    EXPECT_NE(lunga.esito, EsitoRichiesta::Risposta);
    const RispostaServizio buona = DalCliente([&] { return ChiediServizio(servizio.Nome(), "mostra", 5000); });
    EXPECT_EQ(buona.esito, EsitoRichiesta::Risposta);
    EXPECT_EQ(buona.testo, "ok\n");
}

TEST_F(ServizioTest, PrendeIlPostoDiUnoMortoNonDiUnoVivo)
{
    // A socket file nobody listens on, as a killed run leaves it.
    const int fd = Lega(servizio.Nome());
    ASSERT_GE(fd, 0);
    ::close(fd);
    QString errore;
    EXPECT_TRUE(servizio.Ascolta(&errore)) << errore.toStdString();

    ServizioLocale secondo(servizio.Nome());
    EXPECT_FALSE(secondo.Ascolta(&errore));
    EXPECT_FALSE(errore.isEmpty());
    EXPECT_TRUE(ChiediMostra(servizio.Nome())) << "a socket nobody listens on refuses the line";
}
