// Windows and the view tree on the offscreen display, driven only by injected input.

#include "WindowTestSupport.h"

#include <AppDefs.h>
#include <Bitmap.h>
#include <Entry.h>
#include <InterfaceDefs.h>

#include <atomic>

using namespace window_test;

namespace {

constexpr rgb_color kRed = {255, 0, 0, 255};
constexpr rgb_color kBlue = {0, 0, 255, 255};
constexpr rgb_color kGrey = {216, 216, 216, 255};

std::string text(BPoint where)
{
    return std::to_string((int)where.x) + "," + std::to_string((int)where.y);
}

// A view that fills itself with its high colour and records the input it gets.
class ProbeView : public BView {
public:
    ProbeView(BRect frame, const char* name, uint32 mode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
              uint32 flags = B_WILL_DRAW)
        : BView(frame, name, mode, flags)
    {
        SetHighColor(kRed);
    }

    void Draw(BRect) override { FillRect(Bounds()); }
    void MouseDown(BPoint where) override
    {
        int32 clicks = 0;
        Window()->CurrentMessage()->FindInt32("clicks", &clicks);
        events.push_back("down " + text(where) + " x" + std::to_string(clicks));
        if (capture)
            SetMouseEventMask(B_POINTER_EVENTS);
    }
    void MouseUp(BPoint where) override { events.push_back("up " + text(where)); }
    // Keyboard shortcuts compare letters by raw_char: Shift or Caps Lock must not change it.
    void KeyDown(const char* bytes, int32 numBytes) override
    {
        int32 raw = 0;
        Window()->CurrentMessage()->FindInt32("raw_char", &raw);
        events.push_back(std::string("key ") + bytes + "=" + std::string(1, (char)raw));
        BView::KeyDown(bytes, numBytes);
    }
    void MessageReceived(BMessage* message) override
    {
        if (message->what == B_SIMPLE_DATA) {
            entry_ref ref;
            for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++)
                events.push_back("drop " + ref.Path() +
                                 (message->WasDropped() ? " dropped" : " posted"));
            return;
        }
        BView::MessageReceived(message);
    }

    std::vector<std::string> events;
    bool capture = false;
};

BWindow* new_window(BRect frame = BRect(100, 100, 299, 199))
{
    return new BWindow(frame, "test", B_TITLED_WINDOW, B_ASYNCHRONOUS_CONTROLS);
}

// Draws a 4 x 1 palette icon (two opaque entries, then two transparent pixels) with alpha.
class IconView : public BView {
public:
    explicit IconView(BRect frame) : BView(frame, "icon", B_FOLLOW_NONE, B_WILL_DRAW)
    {
        const uint8 indices[4] = {0, 63, B_TRANSPARENT_MAGIC_CMAP8, B_TRANSPARENT_MAGIC_CMAP8};
        fIcon.SetBits(indices, 4, 0, B_CMAP8);
        SetViewColor(kGrey);
    }
    void Draw(BRect) override
    {
        SetDrawingMode(B_OP_ALPHA);
        SetBlendingMode(B_PIXEL_ALPHA, B_ALPHA_OVERLAY);
        DrawBitmap(&fIcon, BPoint(2, 2));
    }

private:
    BBitmap fIcon{BRect(0, 0, 3, 0), B_CMAP8};
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { offscreen(); }
    Watchdog fWatchdog;
};

} // namespace

TEST_F(WindowTest, ViewsDrawIntoTheFrameTheWindowShows)
{
    auto* window = new_window();
    auto* background = new BView(window->Bounds(), "background", B_FOLLOW_ALL, 0);
    background->SetViewColor(kGrey);
    auto* probe = new ProbeView(BRect(10, 20, 29, 39), "probe");
    background->AddChild(probe);
    background->AddChild(new IconView(BRect(100, 50, 119, 69)));
    window->AddChild(background);
    window->Show();

    const BPrivate::DisplayFrame frame = frame_of(window);
    ASSERT_EQ(frame.width, 200);
    ASSERT_EQ(frame.height, 100);
    // Rectangles are inclusive: the probe covers 20 by 20 pixels, no more. A palette bitmap
    // drawn with alpha leaves its transparent pixels alone.
    const rgb_color* palette = system_colors()->color_list;
    const struct {
        int32 x, y;
        rgb_color color;
    } expected[] = {{10, 20, kRed},         {29, 39, kRed},   {30, 39, kGrey},
                    {29, 40, kGrey},        {9, 20, kGrey},   {102, 52, palette[0]},
                    {103, 52, palette[63]}, {104, 52, kGrey}, {105, 52, kGrey}};
    for (const auto& each : expected)
        EXPECT_EQ(pixel(frame, each.x, each.y), each.color) << each.x << "," << each.y;

    {
        Locked lock(window);
        probe->SetHighColor(kBlue);
        probe->Invalidate(BRect(0, 0, 4, 4));
    }
    const BPrivate::DisplayFrame after = frame_of(window);
    EXPECT_EQ(pixel(after, 10, 20), kBlue);
    // Only what was invalidated is drawn again.
    EXPECT_EQ(pixel(after, 29, 39), kRed);
    close(window);
}

