#pragma once

// How the keyboard as SDL reports it becomes the display's key presses. SDL reports a key
// twice over: as the key (SDL_KEYDOWN, SDL_KEYUP) and, for the keys that type, as the text
// typed (SDL_TEXTINPUT). Characters come from the text, so that Shift, dead keys and input
// methods work; the keys that type nothing (B_ENTER, B_LEFT_ARROW...) come from the key; and
// so does a key pressed with Command or Control, for which SDL types no text or the key's own
// letter again. Each press reaches the window once.

#include <Display.h>

#include <map>
#include <string>
#include <vector>

struct SDL_KeyboardEvent;

namespace BPrivate {

// Lives on the display thread: it looks into SDL's event queue, which only that thread may.
class SDLKeyboard {
public:
    explicit SDLKeyboard(Display& display) : fDisplay(display) {}

    void KeyDown(display_window_id window, const SDL_KeyboardEvent& event);
    // window is -1 when the key's window is gone.
    void KeyUp(display_window_id window, const SDL_KeyboardEvent& event);
    void Text(display_window_id window, const char* text, size_t length);
    // Tells the window the modifiers held (an SDL_Keymod) when they changed, and the first
    // time in any case: from then on the display, not the window system, answers modifiers().
    void ReportModifiers(display_window_id window, uint32 sdlModifiers);

private:
    Display& fDisplay;
    std::map<int32, std::string> fHeldKeys; // scancode -> bytes of a key delivered as pressed
    int32 fLastScancode = 0; // of the last key down: the raw key of the text it typed
    uint32 fModifiers = 0;   // as last reported
    bool fReported = false;
};

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
