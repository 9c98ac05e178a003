#include <String.h>

#include <gtest/gtest.h>

#include <climits>

TEST(StringTest, BoundedCopies)
{
    EXPECT_STREQ(BString("tempo", 3).String(), "tem");
    EXPECT_STREQ(BString("tempo", 99).String(), "tempo");
    EXPECT_STREQ(BString("tempo", -1).String(), "");
    EXPECT_STREQ(BString(nullptr).String(), "");
    BString string;
    string.SetTo("track", 2).Append("ansport", 3);
    EXPECT_EQ(string, "trans");
    EXPECT_EQ(string.Length(), 5);
    EXPECT_TRUE(BString().IsEmpty());
}

TEST(StringTest, BuildingUp)
{
    BString string("mid");
    string.Prepend("song.").Append(nullptr);
    string << '!' << (int32)-42 << (uint32)UINT32_MAX << (int64)INT64_MIN;
    EXPECT_EQ(string, "song.mid!-424294967295-9223372036854775808");

    // Appending a string to itself must not read freed memory.
    BString twice("abc");
    twice.Append(twice.String());
    EXPECT_EQ(twice, "abcabc");
    twice.Prepend(twice.String());
    EXPECT_EQ(twice, "abcabcabcabc");
}

TEST(StringTest, ReplacingAndRemoving)
{
    BString string("a-b-c");
    EXPECT_EQ(string.ReplaceAll("-", "--"), "a--b--c");
    EXPECT_EQ(string.ReplaceAll("", "x"), "a--b--c");
    EXPECT_EQ(string.ReplaceFirst("--", "+"), "a+b--c");
    EXPECT_EQ(string.ReplaceAll("--", nullptr), "a+bc");
    EXPECT_EQ(string.RemoveAll("+"), "abc");
    EXPECT_EQ(string.Remove(1, 100), "a");
    EXPECT_EQ(BString("abc").Remove(5, 1), "abc");
    EXPECT_EQ(BString("abc").Truncate(-3), "");
    EXPECT_EQ(BString("abc").Truncate(10), "abc");
}

TEST(StringTest, Finding)
{
    BString string("one two one");
    EXPECT_EQ(string.FindFirst("one"), 0);
    EXPECT_EQ(string.FindFirst("one", 1), 8);
    EXPECT_EQ(string.FindFirst("one", 100), B_ERROR);
    EXPECT_EQ(string.FindFirst("three"), B_ERROR);
    EXPECT_EQ(string.FindFirst(nullptr), B_BAD_VALUE);
    EXPECT_EQ(string.FindFirst('t'), 4);
    EXPECT_EQ(string.FindLast("one"), 8);
    EXPECT_EQ(string.FindLast('o'), 8);
    EXPECT_EQ(string.FindLast('x'), B_ERROR);
}

TEST(StringTest, CopyIntoClampsAndMayAlias)
{
    BString string("conversion");
    BString part;
    EXPECT_EQ(string.CopyInto(part, 3, 4), "vers");
    EXPECT_EQ(string.CopyInto(part, 7, 100), "ion");
    EXPECT_EQ(string.CopyInto(part, 11, 1), "");
    EXPECT_EQ(string.CopyInto(part, -1, 1), "");
    EXPECT_EQ(string.CopyInto(string, 0, 4), "conv");
}

TEST(StringTest, Comparing)
{
    EXPECT_LT(BString("a").Compare("b"), 0);
    EXPECT_EQ(BString("").Compare(nullptr), 0);
    EXPECT_EQ(BString("MIDI").ICompare("midi"), 0);
    EXPECT_TRUE(BString("a") < BString("b"));
    EXPECT_TRUE(BString("a") != "b");
    EXPECT_EQ(BString("ab").ByteAt(1), 'b');
    EXPECT_EQ(BString("ab").ByteAt(2), 0);
    EXPECT_EQ(BString("ab").ByteAt(-1), 0);
}
