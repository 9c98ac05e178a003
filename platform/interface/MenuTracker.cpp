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
    float width = 0;
    float height = 0;
    menu->GetPreferredSize(&width, &height);
    BRect frame(where.x, where.y, where.x + width, where.y + height);
    // On the screen: to the left of a right edge, above a bottom edge.
    const BRect screen = display()->ScreenFrame();
    if (frame.right > screen.right)
        frame.OffsetBy(std::max(screen.right - frame.right, screen.left - frame.left), 0);
    if (frame.bottom > screen.bottom)
        frame.OffsetBy(0, std::max(screen.bottom - frame.bottom, screen.top - frame.top));

    menu->fOwner = BMessenger(fOwner);
    menu->fOpenSerial = ++fSerial;
    menu->fSelected = -1;
    auto* window = new MenuWindow(frame, menu);
    // The window is not running yet: its menu is still this thread's to set up.
    menu->_Select(select);
    menu->fTracker = this;
    fMenu = menu;
    fWindow = window;
    fFrame = frame;
    fDragged = false;
    fMenuMessenger = BMessenger(menu, window);
    fOwner->Window()->MenusBeginning();
    window->Show();
    return true;
}

void MenuTracker::Close()
{
    if (fMenu == nullptr)
        return;
    BMenu* menu = fMenu;
    MenuWindow* window = fWindow;
    fMenu = nullptr;
    fWindow = nullptr;
    fMenuMessenger = BMessenger();
    menu->fTracker = nullptr;
    window->CloseMenu();
    if (BWindow* owner = fOwner->Window())
        owner->MenusEnded();
    if (onClosed)
        onClosed();
}

void MenuTracker::PointerMoved(BPoint where)
{
    if (fMenu == nullptr)
        return;
    const bool inside = fFrame.Contains(where);
    if (!inside && !fDragged)
        return;
    fDragged = fDragged || inside;
    BMessage highlight(kMenuHighlight);
    highlight.AddPoint("where", where);
    fMenuMessenger.SendMessage(&highlight);
}

bool MenuTracker::PointerReleased(BPoint where)
{
    if (fMenu == nullptr || !fFrame.Contains(where))
        return false;
    BMessage release(kMenuRelease);
    release.AddPoint("where", where);
    fMenuMessenger.SendMessage(&release);
    return true;
}

bool MenuTracker::TakeChoice(BMessage* message, BMenu** menu, int32* index)
{
    if (message->what != kMenuChosen)
        return false;
    int32 serial = 0;
    if (message->FindInt32("serial", &serial) != B_OK || serial != fSerial || fMenu == nullptr ||
        message->FindInt32("index", index) != B_OK)
        return true; // one of ours, but stale: nothing to do
    *menu = fMenu;
    Close();
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
        fMenuMessenger.SendMessage(&key);
        return true;
    }
    case B_LEFT_ARROW:
    case B_RIGHT_ARROW:
        if (onArrow)
            onArrow(bytes[0] == B_LEFT_ARROW ? -1 : 1);
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
