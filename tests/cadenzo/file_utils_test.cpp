#include "util/FileUtils.h"

#include "Environment.h"
#include "TempFolder.h"
#include "app/AppConstants.h"

#include <Application.h>
#include <Bitmap.h>
#include <Node.h>
#include <Resources.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <list>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

std::string read_attr(const std::string& path, const char* name)
{
    BNode node(path.c_str());
    char buffer[64];
    ssize_t count = node.ReadAttr(name, B_RAW_TYPE, 0, buffer, sizeof(buffer));
    return count < 0 ? "(none)" : std::string(buffer, (size_t)count);
}

// No shell ever sees a path: quotes, "$", backquotes and spaces are only characters of a name.
const std::string kSong = "song \"b\" $(touch ran) `touch ran2` $HOME 'c'.mid";

} // namespace

class CopyFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        fFolder.Write(kSong, bytes("MThd data"));
        BNode node(Source().c_str());
        if (node.WriteAttr("comment", B_STRING_TYPE, 0, "take 2", 6) != 6)
            GTEST_SKIP() << "the temporary folder keeps no attributes";
        fs::create_directory(fFolder / "out");
    }
    std::string Source() const { return fFolder / kSong; }

    TempFolder fFolder;
};

TEST_F(CopyFileTest, CopiesDataAndAttributesToAFileOrIntoAFolder)
{
    fFolder.Write("old.mid", bytes("an older and longer file"));
    const struct {
        std::string destination;
        std::string copy;
    } cases[] = {
        {fFolder / "out", "out/" + kSong},
        {fFolder / "out/", "out/" + kSong},
        {fFolder / "old.mid", "old.mid"}, // overwritten
        {fFolder / "out/renamed", "out/renamed"},
    };
    // Where a command in a name would make its files.
    CurrentFolder here(fFolder.Path());
    for (const auto& each : cases) {
        EXPECT_EQ(copy_file(Source().c_str(), each.destination.c_str()), 0) << each.destination;
        EXPECT_EQ(fFolder.Read(each.copy), bytes("MThd data")) << each.copy;
        EXPECT_EQ(read_attr(fFolder / each.copy, "comment"), "take 2") << each.copy;
    }
    EXPECT_FALSE(fFolder.Exists("ran") || fFolder.Exists("ran2") || fFolder.Exists("out/ran"));
}

TEST_F(CopyFileTest, RefusesWhatItCannotCopy)
{
    // The longest target path accepted, and one byte more.
    const std::string folder = fFolder / "out/";
    const std::string longest = folder + std::string(kMaxCopyTargetLength - folder.size(), 'n');
    EXPECT_EQ(copy_file(Source().c_str(), longest.c_str()), 0);
    EXPECT_EQ(copy_file(Source().c_str(), (longest + "x").c_str()), -1);
    EXPECT_FALSE(fs::exists(longest + "x"));

    EXPECT_EQ(copy_file((fFolder / "missing.mid").c_str(), (fFolder / "out").c_str()), -1);
    EXPECT_FALSE(fFolder.Exists("out/missing.mid"));
    EXPECT_EQ(copy_file(Source().c_str(), (fFolder / "no/such/folder/x").c_str()), -1);
    // Onto itself, directly or through its folder: the file keeps its data.
    EXPECT_EQ(copy_file(Source().c_str(), Source().c_str()), -1);
    EXPECT_EQ(copy_file(Source().c_str(), fFolder.Path().c_str()), -1);
    EXPECT_EQ(fFolder.Read(kSong), bytes("MThd data"));
}

// The tree /a: the file x, the folder s holding y, a link to s and a link to x.
class GetFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(fFolder / "a/s");
        fFolder.Write("a/x", bytes("x"));
        fFolder.Write("a/s/y", bytes("y"));
        fs::create_directory_symlink(fFolder / "a", fFolder / "a/s/up");
        fs::create_symlink(fFolder / "a/x", fFolder / "a/tox");
    }
    std::string Root() const { return fFolder / "a"; }
    std::list<std::string> List(bool recursive, status_t expected = 0)
    {
        std::list<std::string> list{"kept"};
        EXPECT_EQ(get_files(Root(), &list, recursive), expected);
        EXPECT_EQ(list.front(), "kept"); // only ever appended to
        list.pop_front();
        return list;
    }
    static std::vector<std::string> Sorted(const std::list<std::string>& list)
    {
        std::vector<std::string> sorted(list.begin(), list.end());
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }

    TempFolder fFolder;
};

