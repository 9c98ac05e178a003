#include <Menu.h>

#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <Window.h>

#include "ArchiveClasses.h"
#include "MenuPrivate.h"
#include "MenuTracker.h"
#include "MenuWindow.h"
#include "WindowPrivate.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

BMenu::BMenu(const char* name, menu_layout layout)
    : BView(BRect(0, 0, 0, 0), name, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW), fLayout(layout)
{
    _InitData();
}

BMenu::BMenu(BRect frame, const char* name, uint32 resizingMode, uint32 flags, menu_layout layout)
    : BView(frame, name, resizingMode, flags), fLayout(layout)
{
    _InitData();
}

BMenu::BMenu(BMessage* archive) : BView(archive), fLayout(B_ITEMS_IN_COLUMN)
{
    int32 layout;
    if (archive->FindInt32("_layout", &layout) == B_OK && layout >= B_ITEMS_IN_ROW &&
        layout <= B_ITEMS_IN_MATRIX)
        fLayout = (menu_layout)layout;
    bool flag;
    if (archive->FindBool("_rmode", &flag) == B_OK)
        fRadioMode = flag;
    if (archive->FindBool("_dmark", &flag) == B_OK)
        fLabelFromMarked = flag;
    if (archive->FindBool("_disable", &flag) == B_OK)
        fEnabled = !flag;
    _InitData();
    BMessage itemArchive;
    for (int32 i = 0; archive->FindMessage("_items", i, &itemArchive) == B_OK; i++) {
        BArchivable* object = instantiate_object(&itemArchive);
        auto* item = dynamic_cast<BMenuItem*>(object);
        if (item == nullptr || !AddItem(item))
            delete object;
    }
}

void BMenu::_InitData()
{
    SetViewColor(ui_color(B_MENU_BACKGROUND_COLOR));
    SetLowColor(ui_color(B_MENU_BACKGROUND_COLOR));
    SetHighColor(ui_color(B_MENU_ITEM_TEXT_COLOR));
}

BMenu::~BMenu()
{
    // Deleted while in its window: its filter must not outlive it there.
    if (fSubmenus != nullptr && Window() != nullptr)
        fSubmenus->Detach();
    fSubmenus.reset();
    if (fTracker != nullptr)
        fTracker->Close();
    if (fSuperitem != nullptr) {
        // A submenu deleted while its item is still in a menu takes the item with it, so
        // that no item is left opening nothing.
        BMenuItem* superitem = fSuperitem;
        fSuperitem = nullptr;
        superitem->fSubmenu = nullptr;
        if (superitem->fMenu != nullptr) {
            superitem->fMenu->RemoveItem(superitem);
            delete superitem;
        }
    }
    if (fShortcutsRegistered)
        _UnregisterShortcuts(fShortcutWindow);
    std::vector<BMenuItem*> items;
    items.swap(fItems);
    for (BMenuItem* item : items) {
        item->fMenu = nullptr;
        delete item;
    }
}

BArchivable* BMenu::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BMenu"))
        return nullptr;
    return new BMenu(archive);
}

status_t BMenu::Archive(BMessage* into, bool deep) const
{
    status_t status = BView::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BMenu");
    if (status != B_OK)
        return status;
    into->AddInt32("_layout", fLayout);
    if (fRadioMode)
        into->AddBool("_rmode", true);
    if (fLabelFromMarked)
        into->AddBool("_dmark", true);
    if (!fEnabled)
        into->AddBool("_disable", true);
    if (deep) {
        for (const BMenuItem* item : fItems) {
            BMessage itemArchive;
            status = item->Archive(&itemArchive, true);
            if (status == B_OK)
                status = into->AddMessage("_items", &itemArchive);
            if (status != B_OK)
                return status;
        }
    }
    return B_OK;
}

// #pragma mark - window

void BMenu::AttachedToWindow()
{
    BView::AttachedToWindow();
    // An open menu is shown in a menu window, but its shortcuts stay with its owner's window.
    const bool inMenuWindow = dynamic_cast<BPrivate::MenuWindow*>(Window()) != nullptr;
    if (!inMenuWindow && fSuperitem == nullptr && !fShortcutsRegistered)
        _RegisterShortcuts(Window());
    if (!inMenuWindow && fLayout == B_ITEMS_IN_COLUMN) {
        if (fSubmenus == nullptr) {
            fSubmenus = std::make_unique<BPrivate::MenuTracker>(this);
            // The item whose submenu was open lets go of its highlight with it.
            fSubmenus->onClosed = [this] {
                if (BPrivate::opens_submenu(ItemAt(fSelected)))
                    _Select(-1);
            };
        }
        fSubmenus->Attach();
    }
    _LayoutItems();
}

