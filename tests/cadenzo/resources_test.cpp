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

    const int32 flags = B_MULTIPLE_LAUNCH;
    EXPECT_EQ(resource('APPF', "BEOS:APP_FLAGS"), std::string((const char*)&flags, sizeof(flags)));

    // Version 0.0.0, and the texts padded with zeros.
    version_info version{};
    strcpy(version.short_info, "MIDI to .fem converter");
    strcpy(version.long_info,
           "Cadenzo converts Standard MIDI Files into the .fem format of the player piano.");
    EXPECT_EQ(resource('APPV', "BEOS:APP_VERSION"),
              std::string((const char*)&version, sizeof(version)));
}
