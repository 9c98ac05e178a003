// Common preference items and their store, through real item files in a settings folder of
// the test's own.

#include "TempFolder.h"
#include "iap/IAPItemAccKeyFormat.h"
#include "iap/IAPItemFlatToolBar.h"
#include "iap/InterAppPrefs.h"
#include "settings/Prefs.h"

#include <File.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

constexpr char kOurs[] = "application/x-vnd.VANTOR-Cadenzo";
constexpr char kOthers[] = "application/x-vnd.VANTOR-Other";

std::string bytes(std::initializer_list<uint8_t> list)
{
    return std::string(list.begin(), list.end());
}

const std::string kDefaultFormat = bytes({0x02, 0x28, 0x61, 0x29});

class IAP : public testing::Test {
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", fFolder.Path().c_str(), 1); }
    void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

    std::string ItemFile(const std::string& name) const
    {
        return fFolder / ("VANTOR/Shared/" + name + ".arc");
    }
    void WriteItemFile(const std::string& name, const BMessage& message) const
    {
        std::filesystem::create_directories(fFolder / "VANTOR/Shared");
        BFile file(ItemFile(name).c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
        ASSERT_EQ(B_OK, message.Flatten(&file));
    }
    BMessage ReadItemFile(const std::string& name) const
    {
        BFile file(ItemFile(name).c_str(), B_READ_ONLY);
        BMessage message;
        EXPECT_EQ(B_OK, message.Unflatten(&file));
        return message;
    }
    std::string StoredFormat() const
    {
        std::string value;
        EXPECT_EQ(B_OK, ReadItemFile("AccKeyFormat2").FindString("AccKeyFormat2", &value));
        return value;
    }

    // A value message as the common preferences window broadcasts it.
    static BMessage FormatMessage(const char* source, const std::string& format)
    {
        BMessage message(kIAPValueMessage);
        message.AddString(kIAPSrcAppField, source);
        message.AddString(kIAPSrcItemField, "AccKeyFormat2");
        message.AddString("AccKeyFormat2", format);
        return message;
    }

    TempFolder fFolder;
};

std::string current(const TIAPItem& item)
{
    std::string value;
    EXPECT_EQ(0, item.GetString(&value, false));
    return value;
}

// #pragma mark - the accelerator format

TEST_F(IAP, TheOfferedFormatsAreTheseBytes)
{
    EXPECT_EQ(kDefaultFormat, kAccKeyFormats[0]);
    EXPECT_EQ(bytes({0x01, 0x61, 0x29, 0x20}), kAccKeyFormats[1]);
    EXPECT_EQ(bytes({0x01, 0x61, 0xE3, 0x83, 0xBB}), kAccKeyFormats[2]);
    EXPECT_EQ(bytes({0x01, 0x61, 0x20, 0x2D, 0x20}), kAccKeyFormats[3]);
    EXPECT_EQ("", kAccKeyFormats[4]);
}

TEST_F(IAP, WithoutAFileTheFormatIsTheDefault)
{
    TIAPItemAccKeyFormat item;
    EXPECT_EQ("AccKeyFormat2", item.Name());
    EXPECT_EQ(kDefaultFormat, current(item));
    std::string value;
    EXPECT_EQ(0, item.GetString(&value, true));
    EXPECT_EQ(kDefaultFormat, value);
    // Reading creates the shared folder but no file.
    EXPECT_TRUE(fFolder.Exists("VANTOR/Shared"));
    EXPECT_FALSE(fFolder.Exists("VANTOR/Shared/AccKeyFormat2.arc"));
}

TEST_F(IAP, AFileWithoutTheValueOrNoMessageAtAllGivesTheDefault)
{
    BMessage withoutValue;
    withoutValue.AddString(kIAPSrcAppField, kOthers);
    withoutValue.AddInt32("AccKeyFormat2", 3); // wrong type
    WriteItemFile("AccKeyFormat2", withoutValue);
    EXPECT_EQ(kDefaultFormat, current(TIAPItemAccKeyFormat()));

    fFolder.Write("VANTOR/Shared/AccKeyFormat2.arc", {'j', 'u', 'n', 'k'});
    EXPECT_EQ(kDefaultFormat, current(TIAPItemAccKeyFormat()));
}

TEST_F(IAP, TheStoredFormatIsReadWhoeverWroteIt)
{
    BMessage stored;
    stored.AddString("AccKeyFormat2", kAccKeyFormats[4]);
    stored.AddString(kIAPSrcAppField, kOthers);
    WriteItemFile("AccKeyFormat2", stored);
    EXPECT_EQ("", current(TIAPItemAccKeyFormat()));
}

TEST_F(IAP, SetStringSavesTheValueAndTheWritingApplication)
{
    TIAPItemAccKeyFormat item;
    item.SetAppSignatureRef(kOurs);
    EXPECT_EQ(0, item.SetString(kAccKeyFormats[2]));
    EXPECT_EQ(kAccKeyFormats[2], current(item));

    BMessage file = ReadItemFile("AccKeyFormat2");
    EXPECT_EQ(0u, file.what);
    EXPECT_EQ(2, file.CountNames(B_ANY_TYPE));
    EXPECT_EQ(kAccKeyFormats[2], StoredFormat());
    std::string source;
    EXPECT_EQ(B_OK, file.FindString(kIAPSrcAppField, &source));
    EXPECT_EQ(kOurs, source);

    // The next start reads it back.
    EXPECT_EQ(kAccKeyFormats[2], current(TIAPItemAccKeyFormat()));
    // No temporary is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fFolder / "VANTOR/Shared")) {
        EXPECT_EQ("AccKeyFormat2.arc", entry.path().filename());
        files++;
    }
    EXPECT_EQ(1, files);
}

