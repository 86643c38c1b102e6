#include "platform/unix/compositor.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

bool compositingManagerRunning(const char *displayName)
{
    if (!displayName) {
        const char *fromEnvironment = std::getenv("DISPLAY");
        if (!fromEnvironment || !*fromEnvironment)
            return false;
    }
    Display *display = XOpenDisplay(displayName);
    if (!display)
        return false;
    char name[32];
    std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(display));
    // Only if it exists: an atom nobody ever named has no owner either.
    const Atom selection = XInternAtom(display, name, True);
    const bool running = selection != None && XGetSelectionOwner(display, selection) != None;
    XCloseDisplay(display);
    return running;
}

} // namespace platform
