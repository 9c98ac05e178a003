#include <File.h>
#include <ResourceFormat.h>
#include <ResourceRegistry.h>
#include <ResourceWriter.h>
#include <Resources.h>

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using BPrivate::ResourceWriter;

namespace {

// Two resources of one type, one nameless, one empty.
std::vector<uint8> sample_blob()
{
    ResourceWriter writer;
    EXPECT_EQ(writer.AddResource('TEXT', 1, "first", 6, "one"), B_OK);
    EXPECT_EQ(writer.AddResource('TEXT', -7, "second value", 13, "two"), B_OK);
    EXPECT_EQ(writer.AddResource('LONG', 1, "\x01\x02\x03\x04", 4), B_OK);
    EXPECT_EQ(writer.AddResource('NONE', 0, nullptr, 0, "empty"), B_OK);
    return writer.Blob();
}

// Where a field of the index-th table record is.
size_t record(size_t index, size_t field)
{
    return BPrivate::resource_format::kHeaderSize + index * BPrivate::resource_format::kEntrySize +
           field;
}

void put32(std::vector<uint8>& blob, size_t offset, uint32 value)
{
    BPrivate::resource_format::put32(&blob[offset], value);
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
        'h',  'i', 0,   0,   0, 0, 0, 0,                          // name, NUL, padding
        'a',  'b', 'c', 0,   0, 0, 0, 0,                          // data, padding
    };
    EXPECT_EQ(writer.Blob(), expected);
}

TEST(ResourceBlob, ResourcesAreFoundByIdByNameAndInOrder)
{
    const std::vector<uint8> blob = sample_blob();
    BResources resources;
    ASSERT_EQ(resources.SetTo(blob.data(), blob.size()), B_OK);
    ASSERT_EQ(resources.CountResources(), 4);

    size_t size = 0;
    const auto* data = static_cast<const uint8*>(resources.LoadResource('TEXT', -7, &size));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string((const char*)data, size), std::string("second value", 13));
    // Read in place, 8-aligned within the blob.
    EXPECT_TRUE(data > blob.data() && data < blob.data() + blob.size());
    EXPECT_EQ((data - blob.data()) % 8, 0);
    EXPECT_EQ(resources.LoadResource('TEXT', "one", &size),
              resources.LoadResource('TEXT', 1, nullptr));
    EXPECT_EQ(size, 6u);
    EXPECT_NE(resources.LoadResource('NONE', "empty", &size), nullptr) << "empty, yet there";
    EXPECT_EQ(size, 0u);

    // Type and id or name must both match; a nameless resource has no name to be found by.
    EXPECT_FALSE(resources.HasResource('LONG', "two"));
    EXPECT_FALSE(resources.HasResource('TEXT', "tw"));
    EXPECT_FALSE(resources.HasResource('TEXT', 7));
    EXPECT_FALSE(resources.HasResource('LONG', ""));
    EXPECT_FALSE(resources.HasResource('TEXT', (const char*)nullptr));
    size = 42;
    EXPECT_EQ(resources.LoadResource('TEXT', 2, &size), nullptr);
    EXPECT_EQ(size, 42u);

    type_code type;
    int32 id;
    const char* name;
    ASSERT_TRUE(resources.GetResourceInfo(2, &type, &id, &name, &size));
    EXPECT_EQ(type, (type_code)'LONG');
    EXPECT_STREQ(name, "");
    EXPECT_FALSE(resources.GetResourceInfo(4, &type, &id, &name, &size));
    std::vector<int32> ids;
    for (int32 i = 0; resources.GetResourceInfo('TEXT', i, &id, &name, &size); i++)
        ids.push_back(id);
    EXPECT_EQ(ids, (std::vector<int32>{1, -7}));
    ASSERT_TRUE(resources.GetResourceInfo('TEXT', "two", &id, &size));
    EXPECT_EQ(id, -7);
}

TEST(ResourceBlob, WriterRefusesWhatTheReaderWouldRefuse)
{
    ResourceWriter writer;
    ASSERT_EQ(writer.AddResource('TEXT', 1, "a", 1, "name"), B_OK);
    // A second id or name of one type the description compiler's mistakes show.
    EXPECT_EQ(writer.AddResource('TEXT', 3, nullptr, 1), B_BAD_VALUE);
    EXPECT_EQ(writer.AddResource('TEXT', 4, "b", 1, std::string(256, 'n').c_str()), B_BAD_VALUE);
    // The same id or name under another type, and several nameless ones, are fine.
    EXPECT_EQ(writer.AddResource('LONG', 1, "b", 1, "name"), B_OK);
    EXPECT_EQ(writer.AddResource('TEXT', 5, "c", 1), B_OK);
    EXPECT_EQ(writer.AddResource('TEXT', 6, "d", 1, ""), B_OK);
    EXPECT_EQ(writer.AddResource('TEXT', 7, "e", 1, std::string(255, 'n').c_str()), B_OK);
    const std::vector<uint8> blob = writer.Blob();
    BResources resources;
    EXPECT_EQ(resources.SetTo(blob.data(), blob.size()), B_OK);
    EXPECT_EQ(resources.CountResources(), 5);
}

