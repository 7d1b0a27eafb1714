// What the program tells an X window manager about its windows: which
// buttons each has, where its frame goes, and when the user asked for it.
// Without X11 the window is only placed; without a window manager there is
// no frame to allow for.
#include <algorithm>
#include <vector>

#include "platform/sdl_backend.h"

// Last: the X11 headers define words like None and Bool.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>

#include "platform/x_errors.h"

namespace platform {

namespace {

// How long a window manager may take to tell the size of its frame.
constexpr Uint64 kExtentsWaitMs = 200;
// How long after a window is placed the frame's size may show, when the
// manager did not tell it ahead.
constexpr Uint64 kLateExtentsMs = 2000;

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

// The values of a property of 32-bit items of the type, at most n of them;
// none when it isn't set.
int values(Display* d, Window window, const char* name, Atom wanted, long* out, int n) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, window, atom(d, name), 0, n, False, wanted, &type, &format, &count, &after,
                           &data) != Success)
        return 0;
    int got = 0;
    if (data && type == wanted && format == 32) {
        // Format 32 comes as longs, whatever their size.
        const long* items = reinterpret_cast<const long*>(data);
        for (; got < n && got < int(count); ++got) out[got] = items[got];
    }
    if (data) XFree(data);
    return got;
}

// The CARDINALs of a property of the window, at most n of them.
int cardinals(const XWindow& w, const char* name, long* out, int n) {
    return values(w.display, w.window, name, XA_CARDINAL, out, n);
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

// The window manager's own window while one runs, else 0. The root names it,
// and it names itself: a manager that has died leaves the root's word and its
// list of what it supports behind, and its window is gone.
Window live_manager(Display* d) {
    long named = 0, own = 0;
    if (values(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, &named, 1) != 1 || named == 0)
        return 0;
    const Window check = Window(named);
    const bool exists = while_window_exists(
        d, check, [&] { values(d, check, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, &own, 1); });
    return exists && own == named ? check : 0;
}

// A manager that was asked for a frame's size ahead and never answered in
// time (its window): asked no more, its windows' frames are allowed for once
// they show. One that has answered once is asked on: a late answer is a
// busy moment.
Window unanswering_manager = 0, answering_manager = 0;

// Windows placed before their manager told the size of its frame.
struct Owed {
    Uint32 id;           // the SDL window's
    SDL_Point centre;    // where the frame's centre belongs
    Uint64 until;        // no frame shown by then: no correction
};
std::vector<Owed> owed;

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
// none without a manager. False when a manager runs and did not tell (it
// can't be asked, or didn't answer in a moment).
bool frame_extents_ahead(const XWindow& w, long extents[4]) {
    extents[0] = extents[1] = extents[2] = extents[3] = 0;
    const Window manager = live_manager(w.display);
    if (!manager) return true;
    if (manager == unanswering_manager || !wm_supports(w.display, "_NET_REQUEST_FRAME_EXTENTS")) return false;
    tell_window_manager(w, "_NET_REQUEST_FRAME_EXTENTS");
    // The answer is the property, set by the manager; its notice wakes the wait.
    const Uint64 until = SDL_GetTicks64() + kExtentsWaitMs;
    pollfd fd{ConnectionNumber(w.display), POLLIN, 0};
    while (cardinals(w, "_NET_FRAME_EXTENTS", extents, 4) != 4) {
        const Uint64 now = SDL_GetTicks64();
        if (now >= until) {
            extents[0] = extents[1] = extents[2] = extents[3] = 0;
            if (manager != answering_manager) unanswering_manager = manager;
            return false;
        }
        poll(&fd, 1, int(std::min<Uint64>(until - now, 5)));
    }
    answering_manager = manager;
    return true;
}

// Where the window goes for its frame to be centred on the point: the frame's
// top left corner, which is where a window manager puts a window's frame.
SDL_Point frame_corner(SDL_Window* window, SDL_Point centre, const long extents[4]) {
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    return SDL_Point{int(centre.x - (extents[0] + width + extents[1]) / 2),
                     int(centre.y - (extents[2] + height + extents[3]) / 2)};
}

}  // namespace

void prepare_window(SDL_Window* window, WindowKind kind, SDL_Point centre) {
    const XWindow w = x_window(window);
    if (!w) {
        int width = 0, height = 0;
        SDL_GetWindowSize(window, &width, &height);
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
    // A manager that doesn't tell the frame's size ahead sets it as the
    // window shows: the window is moved once then.
    long extents[4] = {0, 0, 0, 0};
    if (!frame_extents_ahead(w, extents)) {
        owed.push_back({SDL_GetWindowID(window), centre, SDL_GetTicks64() + kLateExtentsMs});
        // The property's notice wakes the event loop.
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    }
    const auto [x, y] = frame_corner(window, centre, extents);
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

void place_late_frames() {
    if (owed.empty()) return;
    const Uint64 now = SDL_GetTicks64();
    std::erase_if(owed, [now](const Owed& o) {
        SDL_Window* window = SDL_GetWindowFromID(o.id);
        const XWindow w = x_window(window);
        if (!w) return true;  // gone meanwhile
        long extents[4] = {0, 0, 0, 0};
        if (cardinals(w, "_NET_FRAME_EXTENTS", extents, 4) != 4) return now >= o.until;
        const auto [x, y] = frame_corner(window, o.centre, extents);
        XMoveWindow(w.display, w.window, x, y);
        XFlush(w.display);
        return true;
    });
    if (owed.empty()) SDL_EventState(SDL_SYSWMEVENT, SDL_DISABLE);
}

void make_modal(SDL_Window* box, SDL_Window* parent) {
    if (!parent) return;
    SDL_SetWindowModalFor(box, parent);  // transient for the parent
    // Set before the box first shows; SDL's states (no taskbar entry) stay.
    if (const XWindow w = x_window(box)) {
        const Atom modal = atom(w.display, "_NET_WM_STATE_MODAL");
        XChangeProperty(w.display, w.window, atom(w.display, "_NET_WM_STATE"), XA_ATOM, 32, PropModeAppend,
                        reinterpret_cast<const unsigned char*>(&modal), 1);
    }
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
        // A manager that has died took its frames along and left the property.
        if (live_manager(w.display)) cardinals(w, "_NET_FRAME_EXTENTS", extents, 4);
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

unsigned long composited_argb_visual(SDL_Window* window) {
    const XWindow w = x_window(window);
    XWindowAttributes attributes;
    if (!w || !XGetWindowAttributes(w.display, w.window, &attributes) || attributes.depth == 32) return 0;
    const int screen = XScreenNumberOfScreen(attributes.screen);
    // A compositing manager holds this selection (EWMH) while it runs.
    const std::string selection = "_NET_WM_CM_S" + std::to_string(screen);
    if (XGetSelectionOwner(w.display, atom(w.display, selection.c_str())) == None) return 0;
    XVisualInfo wanted{};
    wanted.screen = screen;
    wanted.depth = 32;
    wanted.c_class = TrueColor;
    wanted.red_mask = 0xFF0000;
    wanted.green_mask = 0x00FF00;
    wanted.blue_mask = 0x0000FF;
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(w.display,
                                        VisualScreenMask | VisualDepthMask | VisualClassMask | VisualRedMaskMask |
                                            VisualGreenMaskMask | VisualBlueMaskMask,
                                        &wanted, &count);
    const unsigned long id = found && count > 0 ? found[0].visualid : 0;
    if (found) XFree(found);
    return id;
}

}  // namespace platform
