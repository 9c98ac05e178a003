// A window of the interface kit on the SDL display, on a real X server: what it draws is on
// the screen, and files another program drops on it reach the view under the pointer, as
// one dropped message. Its own program, since the display of a process is chosen once.

#include "SDLDisplayFixture.h"

#include <View.h>
#include <Window.h>

#include <thread>

using namespace display_test;

namespace {

// Fills itself with one colour and keeps what is dropped on it, noted "dropped" when it
// came as dropped (which a copy of the message does not carry).
class DropView : public BView {
public:
    DropView(BRect frame, rgb_color color)
        : BView(frame, "drop", B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW)
    {
        SetViewColor(color);
        SetHighColor(color);
    }

    void Draw(BRect) override { FillRect(Bounds()); }

    void MessageReceived(BMessage* message) override
    {
        if (message->what == B_SIMPLE_DATA)
            fDrops.Add(message->WasDropped() ? "dropped" : "sent", *message);
        else
            BView::MessageReceived(message);
    }

    ::MessageLog fDrops;
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
    auto* left = new DropView(BRect(0, 0, 199, 199), rgb_color{40, 160, 80, 255});
    auto* right = new DropView(BRect(200, 0, 399, 199), rgb_color{60, 90, 200, 255});
    window->AddChild(left);
    window->AddChild(right);
    window->Show();

    // What the views drew, where the window is.
    XWindowID xWindow = x11.FindWindow("Drop window", std::chrono::seconds(5));
    ASSERT_NE(xWindow, 0u);
    EXPECT_TRUE(looper_test::eventually([&] {
        XPicture picture;
        return x11.Capture(xWindow, picture) &&
               corners(picture) == corners(400, 200, {0x28a050, 0x3c5ac8, 0x28a050, 0x3c5ac8});
    }));

    TempFolder folder;
    const std::string first = folder.WriteText("one.mid", "MThd");
    const std::string second = folder.WriteText("two words.mid", "MThd");
    std::string errors;
    ASSERT_EQ(run_drop_tool({"--window-title", "Drop window", "--at", "250", "40", first, second},
                            &errors),
              0)
        << errors;

    EXPECT_TRUE(right->fDrops.WaitFor(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto drops = right->fDrops.Entries();
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(paths_of(drops[0].second), (std::vector<std::string>{first, second}));
    EXPECT_EQ(drops[0].first, "dropped");
    // In screen coordinates, as the kit's drops are.
    EXPECT_NEAR(point_of(drops[0].second, "_drop_point_").x, 350, 1);
    EXPECT_NEAR(point_of(drops[0].second, "_drop_point_").y, 140, 1);
    EXPECT_TRUE(left->fDrops.Entries().empty());

    window->Lock();
    window->Quit();
}