TEST_F(IAP, AFailedSaveIsReportedBySaveStringOnly)
{
    TIAPItemAccKeyFormat item;
    item.SetAppSignatureRef(kOurs);
    // A folder where the file should be cannot be replaced by a file.
    std::filesystem::create_directories(ItemFile("AccKeyFormat2"));
    EXPECT_LT(item.SaveString(kAccKeyFormats[1]), 0);
    EXPECT_EQ(0, item.SetString(kAccKeyFormats[1]));
    EXPECT_EQ(kAccKeyFormats[1], current(item));
    EXPECT_TRUE(std::filesystem::is_directory(ItemFile("AccKeyFormat2")));
}

TEST_F(IAP, TheValueMessageCarriesSourceItemAndValue)
{
    TIAPItemAccKeyFormat item;
    item.SetAppSignatureRef(kOurs);
    item.SetString(kAccKeyFormats[3]);

    for (bool useDefault : {false, true}) {
        BMessage message;
        EXPECT_EQ(0, item.GetValue(&message, useDefault));
        EXPECT_EQ(kIAPValueMessage, message.what);
        char* name;
        type_code type;
        const char* expected[] = {kIAPSrcAppField, kIAPSrcItemField, "AccKeyFormat2"};
        for (int32 index = 0; index < 3; index++) {
            ASSERT_EQ(B_OK, message.GetInfo(B_ANY_TYPE, index, &name, &type));
            EXPECT_STREQ(expected[index], name);
            EXPECT_EQ(B_STRING_TYPE, type);
        }
        std::string value;
        message.FindString("AccKeyFormat2", &value);
        EXPECT_EQ(useDefault ? kDefaultFormat : kAccKeyFormats[3], value);
        const char* source;
        message.FindString(kIAPSrcAppField, &source);
        EXPECT_STREQ(kOurs, source);
    }
}

