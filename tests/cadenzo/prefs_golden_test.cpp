// What the Preferences window and the About box look like, against the golden images in
// tests/cadenzo/golden, in English and Japanese and in two accelerator formats.
// UPDATE_GOLDENS=1 makes the frames the goldens.

#include "GoldenImage.h"
#include "PrefsDriver.h"
#include "iap/IAPItemAccKeyFormat.h"

#include <Locale.h>

using namespace prefs_test;

TEST_F(AppFixture, PreferencesAndAboutLookLikeTheirGoldensInEachLanguageAndFormat)
{
    const std::pair<const char*, std::string> formats[] = {
        {"paren", kAccKeyFormats[0]},
        {"dot", kAccKeyFormats[2]},
    };
    for (const char* language : {"en", "ja"}) {
        ASSERT_EQ(be_locale->LoadCatalog("cadenzo", {APP_CATALOGUE_DIR}, language), B_OK);
        for (const auto& [suffix, format] : formats) {
            const std::string name = std::string("_") + language + "_" + suffix;
            SCOPED_TRACE(name);
            TIAPItemAccKeyFormat().SetString(format);
            RunningApp app;
            EXPECT_TRUE(golden_image::compare(frame_of(open_preferences(app).Window()),
                                              ("prefs" + name).c_str(), APP_GOLDEN_DIR,
                                              APP_GOLDEN_OUTPUT_DIR));
            if (format == kAccKeyFormats[0]) {
                EXPECT_TRUE(golden_image::compare(frame_of(open_about(app).Window()),
                                                  (std::string("about_") + language).c_str(),
                                                  APP_GOLDEN_DIR, APP_GOLDEN_OUTPUT_DIR));
            }
        }
    }
    ASSERT_EQ(be_locale->LoadCatalog("cadenzo", {APP_CATALOGUE_DIR}, "en"), B_OK);
}
