// The Preferences window as a user meets it: opened from the Tool menu, edited with clicks
// and keys, confirmed, cancelled or closed; what it makes of bad settings and damaged view
// trees; and the About box, opened from the Help menu. What both look like is compared with
// the golden images in tests/cadenzo/golden; UPDATE_GOLDENS=1 makes the frames the goldens.

#include "AppDriver.h"
#include "about/AppInfoView.h"
#include "iap/IAPItemAccKeyFormat.h"
#include "ui/ShortCuts.h"

#include <Box.h>
#include <Locale.h>

#include <climits>

using namespace app_test;

namespace {

constexpr char kTailField[] = "TxtCtrlTailMargin";

// The three values the window edits.
struct Edited {
    bool trimHead;
    bool addTail;
    int32 tail;
    bool operator==(const Edited&) const = default;
};

Edited edited(const TPrefs& prefs)
{
    return {prefs.TrHd, prefs.AdTl, prefs.TlMg};
}

Edited shown(const ShownWindow& prefs)
{
    return {prefs.Value("CBoxTrimHead") != 0, prefs.Value("CBoxAddTail") != 0,
            (int32)std::stol(prefs.Text(kTailField))};
}

TPrefs saved_prefs()
{
    TPrefs saved;
    saved.LoadFromFile();
    return saved;
}

} // namespace

// A tail from a settings file edited by hand is shown clamped; the field keeps the typed text
// while the tail goes between one and ten seconds; a click or the box's Control key toggles a
// box, and the tail box takes the seconds field along.
TEST_F(AppFixture, StoredAndTypedSecondsAreClampedAndTheBoxesToggleByClickOrControlKey)
{
    TPrefs file;
    file.TlMg = INT32_MAX;
    file.SaveToFile();
    RunningApp app;
    const ShownWindow prefs = open_preferences(app);
    EXPECT_EQ(prefs.Text(kTailField), "10") << "from the file";
    const std::pair<const char*, int32> typed[] = {
        {"0", 1}, {"11", 10}, {"999", 10},        {"7", 7},
        {"", 1},  {"x", 1},   {"4294967296", 10}, {"-99999999999999999999", 1},
    };
    for (const auto& [text, seconds] : typed) {
        type_seconds(prefs, text);
        EXPECT_EQ(gPrefs->TlMg, seconds) << '"' << text << '"';
        EXPECT_EQ(prefs.Text(kTailField), text);
    }
    const std::tuple<const char*, std::function<void()>, bool TPrefs::*> toggles[] = {
        {"click", [&] { prefs.Click("CBoxAddTail"); }, &TPrefs::AdTl},
        {"Control+T", [&] { prefs.Type("t", B_CONTROL_KEY); }, &TPrefs::AdTl},
        {"Control+H", [&] { prefs.Type("h", B_CONTROL_KEY); }, &TPrefs::TrHd},
    };
    for (const auto& [how, toggle, field] : toggles) {
        SCOPED_TRACE(how);
        for (const bool expected : {false, true}) {
            toggle();
            EXPECT_EQ(gPrefs->*field, expected);
            EXPECT_EQ(prefs.Read([&](BWindow*) { return prefs.Find(kTailField)->IsEnabled(); }),
                      gPrefs->AdTl);
        }
    }
}

// Every way of leaving without OK puts back the values of the last OK, saves them and shows
// them the next time; a channel switched in the main window meanwhile stays switched.
TEST_F(AppFixture, CancelEscapeAndTheCloseBoxRestoreAndSaveTheLastConfirmedValues)
{
    const std::pair<const char*, std::function<void(const ShownWindow&)>> ways[] = {
        {"Cancel", [](const ShownWindow& w) { w.Click("ButtonCancel"); }},
        {"Escape", [](const ShownWindow& w) { w.Type("\x1b"); }},
        {"close box", [](const ShownWindow& w) { offscreen()->CloseRequested(id_of(w.Window())); }},
    };
    RunningApp app;
    ShownWindow prefs = open_preferences(app);
    type_seconds(prefs, "5");
    prefs.Click("ButtonOK");
    EXPECT_TRUE(prefs.Hidden());
    const Edited confirmed = edited(*gPrefs);
    EXPECT_EQ(edited(saved_prefs()), confirmed);

    for (const auto& [name, leave] : ways) {
        SCOPED_TRACE(name);
        const ShownWindow again = open_preferences(app);
        EXPECT_EQ(again.Window(), prefs.Window());
        again.Click("CBoxTrimHead");
        type_seconds(again, "9");
        again.Click("CBoxAddTail");
        const bool channel = gPrefs->ChMs[0];
        click(app.Window(), center(app.ChannelBoxInWindow(0)));
        settle_app();
        ASSERT_NE(edited(*gPrefs), confirmed);

        leave(again);
        EXPECT_TRUE(again.Hidden());
        EXPECT_EQ(edited(*gPrefs), confirmed);
        EXPECT_EQ(edited(saved_prefs()), confirmed);
        EXPECT_EQ(shown(again), confirmed);
        EXPECT_EQ(saved_prefs().ChMs[0], !channel);
    }
}

