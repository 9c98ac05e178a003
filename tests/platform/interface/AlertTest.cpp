// Alerts: the window a user answers, and the terminal form of programs that run no windows.

#include <Alert.h>
#include <Application.h>

#include "Environment.h"
#include "GoldenImage.h"
#include "WindowTestSupport.h"

#include <atomic>
#include <cerrno>
#include <iterator>

using namespace window_test;

namespace {

enum { kAsk = 'ask ', kAnswer = 'answ' };

// A window whose handler asks an alert, as a program's window does, and reports the answer.
class AskingWindow : public BWindow {
public:
    AskingWindow(Recorder* recorder)
        : BWindow(BRect(50, 50, 249, 149), "asking", B_TITLED_WINDOW, 0), fRecorder(recorder)
    {
        fView = new BView(Bounds(), "paper", B_FOLLOW_ALL, B_WILL_DRAW);
        fView->SetViewColor(255, 255, 255);
        AddChild(fView);
    }
    void MessageReceived(BMessage* message) override
    {
        if (message->what != kAsk) {
            BWindow::MessageReceived(message);
            return;
        }
        auto* alert = new BAlert("Save changes?",
                                 "Save changes?\n\nThe document has changes that were "
                                 "not saved. They are lost unless you save them now.",
                                 "Cancel", "Save", nullptr, B_WIDTH_AS_USUAL, B_WARNING_ALERT);
        alert->SetShortcut(0, B_ESCAPE);
        alert->SetShortcut(1, 's');
        // What the window shows changes just before it waits: only a window that keeps
        // drawing while the alert is up shows it.
        fView->SetViewColor(200, 0, 0);
        fView->Invalidate();
        current = alert;
        const int32 index = alert->Go();
        current = nullptr;
        BMessage answer(kAnswer);
        answer.AddInt32("index", index);
        fRecorder->PostMessage(&answer);
    }

    std::atomic<BAlert*> current{nullptr};

private:
    Recorder* fRecorder;
    BView* fView;
};

BWindow* wait_for_alert_window(AskingWindow* window)
{
    BWindow* alertWindow = nullptr;
    eventually([&] {
        BAlert* alert = window->current.load();
        return alert != nullptr && (alertWindow = BPrivate::alert_window_of(alert)) != nullptr;
    });
    return alertWindow;
}

struct AlertFixture : ::testing::Test {
    static void SetUpTestSuite()
    {
        offscreen();
        // Alerts show windows only in programs that have an application.
        if (be_app == nullptr)
            new BApplication("application/x-vnd.test-alerts");
    }
    void SetUp() override
    {
        recorder = new Recorder();
        window = new AskingWindow(recorder);
        window->Show();
    }
    void TearDown() override
    {
        close(window);
        recorder->Stop();
    }

    Watchdog watchdog;
    // The offscreen display shows alert windows only when asked to.
    ScopedVariable alerts{"BE_ALERT", "window"};
    Recorder* recorder = nullptr;
    AskingWindow* window = nullptr;
};

TEST_F(AlertFixture, GoFromAWindowAnswersTheButtonClickedOrKeyedAndKeepsTheWindowDrawing)
{
    window->PostMessage(kAsk);
    BWindow* alertWindow = wait_for_alert_window(window);
    ASSERT_NE(alertWindow, nullptr);
    const BPrivate::DisplayFrame shot = frame_of(alertWindow);
    EXPECT_TRUE(matches_golden(shot, "alert_warning"));

    // The asking window is stuck in Go(), yet shows its red paper.
    BPrivate::DisplayFrame asking;
    EXPECT_TRUE(eventually([&] {
        return offscreen()->CopyFrame(id_of(window), asking) &&
               pixel(asking, 100, 50) == make_color(200, 0, 0);
    }));

    // Centred on the screen.
    const BRect screen = offscreen()->ScreenFrame();
    EXPECT_NEAR(alertWindow->Frame().left + alertWindow->Frame().Width() / 2, screen.Width() / 2,
                1);

    // The second button is the rightmost, 10 pixels from the right and bottom edges.
    offscreen()->MouseDown(id_of(alertWindow), BPoint(shot.width - 20, shot.height - 20));
    offscreen()->MouseUp(id_of(alertWindow), BPoint(shot.width - 20, shot.height - 20));
    ASSERT_TRUE(recorder->WaitFor(1));
    EXPECT_EQ(int32_of(recorder->Messages()[0], "index"), 1);
    EXPECT_EQ(window->current.load(), nullptr);

    // Escape and the shortcut key press their buttons.
    const struct {
        const char* key;
        int32 index;
    } cases[] = {{"\x1b", 0}, {"S", 1}};
    for (size_t i = 0; i < std::size(cases); i++) {
        window->PostMessage(kAsk);
        alertWindow = wait_for_alert_window(window);
        ASSERT_NE(alertWindow, nullptr);
        type(alertWindow, cases[i].key);
        ASSERT_TRUE(recorder->WaitFor(i + 2));
        EXPECT_EQ(int32_of(recorder->Messages()[i + 1], "index"), cases[i].index) << cases[i].key;
    }
}

// Under BE_ALERT=terminal, and in an application on the offscreen display (where nobody could
// press the button of an alert window: the program would wait for ever), an alert is one line
// on standard error under the program's name, the title said once, no imitation of buttons;
// Go() answers the first button.
TEST(AlertTerminalTest, AlertsWithoutAWindowWriteOneLineToStandardErrorAndAnswerZero)
{
    offscreen();
    if (be_app == nullptr)
        new BApplication("application/x-vnd.test-alerts");
    const struct {
        const char* setting;
        const char* text;
        const char* said;
    } cases[] = {
        {"terminal", "Title\n\nSomething went wrong.", "Something went wrong."},
        {nullptr, "Done.", "Done."},
    };
    for (const auto& each : cases) {
        ScopedVariable alerts("BE_ALERT", each.setting);
        ::testing::internal::CaptureStderr();
        auto* alert = new BAlert("Title", each.text, "OK", "Cancel", nullptr, B_WIDTH_AS_USUAL,
                                 B_WARNING_ALERT);
        alert->SetShortcut(1, B_ESCAPE);
        EXPECT_EQ(alert->Go(), 0);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  std::string(program_invocation_short_name) + ": " + each.said + "\n");
    }
}

} // namespace
