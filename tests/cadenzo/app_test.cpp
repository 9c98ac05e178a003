// The application as a user meets it: the drop, the channel boxes, the menus, Help and the
// end of a run, in the test's process on the offscreen display. Without a catalogue, alerts
// show their keys. What the main window looks like is compared with the golden images in
// tests/cadenzo/golden; UPDATE_GOLDENS=1 makes the frames the goldens.

#include "AppDriver.h"
#include "iap/IAPItemAccKeyFormat.h"
#include "settings/PrefsView.h"

#include <Locale.h>

#include <filesystem>

using namespace app_test;

namespace {

constexpr char kDone[] = "@Info_Convert_Done@";
constexpr char kCannotLoad[] = "@Err_Cannot_Load_Src_File@";

bool all_boxes_enabled(const RunningApp& app)
{
    Locked lock(app.Window());
    for (int32 i = 0; i < 16; i++) {
        if (!app.ChannelBox(i)->IsEnabled())
            return false;
    }
    return true;
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

// Whatever makes the second of three files fail, the batch stops there with the alert of the
// failure: the first stays converted, the third is not touched, the window is idle again.
TEST_F(AppFixture, FailingSecondFileStopsTheBatchWithItsAlert)
{
    struct Case {
        const char* what;
        std::function<void(const TempFolder&)> spoil;
    };
    const Case cases[] = {
        {"not a MIDI file",
         [](const TempFolder& f) {
             f.Write("b.mid", {'n', 'o', 'p', 'e'});
         }},
        {"a folder named like a MIDI file",
         [](const TempFolder& f) {
             std::filesystem::remove(f / "b.mid");
             std::filesystem::create_directory(f / "b.mid");
         }},
    };
    for (const Case& spoiled : cases) {
        SCOPED_TRACE(spoiled.what);
        TempFolder songs;
        songs.Write("b.mid", song());
        songs.Write("c.mid", song());
        StderrCapture alerts;
        RunningApp app;
        GatedFile first(songs / "a.mid");
        app.Drop({songs / "a.mid", songs / "b.mid", songs / "c.mid"});
        first.WaitOpened();
        spoiled.spoil(songs);
        first.Release();
        app.Settle();

        EXPECT_NE(alerts.Text().find("@Err_"), std::string::npos) << alerts.Text();
        EXPECT_EQ(alerts.Text().find(kDone), std::string::npos) << alerts.Text();
        EXPECT_TRUE(songs.Exists("a.fem"));
        EXPECT_FALSE(songs.Exists("b.fem"));
        EXPECT_FALSE(songs.Exists("c.fem"));
        EXPECT_TRUE(all_boxes_enabled(app));
    }
}

// What another program drops is not always a list of files.
TEST_F(AppFixture, DropsWithoutReadableFilesConvertNothing)
{
    struct Case {
        const char* what;
        std::function<void(BMessage*)> fill;
        const char* alert;
    };
    const Case cases[] = {
        {"refs that are strings", [](BMessage* m) { m->AddString("refs", "/tmp/a.mid"); }, kDone},
        {"an empty ref",
         [](BMessage* m) {
             entry_ref empty;
             m->AddRef("refs", &empty);
         },
         kCannotLoad},
    };
    for (const Case& drop : cases) {
        SCOPED_TRACE(drop.what);
        StderrCapture alerts;
        RunningApp app;
        BMessage message(B_SIMPLE_DATA);
        drop.fill(&message);
        BMessenger(app.View()).SendMessage(&message);
        app.Settle();
        EXPECT_NE(alerts.Text().find(drop.alert), std::string::npos) << alerts.Text();
        EXPECT_TRUE(all_boxes_enabled(app));
    }
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"config"}));
}

// A drop may name hundreds of files; a drop while a batch runs waits for it, and both batches
// run whole. (What a dropped folder stands for is the terminal's batch tests'.)
TEST_F(AppFixture, DropOfHundredsOfFilesConvertsThemAllAfterTheBatchBefore)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 300; i++)
        paths.push_back(folder.Write("song" + std::to_string(i) + ".mid", song()));
    StderrCapture alerts;
    RunningApp app;
    GatedFile first(folder / "first.mid");
    app.Drop({folder / "first.mid"});
    first.WaitOpened();
    app.Drop(paths);
    EXPECT_FALSE(folder.Exists("song0.fem")) << "converted before the first batch ended";
    first.Release();
    app.Settle();
    EXPECT_EQ(alerts.Count(kDone), 2u) << "one completion alert per drop";
    EXPECT_TRUE(folder.Exists("first.fem"));
    EXPECT_EQ(folder.List().size(), 2 * 300 + 2) << "each song and its .fem, config, first.fem";
}

