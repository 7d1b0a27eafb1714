// What the program tells an X window manager about its windows: which
// buttons each has, where its frame goes, and when the user asked for it.
// Without X11 the window is only placed; without a window manager there is
// no frame to allow for.
#include "platform/sdl_backend.h"

// Last: the X11 headers define words like None and Bool.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>

namespace platform {

namespace {

// How long a window manager may take to tell the size of its frame.
constexpr Uint64 kExtentsWaitMs = 200;

struct XWindow {
    Display* display = nullptr;
    Window window = 0;
    explicit operator bool() const { return display != nullptr; }
};

XWindow x_window(SDL_Window* w) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!w || !SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return {};
    return {info.info.x11.display, info.info.x11.window};
}

Atom atom(Display* d, const char* name) { return XInternAtom(d, name, False); }

// The CARDINALs of a property, at most n of them; none when it isn't set.
int cardinals(const XWindow& w, const char* name, long* out, int n) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(w.display, w.window, atom(w.display, name), 0, n, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) != Success)
        return 0;
    int got = 0;
    if (data && type == XA_CARDINAL && format == 32) {
        // Format 32 comes as longs, whatever their size.
        const long* values = reinterpret_cast<const long*>(data);
        for (; got < n && got < int(count); ++got) out[got] = values[got];
    }
    if (data) XFree(data);
    return got;
}

// A request about the window to the window manager, sent as EWMH has it.
void tell_window_manager(const XWindow& w, const char* message, long first = 0, long second = 0) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w.window;
    e.xclient.message_type = atom(w.display, message);
    e.xclient.format = 32;
    e.xclient.data.l[0] = first;
    e.xclient.data.l[1] = second;
    XSendEvent(w.display, DefaultRootWindow(w.display), False,
               SubstructureNotifyMask | SubstructureRedirectMask, &e);
    XFlush(w.display);
}

// The Motif hints that X window managers read for a window's buttons.
constexpr long kHintFunctions = 1, kHintDecorations = 2;
constexpr long kFuncMove = 4, kFuncMinimize = 8, kFuncClose = 32;
constexpr long kDecorBorder = 2, kDecorTitle = 8, kDecorMenu = 16, kDecorMinimize = 32;

bool wm_supports(Display* d, const char* what) {
    const Window root = DefaultRootWindow(d);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(d, root, atom(d, "_NET_SUPPORTED"), 0, 1024, False, XA_ATOM, &type, &format,
                           &count, &after, &data) == Success &&
        data && type == XA_ATOM && format == 32) {
        const Atom wanted = atom(d, what);
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count && !found; ++i) found = atoms[i] == wanted;
    }
    if (data) XFree(data);
    return found;
}

// The frame the window manager will put around the window once it shows:
// left, right, top and bottom. Asked of the manager ahead of the mapping;
// none without a manager, or when it doesn't answer in a moment.
void frame_extents_ahead(const XWindow& w, long extents[4]) {
    if (!wm_supports(w.display, "_NET_REQUEST_FRAME_EXTENTS")) return;
    tell_window_manager(w, "_NET_REQUEST_FRAME_EXTENTS");
    // The answer is the property, set by the manager; its notice wakes the wait.
    const Uint64 until = SDL_GetTicks64() + kExtentsWaitMs;
    pollfd fd{ConnectionNumber(w.display), POLLIN, 0};
    while (cardinals(w, "_NET_FRAME_EXTENTS", extents, 4) != 4) {
        const Uint64 now = SDL_GetTicks64();
        if (now >= until) {
            extents[0] = extents[1] = extents[2] = extents[3] = 0;
            return;
        }
        poll(&fd, 1, int(std::min<Uint64>(until - now, 5)));
    }
}

}  // namespace

