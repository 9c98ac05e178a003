#include <Directory.h>
#include <Entry.h>
#include <Path.h>

#include "Environment.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(PathTest, BuildsAbsolutePathsFromStringsRefsEntriesAndFoldersThenLeafParentAndAppend)
{
    EXPECT_STREQ(BPath("/music/", nullptr).Path(), "/music");
    EXPECT_STREQ(BPath("/music", "in/song.mid").Path(), "/music/in/song.mid");
    EXPECT_STREQ(BPath("/a/./b/../c//d").Path(), "/a/c/d");
    EXPECT_EQ(BPath("/music", "/etc").InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BPath("").InitCheck(), B_BAD_VALUE);

    TempFolder folder;
    CurrentFolder current(folder.Path());
    EXPECT_EQ(BPath("songs", "a.mid"), (folder / "songs/a.mid").c_str());

    // From a ref, an entry, or a folder and a leaf.
    std::string expected = folder / "song.mid";
    entry_ref ref(folder.Path().c_str(), "song.mid");
    BEntry entry(expected.c_str());
    BDirectory dir(folder.Path().c_str());
    EXPECT_EQ(BPath(&ref), expected.c_str());
    EXPECT_EQ(BPath(&entry), expected.c_str());
    EXPECT_EQ(BPath(&dir, "song.mid"), expected.c_str());
    BEntry unset;
    EXPECT_EQ(BPath(&unset).InitCheck(), B_NO_INIT);

    BPath path("/music/in");
    EXPECT_EQ(path.Append("sub/song.mid"), B_OK);
    EXPECT_STREQ(path.Path(), "/music/in/sub/song.mid");
    EXPECT_STREQ(path.Leaf(), "song.mid");
    EXPECT_EQ(path.Append("/etc"), B_BAD_VALUE);

    BPath parent;
    EXPECT_EQ(path.GetParent(&parent), B_OK);
    EXPECT_EQ(parent.GetParent(&parent), B_OK); // into itself
    EXPECT_STREQ(parent.Path(), "/music/in");

    BPath root("/");
    EXPECT_STREQ(root.Leaf(), "");
    EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(root.Append("tmp"), B_OK);
    EXPECT_STREQ(root.Path(), "/tmp");

    BPath empty;
    EXPECT_EQ(empty.Path(), nullptr);
    EXPECT_EQ(empty.Append("x"), B_NO_INIT);
    EXPECT_TRUE(empty == BPath() && empty != path);
}

TEST(PathTest, NormalizeResolvesLinkedFolders)
{
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "real").c_str(), 0700), 0);
    ASSERT_EQ(symlink("real", (folder / "alias").c_str()), 0);
    EXPECT_EQ(BPath((folder / "alias").c_str(), "x"), (folder / "alias/x").c_str());
    EXPECT_EQ(BPath((folder / "alias").c_str(), "x", true), (folder / "real/x").c_str());
    EXPECT_EQ(BPath((folder / "missing").c_str(), "x", true).InitCheck(), B_ENTRY_NOT_FOUND);
}
