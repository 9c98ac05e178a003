#include <File.h>
#include <ResourceFormat.h>
#include <ResourceRegistry.h>
#include <ResourceWriter.h>
#include <Resources.h>

#include "../storage/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using BPrivate::ResourceWriter;

namespace {

// Two resources of one type, one of another, one nameless and one empty.
std::vector<uint8> sample_blob()
{
    ResourceWriter writer;
    EXPECT_EQ(writer.AddResource('TEXT', 1, "first", 6, "one"), B_OK);
    EXPECT_EQ(writer.AddResource('TEXT', -7, "second value", 13, "two"), B_OK);
    EXPECT_EQ(writer.AddResource('LONG', 1, "\x01\x02\x03\x04", 4), B_OK);
    EXPECT_EQ(writer.AddResource('NONE', 0, nullptr, 0, "empty"), B_OK);
    return writer.Blob();
}

void put32(std::vector<uint8>& blob, size_t offset, uint32 value)
{
    BPrivate::resource_format::put32(&blob[offset], value);
}

// Offset of a field of the index-th table record.
size_t record(size_t index, size_t field)
{
    return BPrivate::resource_format::kHeaderSize + index * BPrivate::resource_format::kEntrySize +
           field;
}

} // namespace

TEST(ResourceBlob, IsLaidOutByteForByteAsDocumented)
{
    ResourceWriter writer;
    ASSERT_EQ(writer.AddResource('TEST', 5, "abc", 3, "hi"), B_OK);
    const std::vector<uint8> expected = {
        0x89, 'B', 'R', 'S', 1, 0, 0, 0, 56, 0, 0, 0, 1, 0, 0, 0, // header
        'T',  'S', 'E', 'T', 5, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, // type, id, name at 40, 2 long
        48,   0,   0,   0,   3, 0, 0, 0,                          // data at 48, 3 long
        'h',  'i', 0,   0,   0, 0, 0, 0,                          // name, NUL, padding to 8
        'a',  'b', 'c', 0,   0, 0, 0, 0,                          // data, padding to 8
    };
    EXPECT_EQ(writer.Blob(), expected);
}

