// Common preference items and their store, through real item files in a settings folder of
// the test's own.

#include "Environment.h"
#include "MessageFields.h"
#include "RecordingHandler.h"
#include "TempFolder.h"
#include "Watchdog.h"
#include "iap/IAPItemAccKeyFormat.h"
#include "iap/IAPItemFlatToolBar.h"
#include "iap/InterAppPrefs.h"
#include "settings/Prefs.h"

#include <File.h>
#include <Messenger.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace {

constexpr char kOurs[] = "application/x-vnd.VANTOR-Cadenzo";
constexpr char kOthers[] = "application/x-vnd.VANTOR-Other";

// What each format does to a label is AccLabel's (ui_test).
const std::string& kDefaultFormat = kAccKeyFormats[0];

class IAP : public testing::Test {
protected:
    std::string ItemFile(const std::string& name) const
    {
        return fFolder / ("VANTOR/Shared/" + name + ".arc");
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
    ScopedVariable fConfig{"XDG_CONFIG_HOME", fFolder.Path()};
};

// The archive of the switch's configuration view, as the window sends it back: a container
// whose first child is the check box.
BMessage view_archive(std::optional<int32> checked)
{
    BMessage checkBox;
    if (checked)
        checkBox.AddInt32("_val", *checked);
    BMessage container(kIAPValueMessage);
    container.AddMessage("_views", &checkBox);
    container.AddString(kIAPSrcAppField, kOthers);
    container.AddString(kIAPSrcItemField, "FlatToolBar");
    return container;
}

std::string current(const TIAPItem& item)
{
    std::string value;
    EXPECT_EQ(0, item.GetString(&value, false));
    return value;
}

bool switched(const TIAPItem& item)
{
    bool value = false;
    EXPECT_EQ(0, item.GetBool(&value, false));
    return value;
}

// #pragma mark - the accelerator format

// The value message carries the source, the item and the value, in that order.
TEST_F(IAP, TheFormatIsSavedWithItsWriterAndReadBackAndTheValueMessageCarriesThem)
{
    TIAPItemAccKeyFormat item;
    item.SetAppSignatureRef(kOurs);
    EXPECT_EQ(0, item.SetString(kAccKeyFormats[2]));
    BMessage file = ReadItemFile("AccKeyFormat2");
    EXPECT_EQ(0u, file.what);
    EXPECT_EQ(2, file.CountNames(B_ANY_TYPE));
    EXPECT_EQ(kAccKeyFormats[2], StoredFormat());
    EXPECT_EQ(kOurs, string_of(file, kIAPSrcAppField));
    EXPECT_EQ(kAccKeyFormats[2], current(TIAPItemAccKeyFormat()));
    for (bool useDefault : {false, true}) {
        BMessage message;
        EXPECT_EQ(0, item.GetValue(&message, useDefault));
        EXPECT_EQ(kIAPValueMessage, message.what);
        std::string fields;
        char* name;
        type_code type;
        for (int32 index = 0; message.GetInfo(B_STRING_TYPE, index, &name, &type) == B_OK; index++)
            fields += std::string(name) + "=" + string_of(message, name) + " ";
        EXPECT_EQ(fields, std::string(kIAPSrcAppField) + "=" + kOurs + " " + kIAPSrcItemField +
                              "=AccKeyFormat2 AccKeyFormat2=" +
                              (useDefault ? kDefaultFormat : kAccKeyFormats[2]) + " ");
    }
    // The owner's message rewrites the file, an empty format included, which the next item
    // reads as it is; an item nobody registered owns no message.
    EXPECT_EQ(0, item.SetValue(FormatMessage(kOurs, kAccKeyFormats[4])));
    EXPECT_EQ(kAccKeyFormats[4], current(TIAPItemAccKeyFormat()));
    TIAPItemAccKeyFormat unowned;
    EXPECT_EQ(0, unowned.SetValue(FormatMessage(kOurs, kAccKeyFormats[3])));
    EXPECT_EQ(kAccKeyFormats[4], StoredFormat());

    // The new file took the place of a temporary; none is left beside it.
    auto entries = std::filesystem::directory_iterator(fFolder / "VANTOR/Shared");
    EXPECT_EQ(1, std::distance(begin(entries), end(entries)));

    // A failed save is reported by SaveString only; the value changes all the same.
    std::filesystem::remove(ItemFile("AccKeyFormat2"));
    std::filesystem::create_directories(ItemFile("AccKeyFormat2"));
    EXPECT_LT(item.SaveString(kAccKeyFormats[1]), 0);
    EXPECT_EQ(0, item.SetString(kAccKeyFormats[1]));
    EXPECT_EQ(kAccKeyFormats[1], current(item));
}

// #pragma mark - the flat tool bar switch

TEST_F(IAP, TheSwitchComesFromItsFieldOrTheArchivedCheckBoxAndOnlySetValueSavesIt)
{
    TIAPItemFlatToolBar item;
    EXPECT_TRUE(switched(item));
    EXPECT_EQ(0, item.SetBool(false));
    EXPECT_FALSE(switched(item));
    EXPECT_TRUE(switched(TIAPItemFlatToolBar()));

    EXPECT_EQ(0, item.SetValue(view_archive(2)));
    EXPECT_TRUE(switched(TIAPItemFlatToolBar()));
    EXPECT_EQ(0, item.SetValue(view_archive(std::nullopt)));
    EXPECT_FALSE(switched(TIAPItemFlatToolBar()));
    BMessage both = view_archive(0);
    both.AddBool("FlatToolBar", true);
    EXPECT_EQ(0, item.SetValue(both));
    EXPECT_TRUE(switched(TIAPItemFlatToolBar()));

    BMessage neither(kIAPValueMessage);
    neither.AddInt32("FlatToolBar", 0);
    EXPECT_EQ(-1, item.SetValue(neither));
    EXPECT_TRUE(switched(item));

    BMessage message;
    EXPECT_EQ(0, item.GetValue(&message, true));
    bool value = false;
    EXPECT_EQ(B_OK, message.FindBool("FlatToolBar", &value));
    EXPECT_TRUE(value);
}

// #pragma mark - the store

// Records its destruction, to see which items the store deletes.
class TCountedItem : public TIAPItem {
public:
    TCountedItem(const std::string& name, int* deaths) : TIAPItem(name), fDeaths(deaths) {}
    ~TCountedItem() override { (*fDeaths)++; }

private:
    int* fDeaths;
};

TEST_F(IAP, TheStoreOwnsItsItemsAndHandsThemItsSignature)
{
    int firstDeaths = 0, secondDeaths = 0;
    {
        TInterAppPrefs store;
        auto* first = new TCountedItem("Item", &firstDeaths);
        store.AddItem(first);
        EXPECT_EQ(0, store.SetAppSignatureRef(kOurs));
        EXPECT_EQ(kOurs, first->AppSignatureRef());
        // Registering the same item again keeps it alive.
        EXPECT_EQ(0, store.AddItem(first));
        EXPECT_EQ(0, firstDeaths);
        auto* second = new TCountedItem("Item", &secondDeaths);
        EXPECT_EQ(0, store.AddItem(second));
        EXPECT_EQ(kOurs, second->AppSignatureRef());
        EXPECT_EQ(1, firstDeaths);
        EXPECT_EQ(-1, store.AddItem(nullptr));
    }
    EXPECT_EQ(1, firstDeaths);
    EXPECT_EQ(1, secondDeaths);
}

TEST_F(IAP, TheStoreAnswersOnlyForTheNamesAndKindsItHolds)
{
    TInterAppPrefs store;
    store.SetAppSignatureRef(kOurs);
    store.AddItem(new TIAPItemAccKeyFormat);
    store.AddItem(new TIAPItemFlatToolBar);
    EXPECT_EQ(0, store.SetString("AccKeyFormat2", kAccKeyFormats[1]));
    EXPECT_EQ(kAccKeyFormats[1], StoredFormat());
    EXPECT_EQ(0, store.SetBool("FlatToolBar", false));
    std::string format;
    bool flat = true;
    EXPECT_EQ(0, store.GetString("AccKeyFormat2", &format));
    EXPECT_EQ(0, store.GetBool("FlatToolBar", &flat));
    EXPECT_EQ(kAccKeyFormats[1], format);
    EXPECT_FALSE(flat);

    format = "untouched";
    EXPECT_EQ(-1, store.GetString("accKeyFormat2", &format));
    EXPECT_EQ(-1, store.GetString("FlatToolBar", &format));
    EXPECT_EQ(-1, store.GetBool(nullptr, &flat));
    EXPECT_EQ(-1, store.SetBool("AccKeyFormat2", true));
    EXPECT_EQ(-1, store.SetString("Missing", "x"));
    EXPECT_EQ("untouched", format);
    EXPECT_FALSE(flat);
}

TEST_F(IAP, ObserversGetCopiesOfTheAcceptedNotificationsInOrder)
{
    Watchdog watchdog;
    MessageLog log;
    RecordingHandler first("first", &log), second("second", &log);
    RunningLooper observers("observers");
    observers->AddHandler(&first);
    observers->AddHandler(&second);
    observers.Run();

    TInterAppPrefs store;
    store.SetAppSignatureRef(kOurs);
    store.AddItem(new TIAPItemAccKeyFormat);
    store.AddObserver(BMessenger(&first));
    store.AddObserver(BMessenger(&second));

    // Refused: an item the store does not hold, a message naming none, one its item rejects.
    EXPECT_EQ(-1, store.SetValue(view_archive(1)));
    BMessage unnamed = FormatMessage(kOthers, kAccKeyFormats[1]);
    unnamed.RemoveName(kIAPSrcItemField);
    EXPECT_EQ(-1, store.SetValue(unnamed));
    BMessage valueless = FormatMessage(kOthers, "");
    valueless.RemoveName("AccKeyFormat2");
    EXPECT_EQ(-1, store.SetValue(valueless));
    std::string format;
    store.GetString("AccKeyFormat2", &format);
    EXPECT_EQ(kDefaultFormat, format);

    EXPECT_EQ(0, store.SetValue(FormatMessage(kOthers, kAccKeyFormats[3])));
    store.GetString("AccKeyFormat2", &format);
    EXPECT_EQ(kAccKeyFormats[3], format);
    // Had a refused message gone out, it would have come first.
    ASSERT_TRUE(log.WaitFor(2));
    std::string received;
    for (const auto& [receiver, message] : log.Entries()) {
        EXPECT_EQ(kIAPValueMessage, message.what);
        received += receiver + ":" + string_of(message, "AccKeyFormat2") + " ";
    }
    EXPECT_EQ(received, "first:" + kAccKeyFormats[3] + " second:" + kAccKeyFormats[3] + " ");
}

// Once registered, the format follows the item (the menus' tests); before, it stays.
TEST_F(IAP, ThePrivateRecordKeepsItsFormatWhileNoneIsRegistered)
{
    TCadenzoAppPrivacy privacy;
    privacy.SetAccFormat("before");
    EXPECT_EQ(-1, privacy.UpdateAccFormat());
    EXPECT_EQ("before", privacy.AccFormat());
}

} // namespace
