// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes under a real window manager: each box must stand above the
// window it concerns in the manager's stacking list, the always-on-top panel
// included. Runs on its own X server (Xvfb) with the manager named as the
// first argument (openbox, xfwm4); skips when either is not installed.
#include "common/MessaggiQt.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

QString motivoSalto; // why the tests cannot run here; empty when they can

// Generous: a loaded CI machine has taken over 5 s to map a first window.
constexpr int attesa = 30000;

QString Xprop(const QString& proprieta)
{
    // popen, since the display is set up before any QCoreApplication exists.
    QByteArray uscita;
    if (FILE* f = popen(("xprop -root " + proprieta).toLocal8Bit().constData(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;)
            uscita.append(buf, qsizetype(n));
        pclose(f);
    }
    return QString::fromLocal8Bit(uscita);
}

// The managed windows from bottom to top; with lista _NET_CLIENT_LIST, the
// managed windows in the order they came (Xfwm4 writes the stacking list only
// once it holds two windows).
QList<quint64> Impilate(const QString& lista = QStringLiteral("_NET_CLIENT_LIST_STACKING"))
{
    QList<quint64> finestre;
    const QString testo = Xprop(lista);
    static const QRegularExpression id(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = id.globalMatch(testo); it.hasNext();)
        finestre << it.next().captured().toULongLong(nullptr, 16);
    return finestre;
}

bool Attendi(const std::function<bool()>& condizione, int millisecondi)
{
    for (int t = 0; t < millisecondi; t += 50) {
        if (condizione())
            return true;
        usleep(50000);
    }
    return condizione();
}

pid_t Lancia(const std::vector<std::string>& argomenti)
{
    std::vector<char*> argv;
    for (const std::string& a : argomenti)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // A group of its own, so the stop reaches what it started (the bus of
    // dbus-run-session), and no output pipe of ctest's, which a leftover would
    // hold open.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawn_file_actions_t azioni;
    posix_spawn_file_actions_init(&azioni);
    posix_spawn_file_actions_addopen(&azioni, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&azioni, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const bool ok = posix_spawnp(&pid, argv[0], &azioni, &attr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&azioni);
    posix_spawnattr_destroy(&attr);
    return ok ? pid : 0;
}

void Ferma(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(-pid, SIGTERM);
    if (!Attendi([pid] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 5000)) {
        kill(-pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    kill(-pid, SIGKILL);
}

// Starts Xvfb on a free display and the window manager on it; false (with
// motivoSalto set) when something is missing.
bool AvviaSchermo(const std::string& gestore, pid_t* server, pid_t* wm)
{
    for (const char* programma : {"Xvfb", "xprop", gestore.c_str()})
        if (QStandardPaths::findExecutable(QString::fromLocal8Bit(programma)).isEmpty()) {
            motivoSalto = QString::fromLocal8Bit(programma) + QStringLiteral(" is not installed");
            return false;
        }
    int numero = 90 + int(getpid() % 400);
    auto occupato = [](int n) {
        return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))
               || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n));
    };
    while (occupato(numero))
        ++numero;
    const std::string schermo = ":" + std::to_string(numero);
    *server = Lancia({"Xvfb", schermo, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    if (!Attendi([&] { return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(numero)); }, 15000)) {
        motivoSalto = QStringLiteral("Xvfb did not start");
        return false;
    }
    setenv("DISPLAY", schermo.c_str(), 1);
    // Xfwm4 reads its settings over a session bus, which a test run has none of.
    const bool bus = !QStandardPaths::findExecutable(QStringLiteral("dbus-run-session")).isEmpty();
    if (gestore == "xfwm4")
        *wm = bus ? Lancia({"dbus-run-session", "--", gestore, "--compositor=off"})
                  : Lancia({gestore, "--compositor=off"});
    else
        *wm = Lancia({gestore, "--sm-disable"});
    // Openbox claims the screen before it loads its theme, and the first font
    // load on a fresh machine builds the font caches: a window mapped in
    // between waits for it. _OB_THEME is set once the theme is in.
    const QString segno =
        gestore == "openbox" ? QStringLiteral("_OB_THEME") : QStringLiteral("_NET_SUPPORTING_WM_CHECK");
    const bool pronto = Attendi([&] { return Xprop(segno).startsWith(segno + QLatin1Char('(')); }, 60000);
    if (!pronto)
        motivoSalto = QString::fromStdString(gestore) + QStringLiteral(" did not take the display");
    return pronto;
}

class Impilamento : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!motivoSalto.isEmpty())
            GTEST_SKIP() << motivoSalto.toStdString();
        // As the panel with "Sempre in primo piano" on, the default.
        pannello.setWindowFlag(Qt::WindowStaysOnTopHint);
        pannello.resize(270, 76);
        pannello.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pannello, attesa));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return Impilate(QStringLiteral("_NET_CLIENT_LIST")).contains(pannello.winId()); }, 10000));
    }

    // Shows an information box the way the program does, and returns the
    // stacking list seen while it is up, with the box's id.
    QList<quint64> ConUnMessaggio(quint64* scatola)
    {
        QList<quint64> pila;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (box && QTest::qWaitForWindowExposed(box, attesa)) {
                *scatola = box->winId();
                static_cast<void>(QTest::qWaitFor([&] { return Impilate().contains(*scatola); }, 5000));
                QTest::qWait(200); // the manager restacks after mapping
                pila = Impilate();
            }
            if (auto* m = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                m->done(0);
        });
        messaggi.Informazione(QStringLiteral("Il riepilogo bolletta è stato esportato nel file prova.txt"));
        return pila;
    }

    QWidget pannello;
    MessaggiQt messaggi{&pannello};
};

