// The X errors the program lives through.
#include <atomic>

#include "platform/sdl_backend.h"

// Last: the X11 headers define words like None and Bool.
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include "platform/x_errors.h"

namespace platform {

namespace {

XErrorHandler previous_handler = nullptr;

// A BadWindow that Xlib's default handler would turn into an exit with
// status 1, though nothing is lost:
// - SDL wakes its own event wait by sending an event to our newest window
//   over a second connection. When that window is destroyed just after (an
//   answered message box, or every window once the game ends), the server
//   may see the destroy first.
// - SDL asks where a window is as it reads an event about it. Under a window
//   manager the window asked about may be gone by then; the answer is no
//   longer wanted.
bool harmless(const XErrorEvent& e) {
    if (e.error_code != BadWindow) return false;
    switch (e.request_code) {
    case X_SendEvent:
    case X_TranslateCoords:
    case X_GetGeometry:
    case X_GetWindowAttributes:
    case X_QueryTree:
    case X_GetProperty:
        return true;
    default:
        return false;
    }
}

int on_x_error(Display* display, XErrorEvent* e) {
    if (harmless(*e)) return 0;
    return previous_handler ? previous_handler(display, e) : 0;
}

// A window another client owns, asked about while that client may destroy it.
struct Trap {
    Display* display;
    Window window;
    XErrorHandler outer;
    bool gone = false;
};
// Set by the event loop's thread, which alone asks; the handler, one for all
// connections, may also run for SDL's wake-ups sent from other threads.
std::atomic<Trap*> trap{nullptr};

int on_trapped_error(Display* display, XErrorEvent* e) {
    Trap* t = trap.load();
    if (!t) return previous_handler ? previous_handler(display, e) : 0;
    if (display == t->display && e->error_code == BadWindow && e->resourceid == t->window) {
        t->gone = true;
        return 0;
    }
    return t->outer ? t->outer(display, e) : 0;
}

}  // namespace

bool while_window_exists(Display* display, Window window, const std::function<void()>& requests) {
    // Errors of earlier requests still reach the handler they always did.
    XSync(display, False);
    Trap t{display, window, nullptr};
    t.outer = XSetErrorHandler(on_trapped_error);
    trap = &t;
    requests();
    XSync(display, False);
    XSetErrorHandler(t.outer);
    trap = nullptr;
    return !t.gone;
}

void tolerate_stale_wakeups() {
    // Set before SDL starts on X11: SDL keeps the handler it found and puts it
    // back before it closes the second connection, where the error may wait.
    // The handler is the library's own, one for all connections.
    previous_handler = XSetErrorHandler(on_x_error);
}

}  // namespace platform
