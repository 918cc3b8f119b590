// Watches a program from outside on an X display: starts it, reports how long its first window
// took to be mapped and painted, closes that window with the close box (WM_DELETE_WINDOW, the
// dialog's Cancel), and returns the program's exit status. Nothing of it is in the program.
//
//   tc_window_probe [--timeout SECONDS] [--keep-open] -- PROGRAM [ARGUMENTS...]
//
// Prints one line once the window is painted:
//   shown_ms=<from the fork to the first drawing in the window> realtime_ns=<clock at that moment>
//   title=<the window's name>
// "Painted" is the last drawing the X server reports in the mapped window (XDamage) before it
// stays unchanged for a quarter of a second, so the figure includes filling the dialog from the
// game's files and drawing it; realtime_ns is the clock at that last drawing.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

double NowMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::string Fixed1(double value) {
    char buffer[32];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return std::string(buffer, r.ptr);
}

long WindowPid(Display* display, Window window) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count == 1) {
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) XFree(data);
    return pid;
}

std::string WindowTitle(Display* display, Window window) {
    XTextProperty property{};
    std::string title;
    if (XGetWMName(display, window, &property) != 0 && property.value != nullptr) {
        title.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        XFree(property.value);
    }
    return title;
}

void SendClose(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// Waits for the child to end within `ms`; its exit status, or -1 when it did not end in time.
int WaitChild(pid_t child, double ms) {
    const double end = NowMs(CLOCK_MONOTONIC) + ms;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (NowMs(CLOCK_MONOTONIC) > end) return -1;
        usleep(10000);
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

int Fail(const char* what, pid_t child) {
    std::fprintf(stderr, "tc_window_probe: %s\n", what);
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    double timeoutMs = 60000;
    bool keepOpen = false;
    int first = 1;
    for (; first < argc && std::strcmp(argv[first], "--") != 0; ++first) {
        if (std::strcmp(argv[first], "--timeout") == 0 && first + 1 < argc) {
            timeoutMs = 1000.0 * std::strtod(argv[++first], nullptr);
        } else if (std::strcmp(argv[first], "--keep-open") == 0) {
            keepOpen = true;
        }
    }
    if (first + 1 >= argc) {
        std::fputs("usage: tc_window_probe [--timeout S] [--keep-open] -- PROGRAM [ARGS...]\n",
                   stderr);
        return 2;
    }

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return Fail("no X display (DISPLAY)", 0);
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        return Fail("the X server has no DAMAGE extension", 0);
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double started = NowMs(CLOCK_MONOTONIC);
    const pid_t child = fork();
    if (child < 0) return Fail("fork failed", 0);
    if (child == 0) {
        close(ConnectionNumber(display));
        execvp(argv[first + 1], argv + first + 1);
        _exit(127);
    }

    Window shown = None;
    Damage damage = 0;
    double lastDamage = 0;  // when the window was last drawn in
    long long lastDamageWallNs = 0;
    constexpr double kQuietMs = 250;
    const int fd = ConnectionNumber(display);
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && shown == None &&
                WindowPid(display, event.xmap.window) == child) {
                shown = event.xmap.window;
                damage = XDamageCreate(display, shown, XDamageReportNonEmpty);
            } else if (event.type == damageEvent + XDamageNotify && shown != None &&
                       reinterpret_cast<XDamageNotifyEvent&>(event).drawable == shown) {
                // Qt clears the window, then draws it, possibly in several flushes.
                lastDamage = NowMs(CLOCK_MONOTONIC);
                timespec wall{};
                clock_gettime(CLOCK_REALTIME, &wall);
                lastDamageWallNs =
                    static_cast<long long>(wall.tv_sec) * 1000000000LL + wall.tv_nsec;
                XDamageSubtract(display, damage, None, None);
            }
        }
        if (lastDamage > 0 && NowMs(CLOCK_MONOTONIC) - lastDamage > kQuietMs) {
            const std::string line = "shown_ms=" + Fixed1(lastDamage - started) +
                                     " realtime_ns=" + std::to_string(lastDamageWallNs) +
                                     " title=" + WindowTitle(display, shown) + "\n";
            std::fputs(line.c_str(), stdout);
            std::fflush(stdout);
            XDamageDestroy(display, damage);
            if (!keepOpen) SendClose(display, shown);
            const int status = WaitChild(child, timeoutMs);
            XCloseDisplay(display);
            if (status < 0) return Fail("the program did not end after its window closed", child);
            return status;
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "tc_window_probe: the program ended before showing a window\n");
            return WIFEXITED(status) && WEXITSTATUS(status) != 0 ? WEXITSTATUS(status) : 2;
        }
        if (NowMs(CLOCK_MONOTONIC) - started > timeoutMs) {
            return Fail("no window was shown in time", child);
        }
        pollfd wait{fd, POLLIN, 0};
        poll(&wait, 1, 20);
    }
}
