#include "FontRendering.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <tuple>
#include <unordered_map>

namespace {

// Text must look the same on every machine, or screenshots of windows could not be compared
// pixel for pixel: grey antialiasing (no colour fringes that depend on the screen) and no
// hinting at all. Slight hinting would make small text crisper, but its output follows the
// FreeType version's auto-hinter, which changes from release to release; without hinting
// only the outlines and the rasteriser decide. Unhinted metrics keep widths proportional to
// the size. The user's fontconfig settings do not override these.
cairo_font_options_t* make_font_options()
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    return options;
}

std::string lower_case(const std::string& text)
{
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return (char)std::tolower(c); });
    return lower;
}

// A style name as fontconfig spells it ("Book", "Bold Oblique", "SemiBold Italic") as a
// weight, a slant and a width that pango matches against the family's faces. "Book" is
// the regular weight of many families, not pango's lighter PANGO_WEIGHT_BOOK.
void apply_style(PangoFontDescription* description, const std::string& style)
{
    std::string words = lower_case(style);
    for (const char* joined : {"semi ", "demi ", "extra ", "ultra "}) {
        // "Semi Bold" and "SemiBold" both occur.
        for (size_t at = words.find(joined); at != std::string::npos; at = words.find(joined))
            words.erase(at + strlen(joined) - 1, 1);
    }

    PangoWeight weight = PANGO_WEIGHT_NORMAL;
    PangoStyle slant = PANGO_STYLE_NORMAL;
    PangoStretch stretch = PANGO_STRETCH_NORMAL;
    std::istringstream stream(words);
    for (std::string word; stream >> word;) {
        if (word == "thin" || word == "hairline")
            weight = PANGO_WEIGHT_THIN;
        else if (word == "extralight" || word == "ultralight")
            weight = PANGO_WEIGHT_ULTRALIGHT;
        else if (word == "light")
            weight = PANGO_WEIGHT_LIGHT;
        else if (word == "medium")
            weight = PANGO_WEIGHT_MEDIUM;
        else if (word == "semibold" || word == "demibold")
            weight = PANGO_WEIGHT_SEMIBOLD;
        else if (word == "bold")
            weight = PANGO_WEIGHT_BOLD;
        else if (word == "extrabold" || word == "ultrabold")
            weight = PANGO_WEIGHT_ULTRABOLD;
        else if (word == "black" || word == "heavy")
            weight = PANGO_WEIGHT_HEAVY;
        else if (word == "italic")
            slant = PANGO_STYLE_ITALIC;
        else if (word == "oblique")
            slant = PANGO_STYLE_OBLIQUE;
        else if (word == "condensed")
            stretch = PANGO_STRETCH_CONDENSED;
        else if (word == "semicondensed")
            stretch = PANGO_STRETCH_SEMI_CONDENSED;
        else if (word == "expanded")
            stretch = PANGO_STRETCH_EXPANDED;
    }
    pango_font_description_set_weight(description, weight);
    pango_font_description_set_style(description, slant);
    pango_font_description_set_stretch(description, stretch);
}

PangoFontDescription* make_description(const BFont& font)
{
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, BFontPrivate::Family(font).c_str());
    apply_style(description, BFontPrivate::Style(font));
    // Pixels, not points: a 12 of this kit is 12 pixels whatever the screen's resolution.
    float size = std::isfinite(font.Size()) ? std::clamp(font.Size(), 0.0f, 10000.0f) : 0.0f;
    pango_font_description_set_absolute_size(description, std::round(size * PANGO_SCALE));
    return description;
}

bool is_line_break(const char* text, int32 at, int32 length)
{
    unsigned char c = (unsigned char)text[at];
    if (c == '\n' || c == '\r')
        return true;
    // U+2028 LINE SEPARATOR and U+2029 PARAGRAPH SEPARATOR, which pango breaks lines at too.
    return c == 0xe2 && at + 2 < length && (unsigned char)text[at + 1] == 0x80 &&
           ((unsigned char)text[at + 2] == 0xa8 || (unsigned char)text[at + 2] == 0xa9);
}

