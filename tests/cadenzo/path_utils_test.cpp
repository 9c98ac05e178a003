// Path and text helpers.

#include "util/PathUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(PathUtils, Extensions)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/boot/home/song.mid", "/boot/home/song.fem"},
        {"/boot/home/song", "/boot/home/song.fem"},
        {"/boot/x.d/song", "/boot/x.d/song.fem"},
        {"a.b.c", "a.b.fem"},
        {"song.", "song.fem"},
        {".profile", ".fem"},
        {"dir/", "dir/.fem"},
        {"", ".fem"},
        {"song.FEM", "song.fem"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(expected, reext(input, "fem")) << input;

    // add_ext adds an extension only where there is none.
    EXPECT_EQ("song.mid", add_ext("song", "mid"));
    EXPECT_EQ("song.txt", add_ext("song.txt", "mid"));
    EXPECT_EQ("a.d/song.mid", add_ext("a.d/song", "mid"));
    EXPECT_EQ(".profile", add_ext(".profile", "mid"));
    EXPECT_EQ(".mid", add_ext("", "mid"));
}

TEST(PathUtils, SplittingPaths)
{
    EXPECT_EQ("mid", extract_file_ext("song.mid"));
    EXPECT_EQ("", extract_file_ext("song"));
    EXPECT_EQ("d/song", extract_file_ext("a.d/song"));
    EXPECT_EQ("", extract_file_ext("song."));

    EXPECT_EQ("/boot/home/", extract_file_folder_path_kernel("/boot/home/a.mid", 1));
    EXPECT_EQ("/boot/home", extract_file_folder_path_kernel("/boot/home/a.mid", 0));
    EXPECT_EQ("/boot/home", extract_file_folder_path_kernel("/boot/home/", 0));
    EXPECT_EQ("", extract_file_folder_path_kernel("/a", 0));
    EXPECT_EQ("", extract_file_folder_path_kernel("a.mid", 1));

    EXPECT_EQ("a.mid", extract_file_name("/boot/home/a.mid"));
    EXPECT_EQ("a.mid", extract_file_name("a.mid"));
    EXPECT_EQ("", extract_file_name("/boot/home/"));

    EXPECT_EQ("song", extract_file_body("/boot/home/song.mid"));
    EXPECT_EQ("a.b", extract_file_body("/b/a.b.c"));
    EXPECT_EQ("song", extract_file_body("/b.x/song"));
    EXPECT_EQ("", extract_file_body("/b/.profile"));
    EXPECT_EQ("song", extract_file_body("song."));

    EXPECT_EQ("./music/a.mid", relative_path("/boot/home/", "/boot/home/music/a.mid"));
    EXPECT_EQ("../music/a.mid", relative_path("/boot/home/docs/", "/boot/home/music/a.mid"));
    EXPECT_EQ("../docs/x", relative_path("/boot/home/doc/", "/boot/home/docs/x"));
    EXPECT_EQ("../../x", relative_path("/a/b/c/", "/a/x"));
    EXPECT_EQ("./b", relative_path("/a/b", "/a/b"));
}

TEST(TextUtils, TrimmingLineEndsCharacterSetsAndColours)
{
    EXPECT_EQ("abc d", trim(" \tabc d \t"));
    EXPECT_EQ("", trim(" \t \t"));
    EXPECT_EQ("", trim(""));
    EXPECT_EQ("\nx\r", trim(" \nx\r "));

    EXPECT_EQ(kLineEndCRLF, detect_cr_type("one\r\ntwo\r\n"));
    EXPECT_EQ(kLineEndCR, detect_cr_type("one\rtwo\r"));
    EXPECT_EQ(kLineEndLF, detect_cr_type("one\ntwo"));
    EXPECT_EQ(kLineEndLF, detect_cr_type("one"));

    EXPECT_EQ(kCharSetUTF8, detect_char_set("plain"));
    EXPECT_EQ(kCharSetUTF8, detect_char_set("caf\xC3\xA9 \xE3\x83\xBB"));
    EXPECT_EQ(kCharSetShiftJIS, detect_char_set("ends in a lead byte \xE3"));
    EXPECT_EQ(kCharSetShiftJIS, detect_char_set("\x82\xA0"));
    EXPECT_EQ(kCharSetJIS, detect_char_set("\x1B$B\x82"));
    // A lead byte that promises seven continuation bytes never reads past the end.
    EXPECT_EQ(kCharSetShiftJIS, detect_char_set("\xFF"));

    EXPECT_TRUE(is_same_rgb_color({1, 2, 3, 4}, {1, 2, 3, 4}));
    EXPECT_FALSE(is_same_rgb_color({1, 2, 3, 4}, {1, 2, 3, 5}));
}

} // namespace
