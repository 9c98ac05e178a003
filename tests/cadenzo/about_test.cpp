// The About box: opened from the Help menu, it names the application, its version, its
// maker and its translator, hides on OK and comes back as it was.

#include "PrefsDriver.h"
#include "about/AppInfoView.h"
#include "about/SimpleAboutView.h"

#include <Bitmap.h>
#include <StringView.h>

using namespace prefs_test;

namespace {

std::vector<std::string> texts(const ShownWindow& about)
{
    return about.Read([&](BWindow* window) {
        std::vector<std::string> shown = {window->Title()};
        for (const char* name :
             {"StrViewAppName", "StrViewAppVer", "StrViewCright", "StrViewTranslator"})
            shown.push_back(about.Find<BStringView>(name)->Text());
        shown.push_back(about.Find("ButtonOK")->Label());
        return shown;
    });
}

} // namespace

TEST_F(AppFixture, AboutShowsTheApplicationAndHidesOnOKToComeBackUnchanged)
{
    const std::vector<std::string> expected = {"About Cadenzo",
                                               "Cadenzo",
                                               "Ver 2.33",
                                               "Copyright (C) VANTOR. All rights reserved.",
                                               "English translation by VANTOR",
                                               "OK"};
    RunningApp app;
    const ShownWindow about = open_about(app);
    EXPECT_EQ(texts(about), expected);
    EXPECT_TRUE(about.Read([](BWindow* window) {
        return dynamic_cast<TSimpleAboutView*>(window->ChildAt(0))->InfoView()->Icon() != nullptr;
    }));
    about.Click("ButtonOK");
    EXPECT_TRUE(about.Hidden());
    const ShownWindow again = open_about(app);
    EXPECT_EQ(again.Window(), about.Window());
    EXPECT_FALSE(again.Hidden());
    EXPECT_EQ(texts(again), expected);
}

TEST(AppInfoView, PutsTheMakersNameForEveryAuthorPlaceholderOfTheNotice)
{
    const std::pair<const char*, const char*> cases[] = {
        {"No placeholder here.", "No placeholder here."},
        {"%AppAuthor% and %AppAuthor%", "VANTOR and VANTOR"},
    };
    for (const auto& [notice, shown] : cases) {
        TAppInfoView view(BRect(0, 0, 1, 1));
        view.SetAppInfo("Cadenzo", "Ver 2.33", notice);
        EXPECT_STREQ(dynamic_cast<BStringView*>(view.FindView("StrViewCright"))->Text(), shown);
    }
}

// Without a running application there is no type to take the icon from: the view draws none
// instead of letting the exception end the program.
TEST(AppInfoView, WithoutTheApplicationsTypeHasNoIcon)
{
    ASSERT_EQ(be_app, nullptr);
    TAppInfoView view(BRect(0, 0, 1, 1));
    EXPECT_EQ(view.Icon(), nullptr);
    EXPECT_EQ(view.Frame(), BRect(0, 0, 320, 198));
}