// One pango context and a layout reused for every piece of text. The layout keeps its font
// until another is asked for, so that a run of texts in one font does not rebuild it.
class TextContext {
public:
    TextContext()
    {
        // Per thread: pango gives each thread its own default font map.
        PangoFontMap* fontMap = pango_cairo_font_map_get_default();
        fContext = pango_font_map_create_context(fontMap);
        cairo_font_options_t* options = make_font_options();
        pango_cairo_context_set_font_options(fContext, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(fContext, TRUE);
        fLayout = pango_layout_new(fContext);
    }

    ~TextContext()
    {
        g_object_unref(fLayout);
        g_object_unref(fContext);
        // The thread's font map, with its caches of fontconfig patterns, goes with the
        // thread. Pango would let the main thread's stay until the process ends.
        pango_cairo_font_map_set_default(nullptr);
    }

    TextContext(const TextContext&) = delete;
    TextContext& operator=(const TextContext&) = delete;

    PangoContext* Context() const { return fContext; }
    PangoLayout* Layout() const { return fLayout; }

    void SetFont(const BFont& font)
    {
        if (fHasFont && BFontPrivate::Family(font) == fFamily &&
            BFontPrivate::Style(font) == fStyle && font.Size() == fSize)
            return;
        PangoFontDescription* description = make_description(font);
        pango_layout_set_font_description(fLayout, description);
        pango_font_description_free(description);
        fFamily = BFontPrivate::Family(font);
        fStyle = BFontPrivate::Style(font);
        fSize = font.Size();
        fHasFont = true;
    }

    // Sets the layout's text (see text_length()) and returns its byte length.
    int32 SetText(const char* string, int32 length)
    {
        length = BPrivate::text_length(string, length);
        const char* text = length > 0 ? string : "";
        const char* end = nullptr;
        if (!g_utf8_validate(text, length, &end)) {
            // Each byte that does not belong to a character becomes one '?', so that byte
            // offsets mean the same in the text handed in and the text laid out.
            fText.assign(text, length);
            size_t at = end - text;
            while (at < fText.size()) {
                fText[at] = '?';
                const char* start = fText.data() + at + 1;
                if (g_utf8_validate(start, fText.size() - at - 1, &end))
                    break;
                at = end - fText.data();
            }
            text = fText.data();
        }
        pango_layout_set_text(fLayout, text, length);
        return length;
    }

    // The text's only line.
    PangoLayoutLine* Line() const { return pango_layout_get_line_readonly(fLayout, 0); }

    // The text as laid out (valid until the next SetText()).
    const char* Text() const { return pango_layout_get_text(fLayout); }

private:
    PangoContext* fContext = nullptr;
    PangoLayout* fLayout = nullptr;
    bool fHasFont = false;
    std::string fFamily;
    std::string fStyle;
    float fSize = 0;
    std::string fText;
};

// Measuring never follows a cairo context, so its results are those of the untransformed
// device; drawing follows the transformation of the context it draws into.
TextContext& measuring()
{
    thread_local TextContext context;
    return context;
}

TextContext& drawing()
{
    thread_local TextContext context;
    return context;
}

// The widths of texts measured lately on this thread. Views measure the same labels every
// time they lay out or draw them, and laying a text out costs microseconds where looking it
// up costs a small fraction of that.
class WidthCache {
public:
    const float* Find(const BFont& font, const char* text, int32 length)
    {
        const std::string& family = BFontPrivate::Family(font);
        const std::string& style = BFontPrivate::Style(font);
        float size = font.Size();
        fKey.clear();
        fKey.append(family).push_back('\0');
        fKey.append(style).push_back('\0');
        fKey.append((const char*)&size, sizeof(size));
        fKey.append(text, length);
        auto found = fWidths.find(fKey);
        return found != fWidths.end() ? &found->second : nullptr;
    }

    // Keeps the width of the text last looked for.
    void Add(float width)
    {
        if (fWidths.size() >= kCapacity)
            fWidths.clear();
        fWidths.emplace(fKey, width);
    }

private:
    static constexpr size_t kCapacity = 2048;
    std::unordered_map<std::string, float> fWidths;
    std::string fKey;
};

WidthCache& width_cache()
{
    thread_local WidthCache cache;
    return cache;
}

float to_pixels(int units)
{
    return (float)units / PANGO_SCALE;
}

} // namespace

