// Starts a program and prints, in milliseconds, two moments of its start-up:
// when the X server mapped a window with the given title (the window appears)
// and when that window's first complete paint ended (the window is ready).
// The server tells us of both (SubstructureNotify on the root, and a Damage
// object on every top-level window made from the moment it is created, before
// it can be mapped or drawn on), so there is no polling interval in either.
// The paint is complete at the last damage to the window that is followed by
// a quiet period with none: QUIET_MS, 200 unless given. A caret blinks every
// half a second at the soonest, so it does not count once the window is still.
// Then the program is ended with SIGTERM.
//
//   tarvel_map_timer [--quiet QUIET_MS] [--trace] TITLE PROGRAM [ARGUMENTS...]
// --trace writes every damage to the window (time, then the rectangle) on
// standard error, to see what a window draws when.
// Prints "MAP PAINT" on one line. Exit status 1 when no such window is mapped,
// or it is never still, within 30 seconds, or the program ends before that.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

std::string WindowTitle(Display* display, Window window) {
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    for (const Atom property : {netWmName, static_cast<Atom>(XA_WM_NAME)}) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const Atom wanted = property == netWmName ? utf8 : AnyPropertyType;
        if (XGetWindowProperty(display, window, property, 0, 1024, False, wanted, &type, &format, &count, &after,
                               &data) == Success &&
            data) {
            std::string title(reinterpret_cast<char*>(data), count);
            XFree(data);
            if (!title.empty()) return title;
        }
    }
    return {};
}

// A window may be gone before we ask about it; that is no error here.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    int quietMs = 200;
    bool trace = false;
    for (;;) {
        if (argc > first + 1 && std::strcmp(argv[first], "--quiet") == 0) {
            quietMs = std::atoi(argv[first + 1]);
            first += 2;
        } else if (argc > first && std::strcmp(argv[first], "--trace") == 0) {
            trace = true;
            first += 1;
        } else {
            break;
        }
    }
    if (argc - first < 2 || quietMs <= 0) {
        std::fprintf(stderr, "usage: %s [--quiet QUIET_MS] [--trace] TITLE PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[first];
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 2;
    }
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "the X server has no Damage extension\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    // Subscribed before the program starts, so neither its window nor its map can come unseen.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[first + 1], argv + first + 1);
        _exit(127);
    }
    if (child < 0) return 2;

    std::map<Window, Damage> damages;
    Window mapped = None;
    Clock::time_point mapTime{}, lastPaint{};
    bool painted = false;
    int status = 1;
    const auto deadline = start + std::chrono::seconds(30);
    while (status != 0) {
        if (XPending(display) == 0) {
            const auto now = Clock::now();
            if (painted && now - lastPaint >= std::chrono::milliseconds(quietMs)) {
                std::printf("%.2f %.2f\n", Milliseconds(start, mapTime), Milliseconds(start, lastPaint));
                status = 0;
                break;
            }
            auto until = deadline;
            if (painted && lastPaint + std::chrono::milliseconds(quietMs) < until)
                until = lastPaint + std::chrono::milliseconds(quietMs);
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
            if (now >= deadline) break;
            // A program that could not start, or ended, will map nothing: no 30 s wait for it.
            if (!painted && waitpid(child, nullptr, WNOHANG) == child) {
                std::fprintf(stderr, "%s ended before its window \"%s\" was painted\n", argv[first + 1],
                             title.c_str());
                XCloseDisplay(display);
                return 1;
            }
            // Woken by the server at once; the cap only lets us look at the program now and then.
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, std::min(static_cast<int>(left.count()) + 1, 20));
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == CreateNotify && event.xcreatewindow.parent == DefaultRootWindow(display)) {
            // Every damage is reported, rectangle by rectangle: nothing to subtract, nothing missed.
            damages[event.xcreatewindow.window] =
                XDamageCreate(display, event.xcreatewindow.window, XDamageReportRawRectangles);
        } else if (event.type == MapNotify && mapped == None && WindowTitle(display, event.xmap.window) == title) {
            mapped = event.xmap.window;
            mapTime = Clock::now();
        } else if (event.type == damageEvent + XDamageNotify) {
            const auto* notify = reinterpret_cast<XDamageNotifyEvent*>(&event);
            if (mapped != None && notify->drawable == mapped) {
                lastPaint = Clock::now();
                painted = true;
                if (trace)
                    std::fprintf(stderr, "%8.2f ms  %dx%d at %d,%d\n", Milliseconds(start, lastPaint), notify->area.width,
                                 notify->area.height, notify->area.x, notify->area.y);
            }
        }
    }
    if (status != 0) {
        if (mapped == None)
            std::fprintf(stderr, "no window titled \"%s\" within 30 s\n", title.c_str());
        else
            std::fprintf(stderr, "the window \"%s\" was not painted and still within 30 s\n", title.c_str());
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return status;
}