void prepare_window(SDL_Window* window, WindowKind kind, SDL_Point centre) {
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    const XWindow w = x_window(window);
    if (!w) {
        SDL_SetWindowPosition(window, centre.x - width / 2, centre.y - height / 2);
        return;
    }
    // Neither kind can be resized or maximised; only the game's own windows
    // can be minimised: a box minimised would take its window along with it.
    const bool fixed = kind == WindowKind::Fixed;
    const long hints[5] = {kHintFunctions | kHintDecorations,
                           kFuncMove | kFuncClose | (fixed ? kFuncMinimize : 0),
                           kDecorBorder | kDecorTitle | kDecorMenu | (fixed ? kDecorMinimize : 0), 0, 0};
    const Atom motif = atom(w.display, "_MOTIF_WM_HINTS");
    XChangeProperty(w.display, w.window, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(hints), 5);

    // A window manager puts the frame's top left corner where the window
    // asked to be: the position that centres the window as the user sees
    // it, title bar and all, takes the frame's size into account.
    long extents[4] = {0, 0, 0, 0};
    frame_extents_ahead(w, extents);
    const int x = int(centre.x - (extents[0] + width + extents[1]) / 2);
    const int y = int(centre.y - (extents[2] + height + extents[3]) / 2);
    XMoveWindow(w.display, w.window, x, y);
    if (XSizeHints* size = XAllocSizeHints()) {
        long supplied = 0;
        if (XGetWMNormalHints(w.display, w.window, size, &supplied)) {
            size->x = x;
            size->y = y;
            size->flags |= USPosition;
            XSetWMNormalHints(w.display, w.window, size);
        }
        XFree(size);
    }
    XFlush(w.display);
}

SDL_Point frame_centre(SDL_Window* window) {
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    long extents[4] = {0, 0, 0, 0};  // left, right, top, bottom
    if (const XWindow w = x_window(window)) {
        // Where the server has it now, rather than what SDL last heard.
        Window child = 0;
        XTranslateCoordinates(w.display, w.window, DefaultRootWindow(w.display), 0, 0, &x, &y, &child);
        cardinals(w, "_NET_FRAME_EXTENTS", extents, 4);
    }
    return SDL_Point{int(x - extents[0] + (extents[0] + width + extents[1]) / 2),
                     int(y - extents[2] + (extents[2] + height + extents[3]) / 2)};
}

SDL_Point display_centre(SDL_Window* window) {
    SDL_Rect screen{0, 0, 0, 0};
    const int index = SDL_GetWindowDisplayIndex(window);
    if (SDL_GetDisplayBounds(index < 0 ? 0 : index, &screen) != 0) {
        int width = 0, height = 0;
        SDL_GetWindowSize(window, &width, &height);
        SDL_GetWindowPosition(window, &screen.x, &screen.y);  // no screen to be had: stay put
        return SDL_Point{screen.x + width / 2, screen.y + height / 2};
    }
    return SDL_Point{screen.x + screen.w / 2, screen.y + screen.h / 2};
}

void copy_user_time(SDL_Window* to, SDL_Window* from) {
    const XWindow src = x_window(from), dst = x_window(to);
    long time = 0;
    if (!src || !dst || cardinals(src, "_NET_WM_USER_TIME", &time, 1) != 1 || time == 0) return;
    XChangeProperty(dst.display, dst.window, atom(dst.display, "_NET_WM_USER_TIME"), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&time), 1);
    XFlush(dst.display);
}

void activate(SDL_Window* window) {
    const XWindow w = x_window(window);
    if (!w) {
        SDL_RaiseWindow(window);
        return;
    }
    long time = 0;
    cardinals(w, "_NET_WM_USER_TIME", &time, 1);
    XRaiseWindow(w.display, w.window);
    // Dated with the user's input that called for it: a request at time 0
    // looks to a window manager like a window stealing the focus.
    constexpr long kFromAnApplication = 1;
    tell_window_manager(w, "_NET_ACTIVE_WINDOW", kFromAnApplication, time);
}

}  // namespace platform
