#include <Font.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

BFont font_of_size(const BFont* base, float size)
{
    BFont font(base);
    font.SetSize(size);
    return font;
}

font_height height_of(const BFont& font)
{
    font_height height;
    font.GetHeight(&height);
    return height;
}

// "family/style"
std::string name_of(const BFont& font)
{
    font_family family;
    font_style style;
    font.GetFamilyAndStyle(&family, &style);
    return std::string(family) + "/" + style;
}

} // namespace

// The plain and bold fonts show in the golden images; the fixed font and widths measured at
// other sizes and weights do not.
TEST(FontTest, WidthGrowsWithSizeAndWeightAndTheFixedFontsLettersAreEquallyWide)
{
    EXPECT_EQ(name_of(*be_fixed_font), "DejaVu Sans Mono/Book");
    const char* label = "Convert the file";
    float plain = be_plain_font->StringWidth(label);
    EXPECT_GT(plain, 50);
    EXPECT_NEAR(font_of_size(be_plain_font, 24).StringWidth(label), 2 * plain, 0.1 * plain);
    EXPECT_GT(be_bold_font->StringWidth(label), plain);
    EXPECT_EQ(be_fixed_font->StringWidth("iiii"), be_fixed_font->StringWidth("WWWW"));
}

TEST(FontTest, WidthIsOfTheFirstLineUpToTheLengthWithInvalidUtf8AsQuestionMarks)
{
    constexpr int32 kWhole = INT32_MIN; // measured without a length
    const struct {
        const char* text;
        int32 length;
        const char* measuredAs;
    } cases[] = {
        {"", kWhole, nullptr},       {nullptr, kWhole, nullptr},
        {"abc", 0, nullptr},         {"abc", -5, nullptr},
        {"Abcdef", 2, "Ab"},         {"Ab", 50, "Ab"}, // longer than the string: up to its end
        {"Ab\ncdef", kWhole, "Ab"},  {"a\xff\xfe", kWhole, "a??"},
        {"a\xe3\x83\xbb", 3, "a??"}, // a character cut short by the length
    };
    for (const auto& each : cases) {
        const float width = each.length == kWhole
                                ? be_plain_font->StringWidth(each.text)
                                : be_plain_font->StringWidth(each.text, each.length);
        EXPECT_EQ(width,
                  each.measuredAs != nullptr ? be_plain_font->StringWidth(each.measuredAs) : 0)
            << (each.text != nullptr ? each.text : "null") << " up to " << each.length;
    }
}

TEST(FontTest, StylesMatchTheFamilysFacesAndWhatCannotBeUsedIsIgnored)
{
    BFont font;
    EXPECT_EQ(font.SetFamilyAndStyle("No Such Family Anywhere", "Bold"), B_NAME_NOT_FOUND);
    EXPECT_EQ(font.SetFamilyAndStyle("DejaVu Sans", "No Such Style"), B_NAME_NOT_FOUND);
    for (float size : {NAN, -3.0f, INFINITY})
        font.SetSize(size);
    EXPECT_EQ(font, *be_plain_font);

    ASSERT_EQ(font.SetFamilyAndStyle("DejaVu Sans", "bold"), B_OK);
    EXPECT_EQ(name_of(font), "DejaVu Sans/Bold");
    EXPECT_EQ(font.Face(), B_BOLD_FACE);
    // Generic names find the family's own.
    ASSERT_EQ(font.SetFamilyAndStyle("DejaVu Sans", "Regular"), B_OK);
    EXPECT_EQ(name_of(font), "DejaVu Sans/Book");
    ASSERT_EQ(font.SetFamilyAndStyle(nullptr, "Italic"), B_OK);
    EXPECT_EQ(name_of(font), "DejaVu Sans/Oblique");
    font.SetFace(B_BOLD_FACE | B_ITALIC_FACE);
    EXPECT_EQ(name_of(font), "DejaVu Sans/Bold Oblique");
    EXPECT_EQ(font.Face(), B_BOLD_FACE | B_ITALIC_FACE);
    font.SetFace(B_REGULAR_FACE);
    EXPECT_EQ(font, *be_plain_font);
}

TEST(FontTest, EveryThreadMeasuresTheSame)
{
    const char* label = "Tempo \xe3\x83\xbb 120";
    float expected = be_plain_font->StringWidth(label);
    font_height expectedHeight = height_of(*be_bold_font);
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; i++) {
                if (be_plain_font->StringWidth(label) != expected ||
                    height_of(*be_bold_font).ascent != expectedHeight.ascent)
                    mismatches[t]++;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST(FontTest, ManyFamiliesAndSizesKeepTheAnswersRightAndHeightComesFromThePrimaryFontAlone)
{
    // More than the kit keeps answers for, as a stream of archives could name.
    BFont font;
    for (int i = 0; i < 70; i++) {
        std::string family = "No Such Family " + std::to_string(i);
        EXPECT_EQ(font.SetFamilyAndStyle(family.c_str(), "Bold"), B_NAME_NOT_FOUND);
    }
    ASSERT_EQ(font.SetFamilyAndStyle("DejaVu Sans", "Bold"), B_OK);
    EXPECT_EQ(font.Face(), B_BOLD_FACE);

    font_height twelve = height_of(*be_plain_font);
    for (int i = 0; i < 70; i++)
        height_of(font_of_size(be_plain_font, 13 + i * 0.25f));
    font_height again = height_of(*be_plain_font);
    EXPECT_EQ(std::vector<float>({again.ascent, again.descent, again.leading}),
              std::vector<float>({twelve.ascent, twelve.descent, twelve.leading}));

    // Sizes are pixels: in points at 96 dpi, 100 would rise 124 pixels above the baseline.
    // The CJK fallback font has other proportions (0.88 above, 0.12 below): metrics of a
    // line that needed it would show them. The text is measured before the height of this
    // size was ever asked for, so that nothing kept from earlier hides where it comes from.
    BFont big = font_of_size(be_plain_font, 100);
    EXPECT_GT(big.StringWidth("Ab\xe3\x83\xbb\xe6\xbc\xa2"), 0);
    const font_height height = height_of(big);
    EXPECT_EQ(height.ascent, 93);
    EXPECT_EQ(height.descent, 24);
}
