#include "SDLKeyboard.h"

#include <InterfaceDefs.h>

#include <SDL.h>

#include <cctype>

namespace BPrivate {

namespace {

// Whether a text is just the given character, in either case: the text X gives a letter
// typed with Alt held (Alt+Shift+Q types "Q").
bool same_letter(const char* text, const std::string& character)
{
    return character.size() == 1 && text[0] != '\0' && text[1] == '\0' &&
           std::tolower((unsigned char)text[0]) == (unsigned char)character[0];
}

} // namespace

void SDLKeyboard::KeyDown(display_window_id window, const SDL_KeyboardEvent& event)
{
    int32 scancode = event.keysym.scancode;
    uint32 modifiers = event.keysym.mod;
    fLastScancode = scancode;
    ReportModifiers(window, modifiers);

    std::string bytes;
    if (const char* special = sdl_special_key_bytes(event.keysym.sym, modifiers)) {
        bytes = special;
    } else {
        bytes = sdl_shortcut_key_bytes(event.keysym.sym, modifiers);
        if (bytes.empty())
            return; // a character: it comes as text
        // SDL queues the text of a key press right behind the key, so the text of this one,
        // if any, is the next keyboard event in the queue; other threads' wake events may
        // have come in between. The key's own letter (Alt+Q types "q") is the shortcut and
        // must not come twice; any other character (AltGr+Q types "@" on some keyboards) is
        // what the user typed, and comes as text.
        SDL_Event next;
        if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_TEXTINPUT) == 1 &&
            next.type == SDL_TEXTINPUT) {
            if (!same_letter(next.text.text, bytes))
                return;
            SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT);
        }
    }
    fDisplay.KeyDown(window, bytes.c_str(), scancode);
    fHeldKeys[scancode] = bytes;
}

void SDLKeyboard::KeyUp(display_window_id window, const SDL_KeyboardEvent& event)
{
    // The key may have gone down in a window that is gone now: it is no longer held anyway.
    auto held = fHeldKeys.extract(event.keysym.scancode);
    if (window < 0)
        return;
    ReportModifiers(window, event.keysym.mod);
    if (!held.empty())
        fDisplay.KeyUp(window, held.mapped().c_str(), event.keysym.scancode);
}

void SDLKeyboard::Text(display_window_id window, const char* text, size_t length)
{
    // An input method may hand over several characters at once; each is a key of its own.
    for (const std::string& character : split_utf8_characters(text, length)) {
        fDisplay.KeyDown(window, character.c_str(), fLastScancode);
        fDisplay.KeyUp(window, character.c_str(), fLastScancode);
    }
}

void SDLKeyboard::ReportModifiers(display_window_id window, uint32 sdlModifiers)
{
    uint32 modifiers = sdl_modifiers(sdlModifiers);
    if (fReported && modifiers == fModifiers)
        return;
    fReported = true;
    fModifiers = modifiers;
    fDisplay.SetModifiers(window, modifiers);
}

uint32 sdl_modifiers(uint32 sdlModifiers)
{
    struct Pair {
        uint32 sdl;
        uint32 be;
    };
    static constexpr Pair kPairs[] = {
        {KMOD_LSHIFT, B_SHIFT_KEY | B_LEFT_SHIFT_KEY},
        {KMOD_RSHIFT, B_SHIFT_KEY | B_RIGHT_SHIFT_KEY},
        {KMOD_LALT, B_COMMAND_KEY | B_LEFT_COMMAND_KEY},
        {KMOD_RALT, B_COMMAND_KEY | B_RIGHT_COMMAND_KEY},
        {KMOD_LCTRL, B_CONTROL_KEY | B_LEFT_CONTROL_KEY},
        {KMOD_RCTRL, B_CONTROL_KEY | B_RIGHT_CONTROL_KEY},
        {KMOD_LGUI, B_OPTION_KEY | B_LEFT_OPTION_KEY},
        {KMOD_RGUI, B_OPTION_KEY | B_RIGHT_OPTION_KEY},
        {KMOD_CAPS, B_CAPS_LOCK},
        {KMOD_NUM, B_NUM_LOCK},
        {KMOD_SCROLL, B_SCROLL_LOCK},
    };
    uint32 modifiers = 0;
    for (const Pair& pair : kPairs) {
        if ((sdlModifiers & pair.sdl) != 0)
            modifiers |= pair.be;
    }
    return modifiers;
}

