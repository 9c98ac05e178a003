// The common preferences window shared by the running applications of the maker: Cadenzo in
// the test's process on the offscreen display, driven by injected input, and another
// application of the maker as a separate process (iap_peer), told what to do on its standard
// input and reporting what reaches it on its standard output.

#include "AppDriver.h"
#include "ChildProcess.h"
#include "app/AppConstants.h"
#include "iap/IAPItemAccKeyFormat.h"
#include "iap/IAPItemFlatToolBar.h"
#include "iap/IAPView.h"
#include "iap/IAPWindow.h"
#include "iap/InterAppPrefs.h"
#include "ui/ShortCuts.h"

#include <Button.h>
#include <File.h>
#include <Locale.h>
#include <MenuField.h>

#include <csignal>

using namespace app_test;
using namespace std::chrono_literals;

namespace {

constexpr char kPeerSignature[] = "application/x-vnd.VANTOR-Peer";
constexpr char kFormatField[] = "AAccelerator Format: ";

// The formats by their place in the pop-up menu (the separator is item 4).
const std::string& format(int choice)
{
    return kAccKeyFormats[(size_t)choice];
}

// Another application of the maker, in a process of its own.
class Peer {
public:
    Peer()
    {
        fChild.StartTalking({IAP_PEER, kPeerSignature}, {"BE_DISPLAY=offscreen"});
        EXPECT_TRUE(WaitFor("ready").has_value());
    }
    ~Peer()
    {
        fChild.Say("quit");
        fChild.CloseInput();
        fChild.WaitForExit(5s);
    }

    void Say(const std::string& word) const { fChild.Say(word); }
    // The next line that starts with prefix, within ten seconds; the lines before it are
    // passed over.
    std::optional<std::string> WaitFor(const std::string& prefix)
    {
        const auto end = std::chrono::steady_clock::now() + 10s;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            std::optional<std::string> line = fChild.ReadLine(std::max(left, 0ms));
            if (!line || line->compare(0, prefix.size(), prefix) == 0)
                return line;
        }
    }
    // The value messages that reached the peer since the last look, as "<item> <place>".
    std::vector<std::string> TakeValues(std::chrono::milliseconds quiet = 300ms)
    {
        std::vector<std::string> values;
        while (std::optional<std::string> line = fChild.ReadLine(quiet)) {
            if (line->compare(0, 4, "ipc ") == 0)
                values.push_back(line->substr(4));
        }
        return values;
    }
    void Kill()
    {
        fChild.Signal(SIGKILL);
        fChild.WaitForExit(5s);
    }

private:
    ChildProcess fChild;
};

struct CommonPrefs : AppFixture {
    void SetUp() override
    {
        AppFixture::SetUp();
        // Ports and broadcasts of this test only: other tests run applications meanwhile.
        const std::string runtime = folder / "run";
        mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }

    // Tool > "VANTOR Common Preferences...", clicked; the window this process made, once it
    // shows its controls (they come a moment later, through the port).
    static ShownWindow Open(const RunningApp& app)
    {
        app.ChooseMenuItem(1, 1);
        TIAPWindow* window = nullptr;
        EXPECT_TRUE(looper_test::eventually([&] {
            Locked lock(be_app);
            window = dynamic_cast<TIAPWindow*>(gIAPs->OwnWindow());
            return window != nullptr && !ShownWindow(window).Hidden() &&
                   ShownWindow(window).Read(
                       [](BWindow* w) { return w->FindView("AccKeyFormat2"); });
        }));
        return ShownWindow(window);
    }
    // Opens the window's pop-up menu of formats with a click; its window, once it shows.
    struct OpenMenu {
        BMenu* menu;
        BWindow* window = nullptr;
    };
    static OpenMenu OpenFormatMenu(const ShownWindow& prefs)
    {
        const BRect field = prefs.InWindow(kFormatField);
        OpenMenu open{prefs.Read([](BWindow* w) {
            return dynamic_cast<BMenuField*>(w->FindView(kFormatField))->Menu();
        })};
        click(prefs.Window(), BPoint(field.right - 20, (field.top + field.bottom) / 2));
        EXPECT_TRUE(looper_test::eventually([&] {
            Locked lock(prefs.Window());
            return (open.window = open.menu->Window()) != nullptr;
        }));
        return open;
    }
    // Chooses a format in the window's pop-up menu with two clicks.
    static void Choose(const ShownWindow& prefs, int choice)
    {
        const OpenMenu open = OpenFormatMenu(prefs);
        ASSERT_NE(open.window, nullptr);
        BPoint item;
        {
            Locked lock(prefs.Window());
            item = center(open.menu->ItemAt(choice < 4 ? choice : 5)->Frame());
        }
        click(open.window, item);
        settle(prefs.Window());
    }
    static int32 Components(const ShownWindow& prefs)
    {
        return prefs.Read([](BWindow* w) { return w->FindView("IAPView")->CountChildren(); }) - 1;
    }
    std::string StoredFormat(const char* field = "AccKeyFormat2") const
    {
        BFile file((folder / "config/VANTOR/Shared/AccKeyFormat2.arc").c_str(), B_READ_ONLY);
        BMessage stored;
        std::string value;
        if (stored.Unflatten(&file) == B_OK)
            stored.FindString(field, &value);
        return value;
    }
    static std::string Value(int choice) { return "AccKeyFormat2 " + format(choice); }
};

} // namespace