TEST(ResourceBlob, EveryResourceLoadsByIdAndByName)
{
    const std::vector<uint8> blob = sample_blob();
    BResources resources;
    ASSERT_EQ(resources.SetTo(blob.data(), blob.size()), B_OK);
    EXPECT_EQ(resources.InitCheck(), B_OK);
    EXPECT_EQ(resources.CountResources(), 4);

    size_t size = 0;
    const void* data = resources.LoadResource('TEXT', -7, &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(data), size), std::string("second value", 13));
    // Loaded where it lies: the pointer is into the caller's blob, aligned for in-place reads.
    EXPECT_GE(static_cast<const uint8*>(data), blob.data());
    EXPECT_LT(static_cast<const uint8*>(data), blob.data() + blob.size());
    EXPECT_EQ((static_cast<const uint8*>(data) - blob.data()) % 8, 0);

    EXPECT_EQ(resources.LoadResource('TEXT', "one", &size),
              resources.LoadResource('TEXT', 1, nullptr));
    EXPECT_EQ(size, 6u);
    EXPECT_STREQ(static_cast<const char*>(resources.LoadResource('TEXT', "one", nullptr)), "first");
    ASSERT_NE(resources.LoadResource('LONG', 1, &size), nullptr);
    EXPECT_EQ(memcmp(resources.LoadResource('LONG', 1, nullptr), "\x01\x02\x03\x04", 4), 0);

    // An empty resource exists and has no bytes.
    size = 99;
    EXPECT_NE(resources.LoadResource('NONE', "empty", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(resources.HasResource('NONE', 0));
}

TEST(ResourceBlob, LookupsMatchTypeAndIdOrNameExactly)
{
    const std::vector<uint8> blob = sample_blob();
    BResources resources;
    ASSERT_EQ(resources.SetTo(blob.data(), blob.size()), B_OK);

    EXPECT_TRUE(resources.HasResource('TEXT', "two"));
    EXPECT_FALSE(resources.HasResource('LONG', "two"));
    EXPECT_FALSE(resources.HasResource('TEXT', "tw"));
    EXPECT_FALSE(resources.HasResource('TEXT', 7));
    EXPECT_FALSE(resources.HasResource('LONG', 2));
    // A nameless resource is not found by the empty name, nor is anything by a null one.
    EXPECT_FALSE(resources.HasResource('LONG', ""));
    EXPECT_FALSE(resources.HasResource('TEXT', (const char*)nullptr));
    size_t size = 42;
    EXPECT_EQ(resources.LoadResource('TEXT', 2, &size), nullptr);
    EXPECT_EQ(size, 42u) << "a failed load leaves the size alone";
}

TEST(ResourceBlob, ResourceInfoWalksAllOrOneType)
{
    const std::vector<uint8> blob = sample_blob();
    BResources resources;
    ASSERT_EQ(resources.SetTo(blob.data(), blob.size()), B_OK);

    type_code type;
    int32 id;
    const char* name;
    size_t size;
    ASSERT_TRUE(resources.GetResourceInfo(2, &type, &id, &name, &size));
    EXPECT_EQ(type, (type_code)'LONG');
    EXPECT_EQ(id, 1);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(size, 4u);
    EXPECT_FALSE(resources.GetResourceInfo(4, &type, &id, &name, &size));
    EXPECT_FALSE(resources.GetResourceInfo(-1, &type, &id, &name, &size));

    std::vector<int32> ids;
    for (int32 i = 0; resources.GetResourceInfo('TEXT', i, &id, &name, &size); i++)
        ids.push_back(id);
    EXPECT_EQ(ids, (std::vector<int32>{1, -7}));
    EXPECT_FALSE(resources.GetResourceInfo('TEXT', -1, &id, &name, &size));

    ASSERT_TRUE(resources.GetResourceInfo('TEXT', "two", &id, &size));
    EXPECT_EQ(id, -7);
    EXPECT_EQ(size, 13u);
    EXPECT_FALSE(resources.GetResourceInfo('TEXT', "three", &id, &size));
}

TEST(ResourceBlob, WriterRefusesWhatTheReaderWouldRefuse)
{
    ResourceWriter writer;
    ASSERT_EQ(writer.AddResource('TEXT', 1, "a", 1, "name"), B_OK);
    EXPECT_EQ(writer.AddResource('TEXT', 1, "b", 1, "other"), B_NAME_IN_USE);
    EXPECT_EQ(writer.AddResource('TEXT', 2, "b", 1, "name"), B_NAME_IN_USE);
    EXPECT_EQ(writer.AddResource('TEXT', 3, nullptr, 1), B_BAD_VALUE);
    EXPECT_EQ(writer.AddResource('TEXT', 4, "b", 1, std::string(256, 'n').c_str()), B_BAD_VALUE);
    // The same id or name under another type, and several nameless ones, are fine.
    EXPECT_EQ(writer.AddResource('LONG', 1, "b", 1, "name"), B_OK);
    EXPECT_EQ(writer.AddResource('TEXT', 5, "c", 1), B_OK);
    EXPECT_EQ(writer.AddResource('TEXT', 6, "d", 1, ""), B_OK);
    EXPECT_EQ(writer.AddResource('TEXT', 7, "e", 1, std::string(255, 'n').c_str()), B_OK);
    EXPECT_EQ(writer.CountResources(), 5);

    const std::vector<uint8> blob = writer.Blob();
    BResources resources;
    EXPECT_EQ(resources.SetTo(blob.data(), blob.size()), B_OK);
    EXPECT_TRUE(resources.HasResource('TEXT', std::string(255, 'n').c_str()));
}

TEST(ResourceBlob, MalformedBlobsAreRefusedWhole)
{
    const std::vector<uint8> good = sample_blob();
    const size_t size = good.size();
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8>&)> spoil;
    };
    const Case cases[] = {
        {"shorter than a header", [](auto& b) { b.resize(15); }},
        {"another magic", [](auto& b) { b[3] = 'X'; }},
        {"another version", [](auto& b) { b[4] = 2; }},
        {"reserved flags set", [](auto& b) { b[6] = 1; }},
        {"total size too large", [&](auto& b) { put32(b, 8, (uint32)size + 8); }},
        {"total size too small", [&](auto& b) { put32(b, 8, (uint32)size - 8); }},
        {"bytes after the end", [&](auto& b) { b.push_back(0); }},
        {"more records than fit", [&](auto& b) { put32(b, 12, (uint32)size / 24 + 1); }},
        {"name inside the table", [](auto& b) { put32(b, record(0, 8), 20); }},
        {"name past the end", [&](auto& b) { put32(b, record(0, 8), (uint32)size); }},
        {"name too long", [](auto& b) { put32(b, record(0, 12), 256); }},
        {"name without its NUL", [](auto& b) { put32(b, record(0, 12), 2); }},
        {"NUL inside the name", [](auto& b) { put32(b, record(0, 12), 4); }},
        {"data inside the header", [](auto& b) { put32(b, record(1, 16), 8); }},
        {"data past the end", [&](auto& b) { put32(b, record(1, 20), (uint32)size); }},
        {"data offset wrapping around",
         [](auto& b) {
             put32(b, record(1, 16), 0xfffffff0u);
             put32(b, record(1, 20), 0x20);
         }},
        {"two resources with one id", [](auto& b) { put32(b, record(1, 4), 1); }},
        {"two resources with one name",
         [](auto& b) {
             // The second record takes the first one's name.
             for (int i = 8; i < 16; i++)
                 b[record(1, i)] = b[record(0, i)];
         }},
    };
    for (const Case& c : cases) {
        std::vector<uint8> blob = good;
        c.spoil(blob);
        BResources resources;
        EXPECT_EQ(resources.SetTo(blob.data(), blob.size()), B_BAD_DATA) << c.what;
        EXPECT_EQ(resources.InitCheck(), B_BAD_DATA) << c.what;
        EXPECT_EQ(resources.CountResources(), 0) << c.what;
        EXPECT_FALSE(resources.HasResource('TEXT', 1)) << c.what;
    }

    BResources resources;
    EXPECT_EQ(resources.SetTo(nullptr, 16), B_BAD_VALUE);
}