TEST_F(Impilamento, IlMessaggioDelPannelloGliStaSopra)
{
    quint64 box = 0;
    const QList<quint64> pila = ConUnMessaggio(&box);
    ASSERT_NE(box, 0u);
    ASSERT_TRUE(pila.contains(box)) << "the box was never managed";
    EXPECT_GT(pila.indexOf(box), pila.indexOf(pannello.winId()));
}

// As the bill window and the configuration dialog: a modal dialog of the
// panel whose own action shows the box.
TEST_F(Impilamento, IlMessaggioDiUnaFinestraStaSopraLeiEDalPannello)
{
    QDialog finestra(&pannello);
    finestra.resize(400, 300);
    quint64 box = 0, dialogo = 0;
    QList<quint64> pila;
    QTimer::singleShot(0, [&] {
        if (QTest::qWaitForWindowExposed(&finestra, attesa)) {
            dialogo = finestra.winId();
            static_cast<void>(QTest::qWaitFor([&] { return Impilate().contains(dialogo); }, 5000));
            pila = ConUnMessaggio(&box);
        }
        finestra.reject();
    });
    finestra.exec();
    ASSERT_NE(box, 0u);
    ASSERT_TRUE(pila.contains(box) && pila.contains(dialogo)) << "a window was never managed";
    EXPECT_GT(pila.indexOf(box), pila.indexOf(dialogo));
    EXPECT_GT(pila.indexOf(box), pila.indexOf(pannello.winId()));
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const std::string gestore = argc > 1 ? argv[1] : "openbox";
    QTemporaryDir casa;
    qputenv("HOME", casa.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (casa.path() + "/config").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (casa.path() + "/run").toUtf8());
    QDir().mkpath(casa.path() + "/run");
    QFile::setPermissions(casa.path() + "/run",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    pid_t server = 0, wm = 0;
#if defined(__SANITIZE_ADDRESS__)
    // The X libraries keep caches the leak checker would report; what is
    // checked here is the window manager's stacking, which the normal build
    // covers.
    motivoSalto = QStringLiteral("not under AddressSanitizer");
    static_cast<void>(gestore);
    const bool schermo = false;
#else
    const bool schermo = AvviaSchermo(gestore, &server, &wm);
#endif
    qputenv("QT_QPA_PLATFORM", schermo ? "xcb" : "offscreen");
    int esito = 0;
    {
        QApplication app(argc, argv);
        esito = RUN_ALL_TESTS();
    }
    Ferma(wm);
    Ferma(server);
    return esito;
}