// One window serves every running application; a choice in it relabels them all, Escape,
// Cancel and Defaults return them to the committed or the default format, and OK commits.
TEST_F(CommonPrefs, OneWindowServesEveryApplicationAndItsChoicesReachThemAll)
{
    RunningApp app;
    Peer peer;
    ShownWindow prefsWindow = open_preferences(app);
    // What the main window shows: only its menus' labels can change here.
    const std::vector<uint32_t> before = frame_of(app.Window()).pixels;
    ShownWindow common = Open(app);
    EXPECT_EQ(Components(common), 1);

    // The other application finds the window and hands over the same item: nothing is added.
    peer.Say("show");
    EXPECT_EQ(peer.WaitFor("shown"), "shown 0");
    settle(common.Window());
    EXPECT_EQ(Components(common), 1);

    Choose(common, 3);
    EXPECT_EQ(peer.TakeValues(), std::vector<std::string>{Value(3)});
    settle_app();
    settle(app.Window());
    EXPECT_NE(frame_of(app.Window()).pixels, before) << "menus relabelled";
    EXPECT_EQ(prefsWindow.Label("CBoxTrimHead").find(" - "), 1u);
    EXPECT_EQ(common.Label("ButtonDefaults"), merge_accelerator_key(format(3), "D", "Defaults"));
    // Written once, by the application that registered the item shown.
    EXPECT_EQ(StoredFormat(), format(3));
    EXPECT_EQ(StoredFormat(kIAPSrcAppField), gAppSignature);

    // Two more changes, then Escape: one value message per item, the committed one.
    Choose(common, 1);
    Choose(common, 4);
    EXPECT_EQ(peer.TakeValues(), (std::vector<std::string>{Value(1), Value(4)}));
    common.Type("\x1b");
    EXPECT_TRUE(common.Hidden());
    EXPECT_EQ(peer.TakeValues(), std::vector<std::string>{Value(0)});
    settle_app();
    EXPECT_EQ(frame_of(app.Window()).pixels, before) << "menus as before";

    struct Step {
        const char* button;
        std::vector<std::string> sent;
    };
    // A choice confirmed with OK; then Defaults shows the default until Cancel; then Defaults
    // confirmed with OK.
    const std::vector<std::pair<int, std::vector<Step>>> rounds = {
        {3, {{"ButtonOK", {}}}},
        {-1, {{"ButtonDefaults", {Value(0)}}, {"ButtonCancel", {Value(3)}}}},
        {-1, {{"ButtonDefaults", {Value(0)}}, {"ButtonOK", {}}}},
        {-1, {{"ButtonCancel", {Value(0)}}}},
    };
    for (const auto& [choice, steps] : rounds) {
        common = Open(app);
        if (choice >= 0) {
            Choose(common, choice);
            EXPECT_EQ(peer.TakeValues(), std::vector<std::string>{Value(choice)});
        }
        for (const Step& step : steps) {
            common.Click(step.button);
            EXPECT_EQ(peer.TakeValues(), step.sent) << step.button;
        }
        EXPECT_TRUE(common.Hidden());
    }
    EXPECT_EQ(StoredFormat(), format(0));
}

