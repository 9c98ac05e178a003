// Windows and the view tree on the offscreen display, driven only by injected input.

#include "WindowTestSupport.h"

#include <AppDefs.h>
#include <Archivable.h>
#include <Bitmap.h>
#include <DataIO.h>
#include <Entry.h>
#include <Font.h>
#include <InterfaceDefs.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

using namespace window_test;

namespace {

constexpr rgb_color kRed = {255, 0, 0, 255};
constexpr rgb_color kBlue = {0, 0, 255, 255};
constexpr rgb_color kGrey = {216, 216, 216, 255};

// A view that fills itself with its high colour and records the input it gets.
class ProbeView : public BView {
public:
    ProbeView(BRect frame, const char* name, uint32 mode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
              uint32 flags = B_WILL_DRAW)
        : BView(frame, name, mode, flags)
    {
        SetHighColor(kRed);
    }

    void Draw(BRect) override
    {
        draws++;
        FillRect(Bounds());
    }
    void MouseDown(BPoint where) override
    {
        int32 clicks = 0;
        Window()->CurrentMessage()->FindInt32("clicks", &clicks);
        events.push_back("down " + std::to_string((int)where.x) + "," +
                         std::to_string((int)where.y) + " x" + std::to_string(clicks));
        if (capture)
            SetMouseEventMask(B_POINTER_EVENTS);
    }
    void MouseUp(BPoint where) override
    {
        events.push_back("up " + std::to_string((int)where.x) + "," + std::to_string((int)where.y));
    }
    void KeyDown(const char* bytes, int32 numBytes) override
    {
        events.push_back(std::string("key ") + bytes);
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
    std::atomic<int> draws{0};
    bool capture = false;
};

class TestWindow : public BWindow {
public:
    explicit TestWindow(BRect frame = BRect(100, 100, 299, 199))
        : BWindow(frame, "test", B_TITLED_WINDOW, B_ASYNCHRONOUS_CONTROLS)
    {
    }
    bool QuitRequested() override
    {
        quitRequests++;
        return allowQuit;
    }
    std::atomic<int> quitRequests{0};
    std::atomic<bool> allowQuit{true};
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { offscreen(); }
    Watchdog fWatchdog;
};

} // namespace

TEST_F(WindowTest, ViewsDrawIntoTheFrameTheWindowShows)
{
    auto* window = new TestWindow();
    auto* background = new BView(window->Bounds(), "background", B_FOLLOW_ALL, 0);
    background->SetViewColor(kGrey);
    auto* probe = new ProbeView(BRect(10, 20, 29, 39), "probe");
    background->AddChild(probe);
    window->AddChild(background);
    window->Show();

    const BPrivate::DisplayFrame frame = frame_of(window);
    ASSERT_EQ(frame.width, 200);
    ASSERT_EQ(frame.height, 100);
    // Rectangles are inclusive: the probe covers 20 by 20 pixels, no more.
    EXPECT_EQ(pixel(frame, 10, 20), kRed);
    EXPECT_EQ(pixel(frame, 29, 39), kRed);
    EXPECT_EQ(pixel(frame, 30, 39), kGrey);
    EXPECT_EQ(pixel(frame, 29, 40), kGrey);
    EXPECT_EQ(pixel(frame, 9, 20), kGrey);

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

TEST_F(WindowTest, ClicksReachTheViewUnderThePointerInItsCoordinates)
{
    auto* window = new TestWindow();
    auto* outer = new ProbeView(BRect(50, 10, 149, 89), "outer");
    auto* inner = new ProbeView(BRect(10, 10, 29, 29), "inner");
    outer->AddChild(inner);
    window->AddChild(outer);
    window->Show();

    click(window, BPoint(65, 25));  // inside inner
    click(window, BPoint(120, 80)); // outer only
    click(window, BPoint(5, 5));    // no view of ours
    {
        Locked lock(window);
        EXPECT_EQ(inner->events, (std::vector<std::string>{"down 5,5 x1", "up 5,5"}));
        EXPECT_EQ(outer->events, (std::vector<std::string>{"down 70,70 x1", "up 70,70"}));
    }
    close(window);
}

TEST_F(WindowTest, QuickSecondClickAtTheSamePlaceCountsAsDoubleClick)
{
    auto* window = new TestWindow();
    auto* probe = new ProbeView(BRect(0, 0, 99, 99), "probe");
    window->AddChild(probe);
    window->Show();

    click(window, BPoint(10, 10));
    click(window, BPoint(11, 10));
    click(window, BPoint(60, 60)); // too far: a new first click
    {
        Locked lock(window);
        ASSERT_EQ(probe->events.size(), 6u);
        EXPECT_EQ(probe->events[0], "down 10,10 x1");
        EXPECT_EQ(probe->events[2], "down 11,10 x2");
        EXPECT_EQ(probe->events[4], "down 60,60 x1");
    }
    close(window);
}

TEST_F(WindowTest, ViewThatAsksForThePointerGetsItsEventsUntilMouseUp)
{
    auto* window = new TestWindow();
    auto* left = new ProbeView(BRect(0, 0, 49, 99), "left");
    auto* right = new ProbeView(BRect(100, 0, 149, 99), "right");
    left->capture = true;
    window->AddChild(left);
    window->AddChild(right);
    window->Show();

    BPrivate::Display* display = offscreen();
    display->MouseDown(id_of(window), BPoint(10, 10));
    display->MouseMoved(id_of(window), BPoint(120, 50));
    display->MouseUp(id_of(window), BPoint(120, 50));
    click(window, BPoint(120, 50));
    {
        Locked lock(window);
        EXPECT_EQ(left->events, (std::vector<std::string>{"down 10,10 x1", "up 120,50"}));
        EXPECT_EQ(right->events, (std::vector<std::string>{"down 20,50 x1", "up 20,50"}));
    }
    close(window);
}

TEST_F(WindowTest, TabMovesTheFocusAmongNavigableViewsAndKeysGoToTheFocus)
{
    auto* window = new TestWindow();
    auto* first = new ProbeView(BRect(0, 0, 9, 9), "first", 0, B_NAVIGABLE);
    auto* plain = new ProbeView(BRect(20, 0, 29, 9), "plain", 0, 0);
    auto* hidden = new ProbeView(BRect(40, 0, 49, 9), "hidden", 0, B_NAVIGABLE);
    auto* box = new BView(BRect(0, 20, 99, 99), "box", 0, 0);
    auto* nested = new ProbeView(BRect(0, 0, 9, 9), "nested", 0, B_NAVIGABLE);
    box->AddChild(nested);
    window->AddChild(first);
    window->AddChild(plain);
    window->AddChild(hidden);
    window->AddChild(box);
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
    {
        Locked lock(window);
        // The first Tab came with no focus: the window itself took it.
        EXPECT_EQ(first->events, (std::vector<std::string>{"key a", "key \t", "key \t"}));
        EXPECT_TRUE(plain->events.empty());
    }
    close(window);
}

TEST_F(WindowTest, RawCharIsTheKeyWithoutShift)
{
    // Keyboard shortcuts compare letters by raw_char: Shift or Caps Lock must not change it.
    struct RawCharView : BView {
        RawCharView() : BView(BRect(0, 0, 9, 9), "raw", 0, B_NAVIGABLE) {}
        void KeyDown(const char* bytes, int32) override
        {
            int32 raw = 0;
            Window()->CurrentMessage()->FindInt32("raw_char", &raw);
            seen.push_back(std::string(bytes) + "=" + std::string(1, (char)raw));
        }
        std::vector<std::string> seen;
    };
    auto* window = new TestWindow();
    auto* view = new RawCharView();
    window->AddChild(view);
    window->Show();
    {
        Locked lock(window);
        view->MakeFocus(true);
    }
    type(window, "Q", B_SHIFT_KEY);
    type(window, "q");
    type(window, "7");
    {
        Locked lock(window);
        EXPECT_EQ(view->seen, (std::vector<std::string>{"Q=q", "q=q", "7=7"}));
    }
    close(window);
}

TEST_F(WindowTest, CommandShortcutRunsBeforeTheFocusViewSeesTheKey)
{
    auto* window = new TestWindow();
    auto* probe = new ProbeView(BRect(0, 0, 9, 9), "probe", 0, B_NAVIGABLE);
    window->AddChild(probe);
    Recorder* recorder = new Recorder();
    window->AddShortcut('Q', 0, new BMessage('quit'), recorder);
    window->Show();
    {
        Locked lock(window);
        probe->MakeFocus(true);
    }
    type(window, "q", B_COMMAND_KEY);
    ASSERT_TRUE(recorder->WaitFor(1));
    EXPECT_EQ(recorder->Messages()[0].what, (uint32)'quit');

    std::atomic<int> invoked{0};
    {
        Locked lock(window);
        BPrivate::add_window_shortcut(window, 'w', B_SHIFT_KEY, probe, [&] { invoked++; });
    }
    type(window, "w", B_COMMAND_KEY);               // Shift not held: no match
    type(window, "w", B_COMMAND_KEY | B_SHIFT_KEY); // match
    type(window, "W", B_COMMAND_KEY | B_SHIFT_KEY); // letters match either case
    EXPECT_EQ(invoked.load(), 2);
    {
        Locked lock(window);
        EXPECT_EQ(probe->events, (std::vector<std::string>{"key w"}));
        // Shortcuts go with the view that owned them.
        window->RemoveChild(probe);
        delete probe;
    }
    type(window, "w", B_COMMAND_KEY | B_SHIFT_KEY);
    EXPECT_EQ(invoked.load(), 2);
    recorder->Stop();
    close(window);
}

TEST_F(WindowTest, AViewDeletedInAShownWindowLeavesItCleanly)
{
    auto* window = new TestWindow();
    auto* probe = new ProbeView(BRect(0, 0, 49, 49), "probe", 0, B_NAVIGABLE);
    window->AddChild(probe);
    window->Show();
    {
        Locked lock(window);
        probe->MakeFocus(true);
        delete probe;
        EXPECT_EQ(window->CurrentFocus(), nullptr);
        EXPECT_EQ(window->CountChildren(), 0);
    }
    // Input and drawing where it was reach nothing stale.
    click(window, BPoint(10, 10));
    type(window, "x");
    EXPECT_EQ(pixel(frame_of(window), 10, 10), (rgb_color{255, 255, 255, 255}));
    close(window);
}

TEST_F(WindowTest, DroppedFilesArriveAsRefsAtTheViewUnderTheDropPoint)
{
    auto* window = new TestWindow();
    auto* left = new ProbeView(BRect(0, 0, 49, 99), "left");
    auto* right = new ProbeView(BRect(100, 0, 149, 99), "right");
    window->AddChild(left);
    window->AddChild(right);
    window->Show();

    offscreen()->DropFiles(id_of(window), BPoint(120, 40), {"/tmp/a song.mid", "/b.mid"});
    // Only absolute paths name files; nothing is delivered for a drop of none.
    offscreen()->DropFiles(id_of(window), BPoint(10, 10), {"relative.mid", ""});
    settle(window);
    {
        Locked lock(window);
        EXPECT_EQ(right->events, (std::vector<std::string>{"drop /tmp/a song.mid dropped",
                                                           "drop /b.mid dropped"}));
        EXPECT_TRUE(left->events.empty());
    }
    close(window);
}

TEST_F(WindowTest, CloseBoxAsksQuitRequested)
{
    auto* window = new TestWindow();
    window->allowQuit = false;
    window->Show();
    offscreen()->CloseRequested(id_of(window));
    settle(window);
    EXPECT_EQ(window->quitRequests.load(), 1);
    EXPECT_TRUE(BMessenger(nullptr, window).IsValid());

    window->allowQuit = true;
    BMessenger messenger(nullptr, window);
    offscreen()->CloseRequested(id_of(window));
    for (int i = 0; i < 500 && messenger.IsValid(); i++)
        snooze(10000);
    EXPECT_FALSE(messenger.IsValid());
}

TEST_F(WindowTest, UpdateIfNeededDrawsWhileTheWindowThreadIsBusy)
{
    // The window's thread works on one long message; meanwhile what it changes must show.
    struct Busy : TestWindow {
        ProbeView* probe = nullptr;
        std::mutex lock;
        std::condition_variable changed;
        bool drawn = false;
        bool release = false;
        void MessageReceived(BMessage* message) override
        {
            if (message->what != 'busy') {
                TestWindow::MessageReceived(message);
                return;
            }
            probe->SetHighColor(kBlue);
            probe->Invalidate();
            UpdateIfNeeded();
            std::unique_lock<std::mutex> guard(lock);
            drawn = true;
            changed.notify_all();
            changed.wait(guard, [this] { return release; });
        }
    };
    auto* window = new Busy();
    window->probe = new ProbeView(BRect(0, 0, 19, 19), "probe");
    window->AddChild(window->probe);
    window->Show();
    EXPECT_EQ(pixel(frame_of(window), 5, 5), kRed);

    window->PostMessage('busy');
    {
        std::unique_lock<std::mutex> guard(window->lock);
        window->changed.wait(guard, [window] { return window->drawn; });
    }
    BPrivate::DisplayFrame frame;
    ASSERT_TRUE(offscreen()->CopyFrame(id_of(window), frame));
    EXPECT_EQ(pixel(frame, 5, 5), kBlue);
    {
        std::lock_guard<std::mutex> guard(window->lock);
        window->release = true;
    }
    window->changed.notify_all();
    close(window);
}

TEST_F(WindowTest, ChildrenFollowTheirParentByTheirResizingModes)
{
    auto* window = new TestWindow(BRect(0, 0, 199, 99));
    auto* all = new BView(BRect(10, 10, 189, 89), "all", B_FOLLOW_ALL_SIDES, 0);
    auto* right = new BView(BRect(150, 10, 189, 29), "right", B_FOLLOW_RIGHT | B_FOLLOW_TOP, 0);
    auto* wide = new BView(BRect(0, 0, 199, 19), "wide", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, 0);
    auto* centre =
        new BView(BRect(90, 40, 109, 59), "centre", B_FOLLOW_H_CENTER | B_FOLLOW_V_CENTER, 0);
    auto* fixed = new BView(BRect(5, 5, 14, 14), "fixed", B_FOLLOW_LEFT | B_FOLLOW_TOP, 0);
    window->AddChild(all);
    window->AddChild(right);
    window->AddChild(wide);
    window->AddChild(centre);
    window->AddChild(fixed);

    window->ResizeBy(100, 50);
    EXPECT_EQ(window->Bounds(), BRect(0, 0, 299, 149));
    EXPECT_EQ(all->Frame(), BRect(10, 10, 289, 139));
    EXPECT_EQ(right->Frame(), BRect(250, 10, 289, 29));
    EXPECT_EQ(wide->Frame(), BRect(0, 0, 299, 19));
    EXPECT_EQ(centre->Frame(), BRect(140, 65, 159, 84));
    EXPECT_EQ(fixed->Frame(), BRect(5, 5, 14, 14));
    delete window; // never shown, never run
}

TEST_F(WindowTest, ViewTreeSurvivesArchiveAndInstantiate)
{
    BView root(BRect(0, 0, 350, 130), "BGView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_FRAME_EVENTS);
    root.SetViewColor(kGrey);
    auto* child = new BView(BRect(10, 45, 340, 120), "BoxChMasks", B_FOLLOW_LEFT | B_FOLLOW_TOP,
                            B_WILL_DRAW | B_NAVIGABLE);
    BFont bold(be_bold_font);
    bold.SetSize(10);
    child->SetFont(&bold);
    child->AddChild(new BView(BRect(10, 20, 40, 40), "leaf", 0, 0));
    root.AddChild(child);

    BMessage archive;
    ASSERT_EQ(root.Archive(&archive, true), B_OK);
    BMallocIO flat;
    ASSERT_EQ(archive.Flatten(&flat), B_OK);
    flat.Seek(0, SEEK_SET);
    BMessage read;
    ASSERT_EQ(read.Unflatten(&flat), B_OK);

    std::unique_ptr<BArchivable> object(instantiate_object(&read));
    auto* copy = dynamic_cast<BView*>(object.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy->Name(), "BGView");
    EXPECT_EQ(copy->Frame(), BRect(0, 0, 350, 130));
    EXPECT_EQ(copy->ResizingMode(), (uint32)B_FOLLOW_ALL_SIDES);
    EXPECT_EQ(copy->Flags(), (uint32)(B_WILL_DRAW | B_FRAME_EVENTS));
    EXPECT_EQ(copy->ViewColor(), kGrey);
    ASSERT_EQ(copy->CountChildren(), 1);
    BView* box = copy->ChildAt(0);
    EXPECT_STREQ(box->Name(), "BoxChMasks");
    EXPECT_EQ(box->Frame(), BRect(10, 45, 340, 120));
    BFont font;
    box->GetFont(&font);
    EXPECT_EQ(font, bold);
    ASSERT_EQ(box->CountChildren(), 1);
    EXPECT_EQ(copy->FindView("leaf")->Frame(), BRect(10, 20, 40, 40));

    // An archive of a class this program does not know makes the nearest class it does.
    BMessage unknown(read);
    unknown.RemoveName("class");
    unknown.AddString("class", "SomeoneElsesView");
    unknown.AddString("class", "BView");
    unknown.AddString("class", "BHandler");
    std::unique_ptr<BArchivable> nearest(instantiate_object(&unknown));
    EXPECT_NE(dynamic_cast<BView*>(nearest.get()), nullptr);
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

TEST_F(WindowTest, PaletteBitmapDrawnWithAlphaLeavesItsTransparentPixelsAlone)
{
    // A 4 x 1 icon: two opaque palette entries, then two transparent pixels.
    BBitmap icon(BRect(0, 0, 3, 0), B_CMAP8);
    const uint8 indices[4] = {0, 63, B_TRANSPARENT_MAGIC_CMAP8, B_TRANSPARENT_MAGIC_CMAP8};
    icon.SetBits(indices, 4, 0, B_CMAP8);

    struct IconView : BView {
        const BBitmap* icon;
        IconView(const BBitmap* bitmap)
            : BView(BRect(0, 0, 19, 19), "icon", B_FOLLOW_NONE, B_WILL_DRAW), icon(bitmap)
        {
            SetViewColor(kGrey);
        }
        void Draw(BRect) override
        {
            SetDrawingMode(B_OP_ALPHA);
            SetBlendingMode(B_PIXEL_ALPHA, B_ALPHA_OVERLAY);
            DrawBitmap(icon, BPoint(2, 2));
        }
    };
    auto* window = new TestWindow();
    window->AddChild(new IconView(&icon));
    window->Show();
    const BPrivate::DisplayFrame frame = frame_of(window);
    const color_map* palette = system_colors();
    rgb_color first = palette->color_list[0];
    rgb_color second = palette->color_list[63];
    first.alpha = second.alpha = 255;
    EXPECT_EQ(pixel(frame, 2, 2), first);
    EXPECT_EQ(pixel(frame, 3, 2), second);
    EXPECT_EQ(pixel(frame, 4, 2), kGrey);
    EXPECT_EQ(pixel(frame, 5, 2), kGrey);
    close(window);
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
    auto* window = new TestWindow();
    auto* view = new ProbeView(BRect(0, 0, 9, 9), "probe");
    window->AddChild(view);
    window->Show();
    for (const auto& each : cases)
        EXPECT_DEATH(each.use(view), each.call) << each.call;
    close(window);
}
#endif
