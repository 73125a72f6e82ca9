// SPDX-License-Identifier: GPL-3.0-or-later
// A start of the whole program, from exec to the panel mapped on the screen,
// beside a bare Qt Widgets window (finestra_nuda.cpp) started the same way
// and the same window sized by its text, runs interleaved. Each runs on an X
// server of its own (Xvfb); the time is the CPU of the started process, all
// its threads, until its window's MapNotify. Without Xvfb the benchmark is
// skipped.
#include <benchmark/benchmark.h>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

pid_t Lancia(const std::vector<std::string>& argomenti, const std::vector<std::string>& ambiente)
{
    std::vector<char*> argv, envp;
    for (const auto& a : argomenti)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto& e : ambiente)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

// An X server of the benchmark's own, and a client watching its top-level
// windows being mapped.
class Schermo {
public:
    static std::unique_ptr<Schermo> Avvia(std::string* errore)
    {
        int tubo[2];
        if (pipe(tubo) != 0)
            return nullptr;
        std::vector<std::string> ambiente;
        for (char** e = environ; *e; ++e)
            ambiente.emplace_back(*e);
        const pid_t server =
            Lancia({"Xvfb", "-displayfd", std::to_string(tubo[1]), "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
                   ambiente);
        close(tubo[1]);
        std::string numero;
        char c;
        pollfd p{tubo[0], POLLIN, 0};
        while (server > 0 && poll(&p, 1, 10000) == 1 && read(tubo[0], &c, 1) == 1 && c != '\n')
            numero += c;
        close(tubo[0]);
        if (server <= 0 || numero.empty()) {
            *errore = "Xvfb is not installed or did not start (apt-get install xvfb)";
            if (server > 0)
                Ferma(server);
            return nullptr;
        }
        auto s = std::unique_ptr<Schermo>(new Schermo(server, ":" + numero));
        if (!s->x_) {
            *errore = "cannot connect to Xvfb";
            return nullptr;
        }
        return s;
    }
    ~Schermo()
    {
        if (x_)
            xcb_disconnect(x_);
        Ferma(server_);
    }
    const std::string& Display() const { return display_; }

    // Waits for the first top-level window of pid that is not a splash
    // screen to be mapped, then ends the process; its CPU in ms.
    std::optional<double> CpuFinoAllaMappa(pid_t pid)
    {
        bool mappata = false;
        pollfd p{xcb_get_file_descriptor(x_), POLLIN, 0};
        while (!mappata) {
            xcb_generic_event_t* ev = xcb_poll_for_event(x_);
            if (!ev) {
                if (xcb_connection_has_error(x_) || poll(&p, 1, 20000) != 1)
                    break;
                continue;
            }
            if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(ev);
                mappata = !m->override_redirect && !Splash(m->window);
            }
            std::free(ev);
        }
        kill(pid, SIGKILL);
        int stato = 0;
        rusage uso{};
        wait4(pid, &stato, 0, &uso);
        if (!mappata)
            return std::nullopt;
        return (uso.ru_utime.tv_sec + uso.ru_stime.tv_sec) * 1e3 + (uso.ru_utime.tv_usec + uso.ru_stime.tv_usec) / 1e3;
    }

private:
    Schermo(pid_t server, std::string display) : server_(server), display_(std::move(display))
    {
        x_ = xcb_connect(display_.c_str(), nullptr);
        if (xcb_connection_has_error(x_)) {
            xcb_disconnect(x_);
            x_ = nullptr;
            return;
        }
        const xcb_window_t radice = xcb_setup_roots_iterator(xcb_get_setup(x_)).data->root;
        const uint32_t maschera = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x_, radice, XCB_CW_EVENT_MASK, &maschera);
        tipo_ = Atomo("_NET_WM_WINDOW_TYPE");
        splash_ = Atomo("_NET_WM_WINDOW_TYPE_SPLASH");
        xcb_flush(x_);
    }
    static void Ferma(pid_t pid)
    {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    xcb_atom_t Atomo(const char* nome)
    {
        auto* r = xcb_intern_atom_reply(x_, xcb_intern_atom(x_, 0, uint16_t(std::strlen(nome)), nome), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }
    bool Splash(xcb_window_t w)
    {
        auto* r = xcb_get_property_reply(x_, xcb_get_property(x_, 0, w, tipo_, XCB_ATOM_ATOM, 0, 16), nullptr);
        bool splash = false;
        if (r) {
            const auto* atomi = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
            for (int i = 0; i < xcb_get_property_value_length(r) / 4; ++i)
                splash = splash || atomi[i] == splash_;
            std::free(r);
        }
        return splash;
    }

    pid_t server_;
    std::string display_;
    xcb_connection_t* x_ = nullptr;
    xcb_atom_t tipo_ = XCB_ATOM_NONE;
    xcb_atom_t splash_ = XCB_ATOM_NONE;
};

// A private home with its settings, data and runtime folders, so the runs
// never touch the user's own.
struct Casa {
    fs::path radice;
    Casa()
    {
        std::string modello = (fs::temp_directory_path() / "velatrix-avvio-XXXXXX").string();
        radice = mkdtemp(modello.data());
        for (const char* d : {"config", "data", "cache", "runtime", "dati"})
            fs::create_directories(radice / d);
        fs::permissions(radice / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    }
    ~Casa() { fs::remove_all(radice); }
    std::vector<std::string> Ambiente(const std::string& display) const
    {
        std::vector<std::string> ambiente;
        for (char** e = environ; *e; ++e) {
            const std::string v = *e;
            bool tolta = false;
            for (const char* nome : {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "HOME=", "XDG_"})
                tolta = tolta || v.rfind(nome, 0) == 0;
            if (!tolta)
                ambiente.push_back(v);
        }
        ambiente.push_back("DISPLAY=" + display);
        ambiente.push_back("QT_QPA_PLATFORM=xcb");
        ambiente.push_back("HOME=" + radice.string());
        ambiente.push_back("XDG_CONFIG_HOME=" + (radice / "config").string());
        ambiente.push_back("XDG_DATA_HOME=" + (radice / "data").string());
        ambiente.push_back("XDG_CACHE_HOME=" + (radice / "cache").string());
        ambiente.push_back("XDG_RUNTIME_DIR=" + (radice / "runtime").string());
        return ambiente;
    }
};

void AvvioFinoAllaMappa(benchmark::State& stato)
{
    std::string errore;
    const auto schermo = Schermo::Avvia(&errore);
    if (!schermo) {
        stato.SkipWithError(errore.c_str());
        for (auto _ : stato) {
        }
        return;
    }
    const Casa casa;
    const auto ambiente = casa.Ambiente(schermo->Display());
    // Another build of the program may be compared by naming it.
    const char* altro = std::getenv("VELATRIX_AVVIO_PROGRAMMA");
    const std::vector<std::string> pannello{altro ? altro : VELATRIX_PROGRAMMA, "--data-dir",
                                            (casa.radice / "dati").string()};
    const std::vector<std::string> nuda{VELATRIX_FINESTRA_NUDA};
    const std::vector<std::string> nudaAlTesto{VELATRIX_FINESTRA_NUDA, "--al-testo"};
    auto cpu = [&](const std::vector<std::string>& argomenti) {
        return schermo->CpuFinoAllaMappa(Lancia(argomenti, ambiente));
    };
    // The first start writes the settings and creates the database; the
    // runs measure the starts after it, as a user meets them every day.
    if (!cpu(pannello) || !cpu(nuda)) {
        stato.SkipWithError("a program did not map its window");
        for (auto _ : stato) {
        }
        return;
    }
    double totalePannello = 0, totaleNuda = 0, totaleAlTesto = 0;
    for (auto _ : stato) {
        const auto n = cpu(nuda);
        const auto p = cpu(pannello);
        const auto t = cpu(nudaAlTesto);
        if (!n || !p || !t) {
            stato.SkipWithError("a program did not map its window");
            break;
        }
        totaleNuda += *n;
        totalePannello += *p;
        totaleAlTesto += *t;
        stato.SetIterationTime(*p / 1e3);
    }
    const double runs = double(stato.iterations());
    stato.counters["panel_cpu_ms"] = totalePannello / runs;
    stato.counters["bare_cpu_ms"] = totaleNuda / runs;
    stato.counters["ratio"] = totalePannello / totaleNuda;
    // The same window sized by its text: what measuring text before the map costs.
    stato.counters["bare_text_cpu_ms"] = totaleAlTesto / runs;
    stato.counters["ratio_text"] = totalePannello / totaleAlTesto;
}
BENCHMARK(AvvioFinoAllaMappa)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
