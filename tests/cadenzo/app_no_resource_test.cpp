// An executable linked without any resources: no view trees, no icons. The main window stays
// empty, the Preferences window cannot be shown, the About box shows its texts.

#include "AppDriver.h"
#include "app/AppConstants.h"
#include "ui/BasicWindow.h"

#include <AppDefs.h>

using namespace app_test;

TEST_F(AppFixture, WithoutItsViewResourceTheWindowStaysEmptyAndStillEndsTheRun)
{
    RunningApp app;
    BMessenger window(app.Window());
    window.SendMessage(kLanguageChangedMessage);
    BMessage changed = format_message("");
    window.SendMessage(&changed);
    app.Settle();
    {
        Locked lock(app.Window());
        EXPECT_EQ(app.Window()->InitCheck(), B_NO_INIT);
        EXPECT_EQ(app.View(), nullptr);
        EXPECT_EQ(app.Window()->KeyMenuBar(), nullptr);
        EXPECT_EQ(app.Window()->CountChildren(), 0);
    }
    app.CloseBox();
    EXPECT_TRUE(app.Ended(std::chrono::seconds(10)));
}

// Each request says the window cannot be shown; the notifications the application relays to
// the Preferences window meanwhile go nowhere, instead of filling a queue nobody reads until
// the application blocks on it.
TEST_F(AppFixture, WithoutItsViewTreePreferencesAlertsEachTimeAndTheRelaysNeverBlock)
{
    StderrCapture alerts;
    RunningApp app;
    for (size_t request = 1; request <= 2; request++) {
        be_app_messenger.SendMessage(kPreferencesCommand);
        settle_app();
        EXPECT_EQ(alerts.Count("@Err_Cannot_Show_Prefs_Win@"), request);
        EXPECT_EQ(kept_window(&TCadenzoApp::PrefsWindow), nullptr);
    }
    EXPECT_GT(alerts.Count("@Hint_Excutable_Maybe_Broken@"), 0u);
    BMessage changed = format_message("");
    for (int i = 0; i < 2000; i++) {
        ASSERT_EQ(be_app_messenger.SendMessage(kChannelMasksChanged), B_OK);
        ASSERT_EQ(be_app_messenger.SendMessage(&changed), B_OK);
    }
    settle_app();
}

// Without icons the About box still opens, with its title.
TEST_F(AppFixture, WithoutItsIconsAboutStillShowsTheApplication)
{
    RunningApp app;
    be_app_messenger.SendMessage(B_ABOUT_REQUESTED);
    settle_app();
    TVANTORAboutWindow* window = kept_window(&TCadenzoApp::AboutWindow);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(ShownWindow(window).Hidden());
    EXPECT_EQ(ShownWindow(window).Title(), "About Cadenzo");
}
