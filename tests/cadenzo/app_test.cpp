// The application as a user meets it: the drop, the channel boxes, the menus, Help and the
// end of a run, in the test's process on the offscreen display. Without a catalogue, alerts
// show their keys.

#include "AppDriver.h"
#include "iap/IAPItem.h"
#include "iap/IAPItemAccKeyFormat.h"

#include <Menu.h>
#include <MenuItem.h>
#include <Resources.h>

#include <filesystem>
#include <memory>

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

std::string prefs_file(const TempFolder& folder)
{
    return folder / "config/VANTOR/Cadenzo/Cadenzo_Prefs.arc";
}

} // namespace

TEST_F(AppFixture, DropOfThreeFilesCountsThemInTheStatusLineAndEndsWithTheCompletionAlert)
{
    StderrCapture alerts;
    RunningApp app;
    const BPrivate::DisplayFrame idle = app.Frame();
    const BRect status = app.InWindow("StrViewStatus");
    const BRect boxes = app.InWindow("BoxChMasks");
    const char* names[] = {"a.mid", "b.mid", "c.mid"};
    std::vector<std::unique_ptr<GatedFile>> gates;
    std::vector<std::string> paths;
    for (const char* name : names) {
        gates.push_back(std::make_unique<GatedFile>(folder / name));
        paths.push_back(folder / name);
    }

    std::vector<std::vector<uint32_t>> counted;
    for (size_t n = 0; n < 3; n++) {
        const std::string text = "Converting... [" + std::to_string(n + 1) + "/3] " + names[n];
        counted.push_back(app.StatusShowing(text.c_str()));
    }

    app.Drop(paths);
    for (size_t n = 0; n < 3; n++) {
        bool shown = false;
        const BPrivate::DisplayFrame frame = app.WaitForStatus(counted[n], &shown);
        EXPECT_TRUE(shown) << "status line while converting " << names[n];
        EXPECT_TRUE(RunningApp::Pixels(frame, boxes) != RunningApp::Pixels(idle, boxes))
            << "boxes drawn disabled while converting " << names[n];
        gates[n]->Release();
    }
    app.Settle();

    EXPECT_NE(alerts.Text().find(kDone), std::string::npos) << alerts.Text();
    const BPrivate::DisplayFrame after = app.Frame();
    EXPECT_TRUE(RunningApp::Pixels(after, status) == RunningApp::Pixels(idle, status));
    EXPECT_TRUE(RunningApp::Pixels(after, boxes) == RunningApp::Pixels(idle, boxes));
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"a.fem", "b.fem", "c.fem", "config"}));
}

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
        {"vanished before its turn",
         [](const TempFolder& f) { std::filesystem::remove(f / "b.mid"); }},
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
        const auto converting = app.StatusShowing("Converting... [1/3] a.mid");
        app.Drop({songs / "a.mid", songs / "b.mid", songs / "c.mid"});
        bool shown = false;
        app.WaitForStatus(converting, &shown);
        ASSERT_TRUE(shown);
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
        {"text", [](BMessage* m) { m->AddString("text", "a.mid"); }, kDone},
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

TEST_F(AppFixture, FolderDroppedConvertsTheMidiFilesInItCountingFiles)
{
    std::filesystem::create_directories(folder / "songs/sub");
    folder.Write("songs/b.MID", song());
    folder.Write("songs/sub/c.kar", song());
    folder.Write("songs/notes.txt", {'n', 'o', 't', 'e'});
    RunningApp app;
    GatedFile first(folder / "songs/a.mid");
    const auto counted = app.StatusShowing("Converting... [1/3] a.mid");
    app.Drop({folder / "songs"});
    bool shown = false;
    app.WaitForStatus(counted, &shown);
    EXPECT_TRUE(shown);
    first.Release();
    app.Settle();
    EXPECT_TRUE(folder.Exists("songs/a.fem"));
    EXPECT_TRUE(folder.Exists("songs/b.fem"));
    EXPECT_TRUE(folder.Exists("songs/sub/c.fem"));
    EXPECT_FALSE(folder.Exists("songs/notes.fem"));
}

TEST_F(AppFixture, DropOfHundredsOfFilesConvertsThemAll)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 300; i++) {
        const std::string name = "song" + std::to_string(i) + ".mid";
        folder.Write(name, song());
        paths.push_back(folder / name);
    }
    StderrCapture alerts;
    RunningApp app;
    app.Drop(paths);
    app.Settle();
    EXPECT_NE(alerts.Text().find(kDone), std::string::npos);
    EXPECT_EQ(folder.List().size(), 2 * paths.size() + 1);
}

