#include <String.h>

#include <gtest/gtest.h>

#include <climits>

TEST(StringTest, BuildingUp)
{
    EXPECT_EQ(BString("tempo", 3), "tem");
    EXPECT_EQ(BString("tempo", -1), "");
    BString string;
    string.SetTo("track", 2).Append("ansport", 3).Append(nullptr).Prepend("[");
    string << '!' << (int32)-42 << (uint32)UINT32_MAX << (int64)INT64_MIN;
    EXPECT_EQ(string, "[trans!-424294967295-9223372036854775808");

    // Taking a string's own text must not read memory that growing it freed.
    BString twice("abc");
    twice.Append(twice.String()).Prepend(twice.String());
    EXPECT_EQ(twice, "abcabcabcabc");
}

TEST(StringTest, ReplacingAndRemoving)
{
    BString string("a-b-c");
    EXPECT_EQ(string.ReplaceAll("-", "--"), "a--b--c");
    EXPECT_EQ(string.ReplaceAll("", "x"), "a--b--c");
    EXPECT_EQ(string.ReplaceFirst("--", "+"), "a+b--c");
    EXPECT_EQ(string.RemoveAll("--"), "a+bc");
    EXPECT_EQ(string.Remove(1, 100), "a");
    EXPECT_EQ(BString("abc").Remove(5, 1), "abc");
    EXPECT_EQ(BString("abc").Truncate(-3), "");
}

TEST(StringTest, FindingAndCopying)
{
    BString string("one two one");
    EXPECT_EQ(string.FindFirst("one", 1), 8);
    EXPECT_EQ(string.FindFirst("one", 100), B_ERROR);
    EXPECT_EQ(string.FindFirst(nullptr), B_BAD_VALUE);
    EXPECT_EQ(string.FindLast('o'), 8);
    EXPECT_EQ(string.FindLast("three"), B_ERROR);

    BString part;
    EXPECT_EQ(string.CopyInto(part, 4, 3), "two");
    EXPECT_EQ(string.CopyInto(part, 8, 100), "one");
    EXPECT_EQ(string.CopyInto(part, 12, 1), "");
    EXPECT_EQ(string.CopyInto(string, 0, 3), "one");
    EXPECT_EQ(BString("MIDI").ICompare("midi"), 0);
    EXPECT_EQ(BString("").Compare(nullptr), 0);
}
