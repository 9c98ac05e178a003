// What the cadenzo executable carries: this test links the very resource object that is linked
// into cadenzo, and reads it the way the platform reads the running executable's resources.

#include <Application.h>
#include <Message.h>
#include <Resources.h>

#include <gtest/gtest.h>

#include <cstring>
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

// What the application is, what it opens, how it starts and the converter its version names.
TEST(CadenzoResources, SayWhatTheApplicationIsOpensAndDescribeTheConverter)
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
