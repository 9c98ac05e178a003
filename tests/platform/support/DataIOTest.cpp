#include <DataIO.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

static std::string contents(BPositionIO& io)
{
    off_t size = 0;
    io.GetSize(&size);
    std::string result((size_t)size, '?');
    ssize_t count = io.ReadAt(0, result.data(), result.size());
    result.resize(count < 0 ? 0 : (size_t)count);
    return result;
}

TEST(MemoryIOTest, StaysInsideItsBufferWhereverItSeeks)
{
    char buffer[8] = {};
    BMemoryIO io(buffer, sizeof(buffer));
    EXPECT_EQ(io.WriteAt(2, "abcdefgh", 8), 6);
    EXPECT_EQ(std::string(buffer, 8), std::string("\0\0abcdef", 8));
    EXPECT_EQ(io.WriteAt(8, "x", 1), 0);
    char read[16];
    EXPECT_EQ(io.ReadAt(6, read, sizeof(read)), 2);
    EXPECT_EQ(io.ReadAt(-1, read, 1), B_BAD_VALUE);

    EXPECT_EQ(io.SetSize(4), B_OK);
    EXPECT_EQ(contents(io), std::string("\0\0ab", 4));
    EXPECT_EQ(io.SetSize(9), B_BAD_VALUE);
    // An empty write past the length writes nothing, so it does not lengthen either.
    EXPECT_EQ(io.WriteAt(6, "x", 0), 0);
    EXPECT_EQ(contents(io).size(), 4u);

    const char text[] = "MThd";
    BMemoryIO readOnly(static_cast<const void*>(text), 4);
    EXPECT_EQ(readOnly.Write("x", 1), B_NOT_ALLOWED);
    EXPECT_EQ(readOnly.SetSize(2), B_NOT_ALLOWED);
    EXPECT_EQ(readOnly.Read(read, 4), 4);
    EXPECT_EQ(readOnly.Position(), 4);

    char ten[10] = {};
    BMemoryIO seeker(ten, sizeof(ten));
    EXPECT_EQ(seeker.Seek(4, SEEK_SET), 4);
    EXPECT_EQ(seeker.Seek(2, SEEK_CUR), 6);
    EXPECT_EQ(seeker.Seek(-3, SEEK_END), 7);
    EXPECT_EQ(seeker.Seek(20, SEEK_SET), 20); // past the end is a place, not an error

    // Requests that land before the start or beyond what off_t holds leave the position alone.
    seeker.Seek(7, SEEK_SET);
    EXPECT_EQ(seeker.Seek(-11, SEEK_END), B_BAD_VALUE);
    EXPECT_EQ(seeker.Seek(INT64_MIN, SEEK_CUR), B_BAD_VALUE);
    EXPECT_EQ(seeker.Seek(INT64_MAX, SEEK_CUR), B_BAD_VALUE);
    EXPECT_EQ(seeker.Seek(0, 42), B_BAD_VALUE);
    EXPECT_EQ(seeker.Position(), 7);
    EXPECT_EQ(seeker.Write("xyz", 3), 3);
    EXPECT_EQ(seeker.Write("!", 1), 0);
}

TEST(MallocIOTest, GrowsAsWrittenAndGapsReadAsZeros)
{
    BMallocIO io;
    std::string expected;
    for (int i = 0; i < 1000; i++) {
        char c = (char)('a' + i % 26);
        ASSERT_EQ(io.Write(&c, 1), 1);
        expected += c;
    }
    EXPECT_EQ(std::string(static_cast<const char*>(io.Buffer()), io.BufferLength()), expected);
    EXPECT_EQ(io.WriteAt(-1, "x", 1), B_BAD_VALUE);

    // Gaps read as zeros.
    io.SetSize(0);
    io.Seek(3, SEEK_SET);
    EXPECT_EQ(io.Write("x", 1), 1);
    EXPECT_EQ(contents(io), std::string("\0\0\0x", 4));

    // Bytes cut off by SetSize must not come back when the stream grows again.
    io.WriteAt(0, "abcdefgh", 8);
    EXPECT_EQ(io.SetSize(2), B_OK);
    EXPECT_EQ(io.WriteAt(6, "!", 1), 1);
    EXPECT_EQ(contents(io), std::string("ab\0\0\0\0!", 7));
    EXPECT_EQ(io.SetSize(1), B_OK);
    EXPECT_EQ(io.SetSize(4), B_OK);
    EXPECT_EQ(contents(io), std::string("a\0\0\0", 4));
}
