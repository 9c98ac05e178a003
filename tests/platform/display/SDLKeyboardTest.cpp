// Text from the window system split into the characters that become key presses.

#include <SDLKeyboard.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using BPrivate::split_utf8_characters;

namespace {

std::vector<std::string> split(const char* text)
{
    return split_utf8_characters(text, strlen(text));
}

} // namespace

TEST(SDLKeyboardTest, TextIsSplitIntoWholeCharacters)
{
    EXPECT_EQ(split("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x8e\xb5"),
              (std::vector<std::string>{"a", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x8e\xb5"}));
    EXPECT_TRUE(split("").empty());
    EXPECT_TRUE(split_utf8_characters(nullptr, 4).empty());
}

TEST(SDLKeyboardTest, MalformedTextLosesOnlyItsBrokenBytes)
{
    // A stray continuation byte, a byte that is never UTF-8, an overlong "/", a surrogate,
    // a code point past U+10FFFF, and a character cut short at the end.
    EXPECT_EQ(split("a\x80"
                    "b\xff"
                    "c\xc0\xaf"
                    "d\xed\xa0\x80"
                    "e\xf4\x90\x80\x80"
                    "f\xe2\x82"),
              (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
    // A cut-short character does not swallow the whole character after it.
    EXPECT_EQ(split("\xe2\x82\xc3\xa9"), (std::vector<std::string>{"\xc3\xa9"}));
}
