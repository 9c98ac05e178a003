#pragma once

// What a menu's own files agree on about its items.

#include <MenuItem.h>

namespace BPrivate {

inline bool is_choosable(const BMenuItem* item)
{
    return item != nullptr && item->IsEnabled() && item->Submenu() == nullptr &&
           dynamic_cast<const BSeparatorItem*>(item) == nullptr;
}

// What the pointer and the keyboard may highlight: a choosable item, or one that opens a
// submenu.
inline bool is_selectable(const BMenuItem* item)
{
    return item != nullptr && item->IsEnabled() &&
           dynamic_cast<const BSeparatorItem*>(item) == nullptr;
}

inline bool opens_submenu(const BMenuItem* item)
{
    return is_selectable(item) && item->Submenu() != nullptr;
}

} // namespace BPrivate
