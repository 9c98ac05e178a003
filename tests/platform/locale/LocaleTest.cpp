#include <Locale.h>

#include "Environment.h"
#include "MoFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

// Translating before main() must work: windows and menus are built from static data too.
static const char* const sEarlyKey = "Early";
static const char* const sEarlyText = be_locale->GetString(sEarlyKey);

TEST(ProcessLocaleTest, UsableBeforeMain)
{
    EXPECT_EQ(sEarlyText, sEarlyKey);
    EXPECT_STREQ(be_locale->Language(), "");
}

class LocaleTest : public testing::Test {
protected:
    // Catalogues of the domain "app" translating "Open" into "Open (<language>)".
    void Install(std::initializer_list<const char*> languages)
    {
        for (const char* language : languages)
            write_bytes(Catalogue(language), mo_bytes({{"Open", Text(language)}}));
    }
    std::string Catalogue(const std::string& language, size_t dir = 0) const
    {
        return fDirs[dir] + "/" + language + "/LC_MESSAGES/app.mo";
    }
    static std::string Text(const std::string& language) { return "Open (" + language + ")"; }

    // The language chosen for the one asked for, or from the environment without one; a
    // failed load leaves no catalogue behind.
    std::string Chosen(const char* language = nullptr)
    {
        if (fLocale.LoadCatalog("app", fDirs, language) != B_OK) {
            EXPECT_STREQ(fLocale.GetString("Open"), "Open");
            return "(none)";
        }
        EXPECT_EQ(fLocale.GetString("Open"), Text(fLocale.Language()));
        return fLocale.Language();
    }

    TempFolder fFolder;
    std::vector<std::string> fDirs = {fFolder / "first", fFolder / "second"};
    BLocale fLocale;
    ScopedVariable fLanguage{"LANGUAGE", nullptr};
    ScopedVariable fAll{"LC_ALL", nullptr};
    ScopedVariable fMessages{"LC_MESSAGES", nullptr};
    ScopedVariable fLang{"LANG", nullptr};
};

// A language is tried as given, without codeset and modifier, without territory, then as
// English; a key that no catalogue translates stands for itself.
TEST_F(LocaleTest, LanguagesAreReducedStepByStepDownToEnglish)
{
    EXPECT_STREQ(fLocale.GetString("Open"), "Open");
    EXPECT_EQ(fLocale.SetLanguage("de"), B_NO_INIT) << "no domain loaded yet";
    const char* full = "de_DE.UTF-8@euro";
    const struct {
        const char* installed;
        const char* asked;
        const char* chosen;
    } cases[] = {
        {"fr", full, "(none)"},   {"en", full, "en"}, {"de", full, "de"},
        {"de_DE", full, "de_DE"}, {full, full, full}, {nullptr, "../de", "en"}, // not a language
    };
    for (const auto& each : cases) {
        if (each.installed != nullptr)
            Install({each.installed});
        EXPECT_EQ(Chosen(each.asked), each.chosen) << each.asked;
    }
    // Switching the language reloads the last domain.
    EXPECT_EQ(fLocale.SetLanguage("de_CH"), B_OK);
    EXPECT_STREQ(fLocale.Language(), "de");
    EXPECT_STREQ(fLocale.GetString("Close"), "Close");
    fLocale.UnloadCatalog();
    EXPECT_STREQ(fLocale.GetString("Open"), "Open");
    EXPECT_STREQ(fLocale.Language(), "");
}

TEST_F(LocaleTest, EnvironmentPrecedence)
{
    Install({"de", "fr", "it"});
    EXPECT_EQ(Chosen(), "(none)");
    {
        ScopedVariable lang("LANG", "it_IT.UTF-8");
        EXPECT_EQ(Chosen(), "it");
        ScopedVariable messages("LC_MESSAGES", "fr_FR");
        EXPECT_EQ(Chosen(), "fr");
        ScopedVariable all("LC_ALL", "de_CH");
        EXPECT_EQ(Chosen(), "de");
        ScopedVariable list("LANGUAGE", "pt_BR:it:de");
        EXPECT_EQ(Chosen(), "it");
    }
    // "C" and "POSIX" name no language; an empty value counts as unset.
    ScopedVariable lang("LANG", "C");
    ScopedVariable list("LANGUAGE", "C:POSIX::fr");
    ScopedVariable all("LC_ALL", "POSIX");
    EXPECT_EQ(Chosen(), "(none)"); // as gettext: the list counts only under a real locale
    ScopedVariable emptyAll("LC_ALL", "");
    EXPECT_EQ(Chosen(), "(none)");
    ScopedVariable messages("LC_MESSAGES", "de_AT");
    EXPECT_EQ(Chosen(), "fr");
    ScopedVariable noList("LANGUAGE", "");
    EXPECT_EQ(Chosen(), "de");
}

TEST_F(LocaleTest, SearchFoldersAndTextsThatOutliveLanguageChanges)
{
    write_bytes(Catalogue("de", 1), mo_bytes({{"Open", "second"}}));
    write_bytes(Catalogue("de", 0), std::vector<char>(40, '\x95'));
    // The first folder's file is damaged: passed over.
    EXPECT_EQ(fLocale.LoadCatalog("app", fDirs, "de"), B_OK);
    EXPECT_STREQ(fLocale.GetString("Open"), "second");
    Install({"de"});
    EXPECT_EQ(fLocale.LoadCatalog("app", fDirs, "de"), B_OK);
    const char* german = fLocale.GetString("Open");
    EXPECT_STREQ(german, "Open (de)");

    // Texts outlive language changes; going back reuses the catalogue already in memory.
    ASSERT_TRUE(compile_po(Catalogue("it"), "msgid \"Open\"\nmsgstr \"Apri\"\n"));
    ASSERT_EQ(fLocale.LoadCatalog("app", fDirs, "it"), B_OK);
    EXPECT_STREQ(fLocale.GetString("Open"), "Apri");
    EXPECT_STREQ(german, "Open (de)");
    ASSERT_EQ(fLocale.LoadCatalog("app", fDirs, "de"), B_OK);
    EXPECT_EQ(fLocale.GetString("Open"), german);

    // A language or domain is a name inside the folders, never a way out of them.
    write_bytes(fFolder / "x/LC_MESSAGES/app.mo", mo_bytes({{"Open", "escaped"}}));
    EXPECT_EQ(fLocale.LoadCatalog("app", {fFolder / "first"}, "../x"), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(fLocale.LoadCatalog("../app", fDirs, "de"), B_BAD_VALUE);
}

TEST_F(LocaleTest, LookupsWhileAnotherThreadSwitches)
{
    Install({"de", "fr"});
    std::atomic<bool> done = false;
    std::atomic<int> wrong = 0;
    auto reader = [&] {
        while (!done) {
            const char* text = fLocale.GetString("Open");
            if (strcmp(text, "Open") != 0 && strcmp(text, "Open (de)") != 0 &&
                strcmp(text, "Open (fr)") != 0)
                wrong++;
        }
    };
    std::thread first(reader);
    std::thread second(reader);
    for (int round = 0; round < 300; round++) {
        fLocale.LoadCatalog("app", fDirs, round % 3 == 0 ? "de" : "fr");
        if (round % 7 == 0)
            fLocale.UnloadCatalog();
    }
    done = true;
    first.join();
    second.join();
    EXPECT_EQ(wrong, 0);
}
