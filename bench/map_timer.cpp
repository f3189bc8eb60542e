// Starts a program and prints, in milliseconds, how long it took until the X
// server mapped a window with the given title: the moment the window appears.
// The server tells us (SubstructureNotify on the root), so there is no polling
// interval in the figure. Then the program is ended with SIGTERM.
//
//   tarvel_map_timer TITLE PROGRAM [ARGUMENTS...]
// Exit status 1 when no such window is mapped within 30 seconds.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 2;
    }
    // Subscribed before the program starts, so its map cannot come unseen.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    if (child < 0) return 2;

    int status = 1;
    const auto deadline = start + std::chrono::seconds(30);
    while (status != 0) {
        if (XPending(display) == 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, static_cast<int>(left.count()));
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && WindowTitle(display, event.xmap.window) == title) {
            const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
            std::printf("%.2f\n", elapsed.count());
            status = 0;
        }
    }
    if (status != 0) std::fprintf(stderr, "no window titled \"%s\" within 30 s\n", title.c_str());
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    return status;
}
