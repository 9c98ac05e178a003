// A running application switching its language: the belanguage command's broadcast, or the
// same message posted, loads the catalogue and reaches every window of the application.

#include <Application.h>
#include <Locale.h>
#include <Looper.h>
#include <Message.h>

#include "ChildProcess.h"
#include "LooperTestSupport.h"
#include "MoFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>

using looper_test::eventually;
using looper_test::Watchdog;

namespace {

// Made before main, before the kernel kit opens the runtime folder: the broadcasts of this
// test reach its own application only, not the other applications of the user.
struct OwnRuntimeFolder {
    OwnRuntimeFolder() { setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1); }
    TempFolder folder;
} sRuntimeFolder;

// A window as far as the application knows: a looper of its own. It notes the text of "Open"
// when '_BLC' reaches it, which shows that the catalogue was switched first; the looper's lock,
// held while it handles a message, guards the notes.
class Window : public BLooper {
public:
    Window() : BLooper("window") {}

    void MessageReceived(BMessage* message) override
    {
        if (message->what == B_LANGUAGE_CHANGED)
            fSeen.push_back(be_locale->GetString("Open"));
    }
    std::vector<std::string> Seen()
    {
        Lock();
        std::vector<std::string> seen = fSeen;
        Unlock();
        return seen;
    }

private:
    std::vector<std::string> fSeen;
};

class SwitchingApp : public BApplication {
public:
    SwitchingApp() : BApplication("application/x-vnd.language-switch-test") {}
    void ReadyToRun() override { fReady(); }

    std::function<void()> fReady;
};

} // namespace

TEST(LanguageSwitchTest, ReachesTheCatalogueAndEveryWindow)
{
    Watchdog watchdog;
    TempFolder catalogues;
    write_bytes(catalogues / "ja/LC_MESSAGES/switch.mo", mo_bytes({{"Open", "開く"}}));
    write_bytes(catalogues / "en/LC_MESSAGES/switch.mo", mo_bytes({{"Open", "Open"}}));
    ASSERT_EQ(be_locale->LoadCatalog("switch", {catalogues.Path()}, "en"), B_OK);

    SwitchingApp app;
    ASSERT_EQ(app.InitCheck(), B_OK);
    auto* window = new Window;
    window->Run();

    const struct {
        const char* how;
        const char* language; // nullptr: a message without one
        const char* text;
    } cases[] = {
        {"belanguage", "ja", "開く"},
        {"posted", "en", "Open"},
        {"belanguage", "ja_JP.UTF-8", "開く"},
        {"posted", nullptr, "開く"},  // no language named: the catalogue stays
        {"belanguage", "fr", "Open"}, // none for it: English
    };
    std::thread driver;
    app.fReady = [&] {
        driver = std::thread([&] {
            for (size_t i = 0; i < std::size(cases); i++) {
                const auto& each = cases[i];
                if (strcmp(each.how, "belanguage") == 0) {
                    EXPECT_EQ(run_process({BELANGUAGE, each.language}), 0);
                } else {
                    BMessage message(B_LANGUAGE_CHANGED);
                    if (each.language != nullptr)
                        message.AddString(B_LANGUAGE_FIELD, each.language);
                    be_app_messenger.SendMessage(&message);
                }
                if (!eventually([&] { return window->Seen().size() == i + 1; })) {
                    ADD_FAILURE() << each.how << " " << (each.language ? each.language : "")
                                  << ": the window heard nothing";
                    break;
                }
                EXPECT_EQ(window->Seen().back(), each.text) << i;
            }
            be_app->PostMessage(B_QUIT_REQUESTED);
        });
    };
    app.Run();
    driver.join();
    window->Lock();
    window->Quit();
    EXPECT_STREQ(be_locale->Language(), "en");
}
