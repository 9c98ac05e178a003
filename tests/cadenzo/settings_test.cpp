// Settings files through real files in a settings folder of the test's own.

#include "Environment.h"
#include "TempFolder.h"
#include "app/AppConstants.h"
#include "settings/Prefs.h"

#include <File.h>
#include <InterfaceDefs.h>

#include <gtest/gtest.h>

#include <sstream>

namespace {

class Settings : public testing::Test {
protected:
    void TearDown() override { BPrivate::set_modifiers(0); }

    std::string PrefsFile() const { return fFolder / "VANTOR/Cadenzo/Cadenzo_Prefs.arc"; }

    void WriteMessage(const std::string& path, const BMessage& message)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
        ASSERT_EQ(B_OK, message.Flatten(&file));
    }

    TempFolder fFolder;
    ScopedVariable fConfig{"XDG_CONFIG_HOME", fFolder.Path()};
};

// The settings in the order of the file, as one line.
std::string describe(const TPrefs& p)
{
    std::ostringstream text;
    text << "AdSq " << p.AdSq << " AdTl " << p.AdTl << " OPrF " << p.OPrF << " TrHd " << p.TrHd
         << " ChMs ";
    for (bool on : p.ChMs)
        text << on;
    text << " MaxV " << (int)(uint8)p.MaxV << " TlMg " << p.TlMg << " OFld " << p.OFld << " SqPf "
         << p.SqPf;
    return text.str();
}

const std::string kDefaults =
    "AdSq 1 AdTl 1 OPrF 0 TrHd 1 ChMs 1111111110111111 MaxV 127 TlMg 3 OFld /boot/home SqPf X-";

// What loading the file gives a new object: the result, then the settings.
std::string loaded()
{
    TPrefs prefs;
    const int32 result = prefs.LoadFromFile();
    return std::to_string(result) + " " + describe(prefs);
}

TEST_F(Settings, MissingDamagedOrPartialFilesLeaveTheDefaultsForWhatTheyLack)
{
    EXPECT_EQ("-1 " + kDefaults, loaded()) << "a first start finds no file";
    EXPECT_TRUE(fFolder.Exists("VANTOR/Cadenzo")) << "the folder is made on the way";

    fFolder.Write("VANTOR/Cadenzo/Cadenzo_Prefs.arc",
                  {'n', 'o', 't', ' ', 'a', ' ', 'm', 's', 'g'});
    EXPECT_EQ("-1 " + kDefaults, loaded()) << "not a message";

    BMessage partial;
    partial.AddBool("TrHd", false);
    WriteMessage(PrefsFile(), partial);
    EXPECT_EQ("-1 AdSq 1 AdTl 1 OPrF 0 TrHd 0 ChMs 1111111110111111 MaxV 127 TlMg 3 "
              "OFld /boot/home SqPf X-",
              loaded())
        << "only the fields there change";

    // A velocity above what MIDI allows is clamped; a field of the wrong type is ignored.
    BMessage edited;
    edited.AddInt8("MaxV", (int8)200);
    edited.AddString("TlMg", "five");
    WriteMessage(PrefsFile(), edited);
    EXPECT_EQ("-1 " + kDefaults, loaded()) << "hand-edited values";
}

TEST_F(Settings, TheFileHoldsTheFieldsInOrderWithTheirTypes)
{
    ASSERT_EQ(0, TPrefs().SaveToFile());
    BFile file(PrefsFile().c_str(), B_READ_ONLY);
    BMessage archive;
    ASSERT_EQ(B_OK, archive.Unflatten(&file));
    std::string fields;
    char* name;
    type_code type;
    int32 count;
    for (int32 i = 0; archive.GetInfo(B_ANY_TYPE, i, &name, &type, &count) == B_OK; i++) {
        const char code[] = {(char)(type >> 24), (char)(type >> 16), (char)(type >> 8), (char)type,
                             '\0'};
        fields += std::string(name) + " " + code + " " + std::to_string(count);
        std::string value;
        for (int32 j = 0; archive.FindString(name, j, &value) == B_OK; j++)
            fields += " " + value;
        fields += ", ";
    }
    EXPECT_EQ(
        "class CSTR 2 TPrefs TArchivable, AdSq BOOL 1, AdTl BOOL 1, OPrF BOOL 1, TrHd BOOL 1, "
        "ChMs BOOL 16, MaxV BYTE 1, TlMg LONG 1, OFld CSTR 1 /boot/home, SqPf CSTR 1 X-, ",
        fields);
}

// Every field of a file saved by one run is read by the next, unless all four modifier keys
// are held.
TEST_F(Settings, AFileFromOneRunIsReadByTheNextUnlessAllFourModifierKeysAreHeld)
{
    TPrefs prefs;
    prefs.AdSq = false;
    prefs.AdTl = false;
    prefs.OPrF = true;
    prefs.TrHd = false;
    prefs.ChMs[0] = false;
    prefs.ChMs[9] = true;
    prefs.ChMs[15] = false;
    prefs.MaxV = 100;
    prefs.TlMg = 7;
    prefs.OFld = "/home/someone/Music";
    prefs.SqPf = "Y-\u00e9";
    ASSERT_EQ(0, prefs.SaveToFile());
    const std::string saved = "0 " + describe(prefs);
    const uint32 allFour = B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY;

    BPrivate::set_modifiers(B_SHIFT_KEY | B_COMMAND_KEY | B_CONTROL_KEY);
    EXPECT_EQ(saved, loaded()) << "read back; three keys are not the gesture";

    BPrivate::set_modifiers(allFour | B_CAPS_LOCK);
    prefs.TlMg = 4;
    EXPECT_EQ(-1, prefs.SaveToFile());
    BPrivate::set_modifiers(0);
    EXPECT_EQ(saved, loaded()) << "saving with all four held writes nothing";

    BPrivate::set_modifiers(allFour);
    EXPECT_EQ("-1 " + kDefaults, loaded()) << "loading with all four held keeps the defaults";
    EXPECT_FALSE(std::filesystem::exists(PrefsFile())) << "and deletes the file";
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

    for (const std::string& path : {fFolder / "apps/X/Prog", fFolder / "link"}) {
        TAppPrivacy privacy;
        privacy.AnalyzeExePath(path.c_str());
        EXPECT_EQ(fFolder / "apps/X/", privacy.ExePath()) << path;
        EXPECT_EQ("Prog", privacy.ExeName()) << path;
    }
}

} // namespace
