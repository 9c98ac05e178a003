// What the cadenzo executable carries: this test links the very resource object that is linked
// into cadenzo, and reads it the way the platform reads the running executable's resources.

#include <Application.h>
#include <ArchiveClasses.h>
#include <Box.h>
#include <CheckBox.h>
#include <Message.h>
#include <Resources.h>
#include <StringView.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

TEST(CadenzoResources, SayWhatTheApplicationIsAndOpens)
{
    BResources* resources = BApplication::AppResources();
    ASSERT_EQ(resources->InitCheck(), B_OK);
    size_t size = 0;

    const char* signature =
        static_cast<const char*>(resources->LoadResource('MIMS', "BEOS:APP_SIG", &size));
    ASSERT_NE(signature, nullptr);
    EXPECT_EQ(std::string(signature, size), std::string("application/x-vnd.VANTOR-Cadenzo", 33));

    const char* flat =
        static_cast<const char*>(resources->LoadResource('MSGG', "BEOS:FILE_TYPES", &size));
    ASSERT_NE(flat, nullptr);
    BMessage types;
    ASSERT_EQ(types.Unflatten(flat, size), B_OK);
    const char* type[2] = {};
    EXPECT_EQ(types.FindString("types", 0, &type[0]), B_OK);
    EXPECT_EQ(types.FindString("types", 1, &type[1]), B_OK);
    EXPECT_FALSE(types.HasString("types", 2));
    EXPECT_STREQ(type[0], "audio/x-midi");
    EXPECT_STREQ(type[1], "audio/midi");

    const void* flags = resources->LoadResource('APPF', "BEOS:APP_FLAGS", &size);
    ASSERT_NE(flags, nullptr);
    ASSERT_EQ(size, sizeof(int32));
    int32 value;
    memcpy(&value, flags, sizeof(value));
    EXPECT_EQ(value, 1) << "B_MULTIPLE_LAUNCH";
}

TEST(CadenzoResources, VersionRecordDescribesTheConverter)
{
    size_t size = 0;
    const void* record =
        BApplication::AppResources()->LoadResource('APPV', "BEOS:APP_VERSION", &size);
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(size, sizeof(version_info));
    version_info version;
    memcpy(&version, record, sizeof(version));
    EXPECT_EQ(version.major + version.middle + version.minor + version.variety + version.internal,
              0u);
    ASSERT_NE(memchr(version.short_info, '\0', sizeof(version.short_info)), nullptr);
    ASSERT_NE(memchr(version.long_info, '\0', sizeof(version.long_info)), nullptr);
    EXPECT_STREQ(version.short_info, "MIDI to .fem converter");
    EXPECT_STREQ(version.long_info,
                 "Cadenzo converts Standard MIDI Files into the .fem format of the player piano.");
}

// The main window's content comes out of the resource as the kit's views, with the names,
// frames and child order the window and its drop view look for.
TEST(CadenzoResources, ViewTreeUnflattensIntoTheMainWindowsLayout)
{
    size_t size = 0;
    const void* flat = BApplication::AppResources()->LoadResource('ARCV', "CadenzoViewRsrc", &size);
    ASSERT_NE(flat, nullptr);
    BMessage archive;
    ASSERT_EQ(archive.Unflatten(static_cast<const char*>(flat), size), B_OK);
    BPrivate::register_interface_classes();
    std::unique_ptr<BView> root(dynamic_cast<BView*>(instantiate_object(&archive)));
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Name(), "BGView");
    EXPECT_EQ(root->Frame(), BRect(0, 0, 350, 130));
    EXPECT_EQ(root->ResizingMode(), (uint32)B_FOLLOW_ALL_SIDES);
    EXPECT_EQ(root->Flags(), (uint32)(B_WILL_DRAW | B_FRAME_EVENTS));
    EXPECT_EQ(root->ViewColor(), (rgb_color{216, 216, 216, 255}));
    ASSERT_EQ(root->CountChildren(), 2);

    auto* status = dynamic_cast<BStringView*>(root->ChildAt(0));
    ASSERT_NE(status, nullptr);
    EXPECT_STREQ(status->Name(), "StrViewStatus");
    EXPECT_EQ(status->Frame(), BRect(10, 10, 340, 30));
    EXPECT_STREQ(status->Text(), "");
    EXPECT_EQ(status->Alignment(), B_ALIGN_LEFT);
    BFont font;
    status->GetFont(&font);
    EXPECT_EQ(font.Size(), 12);

    auto* box = dynamic_cast<BBox*>(root->ChildAt(1));
    ASSERT_NE(box, nullptr);
    EXPECT_STREQ(box->Name(), "BoxChMasks");
    EXPECT_EQ(box->Frame(), BRect(10, 45, 340, 120));
    box->GetFont(&font);
    EXPECT_EQ(font.Size(), 10);
    font_family family;
    font_style style;
    font.GetFamilyAndStyle(&family, &style);
    EXPECT_STREQ(style, "Bold");

    ASSERT_EQ(box->CountChildren(), 16);
    for (int32 i = 0; i < 16; i++) {
        auto* check = dynamic_cast<BCheckBox*>(box->ChildAt(i));
        ASSERT_NE(check, nullptr) << i;
        const float left = 10 + 40 * (i % 8);
        const float top = i < 8 ? 20 : 45;
        EXPECT_EQ(check->Frame(), BRect(left, top, left + 30, top + 20)) << i;
        EXPECT_STREQ(check->Name(), "New BCheckBox");
        EXPECT_TRUE(check->Label() == nullptr || check->Label()[0] == '\0') << i;
    }
}
