// The one X error the program lives through.
#include "platform/sdl_backend.h"

// Last: the X11 headers define words like None and Bool.
#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace platform {

namespace {

XErrorHandler previous_handler = nullptr;

// SDL wakes its own event wait by sending an event to our newest window over
// a second connection. When that window is destroyed just after (an answered
// message box, or every window once the game ends), the server may see the
// destroy first and answer BadWindow, which Xlib's default handler turns into
// an exit with status 1.
int on_x_error(Display* display, XErrorEvent* e) {
    if (e->error_code == BadWindow && e->request_code == X_SendEvent) return 0;
    return previous_handler ? previous_handler(display, e) : 0;
}

}  // namespace

void tolerate_stale_wakeups() {
    // Set before SDL starts on X11: SDL keeps the handler it found and puts it
    // back before it closes the second connection, where the error may wait.
    // The handler is the library's own, one for all connections.
    previous_handler = XSetErrorHandler(on_x_error);
}

}  // namespace platform
