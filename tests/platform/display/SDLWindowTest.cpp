// A window of the interface kit on the SDL display, on a real X server: what it draws is on
// the screen, and files another program drops on it reach the view under the pointer, as
// one dropped message. Its own program, since the display of a process is chosen once.

#include "LooperTestSupport.h"
#include "SDLDisplayFixture.h"
#include "X11Connection.h"

#include <AppDefs.h>
#include <Display.h>
#include <Entry.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

using namespace display_test;

namespace {

// Fills itself with one colour and keeps what is dropped on it.
class DropView : public BView {
public:
    DropView(BRect frame, const char* name, rgb_color color)
        : BView(frame, name, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW)
    {
        SetViewColor(color);
        SetHighColor(color);
    }

    void Draw(BRect) override { FillRect(Bounds()); }

    void MessageReceived(BMessage* message) override
    {
        if (message->what != B_SIMPLE_DATA) {
            BView::MessageReceived(message);
            return;
        }
        Drop drop;
        drop.dropped = message->WasDropped();
        message->FindPoint("_drop_point_", &drop.screenPoint);
        entry_ref ref;
        for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++)
            drop.paths.push_back(ref.Path());
        std::lock_guard lock(fLock);
        fDrops.push_back(drop);
    }

    struct Drop {
        std::vector<std::string> paths;
        BPoint screenPoint{-1, -1};
        bool dropped = false;
    };
    std::vector<Drop> Drops()
    {
        std::lock_guard lock(fLock);
        return fDrops;
    }

private:
    std::mutex fLock;
    std::vector<Drop> fDrops;
};

} // namespace

TEST(SDLWindowTest, FilesDroppedOnTheScreenReachTheViewUnderThePointerAsOneMessage)
{
    looper_test::Watchdog watchdog(std::chrono::seconds(60));
    X11Connection x11;
    ASSERT_TRUE(x11.IsOpen()) << "this test needs an X server: run it through scripts/with-xvfb";
    ASSERT_TRUE(BPrivate::select_display("sdl"));
    ASSERT_STREQ(BPrivate::display()->Name(), "sdl");

    auto* window =
        new BWindow(BRect(100, 100, 499, 299), "Drop window", B_TITLED_WINDOW, B_NOT_RESIZABLE);
    auto* left = new DropView(BRect(0, 0, 199, 199), "left", rgb_color{40, 160, 80, 255});
    auto* right = new DropView(BRect(200, 0, 399, 199), "right", rgb_color{60, 90, 200, 255});
    window->AddChild(left);
    window->AddChild(right);
    window->Show();

    // What the views drew, where the window is.
    XWindowID xWindow = x11.FindWindow("Drop window", std::chrono::seconds(5));
    ASSERT_NE(xWindow, 0u);
    EXPECT_TRUE(looper_test::eventually([&] {
        XPicture picture;
        return x11.Capture(xWindow, picture) && picture.width == 400 && picture.height == 200 &&
               picture.At(20, 20) == 0x28a050 && picture.At(380, 180) == 0x3c5ac8;
    }));

    TempFolder folder;
    std::string first = folder.WriteText("one.mid", "MThd");
    std::string second = folder.WriteText("two words.mid", "MThd");
    std::string errors;
    ASSERT_EQ(run_program(
                  {XDND_DROP, "--window-title", "Drop window", "--at", "250", "40", first, second},
                  &errors),
              0)
        << errors;

    EXPECT_TRUE(looper_test::eventually([&] { return !right->Drops().empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto drops = right->Drops();
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].paths, (std::vector<std::string>{first, second}));
    EXPECT_TRUE(drops[0].dropped);
    // In screen coordinates, as the kit's drops are.
    EXPECT_NEAR(drops[0].screenPoint.x, 350, 1);
    EXPECT_NEAR(drops[0].screenPoint.y, 140, 1);
    EXPECT_TRUE(left->Drops().empty());

    window->Lock();
    window->Quit();
}
