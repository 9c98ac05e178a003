#include "FontRendering.h"
#include "GoldenImage.h"

#include <Font.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

const char* const kMiddleDot = "\xe3\x83\xbb"; // U+30FB KATAKANA MIDDLE DOT

// A white frame that text is drawn into in black, through a cairo surface on its pixels.
class Canvas {
public:
    Canvas(int width, int height)
    {
        fFrame.width = width;
        fFrame.height = height;
        fFrame.pixels.assign((size_t)width * height, 0xffffffff);
        fSurface = cairo_image_surface_create_for_data(
            (unsigned char*)fFrame.pixels.data(), CAIRO_FORMAT_ARGB32, width, height, width * 4);
        fContext = cairo_create(fSurface);
    }
    ~Canvas()
    {
        cairo_destroy(fContext);
        cairo_surface_destroy(fSurface);
    }

    void Draw(const BFont& font, const char* text, BPoint baseline)
    {
        BPrivate::draw_string(fContext, font, text, -1, baseline);
        cairo_surface_flush(fSurface);
    }
    const BPrivate::DisplayFrame& Frame() const { return fFrame; }

private:
    BPrivate::DisplayFrame fFrame;
    cairo_surface_t* fSurface;
    cairo_t* fContext;
};

} // namespace

TEST(TextRenderingTest, OffsetsAndPositionsRoundTripAndSnapToCharacters)
{
    // ASCII, two-byte and three-byte characters.
    std::string text = std::string("Tempo \xc3\xa9t\xc3\xa9 ") + kMiddleDot + "x";
    int32 length = (int32)text.size();
    float previous = -1;
    for (int32 offset = 0; offset <= length; offset++) {
        bool boundary = offset == length || ((unsigned char)text[offset] & 0xc0) != 0x80;
        if (!boundary)
            continue;
        float x = BPrivate::offset_to_x(*be_plain_font, text.c_str(), length, offset);
        EXPECT_GT(x, previous) << "offset " << offset;
        previous = x;
        EXPECT_EQ(BPrivate::x_to_offset(*be_plain_font, text.c_str(), length, x + 0.5f), offset)
            << "offset " << offset << " at x " << x;
    }
    EXPECT_EQ(previous, BPrivate::string_width(*be_plain_font, text.c_str(), length));

    // Positions between characters or out of range snap to a character or an end.
    text = std::string("a") + kMiddleDot + "b";
    const BFont& font = *be_plain_font;
    // Inside the three bytes of the dot: the dot's start.
    EXPECT_EQ(BPrivate::offset_to_x(font, text.c_str(), -1, 2),
              BPrivate::offset_to_x(font, text.c_str(), -1, 1));
    // Out of range: the ends.
    EXPECT_EQ(BPrivate::offset_to_x(font, text.c_str(), -1, -4), 0);
    EXPECT_EQ(BPrivate::offset_to_x(font, text.c_str(), -1, 99),
              BPrivate::string_width(font, text.c_str(), -1));
    // Out of range: the ends; the right half of "a": after it.
    const float aWidth = font.StringWidth("a");
    for (const auto& [x, offset] : std::vector<std::pair<float, int32>>{
             {-20, 0}, {1e9f, 5}, {NAN, 0}, {aWidth * 0.8f, 1}, {aWidth * 0.2f, 0}})
        EXPECT_EQ(BPrivate::x_to_offset(font, text.c_str(), -1, x), offset) << "at x " << x;
}

TEST(TextRenderingTest, TextLooksAsTheGoldenImage)
{
    // Text stands on its baseline whichever font its glyphs come from (the third line's come
    // from the CJK fallback), and only a text's first line is drawn.
    Canvas canvas(240, 64);
    canvas.Draw(*be_plain_font, "Plain 12: Convert\nnever drawn", BPoint(4, 16));
    BFont bold(be_bold_font);
    bold.SetSize(10);
    canvas.Draw(bold, "Bold 10: Channel masks", BPoint(4, 34));
    canvas.Draw(*be_plain_font,
                (std::string("Ctrl") + kMiddleDot + "O \xe5\xa4\x89\xe6\x8f\x9b").c_str(),
                BPoint(4, 54));
    EXPECT_TRUE(matches_golden(canvas.Frame(), "text_plain_bold_cjk"));
}