TEST_F(IAP, OnlyAMessageFromTheOwningApplicationRewritesTheFile)
{
    TIAPItemAccKeyFormat item;
    item.SetAppSignatureRef(kOurs);
    item.SetString(kAccKeyFormats[1]);

    EXPECT_EQ(0, item.SetValue(FormatMessage(kOthers, kAccKeyFormats[3])));
    EXPECT_EQ(kAccKeyFormats[3], current(item));
    EXPECT_EQ(kAccKeyFormats[1], StoredFormat());

    // Without a source the value is taken over but not saved either.
    BMessage anonymous = FormatMessage(kOthers, kAccKeyFormats[4]);
    anonymous.RemoveName(kIAPSrcAppField);
    EXPECT_EQ(0, item.SetValue(anonymous));
    EXPECT_EQ("", current(item));
    EXPECT_EQ(kAccKeyFormats[1], StoredFormat());

    EXPECT_EQ(0, item.SetValue(FormatMessage(kOurs, kAccKeyFormats[2])));
    EXPECT_EQ(kAccKeyFormats[2], current(item));
    EXPECT_EQ(kAccKeyFormats[2], StoredFormat());
}

TEST_F(IAP, AnItemWithoutASignatureTakesValuesButNeverOwnsThem)
{
    TIAPItemAccKeyFormat item;
    EXPECT_EQ(0, item.SetValue(FormatMessage(kOurs, kAccKeyFormats[3])));
    EXPECT_EQ(kAccKeyFormats[3], current(item));
    EXPECT_FALSE(fFolder.Exists("VANTOR/Shared/AccKeyFormat2.arc"));
}

TEST_F(IAP, AValueMessageWithoutTheFormatChangesNothing)
{
    TIAPItemAccKeyFormat item;
    item.SetAppSignatureRef(kOurs);
    BMessage message = FormatMessage(kOurs, "");
    message.RemoveName("AccKeyFormat2");
    message.AddBool("AccKeyFormat2", false);
    EXPECT_EQ(-1, item.SetValue(message));
    EXPECT_EQ(kDefaultFormat, current(item));
    EXPECT_FALSE(fFolder.Exists("VANTOR/Shared/AccKeyFormat2.arc"));

    bool flag = true;
    EXPECT_EQ(-1, item.GetBool(&flag, false));
    EXPECT_EQ(-1, item.SetBool(false));
    EXPECT_TRUE(flag);
}

// #pragma mark - the flat tool bar switch

// The archive of the switch's configuration view: a container whose first child is the check
// box.
BMessage view_archive(std::optional<int32> checked)
{
    BMessage checkBox;
    checkBox.AddString("_name", "FFlat Tool Bar");
    if (checked)
        checkBox.AddInt32("_val", *checked);
    BMessage container(kIAPValueMessage);
    container.AddString("_name", "FlatToolBar");
    container.AddMessage("_views", &checkBox);
    container.AddString(kIAPSrcAppField, kOthers);
    container.AddString(kIAPSrcItemField, "FlatToolBar");
    return container;
}

bool switched(const TIAPItemFlatToolBar& item)
{
    bool value = false;
    EXPECT_EQ(0, item.GetBool(&value, false));
    return value;
}

bool stored_switch()
{
    return switched(TIAPItemFlatToolBar());
}

TEST_F(IAP, TheSwitchIsOnUntilStoredOtherwise)
{
    TIAPItemFlatToolBar item;
    EXPECT_EQ("FlatToolBar", item.Name());
    EXPECT_TRUE(switched(item));

    BMessage stored;
    stored.AddBool("FlatToolBar", false);
    WriteItemFile("FlatToolBar", stored);
    TIAPItemFlatToolBar reread;
    EXPECT_FALSE(switched(reread));
    bool value = false;
    EXPECT_EQ(0, reread.GetBool(&value, true));
    EXPECT_TRUE(value);

    std::string format = "unchanged";
    EXPECT_EQ(-1, reread.GetString(&format, false));
    EXPECT_EQ(-1, reread.SetString("x"));
    EXPECT_EQ("unchanged", format);
}

TEST_F(IAP, SetBoolChangesTheSwitchInMemoryOnly)
{
    TIAPItemFlatToolBar item;
    EXPECT_EQ(0, item.SetBool(false));
    EXPECT_FALSE(switched(item));
    EXPECT_FALSE(fFolder.Exists("VANTOR/Shared/FlatToolBar.arc"));
}

