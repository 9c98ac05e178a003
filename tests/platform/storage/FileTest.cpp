#include <Directory.h>
#include <Entry.h>
#include <File.h>

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

static_assert((B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE) == 0x601);

static std::string read_all(BFile& file)
{
    char buffer[256];
    ssize_t count = file.ReadAt(0, buffer, sizeof(buffer));
    return count < 0 ? std::string("error") : std::string(buffer, (size_t)count);
}

TEST(FileTest, OpenModes)
{
    TempFolder folder;
    std::string path = folder.Write("song.mid", "old contents");

    BFile missing((folder / "missing").c_str(), B_READ_ONLY);
    EXPECT_EQ(missing.InitCheck(), B_ENTRY_NOT_FOUND);

    // What callers pass to write a file from scratch: an existing file is emptied first.
    BFile rewrite(path.c_str(), 0x601);
    ASSERT_EQ(rewrite.InitCheck(), B_OK);
    EXPECT_TRUE(rewrite.IsWritable());
    EXPECT_FALSE(rewrite.IsReadable());
    EXPECT_EQ(rewrite.Write("new", 3), 3);
    rewrite.Unset();
    EXPECT_EQ(TempFolder::Read(path), "new");

    BFile exclusive(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS);
    EXPECT_EQ(exclusive.InitCheck(), B_FILE_EXISTS);

    BFile created((folder / "fresh").c_str(), B_READ_WRITE | B_CREATE_FILE | B_FAIL_IF_EXISTS);
    EXPECT_EQ(created.InitCheck(), B_OK);
    EXPECT_TRUE(created.IsReadable() && created.IsWritable());

    BFile append(path.c_str(), B_WRITE_ONLY | B_OPEN_AT_END);
    ASSERT_EQ(append.InitCheck(), B_OK);
    append.Seek(0, SEEK_SET);
    EXPECT_EQ(append.Write("er", 2), 2);
    EXPECT_EQ(TempFolder::Read(path), "newer");

    EXPECT_EQ(BFile(path.c_str(), 3).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BFile(path.c_str(), B_READ_ONLY | 0x10000).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BFile((const char*)nullptr, B_READ_ONLY).InitCheck(), B_BAD_VALUE);
}

TEST(FileTest, DirectoryIsNotAFile)
{
    TempFolder folder;
    EXPECT_EQ(BFile(folder.Path().c_str(), B_WRITE_ONLY).InitCheck(), B_IS_A_DIRECTORY);
    EXPECT_EQ(BFile(folder.Path().c_str(), 0x601).InitCheck(), B_IS_A_DIRECTORY);
    EXPECT_EQ(BFile(folder.Path().c_str(), B_READ_ONLY).InitCheck(), B_IS_A_DIRECTORY);
}

TEST(FileTest, ReadWriteAndSeek)
{
    TempFolder folder;
    BFile file((folder / "data").c_str(), B_READ_WRITE | B_CREATE_FILE);
    ASSERT_EQ(file.InitCheck(), B_OK);

    EXPECT_EQ(file.Write("hello world", 11), 11);
    EXPECT_EQ(file.Position(), 11);
    EXPECT_EQ(file.Seek(0, SEEK_SET), 0);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(file.Seek(1, SEEK_CUR), 6);
    EXPECT_EQ(file.Seek(-5, SEEK_END), 6);

    // The positioned calls leave the file position where it was.
    EXPECT_EQ(file.ReadAt(0, buffer, 4), 4);
    EXPECT_EQ(file.WriteAt(0, "J", 1), 1);
    EXPECT_EQ(file.Position(), 6);
    EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 5);
    EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 0);

    EXPECT_EQ(file.Seek(-20, SEEK_CUR), B_BAD_VALUE);
    EXPECT_EQ(file.Seek(0, 7), B_BAD_VALUE);
    EXPECT_EQ(file.ReadAt(-1, buffer, 1), B_BAD_VALUE);

    // Writing past the end leaves a hole that reads as zeros.
    EXPECT_EQ(file.WriteAt(13, "!", 1), 1);
    off_t size = 0;
    EXPECT_EQ(file.GetSize(&size), B_OK);
    EXPECT_EQ(size, 14);
    EXPECT_EQ(read_all(file), std::string("Jello world\0\0!", 14));

    EXPECT_EQ(file.SetSize(5), B_OK);
    EXPECT_EQ(read_all(file), "Jello");
    EXPECT_EQ(file.SetSize(-1), B_BAD_VALUE);
}

