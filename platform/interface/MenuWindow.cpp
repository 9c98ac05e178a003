#include "MenuWindow.h"

#include <Menu.h>
#include <MenuItem.h>

namespace BPrivate {

MenuWindow::MenuWindow(BRect frame, BMenu* menu)
    : BWindow(frame, menu->Name(), B_NO_BORDER_WINDOW_LOOK, B_FLOATING_ALL_WINDOW_FEEL,
              B_NOT_MOVABLE | B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE |
                  B_NOT_MINIMIZABLE | B_AVOID_FOCUS | B_WILL_ACCEPT_FIRST_CLICK),
      fMenu(menu)
{
    menu->MoveTo(0, 0);
    menu->ResizeTo(Bounds().Width(), Bounds().Height());
    AddChild(menu);
}

MenuWindow::~MenuWindow()
{
    _TakeMenuOut();
}

void MenuWindow::_TakeMenuOut()
{
    if (fMenu == nullptr)
        return;
    if (fMenu->Window() == this)
        RemoveChild(fMenu);
    fMenu->_Select(-1);
    fMenu = nullptr;
}

void MenuWindow::CloseMenu()
{
    if (!Lock())
        return;
    _TakeMenuOut();
    Quit();
}

ShownMenuLock::ShownMenuLock(BMenu* menu) : fWindow(menu != nullptr ? menu->Window() : nullptr)
{
    if (fWindow != nullptr && !fWindow->Lock())
        fWindow = nullptr;
}

ShownMenuLock::~ShownMenuLock()
{
    if (fWindow != nullptr)
        fWindow->Unlock();
}

} // namespace BPrivate
