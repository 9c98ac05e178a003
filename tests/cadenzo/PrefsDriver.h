#pragma once

// The Preferences window and the About box of a running application, opened from the main
// window's menus with real clicks and driven through the offscreen display.

#include "AppDriver.h"
#include "about/VANTORAboutWindow.h"
#include "settings/PrefsWindow.h"

#include <MenuItem.h>
#include <TextControl.h>

namespace prefs_test {

using namespace app_test;

// Returns once the application has handled everything sent to it so far.
inline void settle_app()
{
    BMessage reply;
    be_app_messenger.SendMessage('sYnC', &reply);
}

// The window the application keeps, read under its lock; null when it has none.
template <typename Window>
Window* kept_window(Window* (TCadenzoApp::*getter)() const)
{
    Locked lock(be_app);
    return (static_cast<TCadenzoApp*>(be_app)->*getter)();
}

// A window of the application looked at from the test, each look under its lock.
class ShownWindow {
public:
    explicit ShownWindow(BWindow* window) : fWindow(window) {}

    BWindow* Window() const { return fWindow; }
    template <typename Look>
    auto Read(Look look) const
    {
        settle(fWindow);
        Locked lock(fWindow);
        return look(fWindow);
    }
    bool Hidden() const
    {
        return Read([](BWindow* w) { return w->IsHidden(); });
    }
    template <typename T = BControl>
    T* Find(const char* name) const
    {
        return dynamic_cast<T*>(fWindow->FindView(name));
    }
    // Where a view lies in the window.
    BRect InWindow(const char* name) const
    {
        return Read([name](BWindow* w) { return in_window(w->FindView(name)); });
    }
    void Click(const char* name) const { click(fWindow, center(InWindow(name))); }
    void Type(const char* bytes, uint32 modifiers = 0) const { type(fWindow, bytes, modifiers); }
    std::string Text(const char* name) const
    {
        return Read([&](BWindow*) { return std::string(Find<BTextControl>(name)->Text()); });
    }
    int32 Value(const char* name) const
    {
        return Read([&](BWindow*) { return Find(name)->Value(); });
    }

private:
    BWindow* fWindow;
};

// Chooses an item of one of the main window's menus with a click on the title and one on the
// item.
inline void click_menu_item(const RunningApp& app, int32 menuIndex, int32 itemIndex)
{
    BMenuBar* bar = app.Window()->KeyMenuBar();
    BPoint title;
    {
        Locked lock(app.Window());
        title = bar->ConvertToParent(center(bar->ItemAt(menuIndex)->Frame()));
    }
    click(app.Window(), title);
    BMenu* menu = bar->SubmenuAt(menuIndex);
    BWindow* menuWindow = nullptr;
    BPoint item;
    {
        Locked lock(app.Window());
        menuWindow = menu->Window();
        item = center(menu->ItemAt(itemIndex)->Frame());
    }
    click(menuWindow, item);
}

// Chooses the menu item; returns the window the application keeps for it, once that shows.
template <typename Window>
ShownWindow choose(const RunningApp& app, int32 menuIndex, int32 itemIndex,
                   Window* (TCadenzoApp::*getter)() const)
{
    click_menu_item(app, menuIndex, itemIndex);
    // The command reaches the application a moment after the click.
    Window* window = nullptr;
    EXPECT_TRUE(looper_test::eventually([&] {
        window = kept_window(getter);
        return window != nullptr && !ShownWindow(window).Hidden();
    }));
    return ShownWindow(window);
}

inline ShownWindow open_preferences(const RunningApp& app)
{
    return choose(app, 1, 0, &TCadenzoApp::PrefsWindow);
}

inline ShownWindow open_about(const RunningApp& app)
{
    return choose(app, 2, 4, &TCadenzoApp::AboutWindow);
}

// Types into the seconds field, replacing what it held.
inline void type_seconds(const ShownWindow& prefs, const std::string& text)
{
    prefs.Click("TxtCtrlTailMargin");
    prefs.Type("a", B_COMMAND_KEY);
    prefs.Type("\x08");
    for (char c : text)
        prefs.Type(std::string(1, c).c_str());
}

} // namespace prefs_test