// A click on a channel box is saved for the next start, and so is where the window was when
// its close box ended the run (Alt+Q ends it too: the X test); during
// a batch the boxes take no click.
TEST_F(AppFixture, ChannelBoxClicksAndTheWindowsCornerAreSavedForTheNextStartButBatchesIgnoreClicks)
{
    {
        RunningApp app;
        const BPoint channel1 = center(app.ChannelBoxInWindow(0));
        GatedFile gate(folder / "a.mid");
        app.Drop({folder / "a.mid"});
        gate.WaitOpened();
        offscreen()->MouseDown(app.Id(), channel1);
        offscreen()->MouseUp(app.Id(), channel1);
        gate.Release();
        app.Settle();
        {
            Locked lock(app.Window());
            EXPECT_EQ(app.ChannelBox(0)->Value(), B_CONTROL_ON) << "clicked during the batch";
            EXPECT_TRUE(gPrefs->ChMs[0]);
        }
        EXPECT_FALSE(folder.Exists("config/VANTOR/Cadenzo/Cadenzo_Prefs.arc"));

        click(app.Window(), center(app.ChannelBoxInWindow(9)));
        EXPECT_TRUE(folder.Exists("config/VANTOR/Cadenzo/Cadenzo_Prefs.arc"));
        EXPECT_TRUE(gPrefs->ChMs[9]);
        offscreen()->Moved(app.Id(), BPoint(230, 140));
        app.Settle();
        app.CloseBox();
        EXPECT_TRUE(app.Ended(std::chrono::seconds(10)));
    }
    *gPrefs = TPrefs();
    gExitStates->WFr = BRect(50, 50, 200, 200);
    RunningApp restarted;
    Locked lock(restarted.Window());
    EXPECT_EQ(restarted.ChannelBox(9)->Value(), B_CONTROL_ON);
    EXPECT_EQ(restarted.ChannelBox(8)->Value(), B_CONTROL_ON);
    EXPECT_EQ(restarted.ChannelBox(10)->Value(), B_CONTROL_ON);
    const BRect frame = restarted.Window()->Frame();
    EXPECT_EQ(frame.LeftTop(), BPoint(230, 140));
    EXPECT_EQ(frame.Width(), 350);
    EXPECT_EQ(frame.Height(), restarted.Window()->KeyMenuBar()->Frame().bottom + 1 + 130);
}

// The labels of the menu bar's title, of Quit, of Preferences and of the web page item.
std::vector<std::string> menu_labels(const RunningApp& app)
{
    Locked lock(app.Window());
    BMenuBar* bar = app.Window()->KeyMenuBar();
    return {bar->ItemAt(0)->Label(), bar->SubmenuAt(0)->ItemAt(0)->Label(),
            bar->SubmenuAt(1)->ItemAt(0)->Label(), bar->SubmenuAt(2)->ItemAt(2)->Label()};
}

// Where each format puts the letter is AccLabel's (ui_test); here, that the menus take the
// stored format at the start and are rebuilt when another application changes it (a letter
// after the label, one before it, none), but the window's title is not; and Help.
TEST_F(AppFixture, MenusShowTheAcceleratorInTheStoredFormatAndFollowItsChangesAndHelpAlerts)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {kAccKeyFormats[1], {"F) File", "Q) Quit", "P) Preferences...", "J) Open VANTOR's Web"}},
        {kAccKeyFormats[0], {"File(F)", "Quit(Q)", "Preferences(P)...", "Open VANTOR's Web(J)"}},
        {kAccKeyFormats[4], {"File", "Quit", "Preferences...", "Open VANTOR's Web"}},
    };
    TIAPItemAccKeyFormat().SetString(cases[0].first);
    StderrCapture alerts;
    RunningApp app;
    EXPECT_EQ(menu_labels(app), cases[0].second) << "at the start";
    for (size_t i = 1; i < std::size(cases); i++) {
        BMessage changed = format_message(cases[i].first, "application/x-vnd.VANTOR-Other");
        be_app_messenger.SendMessage(&changed);
        EXPECT_TRUE(looper_test::eventually([&] { return menu_labels(app) == cases[i].second; }));
        EXPECT_EQ(menu_labels(app), cases[i].second);
    }
    {
        Locked lock(app.Window());
        EXPECT_STREQ(app.Window()->Title(), "Cadenzo");
    }
    // Help without its read-me names the file but not its folder.
    app.ChooseMenuItem(2, 0);
    EXPECT_TRUE(looper_test::eventually([&] {
        return alerts.Text().find("@Err_Cannot_Show_Help ReadMe_enUS.txt@") != std::string::npos;
    })) << alerts.Text();
    EXPECT_EQ(alerts.Text().find(folder / "bin"), std::string::npos) << alerts.Text();
}

// The layouts a damaged resource could hold: each view refuses what it cannot work with.
TEST(ViewsFromResources, RefuseATreeWithoutAnyPartTheyWorkWith)
{
    const BMessage tree = archived_tree("CadenzoViewRsrc");
    const auto without = [](int32 index) {
        return [index](BMessage* root) { root->RemoveData("_views", index); };
    };
    const auto without_box_child = [](BMessage* root) {
        BMessage box;
        root->FindMessage("_views", 1, &box);
        box.RemoveData("_views", 15);
        root->ReplaceMessage("_views", 1, &box);
    };
    const std::tuple<const char*, std::function<void(BMessage*)>, status_t> cases[] = {
        {"as built", [](BMessage*) {}, B_OK},
        {"no status line", without(0), B_NO_INIT},
        {"no channel box", without(1), B_NO_INIT},
        {"fifteen channel boxes", without_box_child, B_NO_INIT},
    };
    for (const auto& [what, damage, expected] : cases) {
        BMessage archive(tree);
        damage(&archive);
        EXPECT_EQ(TCadenzoView(&archive).InitCheck(), expected) << what;
    }
    // The Preferences view as built (no child -1 to remove), then without each of its five
    // controls.
    const BMessage prefsTree = archived_tree("PrefsViewRsrc");
    for (int32 index = -1; index < 5; index++) {
        BMessage archive(prefsTree);
        archive.RemoveData("_views", index);
        EXPECT_EQ(TPrefsView(&archive).InitCheck(), index < 0 ? B_OK : B_NO_INIT) << index;
    }
}

// Idle, converting the second of three files (counted in the status line, the channel boxes
// disabled), and behind the completion alert, in two accelerator formats; the completion
// alert itself; and idle again once it is answered.
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
        app.Drop({folder / "a.mid", folder / "b.mid", folder / "c.mid"});
        second.WaitOpened();
        EXPECT_TRUE(looks_like(app.Frame(), "main_converting_" + suffix));
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
