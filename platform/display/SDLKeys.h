#pragma once

// How keys reported by SDL become the kit's keys: the modifier mask, the bytes of the keys
// that type no text (B_ENTER, B_LEFT_ARROW...), and the character a key stands for while
// Command or Control is held, when SDL reports no text for it.

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace BPrivate {

// The kit's modifier mask for SDL's (SDL_Keymod): Alt is Command, Ctrl is Control, the
// Super (logo) keys are Option.
uint32 sdl_modifiers(uint32 sdlModifiers);

// The bytes of a key that types no text (Return, Tab, the arrows, the keypad's keys while
// Num Lock is off...), or nullptr for any other key. keycode is an SDL_Keycode.
const char* sdl_special_key_bytes(int32 keycode, uint32 sdlModifiers);

// The character of a key pressed with Command or Control held: the key's own, unshifted
// character (Alt+Q is "q"), or an empty string for a key without one or when neither is held.
std::string sdl_shortcut_key_bytes(int32 keycode, uint32 sdlModifiers);

// The characters of a UTF-8 text, one string each. Malformed bytes are left out, so that a
// broken text never turns into bytes that are not a character.
std::vector<std::string> split_utf8_characters(const char* text, size_t length);

} // namespace BPrivate
