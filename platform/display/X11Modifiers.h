#pragma once

#include <SupportDefs.h>

namespace BPrivate {

// The modifier keys held on the X server named by DISPLAY, as the kit's mask (Shift, Control,
// Alt as Command, the logo keys as Option, each with its side; Caps Lock). false when no X
// server can be reached. Costs a connection of its own: for the time before a display
// reports the keyboard.
bool x11_held_modifiers(uint32* held);

} // namespace BPrivate
