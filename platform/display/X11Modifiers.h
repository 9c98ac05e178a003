#pragma once

#include <SupportDefs.h>

namespace BPrivate {

// The modifier keys held on the X server named by DISPLAY, as the kit's mask (Shift, Control,
// Alt as Command, the logo keys as Option, each with its side; Caps Lock). false when no X
// server can be reached. Takes a connection of its own: for the time before a display
// reports the keyboard, and kept open until x11_close_modifiers_connection().
bool x11_held_modifiers(uint32* held);
void x11_close_modifiers_connection();

} // namespace BPrivate