TEST_F(CommonPrefs, TheOwnersEndLeavesNothingThatStopsTheNextWindow)
{
    {
        // An owner killed outright: its port is recognised as dead.
        Peer owner;
        owner.Say("show");
        EXPECT_EQ(owner.WaitFor("shown"), "shown 1");
        owner.Kill();
    }
    {
        RunningApp app;
        ShownWindow common = Open(app);
        EXPECT_EQ(Components(common), 1);
        EXPECT_GE(find_port(kIAPPortName), 0);
        app.CloseBox();
        EXPECT_TRUE(app.Ended(std::chrono::seconds(10)));
    }
    // A quitting owner deletes its port: the next application makes a window of its own.
    EXPECT_LT(find_port(kIAPPortName), 0);
    Peer next;
    next.Say("show");
    EXPECT_EQ(next.WaitFor("shown"), "shown 1");
    next.Say("close");
    EXPECT_EQ(next.WaitFor("closed"), "closed 0");
}

// Anything any process of the user writes to the port: the window drops what it cannot use
// and goes on serving the requests around it.
TEST_F(CommonPrefs, RecordsThatAreNoRequestsAreDroppedAndTheWindowGoesOn)
{
    RunningApp app;
    ShownWindow common = Open(app);
    common.Type("\x1b");
    const port_id port = find_port(kIAPPortName);
    ASSERT_GE(port, 0);

    auto write = [port](const std::string& bytes) {
        return write_port_etc(port, 0, bytes.data(), bytes.size(), B_RELATIVE_TIMEOUT, 100000);
    };
    auto record = [](const BMessage& message) {
        std::string bytes((size_t)message.FlattenedSize(), '\0');
        message.Flatten(bytes.data(), (ssize_t)bytes.size());
        return bytes;
    };
    // A view archive nested as deep as messages allow, of a class nobody knows.
    BMessage deep;
    deep.AddString("class", "TNoSuchView");
    for (int i = 0; i < 70; i++) {
        BMessage outer;
        outer.AddString("class", "TNoSuchView");
        outer.AddRect("_frame", BRect(0, 0, 20, 20));
        outer.AddMessage("_views", &deep);
        deep = outer;
    }
    BMessage hostile(kIAPAddComponents);
    hostile.AddMessage("Deep", &deep);
    BMessage huge;
    huge.AddString("class", "BView");
    huge.AddRect("_frame", BRect(0, 0, 1e9, 1e9));
    hostile.AddMessage("Huge", &huge);
    BMessage nameless(kIAPControlChanged);
    nameless.AddString(kIAPSrcItemField, "ButtonContainer");
    BMessage unknownItem(kIAPValueMessage);
    unknownItem.AddString(kIAPSrcItemField, "NoSuchItem");

    const std::string valid = record(hostile);
    const std::vector<std::string> records = {
        "not a message at all", valid, record(BMessage(kIAPControlChanged)), record(nameless),
        record(unknownItem),
    };
    for (const std::string& bytes : records)
        EXPECT_EQ(write(bytes), B_OK);
    // A flood: the queue fills, writers wait or give up, nothing breaks.
    for (int i = 0; i < 150; i++)
        write(record(BMessage('junk')));

    // A well-formed request after all that: the switch of another application joins.
    TInterAppPrefs other;
    other.SetAppSignatureRef(kPeerSignature);
    other.AddItem(new TIAPItemFlatToolBar);
    EXPECT_EQ(other.ShowWindow(BRect(0, 0, 100, 100)), 0);
    EXPECT_TRUE(looper_test::eventually([&] { return !common.Hidden(); }));
    EXPECT_TRUE(looper_test::eventually([&] {
        return common.Read([](BWindow* w) { return w->FindView("FlatToolBar") != nullptr; });
    }));
    EXPECT_EQ(common.Read([](BWindow* w) { return w->FindView("Huge") == nullptr; }), true);
}

// UPDATE_GOLDENS=1 makes the frames the goldens.
TEST_F(CommonPrefs, WindowAndItsPopUpMenuLookLikeTheirGoldensInEachLanguage)
{
    for (const char* language : {"en", "ja"}) {
        SCOPED_TRACE(language);
        ASSERT_EQ(be_locale->LoadCatalog("cadenzo", {APP_CATALOGUE_DIR}, language), B_OK);
        RunningApp app;
        ShownWindow common = Open(app);
        const std::string name = std::string("common_prefs_") + language;
        EXPECT_TRUE(looks_like(frame_of(common.Window()), name));
        const OpenMenu menu = OpenFormatMenu(common);
        ASSERT_NE(menu.window, nullptr);
        EXPECT_TRUE(looks_like(frame_of(menu.window), name + "_menu"));
        common.Type("\x1b");
    }
    ASSERT_EQ(be_locale->LoadCatalog("cadenzo", {APP_CATALOGUE_DIR}, "en"), B_OK);
}