TEST(ResourceBlob, MalformedBlobsAreRefusedWhole)
{
    const std::vector<uint8> good = sample_blob();
    const uint32 size = (uint32)good.size();
    const std::pair<const char*, std::function<void(std::vector<uint8>&)>> cases[] = {
        {"shorter than a header", [](auto& b) { b.resize(15); }},
        {"another magic", [](auto& b) { b[3] = 'X'; }},
        {"another version", [](auto& b) { b[4] = 2; }},
        {"reserved flags set", [](auto& b) { b[6] = 1; }},
        {"total size too large", [&](auto& b) { put32(b, 8, size + 8); }},
        {"bytes after the end", [](auto& b) { b.push_back(0); }},
        {"more records than fit", [&](auto& b) { put32(b, 12, size / 24 + 1); }},
        {"name inside the table", [](auto& b) { put32(b, record(0, 8), 20); }},
        {"name past the end", [&](auto& b) { put32(b, record(0, 8), size); }},
        {"name running past the end",
         [&](auto& b) {
             put32(b, record(0, 8), size - 1);
             put32(b, record(0, 12), 1);
         }},
        {"name too long", [](auto& b) { put32(b, record(0, 12), 256); }},
        {"name without its NUL", [](auto& b) { put32(b, record(0, 12), 2); }},
        {"NUL inside the name", [](auto& b) { put32(b, record(0, 12), 4); }},
        {"data inside the header", [](auto& b) { put32(b, record(1, 16), 8); }},
        {"data past the end", [&](auto& b) { put32(b, record(1, 20), size); }},
        {"data wrapping around",
         [](auto& b) {
             put32(b, record(1, 16), 0xfffffff0u);
             put32(b, record(1, 20), 0x20);
         }},
        {"two resources with one id", [](auto& b) { put32(b, record(1, 4), 1); }},
        {"two resources with one name",
         [](auto& b) { memcpy(&b[record(1, 8)], &b[record(0, 8)], 8); }},
    };
    for (const auto& [what, spoil] : cases) {
        std::vector<uint8> blob = good;
        spoil(blob);
        BResources resources;
        EXPECT_EQ(resources.SetTo(blob.data(), blob.size()), B_BAD_DATA) << what;
        EXPECT_EQ(resources.InitCheck(), B_BAD_DATA) << what;
        EXPECT_FALSE(resources.HasResource('TEXT', 1)) << what;
    }
}

TEST(ResourceFile, IsReadWholeAndRefusedWhenItIsNoBlob)
{
    TempFolder folder;
    const std::vector<uint8> blob = sample_blob();
    const std::string path = folder.WriteText("app.rsrc", std::string(blob.begin(), blob.end()));
    BResources resources;
    {
        BFile file(path.c_str(), B_READ_ONLY);
        ASSERT_EQ(resources.SetTo(&file), B_OK);
    }
    std::filesystem::remove(path);
    size_t size;
    const char* text = static_cast<const char*>(resources.LoadResource('TEXT', "two", &size));
    ASSERT_NE(text, nullptr) << "the data outlives the file";
    EXPECT_EQ(std::string(text, size), std::string("second value", 13));

    BFile missing((folder / "missing").c_str(), B_READ_ONLY);
    EXPECT_EQ(resources.SetTo(&missing), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(resources.SetTo((BFile*)nullptr), B_BAD_VALUE);
    BFile text_file(folder.WriteText("text", "not a blob at all").c_str(), B_READ_ONLY);
    EXPECT_EQ(resources.SetTo(&text_file), B_BAD_DATA);
    EXPECT_FALSE(resources.HasResource('TEXT', 1)) << "a failed SetTo forgets the old blob";
    // Refused from its size alone, before anything is allocated for it.
    BFile huge((folder / "huge").c_str(), B_READ_WRITE | B_CREATE_FILE);
    ASSERT_EQ(huge.SetSize(BResources::kMaxFileSize + 1), B_OK);
    EXPECT_EQ(resources.SetTo(&huge), B_BAD_DATA);
}

// The executable's resources are process-wide and settled at first use, so this case runs in a
// fresh copy of this program (gtest's "threadsafe" death tests run it again). The registered
// blob is checked with the icons the MIME types read from it.
TEST(AppResources, AreEmptyWithoutARegisteredBlob)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            BResources* resources = BPrivate::app_resources();
            const std::vector<uint8> blob = sample_blob();
            const bool empty = resources->InitCheck() == B_OK && resources->CountResources() == 0;
            // Too late once the set was made.
            const bool sealed =
                BPrivate::register_app_resources(blob.data(), blob.size()) == B_NOT_ALLOWED;
            exit(empty && sealed ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
