// Start-up on a private X server (Xvfb): the time from starting the program to the
// splash window being mapped, paired round by round with a bare Qt window's start (the
// floor of any Qt program: libraries, platform plugin, X connection). Counters: the
// splash's and the main window's map times in milliseconds (medians).

#include "RatioReporter.h"

#include <QTemporaryDir>
#include <X11/Xlib.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

pid_t spawn(const std::vector<std::string> &arguments, const std::vector<std::string> &extraEnvironment = {})
{
    std::vector<std::string> environment(extraEnvironment);
    for (char **entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (const std::string &entry : environment)
        envp.push_back(const_cast<char *>(entry.c_str()));
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// A private X server for the whole run.
class PrivateDisplay {
public:
    PrivateDisplay()
    {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        const std::string fd = std::to_string(pipeEnds[1]);
        const char *argv[] = {"/usr/bin/Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x900x24", "-nolisten", "tcp", nullptr};
        if (posix_spawn(&m_server, argv[0], &actions, nullptr, const_cast<char **>(argv), environ) != 0)
            m_server = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        // The server writes its display number and a newline once it takes connections;
        // the pipe stays open until the newline, or the server dies of SIGPIPE.
        std::string number;
        char byte = 0;
        while (::read(pipeEnds[0], &byte, 1) == 1 && byte != '\n')
            number += byte;
        ::close(pipeEnds[0]);
        if (!number.empty()) {
            m_name = ":" + number;
            m_display = XOpenDisplay(m_name.c_str());
        }
        if (m_display) {
            XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
            XSync(m_display, False);
        }
    }
    ~PrivateDisplay()
    {
        if (m_display)
            XCloseDisplay(m_display);
        stop(m_server);
    }
    bool ready() const { return m_display != nullptr; }
    std::string name() const { return m_name; }

    // Milliseconds from `start` to each of the next `count` top-level windows (wider than
    // 50 pixels) being mapped; empty after `limitMs` without one.
    std::vector<double> mapTimes(Clock::time_point start, int count, double limitMs)
    {
        std::vector<double> times;
        while (int(times.size()) < count && millisecondsSince(start) < limitMs) {
            if (!XPending(m_display)) {
                ::usleep(500);
                continue;
            }
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type != MapNotify)
                continue;
            const double at = millisecondsSince(start);
            XWindowAttributes attributes;
            if (XGetWindowAttributes(m_display, event.xmap.window, &attributes) && attributes.width > 50)
                times.push_back(at);
        }
        return times;
    }

private:
    pid_t m_server = -1;
    std::string m_name;
    Display *m_display = nullptr;
};

PrivateDisplay *display = nullptr;

void BM_SplashMappedAfterStart(benchmark::State &state)
{
    if (!display->ready()) {
        state.SkipWithError("Xvfb could not be started");
        return;
    }
    const std::string displayVariable = "DISPLAY=" + display->name();
    std::vector<double> splash;
    std::vector<double> mainWindow;
    std::vector<double> bare;
    const auto startOurs = [&] {
        QTemporaryDir config;
        const Clock::time_point start = Clock::now();
        const pid_t pid = spawn({KESTRAVA_EXECUTABLE}, {displayVariable, "QT_QPA_PLATFORM=xcb",
                                                        "XDG_CONFIG_HOME=" + config.path().toStdString()});
        const std::vector<double> maps = display->mapTimes(start, 2, 10000);
        stop(pid);
        if (maps.size() < 2)
            return false;
        splash.push_back(maps[0]);
        mainWindow.push_back(maps[1]);
        return true;
    };
    const auto startBare = [&] {
        const Clock::time_point start = Clock::now();
        const pid_t pid = spawn({BARE_WINDOW_EXECUTABLE}, {displayVariable, "QT_QPA_PLATFORM=xcb"});
        const std::vector<double> maps = display->mapTimes(start, 1, 10000);
        stop(pid);
        if (maps.empty())
            return false;
        bare.push_back(maps[0]);
        return true;
    };
    for (auto _ : state) {
        // The two take turns first, round by round.
        const bool started = splash.size() % 2 ? startBare() && startOurs() : startOurs() && startBare();
        if (!started) {
            state.SkipWithError("a program mapped no window within 10 s");
            return;
        }
        state.SetIterationTime(splash.back() / 1000);
    }
    state.counters["splash_ms"] = median(splash);
    state.counters["main_window_ms"] = median(mainWindow);
    state.counters["ours_s"] = median(splash) / 1000;
    state.counters["peer_s"] = median(bare) / 1000;
    state.SetLabel("bare Qt window");
}
BENCHMARK(BM_SplashMappedAfterStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
} // namespace

int main(int argc, char **argv)
{
    PrivateDisplay privateDisplay;
    display = &privateDisplay;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