TEST(ResourceBlob, NoDamagedBlobLetsALookupOutside)
{
    // Whatever single byte is damaged, what is accepted still lies wholly inside the blob.
    const std::vector<uint8> good = sample_blob();
    for (size_t at = 0; at < good.size(); at++) {
        for (uint8 value : {0x00, 0x01, 0x7f, 0x80, 0xff}) {
            std::vector<uint8> blob = good;
            blob[at] ^= value;
            BResources resources;
            if (resources.SetTo(blob.data(), blob.size()) != B_OK)
                continue;
            type_code type;
            int32 id;
            const char* name;
            size_t size;
            for (int32 i = 0; resources.GetResourceInfo(i, &type, &id, &name, &size); i++) {
                const uint8* data =
                    static_cast<const uint8*>(resources.LoadResource(type, id, nullptr));
                ASSERT_NE(data, nullptr);
                ASSERT_GE(data, blob.data());
                ASSERT_LE(data + size, blob.data() + blob.size()) << "byte " << at;
                ASSERT_GE((const uint8*)name, blob.data());
                ASSERT_LT((const uint8*)name + strlen(name), blob.data() + blob.size());
            }
        }
    }
}

TEST(ResourceFile, IsReadWholeAndOutlivesTheFile)
{
    TempFolder folder;
    const std::vector<uint8> blob = sample_blob();
    const std::string path = folder.Write("app.rsrc", std::string(blob.begin(), blob.end()));

    BResources resources;
    {
        BFile file(path.c_str(), B_READ_ONLY);
        ASSERT_EQ(resources.SetTo(&file), B_OK);
    }
    std::filesystem::remove(path);
    size_t size;
    const char* text = static_cast<const char*>(resources.LoadResource('TEXT', "two", &size));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text, size), std::string("second value", 13));

    BFile constructed(folder.Write("again.rsrc", std::string(blob.begin(), blob.end())).c_str(),
                      B_READ_ONLY);
    EXPECT_EQ(BResources(&constructed).CountResources(), 4);
}

TEST(ResourceFile, BadFilesAreRefused)
{
    TempFolder folder;
    BResources resources;
    EXPECT_EQ(resources.SetTo((BFile*)nullptr), B_BAD_VALUE);

    BFile missing((folder / "missing").c_str(), B_READ_ONLY);
    EXPECT_EQ(resources.SetTo(&missing), B_ENTRY_NOT_FOUND);

    BFile text(folder.Write("text", "not a blob at all").c_str(), B_READ_ONLY);
    EXPECT_EQ(resources.SetTo(&text), B_BAD_DATA);

    // Refused from its size alone: nothing is allocated for it.
    BFile huge((folder / "huge").c_str(), B_READ_WRITE | B_CREATE_FILE);
    ASSERT_EQ(huge.SetSize(BResources::kMaxFileSize + 1), B_OK);
    EXPECT_EQ(resources.SetTo(&huge), B_BAD_DATA);

    // A failed SetTo forgets the blob that was there before.
    const std::vector<uint8> blob = sample_blob();
    ASSERT_EQ(resources.SetTo(blob.data(), blob.size()), B_OK);
    EXPECT_EQ(resources.SetTo(&text), B_BAD_DATA);
    EXPECT_FALSE(resources.HasResource('TEXT', 1));
    resources.Unset();
    EXPECT_EQ(resources.InitCheck(), B_NO_INIT);
}

// The executable's resources are process-wide and settled at first use, so each case runs in
// a fresh copy of this program (gtest's "threadsafe" death tests re-execute it).
TEST(AppResources, AreEmptyWithoutARegisteredBlob)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            BResources* resources = BPrivate::app_resources();
            const std::vector<uint8> blob = sample_blob();
            const bool empty = resources != nullptr && resources->InitCheck() == B_OK &&
                               resources->CountResources() == 0;
            // Too late once the set was made.
            const bool sealed =
                BPrivate::register_app_resources(blob.data(), blob.size()) == B_NOT_ALLOWED;
            exit(empty && sealed ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(AppResources, AreTheOneBlobRegistered)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static const std::vector<uint8> blob = sample_blob();
            static const std::vector<uint8> other = sample_blob();
            bool ok = BPrivate::register_app_resources(blob.data(), blob.size()) == B_OK;
            ok =
                ok && BPrivate::register_app_resources(other.data(), other.size()) == B_NOT_ALLOWED;
            BResources* resources = BPrivate::app_resources();
            BResources direct;
            direct.SetTo(blob.data(), blob.size());
            ok = ok && resources != nullptr && resources == BPrivate::app_resources() &&
                 resources->CountResources() == 4 &&
                 resources->LoadResource('TEXT', 1, nullptr) ==
                     direct.LoadResource('TEXT', 1, nullptr);
            exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