void BMenu::DetachedFromWindow()
{
    if (fSubmenus != nullptr)
        fSubmenus->Detach();
    if (fShortcutsRegistered && fShortcutWindow == Window())
        _UnregisterShortcuts(fShortcutWindow);
    BView::DetachedFromWindow();
}

BWindow* BMenu::_OwnerWindow() const
{
    if (fSuperitem != nullptr && fSuperitem->fMenu != nullptr)
        return fSuperitem->fMenu->_OwnerWindow();
    if (fField != nullptr)
        return fField->Window();
    if (fShortcutsRegistered)
        return fShortcutWindow;
    BWindow* window = Window();
    return dynamic_cast<BPrivate::MenuWindow*>(window) == nullptr ? window : nullptr;
}

void BMenu::_RegisterShortcuts(BWindow* window)
{
    if (window == nullptr)
        return;
    fShortcutsRegistered = true;
    fShortcutWindow = window;
    for (BMenuItem* item : fItems) {
        item->_RegisterShortcut();
        if (item->fSubmenu != nullptr)
            item->fSubmenu->_RegisterShortcuts(window);
    }
}

void BMenu::_UnregisterShortcuts(BWindow* window)
{
    for (BMenuItem* item : fItems) {
        BPrivate::remove_window_shortcuts(window, item);
        if (item->fSubmenu != nullptr && item->fSubmenu->fShortcutsRegistered)
            item->fSubmenu->_UnregisterShortcuts(window);
    }
    fShortcutsRegistered = false;
    fShortcutWindow = nullptr;
}

// #pragma mark - items

bool BMenu::AddItem(BMenuItem* item)
{
    return AddItem(item, CountItems());
}

bool BMenu::AddItem(BMenuItem* item, int32 index)
{
    if (item == nullptr || item->fMenu != nullptr || index < 0 || index > CountItems())
        return false;
    // The open menu's window may be drawing the items: close it before they move.
    if (fTracker != nullptr)
        fTracker->Close();
    fItems.insert(fItems.begin() + index, item);
    item->fMenu = this;
    if (fRadioMode && item->fMarked) {
        for (BMenuItem* other : fItems) {
            if (other != item)
                other->fMarked = false;
        }
    }
    if (fShortcutsRegistered) {
        item->_RegisterShortcut();
        if (item->fSubmenu != nullptr)
            item->fSubmenu->_RegisterShortcuts(fShortcutWindow);
    }
    _StructureChanged();
    return true;
}

bool BMenu::AddItem(BMenu* submenu)
{
    return AddItem(submenu, CountItems());
}

bool BMenu::AddItem(BMenu* submenu, int32 index)
{
    if (submenu == nullptr || submenu->fSuperitem != nullptr || submenu == this)
        return false;
    auto* item = new BMenuItem(submenu);
    if (!AddItem(item, index)) {
        // The submenu stays the caller's.
        item->fSubmenu = nullptr;
        submenu->fSuperitem = nullptr;
        delete item;
        return false;
    }
    return true;
}

bool BMenu::AddSeparatorItem()
{
    return AddItem(new BSeparatorItem());
}

bool BMenu::RemoveItem(BMenuItem* item)
{
    return RemoveItem(IndexOf(item)) != nullptr;
}

BMenuItem* BMenu::RemoveItem(int32 index)
{
    BMenuItem* item = ItemAt(index);
    if (item == nullptr)
        return nullptr;
    if (item->fSubmenu != nullptr && item->fSubmenu->fTracker != nullptr)
        item->fSubmenu->fTracker->Close();
    if (fShortcutsRegistered) {
        BPrivate::remove_window_shortcuts(fShortcutWindow, item);
        if (item->fSubmenu != nullptr && item->fSubmenu->fShortcutsRegistered)
            item->fSubmenu->_UnregisterShortcuts(fShortcutWindow);
    }
    {
        // The open menu's window may be drawing the items.
        BPrivate::ShownMenuLock lock(this);
        fItems.erase(fItems.begin() + index);
        if (fSelected == index)
            fSelected = -1;
        else if (fSelected > index)
            fSelected--;
        item->fSelected = false;
    }
    item->fMenu = nullptr;
    item->fFrame = BRect();
    _StructureChanged();
    return item;
}

