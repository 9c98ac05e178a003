#include "X11Errors.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <dlfcn.h>

namespace BPrivate {

namespace {

using ErrorHandler = int (*)(::Display*, XErrorEvent*);

// What was in charge before: SDL's, which restores the screen and then calls Xlib's own.
ErrorHandler sPrevious = nullptr;

int handle_error(::Display* display, XErrorEvent* error)
{
    // An event sent to a window that no longer exists had nobody left to reach.
    if (error->error_code == BadWindow && error->request_code == X_SendEvent)
        return 0;
    return sPrevious != nullptr ? sPrevious(display, error) : 0;
}

} // namespace

void x11_tolerate_vanished_windows()
{
    // The library SDL has already loaded; opening it again only counts a reference.
    void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    if (library == nullptr)
        return;
    auto setErrorHandler = (decltype(&XSetErrorHandler))dlsym(library, "XSetErrorHandler");
    if (setErrorHandler != nullptr) {
        ErrorHandler previous = setErrorHandler(handle_error);
        // SDL puts back the handler it found when it shuts down, so a display opened again
        // finds Xlib's or SDL's here, never this one; the check keeps it so regardless.
        if (previous != handle_error)
            sPrevious = previous;
    }
    dlclose(library);
}

} // namespace BPrivate
