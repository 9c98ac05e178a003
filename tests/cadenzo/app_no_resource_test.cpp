// An executable linked without any resources: no view trees, no icons. The main window stays
// empty, the Preferences window cannot be shown, the About box shows its texts.

#include "AppDriver.h"
#include "app/AppConstants.h"
#include "ui/BasicWindow.h"

#include <AppDefs.h>

using namespace app_test;

// The main window stays empty; each request of the Preferences window says it cannot be
// shown, and the notifications the application relays to it meanwhile go nowhere, instead of
// filling a queue nobody reads until the application blocks on it; the About box still opens,
// with its title; the close box still ends the run.
TEST_F(AppFixture, WithoutResourcesOnlyTheAboutBoxShowsAndTheRelaysNeverBlock)
{
    StderrCapture alerts;
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
    for (size_t request = 1; request <= 2; request++) {
        be_app_messenger.SendMessage(kPreferencesCommand);
        settle_app();
        EXPECT_EQ(alerts.Count("@Err_Cannot_Show_Prefs_Win@"), request);
        EXPECT_EQ(kept_window(&TCadenzoApp::PrefsWindow), nullptr);
    }
    EXPECT_GT(alerts.Count("@Hint_Excutable_Maybe_Broken@"), 0u);
    for (int i = 0; i < 2000; i++) {
        ASSERT_EQ(be_app_messenger.SendMessage(kChannelMasksChanged), B_OK);
        ASSERT_EQ(be_app_messenger.SendMessage(&changed), B_OK);
    }
    settle_app();

    be_app_messenger.SendMessage(B_ABOUT_REQUESTED);
    settle_app();
    TVANTORAboutWindow* about = kept_window(&TCadenzoApp::AboutWindow);
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(ShownWindow(about).Hidden());
    EXPECT_EQ(ShownWindow(about).Title(), "About Cadenzo");
    app.CloseBox();
    EXPECT_TRUE(app.Ended(std::chrono::seconds(10)));
}