bool BMenu::RemoveItem(BMenu* submenu)
{
    const int32 index = IndexOf(submenu);
    BMenuItem* item = RemoveItem(index);
    if (item == nullptr)
        return false;
    item->fSubmenu = nullptr;
    submenu->fSuperitem = nullptr;
    delete item;
    return true;
}

BMenuItem* BMenu::ItemAt(int32 index) const
{
    if (index < 0 || index >= CountItems())
        return nullptr;
    return fItems[(size_t)index];
}

BMenu* BMenu::SubmenuAt(int32 index) const
{
    BMenuItem* item = ItemAt(index);
    return item != nullptr ? item->Submenu() : nullptr;
}

int32 BMenu::IndexOf(const BMenuItem* item) const
{
    auto at = std::find(fItems.begin(), fItems.end(), item);
    return at == fItems.end() || item == nullptr ? -1 : (int32)(at - fItems.begin());
}

int32 BMenu::IndexOf(const BMenu* submenu) const
{
    for (size_t i = 0; i < fItems.size(); i++) {
        if (submenu != nullptr && fItems[i]->fSubmenu == submenu)
            return (int32)i;
    }
    return -1;
}

BMenuItem* BMenu::FindItem(const char* label) const
{
    if (label == nullptr)
        return nullptr;
    for (BMenuItem* item : fItems) {
        if (item->fLabel == label)
            return item;
        if (item->fSubmenu != nullptr) {
            if (BMenuItem* found = item->fSubmenu->FindItem(label))
                return found;
        }
    }
    return nullptr;
}

BMenuItem* BMenu::FindItem(uint32 command) const
{
    for (BMenuItem* item : fItems) {
        if (item->Message() != nullptr && item->Message()->what == command)
            return item;
        if (item->fSubmenu != nullptr) {
            if (BMenuItem* found = item->fSubmenu->FindItem(command))
                return found;
        }
    }
    return nullptr;
}

BMenuItem* BMenu::FindMarked() const
{
    for (BMenuItem* item : fItems) {
        if (item->fMarked)
            return item;
    }
    return nullptr;
}

status_t BMenu::SetTargetForItems(BHandler* target)
{
    status_t result = B_OK;
    for (BMenuItem* item : fItems) {
        const status_t status = item->SetTarget(target);
        if (status != B_OK)
            result = status;
    }
    return result;
}

status_t BMenu::SetTargetForItems(BMessenger messenger)
{
    status_t result = B_OK;
    for (BMenuItem* item : fItems) {
        const status_t status = item->SetTarget(messenger);
        if (status != B_OK)
            result = status;
    }
    return result;
}

void BMenu::SetEnabled(bool enabled)
{
    if (enabled == fEnabled)
        return;
    {
        BPrivate::ShownMenuLock lock(this);
        fEnabled = enabled;
    }
    _ItemChanged(nullptr);
}

bool BMenu::IsEnabled() const
{
    if (!fEnabled)
        return false;
    return fSuperitem == nullptr || fSuperitem->fMenu == nullptr || fSuperitem->fMenu->IsEnabled();
}

void BMenu::SetRadioMode(bool on)
{
    fRadioMode = on;
    // Radio mode may begin with several items marked; the first of them keeps its mark.
    if (on) {
        BPrivate::ShownMenuLock lock(this);
        bool seen = false;
        for (BMenuItem* item : fItems) {
            if (item->fMarked && seen)
                item->fMarked = false;
            seen = seen || item->fMarked;
        }
    }
    _ItemChanged(nullptr);
}

void BMenu::SetLabelFromMarked(bool on)
{
    fLabelFromMarked = on;
    if (on)
        SetRadioMode(true);
    _ItemChanged(nullptr);
}

BMenu* BMenu::Supermenu() const
{
    return fSuperitem != nullptr ? fSuperitem->fMenu : nullptr;
}

const char* BMenu::_DisplayLabel() const
{
    if (fLabelFromMarked) {
        if (BMenuItem* marked = FindMarked())
            return marked->Label();
    }
    return Name();
}

void BMenu::_ItemChanged(BMenuItem*)
{
    if (BWindow* window = Window(); window != nullptr && window->Lock()) {
        _LayoutItems();
        Invalidate();
        window->Unlock();
    }
    if (fField != nullptr && fField->Window() != nullptr)
        fField->Invalidate();
}

