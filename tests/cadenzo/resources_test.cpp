// What the cadenzo executable carries: this test links the very resource object that is linked
// into cadenzo, and reads it the way the platform reads the running executable's resources.

#include <Message.h>
#include <ResourceRegistry.h>
#include <Resources.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

BResources& app_resources()
{
    BResources* resources = BPrivate::app_resources();
    EXPECT_EQ(resources->InitCheck(), B_OK);
    return *resources;
}

} // namespace

TEST(CadenzoResources, SignatureIsTheApplicationsOwn)
{
    size_t size = 0;
    const char* signature =
        static_cast<const char*>(app_resources().LoadResource('MIMS', "BEOS:APP_SIG", &size));
    ASSERT_NE(signature, nullptr);
    EXPECT_EQ(std::string(signature, size), std::string("application/x-vnd.VANTOR-Cadenzo", 33));
}

TEST(CadenzoResources, SupportedTypesAreTheMidiTypes)
{
    size_t size = 0;
    const char* bytes =
        static_cast<const char*>(app_resources().LoadResource('MSGG', "BEOS:FILE_TYPES", &size));
    ASSERT_NE(bytes, nullptr);
    BMessage types;
    ASSERT_EQ(types.Unflatten(bytes, size), B_OK);
    type_code type;
    int32 count = 0;
    ASSERT_EQ(types.GetInfo("types", &type, &count), B_OK);
    EXPECT_EQ(type, (type_code)B_STRING_TYPE);
    ASSERT_EQ(count, 2);
    const char* first;
    const char* second;
    ASSERT_EQ(types.FindString("types", 0, &first), B_OK);
    ASSERT_EQ(types.FindString("types", 1, &second), B_OK);
    EXPECT_STREQ(first, "audio/x-midi");
    EXPECT_STREQ(second, "audio/midi");
}

TEST(CadenzoResources, SeveralInstancesMayRun)
{
    size_t size = 0;
    const void* flags = app_resources().LoadResource('APPF', "BEOS:APP_FLAGS", &size);
    ASSERT_NE(flags, nullptr);
    ASSERT_EQ(size, sizeof(int32));
    int32 value;
    memcpy(&value, flags, sizeof(value));
    EXPECT_EQ(value, 1) << "B_MULTIPLE_LAUNCH";
}

TEST(CadenzoResources, VersionRecordDescribesTheConverter)
{
    size_t size = 0;
    const void* record = app_resources().LoadResource('APPV', "BEOS:APP_VERSION", &size);
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(size, sizeof(version_info));
    version_info version;
    memcpy(&version, record, sizeof(version));
    EXPECT_EQ(version.major, 0u);
    EXPECT_EQ(version.middle, 0u);
    EXPECT_EQ(version.minor, 0u);
    EXPECT_EQ(version.variety, 0u);
    EXPECT_EQ(version.internal, 0u);
    ASSERT_NE(memchr(version.short_info, '\0', sizeof(version.short_info)), nullptr);
    ASSERT_NE(memchr(version.long_info, '\0', sizeof(version.long_info)), nullptr);
    EXPECT_STREQ(version.short_info, "MIDI to .fem converter");
    EXPECT_STREQ(version.long_info,
                 "Cadenzo converts Standard MIDI Files into the .fem format of the player piano.");
}
