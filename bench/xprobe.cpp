// Watches the program on an X display for measure_program.sh.
//
//   xprobe start PROGRAM     starts PROGRAM and prints "PID WINDOW MAP_MS FRAME_MS"
//                            once its first window is mapped and drawn, in ms from
//                            the fork; then holds on until SIGTERM or SIGINT, ends
//                            the program the same way and waits for it
//   xprobe window PID W H    prints the mapped top-level W x H window of PID,
//                            waiting up to 30 s
//   xprobe pixel WINDOW X Y  prints "R G B" of the window's pixel at X, Y
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double now_ms() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void sleep_ms(double ms) {
    timespec ts{time_t(ms / 1000), long(ms * 1e6) % 1000000000L};
    nanosleep(&ts, nullptr);
}

// Errors for windows that vanish between two requests are expected.
int ignore_errors(Display*, XErrorEvent*) { return 0; }

long pid_of(Display* d, Window w) {
    static const Atom net_wm_pid = XInternAtom(d, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(d, w, net_wm_pid, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                           &data) == Success && data && n == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return pid;
}

// The pid's mapped top-level window of the given size (any size when w is 0).
Window find_window(Display* d, long pid, int w, int h) {
    Window root_ret, parent, *children = nullptr;
    unsigned n = 0;
    Window found = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root_ret, &parent, &children, &n)) return 0;
    for (unsigned i = n; i-- > 0 && !found;) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable) continue;
        if (w && (a.width != w || a.height != h)) continue;
        if (pid_of(d, children[i]) == pid) found = children[i];
    }
    if (children) XFree(children);
    return found;
}

// Drawn: a few rows across the window are not all one colour (an undrawn
// window shows the black root behind it).
bool drawn(Display* d, Window win) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, win, &a)) return false;
    for (int k = 1; k <= 4; ++k) {
        XImage* row = XGetImage(d, win, 0, a.height * k / 5, a.width, 1, AllPlanes, ZPixmap);
        if (!row) return false;
        const unsigned long first = XGetPixel(row, 0, 0);
        bool uniform = true;
        for (int x = 1; x < a.width && uniform; ++x) uniform = XGetPixel(row, x, 0) == first;
        XDestroyImage(row);
        if (!uniform) return true;
    }
    return false;
}

int start(Display* d, char* program) {
    sigset_t wanted;
    sigemptyset(&wanted);
    sigaddset(&wanted, SIGTERM);
    sigaddset(&wanted, SIGINT);
    sigaddset(&wanted, SIGCHLD);
    sigprocmask(SIG_BLOCK, &wanted, nullptr);

    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
    const double t0 = now_ms();
    const pid_t pid = fork();
    if (pid == 0) {
        sigprocmask(SIG_UNBLOCK, &wanted, nullptr);
        char* argv[] = {program, nullptr};
        execv(program, argv);
        _exit(127);
    }

    // Mapped: the first MapNotify of one of its windows; drawn: polled
    // every half millisecond from then on.
    Window win = 0;
    double mapped = 0, frame = 0;
    while (!frame) {
        if (now_ms() - t0 > 30000 || waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "xprobe: no drawn window from %s\n", program);
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return 1;
        }
        while (!win && XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify && pid_of(d, e.xmap.window) == pid) {
                mapped = now_ms() - t0;
                win = e.xmap.window;
            }
        }
        if (win && drawn(d, win))
            frame = now_ms() - t0;
        else
            sleep_ms(0.5);
    }
    std::printf("%d %lu %.1f %.1f\n", int(pid), win, mapped, frame);
    std::fflush(stdout);

    int sig = 0;
    sigwait(&wanted, &sig);
    if (sig != SIGCHLD) kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "xprobe: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(ignore_errors);
    if (argc == 3 && !std::strcmp(argv[1], "start")) return start(d, argv[2]);
    if (argc == 5 && !std::strcmp(argv[1], "window")) {
        for (double t0 = now_ms(); now_ms() - t0 < 30000; sleep_ms(20))
            if (Window w = find_window(d, std::atol(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]))) {
                std::printf("%lu\n", w);
                return 0;
            }
        std::fprintf(stderr, "xprobe: no %sx%s window of %s\n", argv[3], argv[4], argv[2]);
        return 1;
    }
    if (argc == 5 && !std::strcmp(argv[1], "pixel")) {
        XImage* px = XGetImage(d, std::strtoul(argv[2], nullptr, 0), std::atoi(argv[3]), std::atoi(argv[4]),
                               1, 1, AllPlanes, ZPixmap);
        if (!px) return 1;
        const unsigned long p = XGetPixel(px, 0, 0);
        std::printf("%lu %lu %lu\n", (p >> 16) & 255, (p >> 8) & 255, p & 255);
        XDestroyImage(px);
        return 0;
    }
    std::fprintf(stderr, "usage: xprobe start PROGRAM | window PID W H | pixel WINDOW X Y\n");
    return 2;
}