TEST_F(WindowTest, PointerInputAndDropsReachTheViewUnderThePointerInItsCoordinates)
{
    auto* window = new_window();
    auto* left = new ProbeView(BRect(0, 0, 39, 99), "left");
    auto* outer = new ProbeView(BRect(50, 10, 149, 89), "outer");
    auto* inner = new ProbeView(BRect(10, 10, 29, 29), "inner");
    left->capture = true;
    outer->AddChild(inner);
    window->AddChild(left);
    window->AddChild(outer);
    window->Show();

    click(window, BPoint(65, 25));  // inside inner
    click(window, BPoint(120, 80)); // outer only
    click(window, BPoint(121, 80)); // quick and near: a double click
    click(window, BPoint(60, 60));  // too far: a new first click
    click(window, BPoint(180, 5));  // no view of ours
    // A view that asks for the pointer gets its events until the mouse is let go.
    BPrivate::Display* display = offscreen();
    display->MouseDown(id_of(window), BPoint(10, 10));
    display->MouseMoved(id_of(window), BPoint(120, 50));
    display->MouseUp(id_of(window), BPoint(120, 50));
    click(window, BPoint(120, 50));
    display->DropFiles(id_of(window), BPoint(120, 40), {"/tmp/a song.mid", "/b.mid"});
    // Only absolute paths name files; nothing is delivered for a drop of none.
    display->DropFiles(id_of(window), BPoint(10, 10), {"relative.mid", ""});
    settle(window);
    {
        Locked lock(window);
        EXPECT_EQ(inner->events, (std::vector<std::string>{"down 5,5 x1", "up 5,5"}));
        EXPECT_EQ(left->events, (std::vector<std::string>{"down 10,10 x1", "up 120,50"}));
        EXPECT_EQ(outer->events, (std::vector<std::string>{
                                     "down 70,70 x1", "up 70,70", "down 71,70 x2", "up 71,70",
                                     "down 10,50 x1", "up 10,50", "down 70,40 x1", "up 70,40",
                                     "drop /tmp/a song.mid dropped", "drop /b.mid dropped"}));
    }
    close(window);
}

TEST_F(WindowTest, TabMovesTheFocusAmongNavigableViewsAndKeysGoToTheFocus)
{
    auto* window = new_window();
    auto* first = new ProbeView(BRect(0, 0, 9, 9), "first", 0, B_NAVIGABLE);
    auto* plain = new ProbeView(BRect(20, 0, 29, 9), "plain", 0, 0);
    auto* hidden = new ProbeView(BRect(40, 0, 49, 9), "hidden", 0, B_NAVIGABLE);
    auto* box = new BView(BRect(0, 20, 99, 99), "box", 0, 0);
    auto* nested = new ProbeView(BRect(0, 0, 9, 9), "nested", 0, B_NAVIGABLE);
    box->AddChild(nested);
    for (BView* view : std::initializer_list<BView*>{first, plain, hidden, box})
        window->AddChild(view);
    hidden->Hide();
    window->Show();

    auto focus = [window] {
        Locked lock(window);
        return std::string(window->CurrentFocus() ? window->CurrentFocus()->Name() : "none");
    };
    EXPECT_EQ(focus(), "none");
    type(window, "\t");
    EXPECT_EQ(focus(), "first");
    type(window, "a");
    type(window, "\t");
    EXPECT_EQ(focus(), "nested"); // the hidden one and the plain one are skipped
    type(window, "\t");
    EXPECT_EQ(focus(), "first"); // round the end
    type(window, "\t", B_SHIFT_KEY);
    EXPECT_EQ(focus(), "nested");
    type(window, "Q", B_SHIFT_KEY);
    type(window, "7");
    {
        Locked lock(window);
        // The first Tab came with no focus: the window itself took it.
        EXPECT_EQ(first->events, (std::vector<std::string>{"key a=a", "key \t=\t", "key \t=\t"}));
        EXPECT_EQ(nested->events, (std::vector<std::string>{"key \t=\t", "key Q=q", "key 7=7"}));
        EXPECT_TRUE(plain->events.empty());
    }
    close(window);
}

