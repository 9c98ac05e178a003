// The keyboard state is the window system's: the display keeps it as it reports input, so
// modifiers() lives with the display, which the interface kit stands on.

#include <InterfaceDefs.h>

#include <atomic>

static std::atomic<uint32> sModifiers{0};

uint32 modifiers()
{
    return sModifiers.load(std::memory_order_relaxed);
}

void BPrivate::set_modifiers(uint32 modifiers)
{
    sModifiers.store(modifiers, std::memory_order_relaxed);
}