// A drop while a batch runs waits for it: both batches run whole, one after the other.
TEST_F(AppFixture, SecondDropWhileABatchRunsFollowsIt)
{
    folder.Write("b.mid", song());
    StderrCapture alerts;
    RunningApp app;
    GatedFile first(folder / "a.mid");
    const auto converting = app.StatusShowing("Converting... [1/1] a.mid");
    app.Drop({folder / "a.mid"});
    bool shown = false;
    app.WaitForStatus(converting, &shown);
    ASSERT_TRUE(shown);
    app.Drop({folder / "b.mid"});
    EXPECT_FALSE(folder.Exists("b.fem"));
    first.Release();
    app.Settle();
    const std::string text = alerts.Text();
    const size_t done = text.find(kDone);
    ASSERT_NE(done, std::string::npos);
    EXPECT_NE(text.find(kDone, done + 1), std::string::npos) << "one completion alert per drop";
    EXPECT_TRUE(folder.Exists("a.fem"));
    EXPECT_TRUE(folder.Exists("b.fem"));
}

TEST_F(AppFixture, FilesNamedOnTheCommandLineAreConvertedOnceTheWindowShows)
{
    folder.Write("a.mid", song());
    folder.Write("b.mid", song());
    StderrCapture alerts;
    RunningApp app({folder / "a.mid", folder / "b.mid"});
    EXPECT_TRUE(
        looper_test::eventually([&] { return alerts.Text().find(kDone) != std::string::npos; }));
    EXPECT_TRUE(folder.Exists("a.fem"));
    EXPECT_TRUE(folder.Exists("b.fem"));
}

TEST_F(AppFixture, ChannelBoxesIgnoreClicksDuringABatch)
{
    RunningApp app;
    const BPoint channel1 = center(app.ChannelBoxInWindow(0));
    GatedFile gate(folder / "a.mid");
    const auto converting = app.StatusShowing("Converting... [1/1] a.mid");
    app.Drop({folder / "a.mid"});
    bool shown = false;
    app.WaitForStatus(converting, &shown);
    ASSERT_TRUE(shown);
    offscreen()->MouseDown(app.Id(), channel1);
    offscreen()->MouseUp(app.Id(), channel1);
    gate.Release();
    app.Settle();

    Locked lock(app.Window());
    EXPECT_EQ(app.ChannelBox(0)->Value(), B_CONTROL_ON);
    EXPECT_TRUE(gPrefs->ChMs[0]);
    EXPECT_FALSE(std::filesystem::exists(prefs_file(folder)));
}

TEST_F(AppFixture, ClickOnAChannelBoxSavesTheChannelsForTheNextStart)
{
    {
        RunningApp app;
        click(app.Window(), center(app.ChannelBoxInWindow(9)));
        EXPECT_TRUE(std::filesystem::exists(prefs_file(folder)));
        EXPECT_TRUE(gPrefs->ChMs[9]);
    }
    *gPrefs = TPrefs();
    RunningApp restarted;
    Locked lock(restarted.Window());
    EXPECT_EQ(restarted.ChannelBox(9)->Value(), B_CONTROL_ON);
    EXPECT_EQ(restarted.ChannelBox(8)->Value(), B_CONTROL_ON);
    EXPECT_EQ(restarted.ChannelBox(10)->Value(), B_CONTROL_ON);
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
// stored format at the start, a letter after the label, one before it, and none.
TEST_F(AppFixture, MenusShowTheAcceleratorInTheStoredFormat)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {kAccKeyFormats[0], {"File(F)", "Quit(Q)", "Preferences(P)...", "Open VANTOR's Web(J)"}},
        {kAccKeyFormats[1], {"F) File", "Q) Quit", "P) Preferences...", "J) Open VANTOR's Web"}},
        {kAccKeyFormats[4], {"File", "Quit", "Preferences...", "Open VANTOR's Web"}},
    };
    for (const auto& [format, labels] : cases) {
        TIAPItemAccKeyFormat().SetString(format);
        RunningApp app;
        EXPECT_EQ(menu_labels(app), labels);
    }
}

