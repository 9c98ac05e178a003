// The Preferences window and the About box of an executable without its resources: no view
// tree, no icons.

#include "PrefsDriver.h"
#include "app/AppConstants.h"
#include "app/CadenzoView.h"
#include "iap/IAPItem.h"

#include <AppDefs.h>

using namespace prefs_test;

namespace {

size_t count_of(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        count++;
    return count;
}

} // namespace

// Each request says the window cannot be shown; the notifications the application relays to
// the Preferences window meanwhile go nowhere, instead of filling a queue nobody reads until
// the application blocks on it.
TEST_F(AppFixture, WithoutItsViewTreePreferencesAlertsEachTimeAndTheRelaysNeverBlock)
{
    StderrCapture alerts;
    RunningApp app;
    for (int request = 1; request <= 2; request++) {
        be_app_messenger.SendMessage(kPreferencesCommand);
        settle_app();
        EXPECT_EQ(count_of(alerts.Text(), "@Err_Cannot_Show_Prefs_Win@"), (size_t)request);
        EXPECT_EQ(kept_window(&TCadenzoApp::PrefsWindow), nullptr);
    }
    EXPECT_NE(alerts.Text().find("@Hint_Excutable_Maybe_Broken@"), std::string::npos);
    for (int i = 0; i < 2000; i++) {
        ASSERT_EQ(be_app_messenger.SendMessage(kChannelMasksChanged), B_OK);
        BMessage changed(kIAPValueMessage);
        changed.AddString(kIAPSrcItemField, "AccKeyFormat2");
        changed.AddString("AccKeyFormat2", "");
        ASSERT_EQ(be_app_messenger.SendMessage(&changed), B_OK);
    }
    settle_app();
}

// Without icons the About box still opens, with every text.
TEST_F(AppFixture, WithoutItsIconsAboutStillShowsTheApplication)
{
    RunningApp app;
    be_app_messenger.SendMessage(B_ABOUT_REQUESTED);
    settle_app();
    TVANTORAboutWindow* window = kept_window(&TCadenzoApp::AboutWindow);
    ASSERT_NE(window, nullptr);
    const ShownWindow about(window);
    EXPECT_FALSE(about.Hidden());
    EXPECT_EQ(about.Read([](BWindow* w) { return std::string(w->Title()); }), "About Cadenzo");
}
