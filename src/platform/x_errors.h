// X requests about a window that another client owns and may destroy at any
// moment, such as a window manager's own window.
#pragma once

#include <X11/Xlib.h>

#include <functional>

namespace platform {

// Runs the requests with a BadWindow about the window caught instead of
// ending the program; false when the window turned out to be gone. It waits
// for the server's answer to every request made in them.
bool while_window_exists(Display* display, Window window, const std::function<void()>& requests);

}  // namespace platform