TEST_F(AppFixture, CommonPreferenceChangeRebuildsTheMenusButNotTheTitle)
{
    RunningApp app;
    BMessage changed(kIAPValueMessage);
    changed.AddString(kIAPSrcAppField, "application/x-vnd.VANTOR-Other");
    changed.AddString(kIAPSrcItemField, "AccKeyFormat2");
    changed.AddString("AccKeyFormat2", kAccKeyFormats[1]);
    be_app_messenger.SendMessage(&changed);
    EXPECT_TRUE(looper_test::eventually([&] { return menu_labels(app)[0] == "F) File"; }));
    EXPECT_EQ(menu_labels(app)[3], "J) Open VANTOR's Web");
    Locked lock(app.Window());
    EXPECT_STREQ(app.Window()->Title(), "Cadenzo");
}

TEST_F(AppFixture, QuitAndTheCloseBoxEndTheRunAndTheNextStartOpensAtTheSameCorner)
{
    const std::pair<const char*, void (RunningApp::*)() const> endings[] = {
        {"Alt+Q", &RunningApp::AltQ},
        {"close box", &RunningApp::CloseBox},
    };
    for (const auto& [what, end] : endings) {
        SCOPED_TRACE(what);
        gExitStates->WFr = BRect(50, 50, 200, 200);
        {
            RunningApp app;
            offscreen()->Moved(app.Id(), BPoint(230, 140));
            app.Settle();
            (app.*end)();
            EXPECT_TRUE(app.Ended(std::chrono::seconds(10)));
        }
        gExitStates->WFr = BRect(50, 50, 200, 200);
        RunningApp restarted;
        Locked lock(restarted.Window());
        const BRect frame = restarted.Window()->Frame();
        EXPECT_EQ(frame.LeftTop(), BPoint(230, 140));
        EXPECT_EQ(frame.Width(), 350);
        EXPECT_EQ(frame.Height(), restarted.Window()->KeyMenuBar()->Frame().bottom + 1 + 130);
    }
}

TEST_F(AppFixture, HelpWithoutItsReadMeNamesTheFileButNotItsFolder)
{
    StderrCapture alerts;
    RunningApp app;
    BMenuBar* bar = app.Window()->KeyMenuBar();
    BPoint title;
    {
        Locked lock(app.Window());
        title = bar->ConvertToParent(center(bar->ItemAt(2)->Frame()));
    }
    click(app.Window(), title);
    BMenu* help = bar->SubmenuAt(2);
    BWindow* menuWindow = nullptr;
    {
        Locked lock(app.Window());
        menuWindow = help->Window();
    }
    ASSERT_NE(menuWindow, nullptr);
    BPoint item;
    {
        Locked lock(menuWindow);
        item = center(help->ItemAt(0)->Frame());
    }
    click(menuWindow, item);
    EXPECT_TRUE(looper_test::eventually([&] {
        return alerts.Text().find("@Err_Cannot_Show_Help ReadMe_enUS.txt@") != std::string::npos;
    })) << alerts.Text();
    EXPECT_EQ(alerts.Text().find(folder / "bin"), std::string::npos) << alerts.Text();
}

// The layouts a damaged resource could hold: the view refuses what it cannot work with.
TEST(CadenzoView, RefusesATreeWithoutItsStatusLineBoxOrSixteenChannelBoxes)
{
    size_t size = 0;
    const void* flat = BApplication::AppResources()->LoadResource('ARCV', "CadenzoViewRsrc", &size);
    ASSERT_NE(flat, nullptr);
    BMessage tree;
    ASSERT_EQ(tree.Unflatten(static_cast<const char*>(flat), (ssize_t)size), B_OK);
    const auto without_box_child = [](BMessage* root, int32 index) {
        BMessage box;
        root->FindMessage("_views", 1, &box);
        box.RemoveData("_views", index);
        root->ReplaceMessage("_views", 1, &box);
    };
    struct Case {
        const char* what;
        std::function<void(BMessage*)> damage;
        status_t expected;
    };
    const Case cases[] = {
        {"as built", [](BMessage*) {}, B_OK},
        {"no status line", [](BMessage* root) { root->RemoveData("_views", 0); }, B_NO_INIT},
        {"no channel box", [](BMessage* root) { root->RemoveData("_views", 1); }, B_NO_INIT},
        {"fifteen channel boxes", [&](BMessage* root) { without_box_child(root, 15); }, B_NO_INIT},
    };
    for (const Case& layout : cases) {
        BMessage archive(tree);
        layout.damage(&archive);
        EXPECT_EQ(TCadenzoView(&archive).InitCheck(), layout.expected) << layout.what;
    }
}
