#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Path.h>

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

using Names = std::multiset<std::string>;

class DirectoryTest : public testing::Test {
protected:
    void SetUp() override
    {
        fFolder.WriteText("a.mid", "");
        fFolder.WriteText("b.mid", "");
        ASSERT_EQ(mkdir((fFolder / "sub").c_str(), 0700), 0);
        fFolder.WriteText("sub/deep.mid", "");
        ASSERT_EQ(fDir.SetTo(fFolder.Path().c_str()), B_OK);
    }

    // The names of the entries still to come; links that lead somewhere count twice.
    Names ListNames(bool traverse = false)
    {
        Names names;
        BEntry entry;
        char name[B_FILE_NAME_LENGTH];
        while (fDir.GetNextEntry(&entry, traverse) == B_OK) {
            entry.GetName(name);
            names.insert(entry.IsSymLink() ? std::string(name) + "@" : name);
        }
        return names;
    }

    TempFolder fFolder;
    BDirectory fDir;
};

TEST_F(DirectoryTest, IteratesOverItsEntriesPassingBrokenLinksOn)
{
    EXPECT_EQ(ListNames(), (Names{"a.mid", "b.mid", "sub"}));
    BEntry entry;
    EXPECT_EQ(fDir.GetNextEntry(&entry), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(fDir.Rewind(), B_OK);

    // Counting in the middle of an iteration leaves it where it was.
    entry_ref first;
    ASSERT_EQ(fDir.GetNextRef(&first), B_OK);
    EXPECT_EQ(first.directory, fFolder.Path());
    EXPECT_EQ(fDir.CountEntries(), 3);
    Names rest = ListNames();
    EXPECT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest.count(first.name), 0u);

    // Traversing, "good" arrives as its target, "broken" as itself, and the listing goes on.
    ASSERT_EQ(symlink("a.mid", (fFolder / "good").c_str()), 0);
    ASSERT_EQ(symlink("nowhere/x", (fFolder / "broken").c_str()), 0);
    fDir.Rewind();
    EXPECT_EQ(ListNames(true), (Names{"a.mid", "a.mid", "b.mid", "broken@", "sub"}));
}

TEST_F(DirectoryTest, ContainsWhatItCreates)
{
    EXPECT_TRUE(fDir.Contains("a.mid"));
    EXPECT_TRUE(fDir.Contains((fFolder / "sub/deep.mid").c_str()));
    EXPECT_TRUE(fDir.Contains("sub", B_DIRECTORY_NODE));
    EXPECT_FALSE(fDir.Contains("sub", B_FILE_NODE));
    for (const char* outside : {"missing.mid", ".", "../x", "/etc/passwd"})
        EXPECT_FALSE(fDir.Contains(outside)) << outside;

    // A link inside that leads out does not make its target part of the folder.
    ASSERT_EQ(symlink("/etc", (fFolder / "out").c_str()), 0);
    EXPECT_TRUE(fDir.Contains("out", B_SYMLINK_NODE));
    EXPECT_FALSE(fDir.Contains("out/passwd"));

    BFile file;
    EXPECT_EQ(fDir.CreateFile("new.mid", &file), B_OK);
    EXPECT_EQ(file.Write("MThd", 4), 4);
    EXPECT_EQ(fDir.CreateFile("new.mid", &file, true), B_FILE_EXISTS);
    EXPECT_EQ(TempFolder::ReadText(fFolder / "new.mid"), "MThd");
    EXPECT_EQ(fDir.CreateFile("new.mid", nullptr), B_OK);
    EXPECT_EQ(TempFolder::ReadText(fFolder / "new.mid"), ""); // emptied

    BDirectory made;
    EXPECT_EQ(fDir.CreateDirectory("made", &made), B_OK);
    EXPECT_EQ(fDir.CreateDirectory("made", nullptr), B_FILE_EXISTS);
    EXPECT_EQ(made.CreateFile("inner.mid", nullptr), B_OK);
    EXPECT_TRUE(fDir.Contains("made/inner.mid", B_FILE_NODE));
}

TEST_F(DirectoryTest, SetTo)
{
    BDirectory file((fFolder / "a.mid").c_str());
    EXPECT_EQ(file.InitCheck(), B_NOT_A_DIRECTORY);
    EXPECT_EQ(file.CountEntries(), B_NO_INIT);
    EXPECT_EQ(BDirectory((fFolder / "missing").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);

    // Reached through a link, a folder reports its real path.
    ASSERT_EQ(symlink("sub", (fFolder / "alias").c_str()), 0);
    BDirectory linked((fFolder / "alias").c_str());
    BEntry entry;
    ASSERT_EQ(linked.GetEntry(&entry), B_OK);
    EXPECT_STREQ(BPath(&entry).Path(), (fFolder / "sub").c_str());

    BDirectory nested(&fDir, "sub");
    EXPECT_EQ(nested.CountEntries(), 1);
    EXPECT_EQ(nested.SetTo(&nested, ".."), B_OK); // relative to itself
    EXPECT_EQ(nested.CountEntries(), 4);
}

TEST(CreateDirectoryTest, CreatesEveryMissingLevel)
{
    TempFolder folder;
    mode_t previous = umask(022);
    EXPECT_EQ(create_directory((folder / "x/y/z").c_str(), 0700), B_OK);
    umask(previous);
    struct stat st;
    ASSERT_EQ(stat((folder / "x/y/z").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & (S_IFMT | 0777), S_IFDIR | 0700u);

    EXPECT_EQ(create_directory((folder / "x/y/z").c_str(), 0700), B_OK);
    std::string file = folder.WriteText("x/file", "");
    EXPECT_EQ(create_directory(file.c_str(), 0700), B_FILE_EXISTS);
    EXPECT_EQ(create_directory((file + "/below").c_str(), 0700), B_NOT_A_DIRECTORY);
}