namespace BPrivate {

int32 text_length(const char* string, int32 length)
{
    if (string == nullptr || length == 0)
        return 0;
    int32 end = 0;
    while ((length < 0 || end < length) && string[end] != '\0' &&
           !is_line_break(string, end, length < 0 ? INT32_MAX : length))
        end++;
    return end;
}

void draw_string(cairo_t* cr, const BFont& font, const char* string, int32 length, BPoint baseline)
{
    if (cr == nullptr)
        return;
    TextContext& text = drawing();
    guint serial = pango_context_get_serial(text.Context());
    pango_cairo_update_context(cr, text.Context());
    if (pango_context_get_serial(text.Context()) != serial)
        pango_layout_context_changed(text.Layout());
    text.SetFont(font);
    if (text.SetText(string, length) == 0)
        return;
    // A layout line is drawn with its baseline at the current point, so the baseline stays
    // where it was asked for whichever fonts the line's characters come from.
    cairo_move_to(cr, baseline.x, baseline.y);
    pango_cairo_show_layout_line(cr, text.Line());
    cairo_new_path(cr);
}

float string_width(const BFont& font, const char* string, int32 length)
{
    length = text_length(string, length);
    if (length == 0)
        return 0;
    WidthCache& cache = width_cache();
    if (const float* width = cache.Find(font, string, length))
        return *width;

    TextContext& text = measuring();
    text.SetFont(font);
    text.SetText(string, length);
    PangoRectangle logical;
    pango_layout_line_get_extents(text.Line(), nullptr, &logical);
    float width = to_pixels(logical.width);
    cache.Add(width);
    return width;
}

float offset_to_x(const BFont& font, const char* string, int32 length, int32 offset)
{
    TextContext& text = measuring();
    text.SetFont(font);
    int32 textLength = text.SetText(string, length);
    offset = std::clamp(offset, 0, textLength);
    const char* laidOut = text.Text();
    while (offset > 0 && offset < textLength && (laidOut[offset] & 0xc0) == 0x80)
        offset--;
    PangoRectangle caret;
    pango_layout_get_cursor_pos(text.Layout(), offset, &caret, nullptr);
    return to_pixels(caret.x);
}

int32 x_to_offset(const BFont& font, const char* string, int32 length, float x)
{
    TextContext& text = measuring();
    text.SetFont(font);
    int32 textLength = text.SetText(string, length);
    if (textLength == 0 || !(x > 0))
        return 0;
    int units = x >= to_pixels(INT32_MAX / 2) ? INT32_MAX / 2 : (int)std::lround(x * PANGO_SCALE);
    int index = 0;
    int trailing = 0;
    pango_layout_xy_to_index(text.Layout(), units, 0, &index, &trailing);
    const char* laidOut = text.Text();
    int32 offset = std::clamp(index, 0, textLength);
    // trailing counts the characters (of the grapheme clicked) to step over.
    for (; trailing > 0 && offset < textLength; trailing--)
        offset = (int32)(g_utf8_next_char(laidOut + offset) - laidOut);
    return std::min(offset, textLength);
}

font_height font_metrics(const BFont& font)
{
    using Key = std::tuple<std::string, std::string, float>;
    // Sizes and families come from archives too: past kMaxFonts the cache starts over.
    static constexpr size_t kMaxFonts = 64;
    static std::mutex sLock;
    static std::map<Key, font_height> sCache;

    Key key{BFontPrivate::Family(font), BFontPrivate::Style(font), font.Size()};
    {
        std::lock_guard<std::mutex> guard(sLock);
        auto found = sCache.find(key);
        if (found != sCache.end())
            return found->second;
    }

    // The primary font only: the fallback fonts a text may also need have other metrics,
    // and lines must not move when such a character appears.
    font_height height{0, 0, 0};
    TextContext& text = measuring();
    PangoFontDescription* description = make_description(font);
    PangoFont* primary = pango_context_load_font(text.Context(), description);
    pango_font_description_free(description);
    if (primary != nullptr) {
        PangoFontMetrics* metrics = pango_font_get_metrics(primary, nullptr);
        int ascent = pango_font_metrics_get_ascent(metrics);
        int descent = pango_font_metrics_get_descent(metrics);
        int lineHeight = pango_font_metrics_get_height(metrics);
        pango_font_metrics_unref(metrics);
        g_object_unref(primary);
        height.ascent = std::ceil(to_pixels(ascent));
        height.descent = std::ceil(to_pixels(descent));
        height.leading = std::max(0.0f, std::round(to_pixels(lineHeight - ascent - descent)));
    }

    std::lock_guard<std::mutex> guard(sLock);
    if (sCache.size() >= kMaxFonts)
        sCache.clear();
    sCache.emplace(key, height);
    return height;
}

} // namespace BPrivate