void BMenu::_StructureChanged()
{
    if (fTracker != nullptr)
        fTracker->Close();
    if (Window() != nullptr) {
        _LayoutItems();
        Invalidate();
    }
    if (fField != nullptr && fField->Window() != nullptr)
        fField->Invalidate();
}

// #pragma mark - layout and drawing

void BMenu::_LayoutItems()
{
    font_height metrics;
    GetFontHeight(&metrics);
    const float lineHeight = std::ceil(metrics.ascent + metrics.descent + metrics.leading);
    if (fLayout == B_ITEMS_IN_ROW) {
        float left = 0;
        const float bottom = std::max(Bounds().bottom - 1, lineHeight);
        for (BMenuItem* item : fItems) {
            float width = 0;
            item->GetContentSize(&width, nullptr);
            width = std::ceil(width) + 2 * kRowItemPadding;
            item->fFrame = BRect(left, 0, left + width - 1, bottom);
            left += width;
        }
        return;
    }
    float width = 0;
    GetPreferredSize(&width, nullptr);
    float top = 1;
    for (BMenuItem* item : fItems) {
        float height = 0;
        item->GetContentSize(nullptr, &height);
        if (dynamic_cast<BSeparatorItem*>(item) == nullptr)
            height = std::max(std::ceil(height), lineHeight) + 2 * kVerticalPadding;
        item->fFrame = BRect(1, top, width - 1, top + height - 1);
        top += height;
    }
}

void BMenu::GetPreferredSize(float* width, float* height)
{
    font_height metrics;
    GetFontHeight(&metrics);
    const float lineHeight = std::ceil(metrics.ascent + metrics.descent + metrics.leading);
    float totalWidth = 0;
    float totalHeight = 0;
    if (fLayout == B_ITEMS_IN_ROW) {
        for (BMenuItem* item : fItems) {
            float itemWidth = 0;
            item->GetContentSize(&itemWidth, nullptr);
            totalWidth += std::ceil(itemWidth) + 2 * kRowItemPadding;
        }
        totalHeight = lineHeight + 2 * kVerticalPadding + 2;
    } else {
        float widest = 0;
        for (BMenuItem* item : fItems) {
            float itemWidth = 0;
            float itemHeight = 0;
            item->GetContentSize(&itemWidth, &itemHeight);
            if (item->fShortcut != 0)
                itemWidth += kShortcutGap + StringWidth(item->ShortcutLabel().c_str());
            if (item->fSubmenu != nullptr)
                itemWidth += kShortcutGap;
            widest = std::max(widest, std::ceil(itemWidth));
            if (dynamic_cast<BSeparatorItem*>(item) == nullptr)
                itemHeight = std::max(std::ceil(itemHeight), lineHeight) + 2 * kVerticalPadding;
            totalHeight += itemHeight;
        }
        // Frame units: the 1-pixel border on each side.
        totalWidth = std::max(widest + kColumnLeftMargin + kColumnRightMargin + 1, 60.f);
        totalHeight = std::max(totalHeight + 1, 4.f);
    }
    if (width != nullptr)
        *width = totalWidth;
    if (height != nullptr)
        *height = totalHeight;
}

void BMenu::Draw(BRect updateRect)
{
    const rgb_color background = ui_color(B_MENU_BACKGROUND_COLOR);
    const BRect bounds = Bounds();
    SetHighColor(background);
    FillRect(updateRect & bounds);
    for (BMenuItem* item : fItems) {
        if (item->fFrame.IsValid() && item->fFrame.Intersects(updateRect))
            item->Draw();
    }
    if (fLayout == B_ITEMS_IN_ROW) {
        // The bar's lower edge.
        SetHighColor(tint_color(background, B_DARKEN_2_TINT));
        StrokeLine(BPoint(bounds.left, bounds.bottom), BPoint(bounds.right, bounds.bottom));
        return;
    }
    // A raised frame: light on the top and left, dark on the bottom and right.
    SetHighColor(tint_color(background, B_LIGHTEN_2_TINT));
    StrokeLine(BPoint(bounds.left, bounds.bottom), BPoint(bounds.left, bounds.top));
    StrokeLine(BPoint(bounds.left, bounds.top), BPoint(bounds.right, bounds.top));
    SetHighColor(tint_color(background, B_DARKEN_3_TINT));
    StrokeLine(BPoint(bounds.right, bounds.top), BPoint(bounds.right, bounds.bottom));
    StrokeLine(BPoint(bounds.right, bounds.bottom), BPoint(bounds.left, bounds.bottom));
}