TEST_F(IAP, TheSwitchComesFromItsFieldOrFromTheArchivedCheckBox)
{
    TIAPItemFlatToolBar item;
    item.SetAppSignatureRef(kOurs);

    // Saved whichever application sent it.
    EXPECT_EQ(0, item.SetValue(view_archive(0)));
    EXPECT_FALSE(switched(item));
    EXPECT_FALSE(stored_switch());

    EXPECT_EQ(0, item.SetValue(view_archive(1)));
    EXPECT_TRUE(switched(item));
    EXPECT_TRUE(stored_switch());

    // A check box without a value is off.
    EXPECT_EQ(0, item.SetValue(view_archive(std::nullopt)));
    EXPECT_FALSE(switched(item));

    // The field wins over the archive.
    BMessage both = view_archive(0);
    both.AddBool("FlatToolBar", true);
    EXPECT_EQ(0, item.SetValue(both));
    EXPECT_TRUE(switched(item));
    std::string source;
    EXPECT_EQ(B_OK, ReadItemFile("FlatToolBar").FindString(kIAPSrcAppField, &source));
    EXPECT_EQ(kOurs, source);

    // Neither: nothing changes.
    BMessage neither(kIAPValueMessage);
    neither.AddString(kIAPSrcItemField, "FlatToolBar");
    EXPECT_EQ(-1, item.SetValue(neither));
    EXPECT_TRUE(switched(item));
    EXPECT_TRUE(stored_switch());
}

TEST_F(IAP, TheSwitchValueMessageHoldsABool)
{
    TIAPItemFlatToolBar item;
    item.SetAppSignatureRef(kOurs);
    item.SetBool(false);
    for (bool useDefault : {false, true}) {
        BMessage message;
        EXPECT_EQ(0, item.GetValue(&message, useDefault));
        EXPECT_EQ(kIAPValueMessage, message.what);
        bool value = !useDefault;
        EXPECT_EQ(B_OK, message.FindBool("FlatToolBar", &value));
        EXPECT_EQ(useDefault, value);
        const char* name;
        EXPECT_EQ(B_OK, message.FindString(kIAPSrcItemField, &name));
        EXPECT_STREQ("FlatToolBar", name);
    }
}

// #pragma mark - the store

// Records its destruction, to see who the store deletes.
class TCountedItem : public TIAPItem {
public:
    TCountedItem(const std::string& name, int* deaths) : TIAPItem(name), fDeaths(deaths) {}
    ~TCountedItem() override { (*fDeaths)++; }

    status_t SetValue(const BMessage& message) override
    {
        return message.HasBool("accept") ? 0 : -1;
    }

private:
    int* fDeaths;
};

TEST_F(IAP, TheStoreHandsItsSignatureToEveryItem)
{
    TInterAppPrefs store;
    auto* early = new TIAPItemFlatToolBar;
    store.AddItem(early);
    EXPECT_EQ(nullptr, early->AppSignatureRef());
    EXPECT_EQ(0, store.SetAppSignatureRef(kOurs));
    EXPECT_EQ(kOurs, early->AppSignatureRef());
    auto* late = new TIAPItemAccKeyFormat;
    store.AddItem(late);
    EXPECT_EQ(kOurs, late->AppSignatureRef());
}