// A language change relabels the main and Preferences windows. The seconds field starts one
// pixel right of its box's label and ends ten pixels before the window's edge, in whatever
// format; a label too wide for that leaves it a usable width.
TEST_F(AppFixture, LanguageAndFormatChangesRelabelTheMainAndPreferencesWindows)
{
    ASSERT_EQ(be_locale->LoadCatalog("cadenzo", {APP_CATALOGUE_DIR}, "en"), B_OK);
    TIAPItemAccKeyFormat().SetString(kAccKeyFormats[0]);
    RunningApp app;
    const ShownWindow prefs = open_preferences(app);
    // The Preferences window's title and Cancel; the File menu, the idle status line, the
    // channels' box and its last channel.
    const auto labels = [&] {
        std::string all = prefs.Title() + "|" + prefs.Label("ButtonCancel");
        Locked lock(app.Window());
        for (const char* label :
             {app.Window()->KeyMenuBar()->ItemAt(0)->Label(),
              dynamic_cast<BStringView*>(app.View()->FindView("StrViewStatus"))->Text(),
              dynamic_cast<BBox*>(app.View()->FindView("BoxChMasks"))->Label(),
              app.ChannelBox(15)->Label()})
            all += std::string("|") + label;
        return all;
    };
    const std::pair<const char*, std::string> cases[] = {
        {"ja",
         "\u74B0\u5883\u8A2D\u5B9A|\u30AD\u30E3\u30F3\u30BB\u30EB|\u30D5\u30A1\u30A4\u30EB(F)|"
         "\u3053\u3053\u306B MIDI \u30D5\u30A1\u30A4\u30EB\u3092\u30C9\u30ED\u30C3\u30D7"
         "\u3057\u3066\u304F\u3060\u3055\u3044\u3002|\u30C1\u30E3\u30F3\u30CD\u30EB|16"},
        {"en", "Preferences Window|Cancel|File(F)|Drop MIDI files here.|Channels|16"},
    };
    for (const auto& [language, expected] : cases) {
        BMessage changed(B_LANGUAGE_CHANGED);
        changed.AddString(B_LANGUAGE_FIELD, language);
        be_app_messenger.SendMessage(&changed);
        settle_app();
        app.Settle();
        EXPECT_EQ(labels(), expected) << language;
    }

    const std::string tooLong = std::string("\x02") + " - a label format that is much too long";
    float lastLeft = -1;
    for (const std::string& format : {kAccKeyFormats[0], kAccKeyFormats[2], tooLong}) {
        BMessage changed = format_message(format);
        be_app_messenger.SendMessage(&changed);
        settle_app();
        const BRect box = prefs.InWindow("CBoxAddTail");
        const BRect field = prefs.InWindow(kTailField);
        EXPECT_EQ(field.left, box.right + 1);
        EXPECT_NE(field.left, lastLeft);
        EXPECT_GE(field.Width(), 24);
        EXPECT_TRUE(format == tooLong || field.right == 320 - 10);
        EXPECT_EQ(prefs.Label("CBoxAddTail"),
                  merge_accelerator_key(format, "T", "Add tail silence [s]: "));
        lastLeft = field.left;
    }
}

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
            EXPECT_TRUE(looks_like(frame_of(open_preferences(app).Window()), "prefs" + name));
            if (format != kAccKeyFormats[0])
                continue;
            // Hidden on OK, the About box comes back the same window, looking the same.
            const ShownWindow about = open_about(app);
            const std::string golden = std::string("about_") + language;
            EXPECT_TRUE(looks_like(frame_of(about.Window()), golden));
            about.Click("ButtonOK");
            EXPECT_TRUE(about.Hidden());
            EXPECT_EQ(open_about(app).Window(), about.Window());
            EXPECT_TRUE(looks_like(frame_of(about.Window()), golden));
        }
    }
    ASSERT_EQ(be_locale->LoadCatalog("cadenzo", {APP_CATALOGUE_DIR}, "en"), B_OK);
}

// Every author placeholder of the notice becomes the maker's name. Without a running
// application there is no type to take the icon from: the view draws none instead of letting
// the exception end the program.
TEST(AppInfoView, PutsTheMakersNameForEveryPlaceholderAndHasNoIconWithoutTheApplication)
{
    ASSERT_EQ(be_app, nullptr);
    TAppInfoView view(BRect(0, 0, 1, 1));
    EXPECT_EQ(view.Icon(), nullptr);
    EXPECT_EQ(view.Frame(), BRect(0, 0, 320, 198));
    view.SetAppInfo("Cadenzo", "Ver 2.33", "%AppAuthor% and %AppAuthor%");
    EXPECT_STREQ(dynamic_cast<BStringView*>(view.FindView("StrViewCright"))->Text(),
                 "VANTOR and VANTOR");
}
