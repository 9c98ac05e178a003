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

namespace {

// The bytes of a resource of the running executable, or "(none)".
std::string resource(type_code type, const char* name)
{
    size_t size = 0;
    const void* data = BApplication::AppResources()->LoadResource(type, name, &size);
    return data != nullptr ? std::string(static_cast<const char*>(data), size) : "(none)";
}

} // namespace

TEST(CadenzoResources, SayWhatTheApplicationIsAndOpens)
{
    ASSERT_EQ(BApplication::AppResources()->InitCheck(), B_OK);
    EXPECT_EQ(resource('MIMS', "BEOS:APP_SIG"),
              std::string("application/x-vnd.VANTOR-Cadenzo", 33));

    const std::string flat = resource('MSGG', "BEOS:FILE_TYPES");
    BMessage types;
    ASSERT_EQ(types.Unflatten(flat.data(), flat.size()), B_OK);
    std::string listed;
    const char* type;
    for (int32 i = 0; types.FindString("types", i, &type) == B_OK; i++)
        listed += std::string(type) + " ";
    EXPECT_EQ(listed, "audio/x-midi audio/midi ");

    const std::string flags = resource('APPF', "BEOS:APP_FLAGS");
    ASSERT_EQ(flags.size(), sizeof(int32));
    int32 value;
    memcpy(&value, flags.data(), sizeof(value));
    EXPECT_EQ(value, 1) << "B_MULTIPLE_LAUNCH";
}

TEST(CadenzoResources, VersionRecordDescribesTheConverter)
{
    const std::string record = resource('APPV', "BEOS:APP_VERSION");
    ASSERT_EQ(record.size(), sizeof(version_info));
    version_info version;
    memcpy(&version, record.data(), sizeof(version));
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
    const std::string flat = resource('ARCV', "CadenzoViewRsrc");
    BMessage archive;
    ASSERT_EQ(archive.Unflatten(flat.data(), flat.size()), B_OK);
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
