// BBufferIO: what reaches the stream, and when.

#include <BufferIO.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Counts the writes that reach it.
class CountingIO : public BMallocIO {
public:
    ssize_t WriteAt(off_t position, const void* buffer, size_t size) override
    {
        writes++;
        return BMallocIO::WriteAt(position, buffer, size);
    }
    std::string Text() const
    {
        return std::string(static_cast<const char*>(Buffer()), BufferLength());
    }
    int writes = 0;
};

TEST(BufferIO, SmallWritesReachTheStreamTogether)
{
    CountingIO stream;
    {
        BBufferIO buffered(&stream, 1024, false);
        for (int i = 0; i < 100; i++)
            ASSERT_EQ(3, buffered.Write("abc", 3));
        EXPECT_EQ(0, stream.writes);
        EXPECT_EQ(300, buffered.Position());
        ASSERT_EQ(B_OK, buffered.Flush());
        EXPECT_EQ(1, stream.writes);
        ASSERT_EQ(3, buffered.Write("xyz", 3));
    }
    // The destructor flushed the rest.
    EXPECT_EQ(2, stream.writes);
    EXPECT_EQ(303u, stream.Text().size());
    EXPECT_EQ("xyz", stream.Text().substr(300));
}

TEST(BufferIO, SeekingBackToPatchALengthWorks)
{
    CountingIO stream;
    BBufferIO buffered(&stream, 512, false);
    buffered.Write("HEAD", 4);
    off_t lengthAt = buffered.Position();
    buffered.Write("0000", 4);
    std::string body(2000, 'b'); // more than the buffer holds
    buffered.Write(body.data(), body.size());
    off_t end = buffered.Position();
    ASSERT_EQ(lengthAt, buffered.Seek(lengthAt, SEEK_SET));
    buffered.Write("2000", 4);
    ASSERT_EQ(end, buffered.Seek(end, SEEK_SET));
    buffered.Write("TAIL", 4);
    ASSERT_EQ(B_OK, buffered.Flush());
    EXPECT_EQ("HEAD2000" + body + "TAIL", stream.Text());

    off_t size;
    ASSERT_EQ(B_OK, buffered.GetSize(&size));
    EXPECT_EQ(end + 4, size);
    char read[4];
    ASSERT_EQ(4, buffered.ReadAt(4, read, 4));
    EXPECT_EQ("2000", std::string(read, 4));
}

TEST(BufferIO, AFailingStreamIsReportedByFlush)
{
    char memory[10];
    BMemoryIO small(memory, sizeof(memory));
    BBufferIO buffered(&small, 512, false);
    EXPECT_EQ(20, buffered.Write("01234567890123456789", 20)) << "buffered, not yet failed";
    EXPECT_NE(B_OK, buffered.Flush());
}

} // namespace
