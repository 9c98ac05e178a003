// What the main window looks like, against the golden images in tests/cadenzo/golden: idle,
// converting the second of three files, and behind the completion alert, in two accelerator
// formats; and the completion alert itself. UPDATE_GOLDENS=1 makes the frames the goldens.

#include "AppDriver.h"
#include "GoldenImage.h"
#include "iap/IAPItemAccKeyFormat.h"

#include <Locale.h>

using namespace app_test;

namespace {

::testing::AssertionResult looks_like(const BPrivate::DisplayFrame& frame, const std::string& name)
{
    return golden_image::compare(frame, name.c_str(), APP_GOLDEN_DIR, APP_GOLDEN_OUTPUT_DIR);
}

// The window made last after the given one that has drawn (windows are numbered in order of
// making): the alert while one is up. -1 when none came within five seconds.
int32 newest_window_after(int32 id)
{
    for (int tries = 0; tries < 1000; tries++) {
        BPrivate::DisplayFrame frame;
        for (int32 candidate = id + 100; candidate > id; candidate--) {
            if (offscreen()->CopyFrame(candidate, frame))
                return candidate;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

} // namespace

TEST_F(AppFixture, MainWindowLooksLikeItsGoldensIdleConvertingAndDone)
{
    // Alerts as windows, as a user sees them, in English; the test answers them.
    ScopedVariable alerts("BE_ALERT", "window");
    ASSERT_EQ(be_locale->LoadCatalog("cadenzo", {APP_CATALOGUE_DIR}, "en"), B_OK);
    const std::pair<std::string, std::string> formats[] = {
        {"paren", kAccKeyFormats[0]},
        {"before", kAccKeyFormats[1]},
    };
    for (const auto& [suffix, format] : formats) {
        SCOPED_TRACE(suffix);
        TIAPItemAccKeyFormat().SetString(format);
        folder.Write("a.mid", song());
        folder.Write("c.mid", song());
        RunningApp app;
        EXPECT_TRUE(looks_like(app.Frame(), "main_idle_" + suffix));

        GatedFile second(folder / "b.mid");
        const auto converting = app.StatusShowing("Converting... [2/3] b.mid");
        app.Drop({folder / "a.mid", folder / "b.mid", folder / "c.mid"});
        bool shown = false;
        const BPrivate::DisplayFrame frame = app.WaitForStatus(converting, &shown);
        ASSERT_TRUE(shown);
        EXPECT_TRUE(looks_like(frame, "main_converting_" + suffix));
        second.Release();

        const int32 alert = newest_window_after(app.Id());
        ASSERT_GT(alert, 0);
        EXPECT_TRUE(looks_like(app.Frame(), "main_done_" + suffix));
        BPrivate::DisplayFrame alertFrame;
        offscreen()->CopyFrame(alert, alertFrame);
        EXPECT_TRUE(looks_like(alertFrame, "completion_alert"));
        offscreen()->KeyDown(alert, "\n");
        app.Settle();
        EXPECT_TRUE(looks_like(app.Frame(), "main_idle_" + suffix));
    }
}
