// The window's keyboard shortcuts: those of its menu items and those added with
// AddShortcut(), all Command combinations, looked up before the focus view sees a key.

#include <Window.h>

#include <InterfaceDefs.h>
#include <Message.h>
#include <Messenger.h>

#include "WindowPrivate.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace {

const uint32 kShortcutModifiers = B_SHIFT_KEY | B_CONTROL_KEY | B_OPTION_KEY | B_COMMAND_KEY;

} // namespace

namespace BPrivate {

WindowShortcuts& WindowShortcuts::Of(BWindow* window)
{
    return *window->fShortcuts;
}

void add_window_shortcut(BWindow* window, uint32 key, uint32 modifiers, const void* owner,
                         std::function<void()> action)
{
    if (window == nullptr || key == 0)
        return;
    WindowShortcuts::Of(window).list.push_back({(uint32)tolower((int)key),
                                                (modifiers | B_COMMAND_KEY) & kShortcutModifiers,
                                                owner, std::move(action)});
}

void remove_window_shortcuts(BWindow* window, const void* owner)
{
    if (window == nullptr)
        return;
    auto& list = WindowShortcuts::Of(window).list;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [owner](const auto& shortcut) { return shortcut.owner == owner; }),
               list.end());
}

} // namespace BPrivate

bool BWindow::_HandleShortcut(const char* bytes, uint32 modifierState)
{
    if (bytes[0] == '\0' || bytes[1] != '\0')
        return false;
    const uint32 key = (uint32)tolower((uint8)bytes[0]);
    const uint32 held = modifierState & kShortcutModifiers;
    for (const auto& shortcut : fShortcuts->list) {
        if (shortcut.key == key && shortcut.modifiers == held) {
            // The action may change the list (a menu rebuilt): run a copy.
            std::function<void()> action = shortcut.action;
            action();
            return true;
        }
    }
    return false;
}

void BWindow::AddShortcut(uint32 key, uint32 modifierState, BMessage* message, BHandler* target)
{
    if (message == nullptr)
        return;
    RemoveShortcut(key, modifierState);
    auto copy = std::make_shared<BMessage>(*message);
    delete message;
    BHandler* handler = target != nullptr ? target : this;
    BPrivate::add_window_shortcut(this, key, modifierState, this,
                                  [copy, handler] { BMessenger(handler).SendMessage(copy.get()); });
}

void BWindow::RemoveShortcut(uint32 key, uint32 modifierState)
{
    const uint32 lower = (uint32)tolower((int)key);
    const uint32 held = (modifierState | B_COMMAND_KEY) & kShortcutModifiers;
    auto& list = fShortcuts->list;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const auto& shortcut) {
                                  return shortcut.owner == this && shortcut.key == lower &&
                                         shortcut.modifiers == held;
                              }),
               list.end());
}
