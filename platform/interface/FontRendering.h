#pragma once

// How the interface kit lays out, measures and draws text with pango. Private to the kit: the
// views draw through it, and nothing outside the kit sees cairo.
//
// Every thread has its own pango contexts (pango's font maps must not be shared between
// threads), all with the same fixed font options, so that a width measured on one thread is
// the width drawn on another. Text is one line: it ends at its length, at a NUL byte or at
// the first line break, whichever comes first; a negative length means "up to the NUL".
// Bytes that are not UTF-8 are drawn and measured as '?', one for one, so that byte offsets
// keep their meaning.

#include <Font.h>
#include <Point.h>

#include <cairo.h>

#include <string>

// Access to the parts of a BFont that only the kit needs.
class BFontPrivate {
public:
    static const std::string& Family(const BFont& font) { return font.fFamily; }
    static const std::string& Style(const BFont& font) { return font.fStyle; }
    static void Set(BFont& font, std::string family, std::string style, float size)
    {
        font.fFamily = std::move(family);
        font.fStyle = std::move(style);
        font.fSize = size;
    }
};

namespace BPrivate {

// Draws the text with the current source of cr, the left end of its baseline at `baseline`
// (user space), whatever fallback fonts its characters need. Clears the current path.
void draw_string(cairo_t* cr, const BFont& font, const char* string, int32 length, BPoint baseline);

// The advance width of the text in pixels; 0 for no text.
float string_width(const BFont& font, const char* string, int32 length);

// Where the caret stands before the character at byte `offset`, in pixels from the left end
// of the text. An offset inside a character counts as the start of that character; one
// past the end gives the width of the text.
float offset_to_x(const BFont& font, const char* string, int32 length, int32 offset);
// The byte offset of the caret position nearest to x: a click on the right half of a
// character puts the caret after it. Left of the text gives 0, right of it the length.
int32 x_to_offset(const BFont& font, const char* string, int32 length, float x);

// Ascent, descent and leading of the font's primary face at its size, in whole pixels
// (ascent and descent rounded up, so that glyphs fit the line box; leading rounded). Cached.
font_height font_metrics(const BFont& font);

// The byte length of the text as the functions above take it (see the top of this file).
int32 text_length(const char* string, int32 length);

} // namespace BPrivate
