// An executable whose view resource is missing: linked without any resources.

#include "AppDriver.h"
#include "iap/IAPItem.h"
#include "ui/BasicWindow.h"

using namespace app_test;

TEST_F(AppFixture, WithoutItsViewResourceTheWindowStaysEmptyAndStillEndsTheRun)
{
    RunningApp app;
    BMessenger window(app.Window());
    window.SendMessage(kLanguageChangedMessage);
    BMessage changed(kIAPValueMessage);
    changed.AddString(kIAPSrcItemField, "AccKeyFormat2");
    changed.AddString("AccKeyFormat2", "");
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