TEST(FileTest, AccessFollowsTheOpenMode)
{
    TempFolder folder;
    std::string path = folder.Write("kept", "keep me");

    BFile reader(path.c_str(), B_READ_ONLY);
    ASSERT_EQ(reader.InitCheck(), B_OK);
    EXPECT_TRUE(reader.IsReadable());
    EXPECT_FALSE(reader.IsWritable());
    EXPECT_EQ(reader.Write("x", 1), B_NOT_ALLOWED);
    EXPECT_EQ(reader.WriteAt(0, "x", 1), B_NOT_ALLOWED);
    EXPECT_EQ(reader.SetSize(0), B_NOT_ALLOWED);
    EXPECT_EQ(TempFolder::Read(path), "keep me");

    BFile writer(path.c_str(), B_WRITE_ONLY);
    char buffer[4];
    EXPECT_EQ(writer.Read(buffer, 4), B_NOT_ALLOWED);
    EXPECT_EQ(writer.ReadAt(0, buffer, 4), B_NOT_ALLOWED);

    BFile unset;
    EXPECT_EQ(unset.InitCheck(), B_NO_INIT);
    EXPECT_FALSE(unset.IsReadable());
    EXPECT_EQ(unset.Read(buffer, 4), B_NO_INIT);
    EXPECT_EQ(unset.Position(), B_NO_INIT);
    off_t size;
    EXPECT_EQ(unset.GetSize(&size), B_NO_INIT);
}

TEST(FileTest, UnwritableFolders)
{
    TempFolder folder;
    std::string regular = folder.Write("plain", "");
    // Nobody, root included, can create an entry below a regular file.
    BFile below((regular + "/child").c_str(), B_WRITE_ONLY | B_CREATE_FILE);
    EXPECT_EQ(below.InitCheck(), B_NOT_A_DIRECTORY);

    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    std::string locked = folder / "locked";
    ASSERT_EQ(mkdir(locked.c_str(), 0500), 0);
    BFile denied((locked + "/new").c_str(), B_WRITE_ONLY | B_CREATE_FILE);
    EXPECT_EQ(denied.InitCheck(), B_PERMISSION_DENIED);
}

TEST(FileTest, OtherWaysToNameTheFile)
{
    TempFolder folder;
    std::string path = folder.Write("named", "by ref");

    entry_ref ref(folder.Path().c_str(), "named");
    BFile byRef(&ref, B_READ_ONLY);
    EXPECT_EQ(read_all(byRef), "by ref");

    BEntry entry(path.c_str());
    BFile byEntry(&entry, B_READ_ONLY);
    EXPECT_EQ(read_all(byEntry), "by ref");

    BDirectory dir(folder.Path().c_str());
    BFile inDir(&dir, "named", B_READ_ONLY);
    EXPECT_EQ(read_all(inDir), "by ref");
    BFile absolute(&dir, path.c_str(), B_READ_ONLY);
    EXPECT_EQ(read_all(absolute), "by ref");

    BDirectory unset;
    EXPECT_EQ(BFile(&unset, "named", B_READ_ONLY).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BFile((const entry_ref*)nullptr, B_READ_ONLY).InitCheck(), B_BAD_VALUE);
}

TEST(FileTest, DescriptorIsClosedOnExec)
{
    TempFolder folder;
    std::string path = folder.Write("exec", "");
    struct stat wanted;
    ASSERT_EQ(stat(path.c_str(), &wanted), 0);

    BFile file(path.c_str(), B_READ_ONLY);
    ASSERT_EQ(file.InitCheck(), B_OK);
    int found = -1;
    for (int descriptor = 0; descriptor < 1024 && found < 0; descriptor++) {
        struct stat st;
        if (fstat(descriptor, &st) == 0 && st.st_ino == wanted.st_ino && st.st_dev == wanted.st_dev)
            found = descriptor;
    }
    ASSERT_GE(found, 0);
    EXPECT_NE(fcntl(found, F_GETFD) & FD_CLOEXEC, 0);
}

TEST(FileTest, FifoOpensAtOnceAndReadsCollectShortTransfers)
{
    TempFolder folder;
    std::string path = folder / "fifo";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);

    // No writer yet: opening must not wait for one.
    BFile lonely(path.c_str(), B_READ_ONLY);
    EXPECT_EQ(lonely.InitCheck(), B_OK);
    lonely.Unset();

    // Read and write ends both held here, so reads block instead of ending early.
    BFile reader(path.c_str(), B_READ_WRITE);
    ASSERT_EQ(reader.InitCheck(), B_OK);
    const size_t total = 200000;
    std::thread writer([&] {
        int descriptor = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        std::string piece(1000, 'm');
        for (size_t sent = 0; sent < total; sent += piece.size())
            (void)!write(descriptor, piece.data(), piece.size());
        close(descriptor);
    });
    std::string received(total, '\0');
    ssize_t first = reader.Read(received.data(), total);
    EXPECT_EQ(first, (ssize_t)total);
    // Whatever a short Read left in the pipe is drained, so that the writer can finish.
    for (ssize_t got = std::max<ssize_t>(first, 0), more = 1; got < (ssize_t)total && more > 0;
         got += more)
        more = reader.Read(received.data() + got, total - (size_t)got);
    writer.join();
    EXPECT_EQ(received, std::string(total, 'm'));
}
