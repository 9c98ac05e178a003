#include <File.h>

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

static_assert((B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE) == 0x601);

static std::string read_all(BFile& file)
{
    char buffer[256];
    ssize_t count = file.ReadAt(0, buffer, sizeof(buffer));
    return count < 0 ? "error " + std::to_string(count) : std::string(buffer, (size_t)count);
}

TEST(FileTest, OpenModesDecideWhatTheFileAllowsAndFoldersWhatCanBeMade)
{
    TempFolder folder;
    std::string path = folder.WriteText("song.mid", "old contents");
    EXPECT_EQ(BFile((folder / "missing").c_str(), B_READ_ONLY).InitCheck(), B_ENTRY_NOT_FOUND);

    // What callers pass to write a file from scratch: an existing file is emptied first.
    BFile rewrite(path.c_str(), 0x601);
    EXPECT_TRUE(rewrite.IsWritable() && !rewrite.IsReadable());
    EXPECT_EQ(rewrite.Write("new", 3), 3);
    EXPECT_EQ(TempFolder::ReadText(path), "new");

    EXPECT_EQ(BFile(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS).InitCheck(),
              B_FILE_EXISTS);
    BFile append(path.c_str(), B_READ_WRITE | B_OPEN_AT_END);
    append.Seek(0, SEEK_SET);
    EXPECT_EQ(append.Write("er", 2), 2);
    EXPECT_EQ(read_all(append), "newer");

    BFile reader(path.c_str(), B_READ_ONLY);
    EXPECT_FALSE(reader.IsWritable());
    EXPECT_EQ(reader.Write("x", 1), B_NOT_ALLOWED);
    EXPECT_EQ(reader.WriteAt(0, "x", 1), B_NOT_ALLOWED);
    EXPECT_EQ(reader.SetSize(0), B_NOT_ALLOWED);
    EXPECT_EQ(TempFolder::ReadText(path), "newer");
    char buffer[4];
    EXPECT_EQ(BFile(path.c_str(), B_WRITE_ONLY).ReadAt(0, buffer, 4), B_NOT_ALLOWED);
    BFile unset;
    EXPECT_EQ(unset.Read(buffer, 4), B_NO_INIT);
    EXPECT_EQ(unset.Position(), B_NO_INIT);

    EXPECT_EQ(BFile(path.c_str(), 3).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BFile(path.c_str(), B_READ_ONLY | 0x10000).InitCheck(), B_BAD_VALUE);
    // A folder opens as a file for no access at all: read-only, write-only, rewrite.
    for (uint32 mode : {0x0u, 0x1u, 0x601u})
        EXPECT_EQ(BFile(folder.Path().c_str(), mode).InitCheck(), B_IS_A_DIRECTORY) << mode;

    // Nobody, root included, can create an entry below a regular file.
    EXPECT_EQ(BFile((path + "/child").c_str(), 0x601).InitCheck(), B_NOT_A_DIRECTORY);
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root: the locked folder is not tried";
    ASSERT_EQ(mkdir((folder / "locked").c_str(), 0500), 0);
    EXPECT_EQ(BFile((folder / "locked/new").c_str(), 0x601).InitCheck(), B_PERMISSION_DENIED);
}

TEST(FileTest, ReadWriteAndSeek)
{
    TempFolder folder;
    BFile file((folder / "data").c_str(), B_READ_WRITE | B_CREATE_FILE);
    EXPECT_EQ(file.Write("hello world", 11), 11);
    EXPECT_EQ(file.Seek(0, SEEK_SET), 0);
    char buffer[16];
    EXPECT_EQ(file.Read(buffer, 5), 5);
    EXPECT_EQ(file.Seek(1, SEEK_CUR), 6);
    EXPECT_EQ(file.Seek(-5, SEEK_END), 6);

    // The positioned calls leave the file position where it was.
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
}

// A file whose descriptor the test can look at.
struct OpenFile : BFile {
    using BFile::BFile;
    using BNode::Descriptor;
};

TEST(FileTest, DescriptorIsClosedOnExec)
{
    TempFolder folder;
    OpenFile file(folder.WriteText("exec", "").c_str(), B_READ_ONLY);
    ASSERT_GE(file.Descriptor(), 0);
    EXPECT_NE(fcntl(file.Descriptor(), F_GETFD) & FD_CLOEXEC, 0);
}

TEST(FileTest, FifoOpensAtOnceAndReadsCollectShortTransfers)
{
    TempFolder folder;
    std::string path = folder / "fifo";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    // No writer yet: opening must not wait for one.
    EXPECT_EQ(BFile(path.c_str(), B_READ_ONLY).InitCheck(), B_OK);

    // Both ends held here, so reads wait for data instead of ending early.
    BFile reader(path.c_str(), B_READ_WRITE);
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