TEST_F(IAP, TheStoreAnswersByNameAndRefusesOtherNames)
{
    TInterAppPrefs store;
    store.SetAppSignatureRef(kOurs);
    EXPECT_EQ(0, store.AddItem(new TIAPItemAccKeyFormat));
    EXPECT_EQ(0, store.AddItem(new TIAPItemFlatToolBar));

    std::string format;
    EXPECT_EQ(0, store.GetString("AccKeyFormat2", &format));
    EXPECT_EQ(kDefaultFormat, format);
    EXPECT_EQ(0, store.SetString("AccKeyFormat2", kAccKeyFormats[1]));
    EXPECT_EQ(kAccKeyFormats[1], StoredFormat());

    bool flat = false;
    EXPECT_EQ(0, store.GetBool("FlatToolBar", &flat));
    EXPECT_TRUE(flat);
    EXPECT_EQ(0, store.SetBool("FlatToolBar", false));
    EXPECT_EQ(0, store.GetBool("FlatToolBar", &flat));
    EXPECT_FALSE(flat);

    // Unknown names, and the kinds of value an item does not hold.
    format = "untouched";
    flat = true;
    EXPECT_EQ(-1, store.GetString("accKeyFormat2", &format));
    EXPECT_EQ(-1, store.GetString("FlatToolBar", &format));
    EXPECT_EQ(-1, store.GetBool("Missing", &flat));
    EXPECT_EQ(-1, store.GetBool(nullptr, &flat));
    EXPECT_EQ(-1, store.SetString("Missing", "x"));
    EXPECT_EQ(-1, store.SetBool("AccKeyFormat2", true));
    EXPECT_EQ("untouched", format);
    EXPECT_TRUE(flat);
}

TEST_F(IAP, TheStoreOwnsItsItemsAndReplacesByName)
{
    int firstDeaths = 0, secondDeaths = 0;
    {
        TInterAppPrefs store;
        auto* first = new TCountedItem("Item", &firstDeaths);
        store.AddItem(first);
        // Registering the same item again keeps it alive.
        EXPECT_EQ(0, store.AddItem(first));
        EXPECT_EQ(0, firstDeaths);
        store.AddItem(new TCountedItem("Item", &secondDeaths));
        EXPECT_EQ(1, firstDeaths);
        EXPECT_EQ(0, secondDeaths);
        EXPECT_EQ(-1, store.AddItem(nullptr));
    }
    EXPECT_EQ(1, firstDeaths);
    EXPECT_EQ(1, secondDeaths);
}

TEST_F(IAP, SetValueRoutesANotificationToItsItem)
{
    TInterAppPrefs store;
    store.SetAppSignatureRef(kOurs);
    store.AddItem(new TIAPItemAccKeyFormat);

    EXPECT_EQ(0, store.SetValue(FormatMessage(kOthers, kAccKeyFormats[4])));
    std::string format;
    store.GetString("AccKeyFormat2", &format);
    EXPECT_EQ("", format);

    // Items registered only by other applications, and messages naming no item, are ignored.
    BMessage foreign = FormatMessage(kOthers, "");
    foreign.ReplaceString(kIAPSrcItemField, "FlatToolBar");
    foreign.AddBool("FlatToolBar", false);
    EXPECT_EQ(-1, store.SetValue(foreign));
    BMessage unnamed = FormatMessage(kOthers, kAccKeyFormats[1]);
    unnamed.RemoveName(kIAPSrcItemField);
    EXPECT_EQ(-1, store.SetValue(unnamed));
    store.GetString("AccKeyFormat2", &format);
    EXPECT_EQ("", format);
}

TEST_F(IAP, ThePrivateRecordTakesTheFormatOnceItIsRegistered)
{
    TCadenzoAppPrivacy privacy;
    privacy.fAccFormat = "before";
    EXPECT_EQ(-1, privacy.UpdateAccFormat());
    EXPECT_EQ("before", privacy.fAccFormat);

    gIAPs->SetAppSignatureRef(kOurs);
    gIAPs->AddItem(new TIAPItemAccKeyFormat);
    EXPECT_EQ(0, privacy.UpdateAccFormat());
    EXPECT_EQ(kDefaultFormat, privacy.fAccFormat);

    gIAPs->SetValue(FormatMessage(kOthers, kAccKeyFormats[3]));
    EXPECT_EQ(0, privacy.UpdateAccFormat());
    EXPECT_EQ(kAccKeyFormats[3], privacy.fAccFormat);
}

} // namespace
