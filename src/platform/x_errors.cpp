// The one X error the program lives through.
#include <SDL.h>

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
    // The library is the one SDL loads, so one handler covers all connections.
    void* x11 = SDL_LoadObject("libX11.so.6");
    if (!x11) return;
    using SetHandler = XErrorHandler (*)(XErrorHandler);
    if (auto set = reinterpret_cast<SetHandler>(SDL_LoadFunction(x11, "XSetErrorHandler")))
        previous_handler = set(on_x_error);
    SDL_UnloadObject(x11);
}

}  // namespace platform