TEST_F(GetFilesTest, ListsEachFolderBeforeItsContentsAndNeverFollowsLinks)
{
    const std::string a = Root() + "/";
    const std::list<std::string> flat = List(false);
    ASSERT_EQ(Sorted(flat), (std::vector<std::string>{a, a + "tox", a + "x"}))
        << "without recursion";
    EXPECT_EQ(flat.front(), a);

    const std::list<std::string> list = List(true);
    ASSERT_EQ(Sorted(list),
              (std::vector<std::string>{a, a + "s/", a + "s/up/", a + "s/y", a + "tox", a + "x"}));
    EXPECT_EQ(list.front(), a);
    auto sub = std::find(list.begin(), list.end(), a + "s/");
    ASSERT_NE(sub, list.end());
    EXPECT_EQ(Sorted({std::next(sub), std::next(sub, 3)}),
              (std::vector<std::string>{a + "s/up/", a + "s/y"}));
}

TEST_F(GetFilesTest, AFolderThatCannotBeOpenedFailsTheWalk)
{
    std::list<std::string> list;
    EXPECT_EQ(get_files(fFolder / "missing", &list, true), -1);
    EXPECT_TRUE(list.empty());
    if (getuid() == 0)
        GTEST_SKIP() << "root opens every folder";
    fs::permissions(fFolder / "a/s", fs::perms::none);
    EXPECT_EQ(List(true, -1).front(), Root() + "/");
}

TEST(GetIconsTest, WithoutAnApplicationItThrowsZero)
{
    BBitmap* icon = nullptr;
    try {
        get_icons(&icon, nullptr);
        ADD_FAILURE() << "no exception";
    } catch (status_t value) {
        EXPECT_EQ(value, 0);
    }
    EXPECT_EQ(icon, nullptr);
}

TEST(GetIconsTest, GivesTheIconsOfTheExecutable)
{
    BApplication app(gAppSignature);
    ASSERT_EQ(app.InitCheck(), B_OK);
    BBitmap* large = nullptr;
    BBitmap* mini = nullptr;
    ASSERT_EQ(get_icons(&large, &mini), 0);
    std::unique_ptr<BBitmap> owned[] = {std::unique_ptr<BBitmap>(large),
                                        std::unique_ptr<BBitmap>(mini)};
    const struct {
        BBitmap* icon;
        type_code type;
        const char* name;
        int32 size;
    } cases[] = {{large, 'ICON', "BEOS:L:STD_ICON", 32}, {mini, 'MICN', "BEOS:M:STD_ICON", 16}};
    for (const auto& each : cases) {
        ASSERT_NE(each.icon, nullptr);
        EXPECT_EQ(each.icon->ColorSpace(), B_CMAP8);
        EXPECT_EQ(each.icon->Bounds(), BRect(0, 0, each.size - 1, each.size - 1));
        size_t size = 0;
        const void* data = BApplication::AppResources()->LoadResource(each.type, each.name, &size);
        ASSERT_EQ(size, (size_t)(each.size * each.size));
        EXPECT_EQ(memcmp(each.icon->Bits(), data, size), 0);
        // A picture, not an empty square: a transparent corner, an opaque middle.
        const auto* bits = (const uint8*)each.icon->Bits();
        EXPECT_EQ(bits[0], B_TRANSPARENT_MAGIC_CMAP8);
        EXPECT_NE(bits[size / 2 + each.size / 2], B_TRANSPARENT_MAGIC_CMAP8);
    }
    EXPECT_EQ(get_icons(nullptr, nullptr), 0);
}
