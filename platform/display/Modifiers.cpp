// The keyboard state is the window system's: the display keeps it as it reports input, so
// modifiers() lives with the display, which the interface kit stands on.

#include "X11Modifiers.h"

#include <InterfaceDefs.h>

#include <atomic>

static std::atomic<uint32> sModifiers{0};
// Whether a display (or a test) has told the keyboard state yet.
static std::atomic<bool> sReported{false};

uint32 modifiers()
{
    // A program may look at the keys held while it starts (to skip its settings, say) before
    // it has a window: until a display reports the keyboard, the window system is asked.
    uint32 held = 0;
    if (!sReported.load(std::memory_order_acquire) && BPrivate::x11_held_modifiers(&held))
        return held;
    return sModifiers.load(std::memory_order_relaxed);
}

void BPrivate::set_modifiers(uint32 modifiers)
{
    sModifiers.store(modifiers, std::memory_order_relaxed);
    if (!sReported.exchange(true, std::memory_order_acq_rel))
        x11_close_modifiers_connection(); // the display answers from now on
}
