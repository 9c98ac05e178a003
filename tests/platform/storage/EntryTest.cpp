#include <Directory.h>
#include <Entry.h>
#include <Path.h>

#include "Environment.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

static std::string path_of(const BEntry& entry)
{
    BPath path;
    return entry.GetPath(&path) == B_OK ? path.Path() : "(none)";
}

TEST(EntryTest, EntriesAndRefsNameAbsoluteNormalisedPathsInFoldersThatExist)
{
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "a").c_str(), 0700), 0);
    CurrentFolder current(folder.Path());

    BEntry entry("./a//b/../c");
    EXPECT_EQ(path_of(entry), folder / "a/c");
    EXPECT_FALSE(entry.Exists()); // an entry may be named before it exists
    entry_ref ref;
    EXPECT_EQ(entry.GetRef(&ref), B_OK);
    EXPECT_EQ(ref, entry_ref((folder / "a").c_str(), "c"));
    char name[B_FILE_NAME_LENGTH];
    EXPECT_EQ(entry.GetName(name), B_OK);
    EXPECT_STREQ(name, "c");

    BEntry parent;
    EXPECT_EQ(entry.GetParent(&parent), B_OK);
    EXPECT_TRUE(parent.IsDirectory() && !parent.IsFile());
    BEntry root("/..");
    EXPECT_EQ(path_of(root), "/");
    EXPECT_EQ(root.GetParent(&parent), B_ENTRY_NOT_FOUND);

    EXPECT_EQ(entry_ref("/music", "song.mid").Path(), "/music/song.mid");
    EXPECT_EQ(entry_ref("/", "song.mid").Path(), "/song.mid");
    EXPECT_EQ(entry_ref().Path(), "");
    EXPECT_EQ(get_ref_for_path((folder / "x/../new.mid").c_str(), &ref), B_OK);
    EXPECT_EQ(ref, entry_ref(folder.Path().c_str(), "new.mid"));
    EXPECT_EQ(get_ref_for_path((folder / "no/new.mid").c_str(), &ref), B_ENTRY_NOT_FOUND);
    BDirectory dir(folder.Path().c_str());
    EXPECT_TRUE(BEntry(&dir, "new.mid") == BEntry(&ref));

    // The folder must exist.
    std::string file = folder.WriteText("file", "");
    EXPECT_EQ(BEntry((folder / "missing/x").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(BEntry((file + "/x").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(BEntry("").InitCheck(), B_BAD_VALUE);
    std::string longLeaf(B_FILE_NAME_LENGTH, 'x');
    EXPECT_EQ(BEntry((folder / longLeaf).c_str()).InitCheck(), B_NAME_TOO_LONG);

    BEntry unset;
    EXPECT_EQ(unset.InitCheck(), B_NO_INIT);
    EXPECT_EQ(unset.GetRef(&ref), B_NO_INIT);
    EXPECT_EQ(unset.Remove(), B_NO_INIT);
}

TEST(EntryTest, TraverseFollowsLinksToTheirTarget)
{
    TempFolder folder;
    ASSERT_EQ(mkdir((folder / "real").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((folder / "real/sub").c_str(), 0700), 0);
    folder.WriteText("real/sub/song.mid", "");
    ASSERT_EQ(symlink("real/sub/song.mid", (folder / "first").c_str()), 0);
    ASSERT_EQ(symlink((folder / "first").c_str(), (folder / "second").c_str()), 0);

    BEntry through((folder / "second").c_str(), true);
    EXPECT_EQ(path_of(through), folder / "real/sub/song.mid");
    EXPECT_TRUE(through.IsFile());
    EXPECT_TRUE(BEntry((folder / "second").c_str()).IsSymLink());

    // ".." in a target starts from where the link really is, not from the path that led to it.
    ASSERT_EQ(symlink("real/sub", (folder / "alias").c_str()), 0);
    ASSERT_EQ(symlink("../song.mid", (folder / "real/sub/up").c_str()), 0);
    EXPECT_EQ(path_of(BEntry((folder / "alias/up").c_str(), true)), folder / "real/song.mid");

    // A dangling link leads to an entry that does not exist yet.
    ASSERT_EQ(symlink("nothing", (folder / "dangling").c_str()), 0);
    EXPECT_EQ(path_of(BEntry((folder / "dangling").c_str(), true)), folder / "nothing");

    ASSERT_EQ(symlink("loop-b", (folder / "loop-a").c_str()), 0);
    ASSERT_EQ(symlink("loop-a", (folder / "loop-b").c_str()), 0);
    EXPECT_EQ(BEntry((folder / "loop-a").c_str(), true).InitCheck(), B_LINK_LIMIT);
}

TEST(EntryTest, RemoveRenameAndMove)
{
    TempFolder folder;
    std::string file = folder.WriteText("file", "");
    ASSERT_EQ(mkdir((folder / "full").c_str(), 0700), 0);
    folder.WriteText("full/inside", "");
    ASSERT_EQ(symlink("file", (folder / "link").c_str()), 0);

    BEntry link((folder / "link").c_str());
    EXPECT_EQ(link.Remove(), B_OK);
    EXPECT_FALSE(link.Exists());
    EXPECT_TRUE(BEntry(file.c_str()).Exists()); // the link went, not its target

    BEntry full((folder / "full").c_str());
    EXPECT_EQ(full.Remove(), B_DIRECTORY_NOT_EMPTY);
    EXPECT_EQ(BEntry((folder / "full/inside").c_str()).Remove(), B_OK);
    EXPECT_EQ(full.Remove(), B_OK);
    EXPECT_EQ(full.Remove(), B_ENTRY_NOT_FOUND);

    file = folder.WriteText("a.mid", "A");
    folder.WriteText("b.mid", "B");
    ASSERT_EQ(mkdir((folder / "out").c_str(), 0700), 0);
    BEntry entry(file.c_str());
    EXPECT_EQ(entry.Rename("b.mid"), B_FILE_EXISTS);
    EXPECT_EQ(TempFolder::ReadText(folder / "b.mid"), "B");
    // A relative name stays in the entry's folder.
    EXPECT_EQ(entry.Rename("c.mid"), B_OK);
    EXPECT_EQ(path_of(entry), folder / "c.mid");
    EXPECT_EQ(entry.Rename("b.mid", true), B_OK);
    EXPECT_EQ(TempFolder::ReadText(folder / "b.mid"), "A");

    BDirectory out((folder / "out").c_str());
    EXPECT_EQ(entry.MoveTo(&out), B_OK);
    EXPECT_EQ(path_of(entry), folder / "out/b.mid");
    EXPECT_EQ(entry.MoveTo(&out, "renamed.mid"), B_OK);
    EXPECT_EQ(entry.Rename((folder / "back.mid").c_str()), B_OK);
    EXPECT_EQ(TempFolder::ReadText(folder / "back.mid"), "A");
    EXPECT_EQ(entry.Rename("missing/x"), B_ENTRY_NOT_FOUND);
}
