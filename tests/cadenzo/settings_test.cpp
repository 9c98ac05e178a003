// Settings files through real files in a settings folder of the test's own.

#include "Environment.h"
#include "TempFolder.h"
#include "app/AppConstants.h"
#include "settings/Prefs.h"

#include <DataIO.h>
#include <File.h>
#include <InterfaceDefs.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class Settings : public testing::Test {
protected:
    void SetUp() override { BPrivate::set_modifiers(0); }
    void TearDown() override { BPrivate::set_modifiers(0); }

    std::string PrefsFile() const { return fFolder / "VANTOR/Cadenzo/Cadenzo_Prefs.arc"; }

    void WriteMessage(const std::string& path, const BMessage& message)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
        ASSERT_EQ(B_OK, message.Flatten(&file));
    }
    BMessage ReadMessage(const std::string& path)
    {
        BFile file(path.c_str(), B_READ_ONLY);
        BMessage message;
        EXPECT_EQ(B_OK, message.Unflatten(&file));
        return message;
    }

    TempFolder fFolder;
    ScopedVariable fConfig{"XDG_CONFIG_HOME", fFolder.Path()};
};

void expect_defaults(const TPrefs& prefs)
{
    EXPECT_TRUE(prefs.AdSq);
    EXPECT_TRUE(prefs.AdTl);
    EXPECT_FALSE(prefs.OPrF);
    EXPECT_TRUE(prefs.TrHd);
    for (int channel = 0; channel < 16; channel++)
        EXPECT_EQ(channel != 9, prefs.ChMs[channel]) << channel;
    EXPECT_EQ(127, prefs.MaxV);
    EXPECT_EQ(3, prefs.TlMg);
    EXPECT_EQ("/boot/home", prefs.OFld);
    EXPECT_EQ("X-", prefs.SqPf);
}

TEST_F(Settings, AFirstStartFindsNoFileAndKeepsTheDefaults)
{
    TPrefs prefs;
    EXPECT_EQ(-1, prefs.LoadFromFile());
    expect_defaults(prefs);
    // The folder is made on the way.
    EXPECT_TRUE(fFolder.Exists("VANTOR/Cadenzo"));
}

TEST_F(Settings, AFileFromOneRunIsReadByTheNext)
{
    {
        TPrefs prefs;
        prefs.AdSq = false;
        prefs.TrHd = false;
        prefs.ChMs[0] = false;
        prefs.ChMs[9] = true;
        prefs.ChMs[15] = false;
        prefs.MaxV = 100;
        prefs.TlMg = 7;
        prefs.OFld = "/home/someone/Music";
        prefs.SqPf = "Y-\u00e9";
        ASSERT_EQ(0, prefs.SaveToFile());
    }
    TPrefs next;
    ASSERT_EQ(0, next.LoadFromFile());
    EXPECT_FALSE(next.AdSq);
    EXPECT_FALSE(next.TrHd);
    EXPECT_FALSE(next.ChMs[0]);
    EXPECT_TRUE(next.ChMs[9]);
    EXPECT_FALSE(next.ChMs[15]);
    EXPECT_TRUE(next.ChMs[14]);
    EXPECT_EQ(100, next.MaxV);
    EXPECT_EQ(7, next.TlMg);
    EXPECT_EQ("/home/someone/Music", next.OFld);
    EXPECT_EQ("Y-\u00e9", next.SqPf);
}

TEST_F(Settings, TheFileHoldsTheFieldsInOrderWithTheirTypes)
{
    TPrefs prefs;
    ASSERT_EQ(0, prefs.SaveToFile());
    BMessage archive = ReadMessage(PrefsFile());
    const char* expected[] = {"class", "AdSq", "AdTl", "OPrF", "TrHd",
                              "ChMs",  "MaxV", "TlMg", "OFld", "SqPf"};
    const type_code types[] = {B_STRING_TYPE, B_BOOL_TYPE,  B_BOOL_TYPE, B_BOOL_TYPE,
                               B_BOOL_TYPE,   B_BOOL_TYPE,  B_INT8_TYPE, B_INT32_TYPE,
                               B_STRING_TYPE, B_STRING_TYPE};
    for (int32 i = 0; i < 10; i++) {
        char* name;
        type_code type;
        int32 count;
        ASSERT_EQ(B_OK, archive.GetInfo(B_ANY_TYPE, i, &name, &type, &count));
        EXPECT_STREQ(expected[i], name);
        EXPECT_EQ(types[i], type) << name;
        EXPECT_EQ(i == 5 ? 16 : (i == 0 ? 2 : 1), count) << name;
    }
    const char* className;
    EXPECT_EQ(B_OK, archive.FindString("class", 0, &className));
    EXPECT_STREQ("TPrefs", className);
    EXPECT_EQ(B_OK, archive.FindString("class", 1, &className));
    EXPECT_STREQ("TArchivable", className);
}