const char* sdl_special_key_bytes(int32 keycode, uint32 sdlModifiers)
{
    static constexpr char kEnter[] = {B_ENTER, 0};
    static constexpr char kTab[] = {B_TAB, 0};
    static constexpr char kEscape[] = {B_ESCAPE, 0};
    static constexpr char kBackspace[] = {B_BACKSPACE, 0};
    static constexpr char kDelete[] = {B_DELETE, 0};
    static constexpr char kLeft[] = {B_LEFT_ARROW, 0};
    static constexpr char kRight[] = {B_RIGHT_ARROW, 0};
    static constexpr char kUp[] = {B_UP_ARROW, 0};
    static constexpr char kDown[] = {B_DOWN_ARROW, 0};
    static constexpr char kHome[] = {B_HOME, 0};
    static constexpr char kEnd[] = {B_END, 0};
    static constexpr char kPageUp[] = {B_PAGE_UP, 0};
    static constexpr char kPageDown[] = {B_PAGE_DOWN, 0};
    static constexpr char kInsert[] = {B_INSERT, 0};
    static constexpr char kFunction[] = {B_FUNCTION_KEY, 0};

    switch (keycode) {
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
        return kEnter;
    case SDLK_TAB:
    case SDLK_KP_TAB:
        return kTab;
    case SDLK_ESCAPE:
        return kEscape;
    case SDLK_BACKSPACE:
    case SDLK_KP_BACKSPACE:
        return kBackspace;
    case SDLK_DELETE:
        return kDelete;
    case SDLK_LEFT:
        return kLeft;
    case SDLK_RIGHT:
        return kRight;
    case SDLK_UP:
        return kUp;
    case SDLK_DOWN:
        return kDown;
    case SDLK_HOME:
        return kHome;
    case SDLK_END:
        return kEnd;
    case SDLK_PAGEUP:
        return kPageUp;
    case SDLK_PAGEDOWN:
        return kPageDown;
    case SDLK_INSERT:
        return kInsert;
    default:
        break;
    }
    if ((keycode >= SDLK_F1 && keycode <= SDLK_F12) || (keycode >= SDLK_F13 && keycode <= SDLK_F24))
        return kFunction;

    // With Num Lock on the keypad types digits, which arrive as text; with it off its keys
    // move the caret like the keys printed beside the digits.
    if ((sdlModifiers & KMOD_NUM) != 0)
        return nullptr;
    switch (keycode) {
    case SDLK_KP_0:
        return kInsert;
    case SDLK_KP_1:
        return kEnd;
    case SDLK_KP_2:
        return kDown;
    case SDLK_KP_3:
        return kPageDown;
    case SDLK_KP_4:
        return kLeft;
    case SDLK_KP_6:
        return kRight;
    case SDLK_KP_7:
        return kHome;
    case SDLK_KP_8:
        return kUp;
    case SDLK_KP_9:
        return kPageUp;
    case SDLK_KP_PERIOD:
        return kDelete;
    default:
        return nullptr;
    }
}

std::string sdl_shortcut_key_bytes(int32 keycode, uint32 sdlModifiers)
{
    if ((sdlModifiers & (KMOD_ALT | KMOD_CTRL)) == 0)
        return {};
    // SDL's key codes of the printable keys are the characters of the unshifted keys, and
    // its letters are lower case: the character a shortcut is matched against.
    if (keycode < ' ' || keycode > '~')
        return {};
    return std::string(1, (char)keycode);
}

std::vector<std::string> split_utf8_characters(const char* text, size_t length)
{
    std::vector<std::string> characters;
    if (text == nullptr)
        return characters;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    while (i < length) {
        unsigned char lead = bytes[i];
        size_t size = 0;
        // The range the second byte must lie in: it rules out overlong forms, surrogates
        // and code points past U+10FFFF.
        unsigned char low = 0x80, high = 0xbf;
        if (lead < 0x80) {
            size = 1;
        } else if (lead >= 0xc2 && lead <= 0xdf) {
            size = 2;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            size = 3;
            if (lead == 0xe0)
                low = 0xa0;
            else if (lead == 0xed)
                high = 0x9f;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            size = 4;
            if (lead == 0xf0)
                low = 0x90;
            else if (lead == 0xf4)
                high = 0x8f;
        }
        bool valid = size > 0 && i + size <= length;
        for (size_t k = 1; valid && k < size; k++) {
            unsigned char byte = bytes[i + k];
            unsigned char min = k == 1 ? low : 0x80;
            unsigned char max = k == 1 ? high : 0xbf;
            valid = byte >= min && byte <= max;
        }
        if (!valid) {
            i++;
            continue;
        }
        characters.emplace_back(text + i, size);
        i += size;
    }
    return characters;
}

} // namespace BPrivate