TEST_F(WindowTest, ShortcutsRunBeforeTheFocusSeesTheKeyAndGoWithTheirDeletedView)
{
    auto* window = new_window();
    auto* probe = new ProbeView(BRect(0, 0, 49, 49), "probe", 0, B_NAVIGABLE);
    window->AddChild(probe);
    Recorder* recorder = new Recorder();
    window->AddShortcut('Q', 0, new BMessage('quit'), recorder);
    window->Show();
    std::atomic<int> invoked{0};
    {
        Locked lock(window);
        probe->MakeFocus(true);
        BPrivate::add_window_shortcut(window, 'w', B_SHIFT_KEY, probe, [&] { invoked++; });
    }
    type(window, "q", B_COMMAND_KEY);
    ASSERT_TRUE(recorder->WaitFor(1));
    EXPECT_EQ(recorder->Messages()[0].what, (uint32)'quit');
    type(window, "w", B_COMMAND_KEY);               // Shift not held: no match
    type(window, "w", B_COMMAND_KEY | B_SHIFT_KEY); // match
    type(window, "W", B_COMMAND_KEY | B_SHIFT_KEY); // letters match either case
    EXPECT_EQ(invoked.load(), 2);
    {
        Locked lock(window);
        EXPECT_EQ(probe->events, (std::vector<std::string>{"key w=w"}));
        // Deleted while it has the focus, in a shown window.
        delete probe;
        EXPECT_EQ(window->CurrentFocus(), nullptr);
        EXPECT_EQ(window->CountChildren(), 0);
    }
    // Its shortcut went with it; input and drawing where it was reach nothing stale.
    type(window, "w", B_COMMAND_KEY | B_SHIFT_KEY);
    EXPECT_EQ(invoked.load(), 2);
    click(window, BPoint(10, 10));
    type(window, "x");
    EXPECT_EQ(pixel(frame_of(window), 10, 10), (rgb_color{255, 255, 255, 255}));
    recorder->Stop();
    close(window);
}

TEST_F(WindowTest, ChildrenFollowTheirParentByTheirResizingModes)
{
    const struct {
        uint32 mode;
        BRect frame;
        BRect resized; // once the window has grown by 100 x 50
    } cases[] = {
        {B_FOLLOW_ALL_SIDES, BRect(10, 10, 189, 89), BRect(10, 10, 289, 139)},
        {B_FOLLOW_RIGHT | B_FOLLOW_TOP, BRect(150, 10, 189, 29), BRect(250, 10, 289, 29)},
        {B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, BRect(0, 0, 199, 19), BRect(0, 0, 299, 19)},
        {B_FOLLOW_H_CENTER | B_FOLLOW_V_CENTER, BRect(90, 40, 109, 59), BRect(140, 65, 159, 84)},
        {B_FOLLOW_LEFT | B_FOLLOW_TOP, BRect(5, 5, 14, 14), BRect(5, 5, 14, 14)},
    };
    auto* window = new_window(BRect(0, 0, 199, 99));
    for (const auto& each : cases)
        window->AddChild(new BView(each.frame, "child", each.mode, 0));
    window->ResizeBy(100, 50);
    EXPECT_EQ(window->Bounds(), BRect(0, 0, 299, 149));
    for (int32 i = 0; i < window->CountChildren(); i++)
        EXPECT_EQ(window->ChildAt(i)->Frame(), cases[i].resized) << "mode " << cases[i].mode;
    delete window; // never shown, never run
}

TEST_F(WindowTest, ViewsInABitmapDrawIntoItsPixels)
{
    BBitmap bitmap(BRect(0, 0, 15, 7), B_BITMAP_ACCEPTS_VIEWS, B_RGBA32);
    ASSERT_EQ(bitmap.InitCheck(), B_OK);
    auto* view = new BView(bitmap.Bounds(), "painter", B_FOLLOW_NONE, 0);
    bitmap.AddChild(view);
    ASSERT_EQ(bitmap.CountChildren(), 1);
    ASSERT_TRUE(bitmap.Lock());
    view->SetHighColor(kBlue);
    view->FillRect(BRect(0, 0, 15, 7));
    view->SetHighColor(kRed);
    view->FillRect(BRect(4, 2, 5, 3));
    view->Sync();
    bitmap.Unlock();

    auto at = [&](int x, int y) {
        const uint8* row = (const uint8*)bitmap.Bits() + y * bitmap.BytesPerRow();
        return rgb_color{row[x * 4 + 2], row[x * 4 + 1], row[x * 4], row[x * 4 + 3]};
    };
    EXPECT_EQ(at(0, 0), kBlue);
    EXPECT_EQ(at(4, 2), kRed);
    EXPECT_EQ(at(5, 3), kRed);
    EXPECT_EQ(at(6, 3), kBlue);
    EXPECT_EQ(at(15, 7), kBlue);
}

#ifndef NDEBUG
// Debug builds hold callers to the lock rule for a shown window's views: adding a child or
// drawing outside Draw() without the window's lock stops the program, naming the call.
TEST_F(WindowTest, ChangingOrDrawingViewsWithoutTheLockStopsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        const char* call;
        void (*use)(BView* view);
    } cases[] = {
        {"BView::AddChild", [](BView* view) { view->AddChild(new BView(BRect(), "c", 0, 0)); }},
        {"drawing in a view", [](BView* view) { view->FillRect(view->Bounds()); }},
    };
    auto* window = new_window();
    auto* view = new ProbeView(BRect(0, 0, 9, 9), "probe");
    window->AddChild(view);
    window->Show();
    for (const auto& each : cases)
        EXPECT_DEATH(each.use(view), each.call) << each.call;
    close(window);
}
#endif
