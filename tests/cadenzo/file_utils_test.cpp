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

std::vector<std::string> sorted(const std::list<std::string>& list)
{
    std::vector<std::string> sorted(list.begin(), list.end());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

} // namespace

TEST(CopyFile, CopiesDataAndAttributesToAFileOrIntoAFolderAndRefusesWhatItCannot)
{
    TempFolder folder;
    const std::string source = folder / kSong;
    folder.Write(kSong, bytes("MThd data"));
    if (BNode(source.c_str()).WriteAttr("comment", B_STRING_TYPE, 0, "take 2", 6) != 6)
        GTEST_SKIP() << "the temporary folder keeps no attributes";
    fs::create_directory(folder / "out");
    folder.Write("old.mid", bytes("an older and longer file"));
    const struct {
        std::string destination;
        std::string copy;
    } cases[] = {
        {folder / "out", "out/" + kSong},
        {folder / "out/", "out/" + kSong},
        {folder / "old.mid", "old.mid"}, // overwritten
        {folder / "out/renamed", "out/renamed"},
    };
    // Where a command in a name would make its files.
    CurrentFolder here(folder.Path());
    for (const auto& each : cases) {
        EXPECT_EQ(copy_file(source.c_str(), each.destination.c_str()), 0) << each.destination;
        EXPECT_EQ(folder.Read(each.copy), bytes("MThd data")) << each.copy;
        EXPECT_EQ(read_attr(folder / each.copy, "comment"), "take 2") << each.copy;
    }
    EXPECT_FALSE(folder.Exists("ran") || folder.Exists("ran2") || folder.Exists("out/ran"));

    // What it refuses: the longest target path accepted, and one byte more.
    const std::string out = folder / "out/";
    const std::string longest = out + std::string(kMaxCopyTargetLength - out.size(), 'n');
    EXPECT_EQ(copy_file(source.c_str(), longest.c_str()), 0);
    EXPECT_EQ(copy_file(source.c_str(), (longest + "x").c_str()), -1);
    EXPECT_FALSE(fs::exists(longest + "x"));

    EXPECT_EQ(copy_file((folder / "missing.mid").c_str(), (folder / "out").c_str()), -1);
    EXPECT_FALSE(folder.Exists("out/missing.mid"));
    EXPECT_EQ(copy_file(source.c_str(), (folder / "no/such/folder/x").c_str()), -1);
    // Onto itself, directly or through its folder: the file keeps its data.
    EXPECT_EQ(copy_file(source.c_str(), source.c_str()), -1);
    EXPECT_EQ(copy_file(source.c_str(), folder.Path().c_str()), -1);
    EXPECT_EQ(folder.Read(kSong), bytes("MThd data"));
}

TEST(GetFiles, ListsEachFolderBeforeItsContentsNeverFollowsLinksAndFailsOnAClosedOne)
{
    // The tree a: the file x, the folder s holding y, a link to a and a link to x.
    TempFolder folder;
    fs::create_directories(folder / "a/s");
    folder.Write("a/x", bytes("x"));
    folder.Write("a/s/y", bytes("y"));
    fs::create_directory_symlink(folder / "a", folder / "a/s/up");
    fs::create_symlink(folder / "a/x", folder / "a/tox");
    const auto walk = [&](bool recursive, status_t expected = 0) {
        std::list<std::string> list{"kept"};
        EXPECT_EQ(get_files(folder / "a", &list, recursive), expected);
        EXPECT_EQ(list.front(), "kept"); // only ever appended to
        list.pop_front();
        return list;
    };
    const std::string a = folder / "a/";
    const std::list<std::string> flat = walk(false);
    ASSERT_EQ(sorted(flat), (std::vector<std::string>{a, a + "tox", a + "x"}))
        << "without recursion";
    EXPECT_EQ(flat.front(), a);

    const std::list<std::string> list = walk(true);
    ASSERT_EQ(sorted(list),
              (std::vector<std::string>{a, a + "s/", a + "s/up/", a + "s/y", a + "tox", a + "x"}));
    EXPECT_EQ(list.front(), a);
    auto sub = std::find(list.begin(), list.end(), a + "s/");
    ASSERT_NE(sub, list.end());
    EXPECT_EQ(sorted({std::next(sub), std::next(sub, 3)}),
              (std::vector<std::string>{a + "s/up/", a + "s/y"}));

    // A folder that cannot be opened fails the walk.
    std::list<std::string> none;
    EXPECT_EQ(get_files(folder / "missing", &none, true), -1);
    EXPECT_TRUE(none.empty());
    if (getuid() == 0)
        GTEST_SKIP() << "root opens every folder";
    fs::permissions(folder / "a/s", fs::perms::none);
    EXPECT_EQ(walk(true, -1).front(), folder / "a/");
}

// The large icon is the About box's, and its golden images show it.
TEST(GetIconsTest, GivesTheMiniIconOfTheExecutableAndWithoutAnApplicationThrowsZero)
{
    BBitmap* icon = nullptr;
    try {
        get_icons(&icon, nullptr);
        ADD_FAILURE() << "no exception";
    } catch (status_t value) {
        EXPECT_EQ(value, 0);
    }
    EXPECT_EQ(icon, nullptr);

    BApplication app(gAppSignature);
    ASSERT_EQ(app.InitCheck(), B_OK);
    ASSERT_EQ(get_icons(nullptr, &icon), 0);
    const std::unique_ptr<BBitmap> owned(icon);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->ColorSpace(), B_CMAP8);
    EXPECT_EQ(icon->Bounds(), BRect(0, 0, 15, 15));
    size_t size = 0;
    const void* data = BApplication::AppResources()->LoadResource('MICN', "BEOS:M:STD_ICON", &size);
    ASSERT_EQ(size, 16u * 16);
    EXPECT_EQ(memcmp(icon->Bits(), data, size), 0);
    // A picture, not an empty square: a transparent corner, an opaque middle.
    const auto* bits = (const uint8*)icon->Bits();
    EXPECT_EQ(bits[0], B_TRANSPARENT_MAGIC_CMAP8);
    EXPECT_NE(bits[size / 2 + 8], B_TRANSPARENT_MAGIC_CMAP8);
}
