// What the cadenzo executable carries: this test links the very resource object that is linked
// into cadenzo, and reads it the way the platform reads the running executable's resources.

#include <Application.h>
#include <Message.h>
#include <Resources.h>

#include <gtest/gtest.h>

#include <cstring>
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
