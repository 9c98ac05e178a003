// A window of the interface kit on the SDL display, on a real X server: what it draws is on
// the screen, and the files of each drop by another program reach the view under the
// pointer, as one dropped message. Its own program, since the display of a process is chosen once.

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

TEST(SDLWindowTest, EachDropReachesTheViewUnderThePointerAsOneMessageOfAllItsFiles)
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
    // Names that must survive the trip through URIs: a space, a non-ASCII letter, a "%".
    const std::string first = folder.WriteText("first song.mid", "MThd");
    const std::string second = folder.WriteText("zweite \xc3\x84nderung 100%.mid", "MThd");
    const struct {
        DropView* view;
        int x, y;
        std::vector<std::string> files;
    } kDrops[] = {{right, 250, 40, {first, second}}, {left, 50, 150, {second}}};
    for (const auto& drop : kDrops) {
        std::vector<std::string> arguments = {"--window-title", "Drop window", "--at",
                                              std::to_string(drop.x), std::to_string(drop.y)};
        arguments.insert(arguments.end(), drop.files.begin(), drop.files.end());
        std::string errors;
        ASSERT_EQ(run_drop_tool(arguments, &errors), 0) << errors;
        ASSERT_TRUE(drop.view->fDrops.WaitFor(1)) << drop.x << ", " << drop.y;
        const auto drops = drop.view->fDrops.Entries();
        EXPECT_EQ(paths_of(drops[0].second), drop.files);
        EXPECT_EQ(drops[0].first, "dropped");
        // In screen coordinates, as the kit's drops are.
        EXPECT_NEAR(point_of(drops[0].second, "_drop_point_").x, 100 + drop.x, 1);
        EXPECT_NEAR(point_of(drops[0].second, "_drop_point_").y, 100 + drop.y, 1);
    }
    // Each drop was one message, to the view under its point only.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(left->fDrops.Entries().size(), 1u);
    EXPECT_EQ(right->fDrops.Entries().size(), 1u);

    window->Lock();
    window->Quit();
}
