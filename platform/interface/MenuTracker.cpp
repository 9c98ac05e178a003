#include "MenuTracker.h"

#include <AppDefs.h>
#include <InterfaceDefs.h>
#include <Menu.h>
#include <MenuItem.h>
#include <Message.h>
#include <MessageFilter.h>
#include <View.h>
#include <Window.h>

#include "Display.h"
#include "MenuWindow.h"

#include <algorithm>

namespace BPrivate {

namespace {

// Sees the owner window's messages first while a menu is open.
class OpenMenuFilter : public BMessageFilter {
public:
    explicit OpenMenuFilter(MenuTracker* tracker)
        : BMessageFilter(B_ANY_DELIVERY, B_ANY_SOURCE), fTracker(tracker)
    {
    }

    filter_result Filter(BMessage* message, BHandler**) override
    {
        if (!fTracker->IsOpen())
            return B_DISPATCH_MESSAGE;
        switch (message->what) {
        case B_KEY_DOWN:
            return fTracker->_KeyDown(message) ? B_SKIP_MESSAGE : B_DISPATCH_MESSAGE;
        case B_MOUSE_DOWN:
            return fTracker->_MouseDown(message) ? B_SKIP_MESSAGE : B_DISPATCH_MESSAGE;
        case B_WINDOW_ACTIVATED: {
            bool active = true;
            message->FindBool("active", &active);
            if (!active)
                fTracker->Close();
            return B_DISPATCH_MESSAGE;
        }
        default:
            return B_DISPATCH_MESSAGE;
        }
    }

private:
    MenuTracker* fTracker;
};

} // namespace

MenuTracker::MenuTracker(BView* owner) : fOwner(owner) {}

MenuTracker::~MenuTracker()
{
    Close();
}

void MenuTracker::Attach()
{
    BWindow* window = fOwner->Window();
    if (window == nullptr || fFilter != nullptr)
        return;
    fFilter = new OpenMenuFilter(this);
    window->AddCommonFilter(fFilter);
}

void MenuTracker::Detach()
{
    Close();
    BWindow* window = fOwner->Window();
    if (window != nullptr && fFilter != nullptr && window->RemoveCommonFilter(fFilter))
        delete fFilter;
    fFilter = nullptr;
}

bool MenuTracker::Open(BMenu* menu, BPoint where, int32 select)
{
    Close();
    if (menu == nullptr || fOwner->Window() == nullptr || menu->Window() != nullptr)
        return false;
    ++fSerial;
    fDragged = false;
    _OpenLevel(menu, where, select);
    fOwner->Window()->MenusBeginning();
    return true;
}

void MenuTracker::_OpenLevel(BMenu* menu, BPoint where, int32 select, float besideLeft)
{
    float width = 0;
    float height = 0;
    menu->GetPreferredSize(&width, &height);
    BRect frame(where.x, where.y, where.x + width, where.y + height);
    // On the screen: to the left of a right edge, above a bottom edge.
    const BRect screen = display()->ScreenFrame();
    if (frame.right > screen.right) {
        const float left = besideLeft >= 0 ? besideLeft - 1 - width : screen.right - width;
        frame.OffsetTo(std::max(left, screen.left), frame.top);
    }
    if (frame.bottom > screen.bottom)
        frame.OffsetBy(0, std::max(screen.bottom - frame.bottom, screen.top - frame.top));

    menu->fOwner = BMessenger(fOwner);
    menu->fOpenSerial = fSerial;
    menu->fLevel = (int32)fLevels.size();
    menu->fSelected = -1;
    auto* window = new MenuWindow(frame, menu);
    // The window is not running yet: its menu is still this thread's to set up.
    menu->_Select(select);
    menu->fTracker = this;
    fLevels.push_back({menu, window, BMessenger(menu, window), frame});
    window->Show();
}

void MenuTracker::Close()
{
    if (fLevels.empty())
        return;
    _CloseFrom(0);
    if (BWindow* owner = fOwner->Window())
        owner->MenusEnded();
    if (onClosed)
        onClosed();
}

void MenuTracker::_CloseFrom(size_t level)
{
    while (fLevels.size() > level) {
        Level closing = fLevels.back();
        fLevels.pop_back();
        closing.menu->fTracker = nullptr;
        closing.window->CloseMenu();
    }
}

void MenuTracker::OpenSubmenu(int32 level, int32 index, bool selectFirst)
{
    BMenu* parent = level < 0                       ? dynamic_cast<BMenu*>(fOwner)
                    : level < (int32)fLevels.size() ? fLevels[(size_t)level].menu
                                                    : nullptr;
    if (parent == nullptr)
        return;
    BMenuItem* item = parent->ItemAt(index);
    BMenu* submenu = item != nullptr && item->IsEnabled() ? item->Submenu() : nullptr;
    const size_t deeper = (size_t)(level + 1);
    if (submenu != nullptr && deeper < fLevels.size() && fLevels[deeper].menu == submenu) {
        _CloseFrom(deeper + 1); // already open: only what it opened closes
        return;
    }
    const bool wasOpen = IsOpen();
    if (submenu == nullptr && deeper == 0) {
        Close();
        return;
    }
    _CloseFrom(deeper);
    if (submenu == nullptr || submenu->Window() != nullptr || fOwner->Window() == nullptr)
        return;

    // Beside its item, its first item level with it: to the right of the parent menu, or to
    // its left where the screen ends.
    BRect parentFrame;
    BPoint itemTop;
    if (level < 0) {
        parentFrame = fOwner->ConvertToScreen(fOwner->Bounds());
        itemTop = fOwner->ConvertToScreen(item->Frame().LeftTop());
    } else {
        parentFrame = fLevels[(size_t)level].frame;
        itemTop = parentFrame.LeftTop() + item->Frame().LeftTop();
    }
    if (fLevels.empty()) {
        // A chain of its own, whose messages the one before must not be taken for.
        ++fSerial;
        fDragged = false;
    }
    if (!wasOpen)
        fOwner->Window()->MenusBeginning();
    _OpenLevel(submenu, BPoint(parentFrame.right + 1, itemTop.y - 1),
               selectFirst ? submenu->_NextSelectable(-1, 1) : -1, parentFrame.left);
}

MenuTracker::Level* MenuTracker::_LevelAt(BPoint where)
{
    for (auto level = fLevels.rbegin(); level != fLevels.rend(); ++level) {
        if (level->frame.Contains(where))
            return &*level;
    }
    return nullptr;
}

void MenuTracker::PointerMoved(BPoint where)
{
    if (fLevels.empty())
        return;
    Level* level = _LevelAt(where);
    if (level == nullptr && !fDragged)
        return;
    fDragged = true;
    // Outside every menu the deepest one hears of it, and lets go of its highlight.
    BMessage highlight(kMenuHighlight);
    highlight.AddPoint("where", where);
    (level != nullptr ? level : &fLevels.back())->messenger.SendMessage(&highlight);
}

bool MenuTracker::PointerReleased(BPoint where)
{
    Level* level = _LevelAt(where);
    if (level == nullptr)
        return false;
    BMessage release(kMenuRelease);
    release.AddPoint("where", where);
    level->messenger.SendMessage(&release);
    return true;
}

bool MenuTracker::TakeChoice(BMessage* message, BMenu** menu, int32* index)
{
    if (message->what != kMenuChosen && message->what != kMenuSubmenu)
        return false;
    int32 serial = 0;
    int32 level = -1;
    if (message->FindInt32("serial", &serial) != B_OK || serial != fSerial ||
        message->FindInt32("level", &level) != B_OK || level < 0 || level >= (int32)fLevels.size())
        return true; // one of ours, but stale: nothing to do
    int32 value = -1;
    switch (message->what) {
    case kMenuChosen:
        if (message->FindInt32("index", &value) != B_OK)
            break;
        *menu = fLevels[(size_t)level].menu;
        *index = value;
        Close();
        break;
    case kMenuSubmenu: {
        bool select = false;
        message->FindBool("select", &select);
        if (message->FindInt32("index", &value) == B_OK)
            OpenSubmenu(level, value, select);
        break;
    }
    }
    return true;
}

bool MenuTracker::_KeyDown(BMessage* message)
{
    const char* bytes = "";
    message->FindString("bytes", &bytes);
    int32 modifierState = 0;
    message->FindInt32("modifiers", &modifierState);
    if ((modifierState & B_COMMAND_KEY) != 0) {
        // A shortcut works as ever; the menu makes way for what it does.
        Close();
        return false;
    }
    switch (bytes[0]) {
    case B_ESCAPE:
        Close();
        return true;
    case B_UP_ARROW:
    case B_DOWN_ARROW:
    case B_ENTER:
    case B_SPACE: {
        BMessage key(kMenuKey);
        key.AddInt32("key", bytes[0]);
        fLevels.back().messenger.SendMessage(&key);
        return true;
    }
    case B_RIGHT_ARROW: {
        // The highlighted item's submenu opens, its first item highlighted; without one, on
        // to the neighbour. The highlight is the menu window's: read under its lock.
        const Level& deepest = fLevels.back();
        int32 selected = -1;
        if (deepest.window->Lock()) {
            selected = deepest.menu->fSelected;
            deepest.window->Unlock();
        }
        BMenuItem* item = deepest.menu->ItemAt(selected);
        if (item != nullptr && item->Submenu() != nullptr && item->IsEnabled())
            OpenSubmenu((int32)fLevels.size() - 1, selected, true);
        else if (onArrow)
            onArrow(1);
        return true;
    }
    case B_LEFT_ARROW:
        // Back to the parent menu; from the first one, on to the neighbour.
        if (fLevels.size() > 1)
            _CloseFrom(fLevels.size() - 1);
        else if (onArrow)
            onArrow(-1);
        return true;
    default:
        // Typing goes nowhere while a menu is open.
        return true;
    }
}

bool MenuTracker::_MouseDown(BMessage* message)
{
    BPoint where;
    BWindow* window = fOwner->Window();
    if (window == nullptr || message->FindPoint("where", &where) != B_OK)
        return false;
    // A click on the owner is the owner's (it may close or switch menus); any other click
    // only closes the menu.
    if (fOwner->ConvertToScreen(fOwner->Bounds()).Contains(window->ConvertToScreen(where)))
        return false;
    Close();
    return true;
}

} // namespace BPrivate
