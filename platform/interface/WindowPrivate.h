#pragma once

// What the kit's menus ask of a window: a key shortcut that runs an action. Menu items
// register theirs when their menu is attached to the window and take them back when detached.

#include <SupportDefs.h>

#include <functional>
#include <vector>

class BWindow;

namespace BPrivate {

// What a window posts itself to draw and show what was invalidated.
enum { kUpdateMessage = '_UPD' };

// A window's shortcuts, in the order added.
struct WindowShortcuts {
    static WindowShortcuts& Of(BWindow* window);

    struct Shortcut {
        uint32 key;
        uint32 modifiers; // Command and the others that must be held
        const void* owner;
        std::function<void()> action;
    };
    std::vector<Shortcut> list;
};

// key is a character (letters in lower case); modifiers are those held besides Command.
void add_window_shortcut(BWindow* window, uint32 key, uint32 modifiers, const void* owner,
                         std::function<void()> action);
// Removes every shortcut the owner added.
void remove_window_shortcuts(BWindow* window, const void* owner);

// The window's id with the display, for the programs and tests that drive windows through
// the display's input calls; -1 for a window that draws into a bitmap.
int32 display_window_of(const BWindow* window);

} // namespace BPrivate
