// Start-up benchmark: how long the installer takes from process start until
// its main window is mapped on the X server, against a minimal Qt Widgets
// program that shows an empty window, measured alternately in the same run.
//
//   startup_bench [runs]       (default 15 runs of each program)
//
// "Shown" is observed from outside the programs: the benchmark watches the
// root window for the first MapNotify of a new top-level window, so neither
// program carries benchmark code. It then asks the window to close through
// WM_DELETE_WINDOW, as a window manager would, and waits for the process to
// end. Without DISPLAY it starts its own Xvfb. The installer runs with a
// temporary HOME and XDG folders. Prints the medians and their ratios; it
// never passes or fails on a time.
//
// The installer draws without OpenGL, so it never loads GLX, which a plain
// Qt window loads to choose its visual. Two more baselines skip GLX as well:
// the same empty window with Qt's GL integration off, and that window showing
// one line of text, which loads fonts before its first frame as the
// installer's first page does. The last is the fair comparison.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Program
{
    const char *label;
    const char *path;
    // NAME=value set for this program only, or null.
    const char *setting;
    // One argument for the program, or null.
    const char *argument;
    std::vector<double> milliseconds;
};

pid_t spawn(const char *path, const char *setting, const char *argument)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (setting)
            putenv(const_cast<char *>(setting));
        // The programs' own log lines would only garble the figures.
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        execl(path, path, argument, static_cast<char *>(nullptr));
        _exit(127);
    }
    return pid;
}

// Waits up to timeoutMs for pid to end; kills it when it does not.
void reap(pid_t pid, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::fprintf(stderr, "process %d did not end; killing it\n", static_cast<int>(pid));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

void requestClose(Display *display, Window window)
{
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// One start: milliseconds from fork to the first map of a top-level window,
// or a negative number when no window appeared within 20 seconds.
double measureOnce(Display *display, const Program &program)
{
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);

    const auto started = Clock::now();
    const pid_t pid = spawn(program.path, program.setting, program.argument);
    const auto deadline = started + std::chrono::seconds(20);

    Window shown = 0;
    while (!shown && Clock::now() < deadline) {
        while (!shown && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect)
                shown = event.xmap.window;
        }
        if (!shown)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    const double elapsed
        = std::chrono::duration<double, std::milli>(Clock::now() - started).count();

    if (shown)
        requestClose(display, shown);
    reap(pid, 5000);
    XSelectInput(display, root, NoEventMask);
    return shown ? elapsed : -1.0;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

pid_t startXvfb(std::string &displayName)
{
    for (int number = 90; number < 120; ++number) {
        const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
        if (access(lock.c_str(), F_OK) == 0)
            continue;
        displayName = ":" + std::to_string(number);
        const pid_t pid = fork();
        if (pid == 0) {
            execlp("Xvfb", "Xvfb", displayName.c_str(), "-screen", "0", "1280x800x24", "-nolisten",
                   "tcp", static_cast<char *>(nullptr));
            _exit(127);
        }
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        for (int i = 0; i < 200 && access(socket.c_str(), F_OK) != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return pid;
    }
    return -1;
}

// A throw-away HOME and XDG folders, so the installer touches no real files.
std::string makeTemporaryHome()
{
    char pattern[] = "/tmp/startup_bench.XXXXXX";
    const char *root = mkdtemp(pattern);
    if (!root)
        return std::string();
    const std::string home = root;
    const struct
    {
        const char *variable;
        const char *folder;
    } folders[] = { { "HOME", "/home" },
                    { "XDG_DATA_HOME", "/home/.local/share" },
                    { "XDG_CONFIG_HOME", "/home/.config" },
                    { "XDG_CACHE_HOME", "/home/.cache" },
                    { "XDG_RUNTIME_DIR", "/runtime" },
                    { "TMPDIR", "/tmp" } };
    for (const auto &entry : folders) {
        const std::string path = home + entry.folder;
        std::system(("mkdir -p '" + path + "'").c_str());
        setenv(entry.variable, path.c_str(), 1);
    }
    chmod((home + "/runtime").c_str(), 0700);
    return home;
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    pid_t xvfb = -1;
    const char *display = std::getenv("DISPLAY");
    std::string displayName = display ? display : "";
    if (displayName.empty()) {
        xvfb = startXvfb(displayName);
        if (xvfb < 0) {
            std::fprintf(stderr, "no DISPLAY and no free display number for Xvfb\n");
            return 1;
        }
        setenv("DISPLAY", displayName.c_str(), 1);
    }
    Display *connection = XOpenDisplay(displayName.c_str());
    if (!connection) {
        std::fprintf(stderr, "cannot open display %s\n", displayName.c_str());
        if (xvfb > 0)
            kill(xvfb, SIGTERM);
        return 1;
    }

    const std::string home = makeTemporaryHome();
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    const char *noGl = "QT_XCB_GL_INTEGRATION=none";
    Program programs[] = { { "empty Qt window", EMPTY_WINDOW_PATH, nullptr, nullptr, {} },
                           { "empty, no GL", EMPTY_WINDOW_PATH, noGl, nullptr, {} },
                           { "text, no GL", EMPTY_WINDOW_PATH, noGl, "--text", {} },
                           { "installer", INSTALLER_PATH, nullptr, nullptr, {} } };

    // One unmeasured start of each first, so that both find their libraries
    // in the page cache; then alternate, so drifts of the machine hit both.
    for (Program &program : programs)
        measureOnce(connection, program);
    for (int run = 0; run < runs; ++run) {
        for (Program &program : programs) {
            const double ms = measureOnce(connection, program);
            if (ms >= 0)
                program.milliseconds.push_back(ms);
            else
                std::fprintf(stderr, "%s showed no window\n", program.label);
        }
    }

    std::printf("start-up to window shown, %d runs each, display %s\n", runs, displayName.c_str());
    for (const Program &program : programs) {
        const auto [low, high]
            = std::minmax_element(program.milliseconds.begin(), program.milliseconds.end());
        std::printf("  %-16s median %7.1f ms  (min %.1f, max %.1f, %zu good runs)\n", program.label,
                    median(program.milliseconds), program.milliseconds.empty() ? 0.0 : *low,
                    program.milliseconds.empty() ? 0.0 : *high, program.milliseconds.size());
    }
    const double installer = median(programs[3].milliseconds);
    const double baseline = median(programs[0].milliseconds);
    const double withoutGl = median(programs[1].milliseconds);
    const double textWithoutGl = median(programs[2].milliseconds);
    if (baseline > 0)
        std::printf("  ratio installer / empty window: %.2f\n", installer / baseline);
    if (withoutGl > 0)
        std::printf("  ratio installer / empty window without GL: %.2f\n", installer / withoutGl);
    if (textWithoutGl > 0)
        std::printf("  ratio installer / one line of text without GL: %.2f (target at most 1.5)\n",
                    installer / textWithoutGl);

    XCloseDisplay(connection);
    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
    if (!home.empty())
        std::system(("rm -rf '" + home + "'").c_str());
    return 0;
}
