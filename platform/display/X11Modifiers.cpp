// The modifier keys held on the X server, asked directly: a program may look at them while it
// starts, before any window (and so any display) reports the keyboard. Xlib is loaded only
// when asked, so that programs without a window system never load it; with one, SDL loads
// the same library anyway.

#include "X11Modifiers.h"

#include <InterfaceDefs.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

namespace BPrivate {

namespace {

struct Xlib {
    decltype(&XOpenDisplay) openDisplay = nullptr;
    decltype(&XCloseDisplay) closeDisplay = nullptr;
    decltype(&XQueryKeymap) queryKeymap = nullptr;
    decltype(&XKeysymToKeycode) keysymToKeycode = nullptr;
    decltype(&XQueryPointer) queryPointer = nullptr;
    decltype(&XDefaultRootWindow) defaultRootWindow = nullptr;

    bool Load()
    {
        void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            return false;
        openDisplay = (decltype(openDisplay))dlsym(library, "XOpenDisplay");
        closeDisplay = (decltype(closeDisplay))dlsym(library, "XCloseDisplay");
        queryKeymap = (decltype(queryKeymap))dlsym(library, "XQueryKeymap");
        keysymToKeycode = (decltype(keysymToKeycode))dlsym(library, "XKeysymToKeycode");
        queryPointer = (decltype(queryPointer))dlsym(library, "XQueryPointer");
        defaultRootWindow = (decltype(defaultRootWindow))dlsym(library, "XDefaultRootWindow");
        return openDisplay != nullptr && closeDisplay != nullptr && queryKeymap != nullptr &&
               keysymToKeycode != nullptr && queryPointer != nullptr &&
               defaultRootWindow != nullptr;
    }
};

// Loaded once, and kept: the library stays mapped for the process anyway once SDL has it.
const Xlib* xlib()
{
    static Xlib library;
    static bool loaded = library.Load();
    return loaded ? &library : nullptr;
}

} // namespace

namespace {

// One connection, kept until the display takes over: connecting is most of the cost, and
// the server may be slow to take a connection again right after one closed.
std::mutex sLock; // and Xlib's calls on one connection are not thread-safe
::Display* sConnection = nullptr;

} // namespace

bool x11_held_modifiers(uint32* held)
{
    const char* name = getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0')
        return false;
    std::lock_guard lock(sLock);
    const Xlib* x = xlib();
    if (x == nullptr)
        return false;
    if (sConnection == nullptr)
        sConnection = x->openDisplay(name);
    ::Display* display = sConnection;
    if (display == nullptr)
        return false;

    // The keys themselves tell left from right, which the modifier state does not.
    char keys[32] = {};
    x->queryKeymap(display, keys);
    struct Key {
        KeySym keysym;
        uint32 modifiers;
    };
    static constexpr Key kKeys[] = {
        {XK_Shift_L, B_SHIFT_KEY | B_LEFT_SHIFT_KEY},
        {XK_Shift_R, B_SHIFT_KEY | B_RIGHT_SHIFT_KEY},
        {XK_Control_L, B_CONTROL_KEY | B_LEFT_CONTROL_KEY},
        {XK_Control_R, B_CONTROL_KEY | B_RIGHT_CONTROL_KEY},
        {XK_Alt_L, B_COMMAND_KEY | B_LEFT_COMMAND_KEY},
        {XK_Alt_R, B_COMMAND_KEY | B_RIGHT_COMMAND_KEY},
        {XK_Super_L, B_OPTION_KEY | B_LEFT_OPTION_KEY},
        {XK_Super_R, B_OPTION_KEY | B_RIGHT_OPTION_KEY},
    };
    uint32 result = 0;
    for (const Key& key : kKeys) {
        const KeyCode code = x->keysymToKeycode(display, key.keysym);
        if (code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0)
            result |= key.modifiers;
    }
    // Caps Lock is a state, not a key held.
    Window root, child;
    int rootX, rootY, x0, y0;
    unsigned int mask = 0;
    if (x->queryPointer(display, x->defaultRootWindow(display), &root, &child, &rootX, &rootY, &x0,
                        &y0, &mask) &&
        (mask & LockMask) != 0)
        result |= B_CAPS_LOCK;
    *held = result;
    return true;
}

void x11_close_modifiers_connection()
{
    std::lock_guard lock(sLock);
    if (sConnection != nullptr)
        xlib()->closeDisplay(sConnection);
    sConnection = nullptr;
}

} // namespace BPrivate
