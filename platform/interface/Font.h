#pragma once

// Fonts as the kit's views use them: a family, a style and a size in pixels (one unit of a
// BRect), found through fontconfig. Text in scripts the family lacks (CJK, for example) is
// drawn from a fallback font, while the line metrics stay those of the primary font, so that
// a label's baseline does not move when such a character appears in it.

#include <SupportDefs.h>

#include <string>

typedef char font_family[64];
typedef char font_style[64];

struct font_height {
    float ascent;
    float descent;
    float leading;
};

enum {
    B_ITALIC_FACE = 0x0001,
    B_UNDERSCORE_FACE = 0x0002,
    B_NEGATIVE_FACE = 0x0004,
    B_OUTLINED_FACE = 0x0008,
    B_STRIKEOUT_FACE = 0x0010,
    B_BOLD_FACE = 0x0020,
    B_REGULAR_FACE = 0x0040,
};

class BFont {
public:
    // A copy of be_plain_font.
    BFont();
    BFont(const BFont& font) = default;
    explicit BFont(const BFont* font);
    BFont& operator=(const BFont& font) = default;

    // B_OK, or B_NAME_NOT_FOUND when fontconfig knows no such family (the font is unchanged).
    status_t SetFamilyAndStyle(const char* family, const char* style);
    void GetFamilyAndStyle(font_family* family, font_style* style) const;
    // Size in pixels.
    void SetSize(float size);
    float Size() const { return fSize; }
    // B_BOLD_FACE, B_ITALIC_FACE or B_REGULAR_FACE; sets the style to match.
    void SetFace(uint16 face);
    uint16 Face() const;

    float StringWidth(const char* string) const;
    float StringWidth(const char* string, int32 length) const;
    // Ascent, descent and leading of the primary font at this size, in pixels.
    void GetHeight(font_height* height) const;

    bool operator==(const BFont& other) const;
    bool operator!=(const BFont& other) const { return !(*this == other); }

private:
    friend class BFontPrivate;

    std::string fFamily;
    std::string fStyle;
    float fSize = 12;
};

// The system fonts: sans-serif, 12 pixels, regular and bold; a monospaced one.
extern const BFont* be_plain_font;
extern const BFont* be_bold_font;
extern const BFont* be_fixed_font;
