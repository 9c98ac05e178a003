#include <Directory.h>
#include <Entry.h>
#include <Path.h>

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(PathTest, BuildsAbsolutePaths)
{
    EXPECT_STREQ(BPath("/music/", nullptr).Path(), "/music");
    EXPECT_STREQ(BPath("/music", "in/song.mid").Path(), "/music/in/song.mid");
    EXPECT_STREQ(BPath("/a/./b/../c//d").Path(), "/a/c/d");
    EXPECT_STREQ(BPath("/").Path(), "/");
    EXPECT_EQ(BPath("/music", "/etc").InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BPath("").InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BPath((const char*)nullptr).InitCheck(), B_BAD_VALUE);

    TempFolder folder;
    CurrentFolder current(folder.Path());
    EXPECT_EQ(BPath("songs", "a.mid"), (folder / "songs/a.mid").c_str());
}

TEST(PathTest, LeafParentAndAppend)
{
    BPath path("/music/in");
    EXPECT_STREQ(path.Leaf(), "in");
    EXPECT_EQ(path.Append("sub/song.mid"), B_OK);
    EXPECT_STREQ(path.Path(), "/music/in/sub/song.mid");
    EXPECT_STREQ(path.Leaf(), "song.mid");
    EXPECT_EQ(path.Append("/etc"), B_BAD_VALUE);
    EXPECT_STREQ(path.Path(), "/music/in/sub/song.mid");

    BPath parent;
    EXPECT_EQ(path.GetParent(&parent), B_OK);
    EXPECT_STREQ(parent.Path(), "/music/in/sub");
    EXPECT_EQ(parent.GetParent(&parent), B_OK); // into itself
    EXPECT_STREQ(parent.Path(), "/music/in");

    BPath root("/");
    EXPECT_STREQ(root.Leaf(), "");
    EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(parent.InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(root.Append("tmp"), B_OK);
    EXPECT_STREQ(root.Path(), "/tmp");

    BPath unset;
    EXPECT_EQ(unset.Path(), nullptr);
    EXPECT_EQ(unset.Leaf(), nullptr);
    EXPECT_EQ(unset.Append("x"), B_NO_INIT);
    EXPECT_EQ(unset, BPath());
    EXPECT_NE(unset, path);
    EXPECT_NE(BPath("/a"), BPath("/b"));
}

TEST(PathTest, NormalizeResolvesLinkedFolders)
{
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "real").c_str(), 0700), 0);
    ASSERT_EQ(symlink("real", (folder / "alias").c_str()), 0);

    EXPECT_EQ(BPath((folder / "alias").c_str(), "song.mid"), (folder / "alias/song.mid").c_str());
    EXPECT_EQ(BPath((folder / "alias").c_str(), "song.mid", true),
              (folder / "real/song.mid").c_str());
    EXPECT_EQ(BPath((folder / "missing").c_str(), "x", true).InitCheck(), B_ENTRY_NOT_FOUND);
}

TEST(PathTest, FromRefsEntriesAndFolders)
{
    TempFolder folder;
    entry_ref ref(folder.Path().c_str(), "song.mid");
    EXPECT_EQ(BPath(&ref), (folder / "song.mid").c_str());
    BEntry entry((folder / "song.mid").c_str());
    EXPECT_EQ(BPath(&entry), (folder / "song.mid").c_str());
    BDirectory dir(folder.Path().c_str());
    EXPECT_EQ(BPath(&dir, "song.mid"), (folder / "song.mid").c_str());

    BEntry unset;
    EXPECT_EQ(BPath(&unset).InitCheck(), B_NO_INIT);
    entry_ref empty;
    EXPECT_EQ(BPath(&empty).InitCheck(), B_BAD_VALUE);
}