TEST_F(Settings, AFileWithOnlySomeFieldsChangesOnlyThose)
{
    BMessage partial;
    partial.AddBool("TrHd", false);
    WriteMessage(PrefsFile(), partial);
    TPrefs prefs;
    EXPECT_EQ(-1, prefs.LoadFromFile()) << "fields were missing";
    EXPECT_FALSE(prefs.TrHd);
    prefs.TrHd = true;
    expect_defaults(prefs);
}

TEST_F(Settings, DamagedFilesAndHandEditedValues)
{
    std::filesystem::create_directories(fFolder / "VANTOR/Cadenzo");
    fFolder.Write("VANTOR/Cadenzo/Cadenzo_Prefs.arc",
                  {'n', 'o', 't', ' ', 'a', ' ', 'm', 's', 'g'});
    TPrefs prefs;
    EXPECT_EQ(-1, prefs.LoadFromFile());
    expect_defaults(prefs);

    // A velocity above what MIDI allows is clamped; a field of the wrong type is ignored.
    BMessage edited;
    edited.AddInt8("MaxV", (int8)200);
    edited.AddString("TlMg", "five");
    WriteMessage(PrefsFile(), edited);
    EXPECT_EQ(-1, prefs.LoadFromFile());
    EXPECT_EQ(127, prefs.MaxV);
    EXPECT_EQ(3, prefs.TlMg);
}

TEST_F(Settings, HoldingAllFourModifierKeysDiscardsTheSettings)
{
    TPrefs prefs;
    prefs.TlMg = 9;
    ASSERT_EQ(0, prefs.SaveToFile());

    // Three keys are not the gesture.
    BPrivate::set_modifiers(B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY);
    TPrefs loaded;
    EXPECT_EQ(0, loaded.LoadFromFile());
    EXPECT_EQ(9, loaded.TlMg);

    // Saving with all four held writes nothing.
    BPrivate::set_modifiers(B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY |
                            B_CAPS_LOCK);
    prefs.TlMg = 4;
    EXPECT_EQ(-1, prefs.SaveToFile());
    BPrivate::set_modifiers(0);
    EXPECT_EQ(0, loaded.LoadFromFile());
    EXPECT_EQ(9, loaded.TlMg);

    // Loading with all four held deletes the file and keeps the defaults.
    BPrivate::set_modifiers(B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY);
    TPrefs discarded;
    EXPECT_EQ(-1, discarded.LoadFromFile());
    EXPECT_EQ(3, discarded.TlMg);
    EXPECT_FALSE(std::filesystem::exists(PrefsFile()));
    BPrivate::set_modifiers(0);
    EXPECT_EQ(-1, TPrefs().LoadFromFile());
}

TEST_F(Settings, ExitStatesRecordTheRunningVersionAndTheFrame)
{
    TExitStates states;
    EXPECT_EQ(-1, states.LoadFromFile());
    EXPECT_EQ(BRect(50, 50, 200, 200), states.WFr);

    BMessage old;
    old.AddString("_Ver", "Ver 1.00");
    old.AddRect("_WFr", BRect(10, 20, 300, 400));
    WriteMessage(fFolder / "VANTOR/Cadenzo/Cadenzo_ExitStates.arc", old);
    ASSERT_EQ(0, states.LoadFromFile());
    EXPECT_EQ("Ver 1.00", states.Ver);
    EXPECT_EQ(BRect(10, 20, 300, 400), states.WFr);

    states.WFr = BRect(1.5f, 2, 3, 4);
    ASSERT_EQ(0, states.SaveToFile());
    TExitStates next;
    ASSERT_EQ(0, next.LoadFromFile());
    EXPECT_EQ(gAppVer, next.Ver);
    EXPECT_EQ(BRect(1.5f, 2, 3, 4), next.WFr);
}

TEST_F(Settings, TheExecutableKnowsItsNameAndFolderThroughLinks)
{
    std::filesystem::create_directories(fFolder / "apps/X");
    fFolder.Write("apps/X/Prog", {0});
    std::filesystem::create_symlink(fFolder / "apps/X/Prog", fFolder / "link");

    TAppPrivacy direct;
    direct.AnalyzeExePath((fFolder / "apps/X/Prog").c_str());
    EXPECT_EQ(fFolder / "apps/X/", direct.ExePath());
    EXPECT_EQ("Prog", direct.ExeName());

    TAppPrivacy linked;
    linked.AnalyzeExePath((fFolder / "link").c_str());
    EXPECT_EQ(fFolder / "apps/X/", linked.ExePath());
    EXPECT_EQ("Prog", linked.ExeName());
}

} // namespace
