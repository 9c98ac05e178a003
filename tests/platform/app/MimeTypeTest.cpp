#include <Bitmap.h>
#include <MimeType.h>
#include <ResourceRegistry.h>
#include <ResourceWriter.h>
#include <Resources.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

TEST(MimeTypeTest, TakesOnlyWellFormedTypes)
{
    const std::string tooLong = "application/" + std::string(B_MIME_TYPE_LENGTH, 'x');
    const struct {
        const char* type;
        status_t status;
    } cases[] = {
        {"audio/midi", B_OK},
        {"audio", B_OK},
        {"application/x-vnd.A-B", B_OK},
        {"", B_BAD_VALUE},
        {"audio/", B_BAD_VALUE},
        {"/midi", B_BAD_VALUE},
        {"audio/mi di", B_BAD_VALUE},
        {"a/b/c", B_BAD_VALUE},
        {"audio/x;y", B_BAD_VALUE},
        {tooLong.c_str(), B_BAD_VALUE},
        {nullptr, B_BAD_VALUE},
    };
    for (const auto& each : cases) {
        BMimeType type(each.type);
        EXPECT_EQ(type.InitCheck(), each.status) << (each.type ? each.type : "(null)");
        EXPECT_EQ(BMimeType::IsValid(each.type), each.status == B_OK);
    }
    EXPECT_TRUE(BMimeType("audio").IsSupertypeOnly());
    EXPECT_TRUE(BMimeType("Audio/MIDI") == "audio/midi");
}

// The executable's resources are process-wide and settled at first use: this case runs in a
// fresh copy of the program (gtest's "threadsafe" death tests run it again). It exits 1 when the
// registry broke its rules, 2 when the icons were wrong.
TEST(MimeTypeTest, IconsComeFromTheOneResourceBlobRegisteredForTheSignature)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // The mini icon takes the same path; the application's icon tests read it.
            std::vector<uint8> large(32 * 32);
            for (size_t i = 0; i < large.size(); i++)
                large[i] = (uint8)(i * 7);
            const char signature[] = "application/x-vnd.Test-Icons";
            BPrivate::ResourceWriter writer;
            writer.AddResource('MIMS', 1, signature, sizeof(signature), "BEOS:APP_SIG");
            writer.AddResource('ICON', 101, large.data(), large.size(), "BEOS:L:STD_ICON");
            static const std::vector<uint8> blob = writer.Blob();
            // Registered once only, and read in place.
            bool registered =
                BPrivate::register_app_resources(blob.data(), blob.size()) == B_OK &&
                BPrivate::register_app_resources(blob.data(), blob.size()) == B_NOT_ALLOWED;
            BResources* resources = BPrivate::app_resources();
            const void* data = resources->LoadResource('ICON', 101, nullptr);
            registered = registered && resources == BPrivate::app_resources() &&
                         resources->CountResources() == 2 && data > (const void*)blob.data() &&
                         data < (const void*)(blob.data() + blob.size());

            BBitmap big(BRect(0, 0, 31, 31), B_CMAP8);
            BBitmap wrongSize(BRect(0, 0, 15, 15), B_CMAP8);
            BBitmap wrongSpace(BRect(0, 0, 31, 31), B_RGBA32);
            BMimeType own("Application/X-Vnd.Test-Icons"); // types ignore case
            BMimeType other("application/x-vnd.Other");
            memset(wrongSize.Bits(), 9, (size_t)wrongSize.BitsLength());
            bool ok = own.GetIcon(&big, B_LARGE_ICON) == B_OK &&
                      memcmp(big.Bits(), large.data(), large.size()) == 0;
            ok = ok && own.GetIcon(&wrongSize, B_LARGE_ICON) == B_BAD_VALUE &&
                 own.GetIcon(&wrongSpace, B_LARGE_ICON) == B_BAD_VALUE &&
                 other.GetIcon(&wrongSize, B_MINI_ICON) == B_ENTRY_NOT_FOUND &&
                 ((uint8*)wrongSize.Bits())[0] == 9 &&
                 BMimeType().GetIcon(&big, B_LARGE_ICON) == B_NO_INIT;
            exit(!registered ? 1 : !ok ? 2 : 0);
        },
        testing::ExitedWithCode(0), "");
}
