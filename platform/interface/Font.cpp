#include <Font.h>

#include "FontRendering.h"

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <strings.h>
#include <vector>

namespace {

const char* const kSystemFamily = "DejaVu Sans";
const char* const kSystemMonoFamily = "DejaVu Sans Mono";
const char* const kSystemPlainStyle = "Book";
const char* const kSystemBoldStyle = "Bold";
const float kSystemSize = 12;

// One face of a family as fontconfig lists it.
struct FaceStyle {
    std::string name;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    int width = FC_WIDTH_NORMAL;
};

// The faces of a family; empty when fontconfig knows no such family. Asking fontconfig takes
// a while, and programs ask about the same few families again and again, so the answers are
// kept. Family names also come from archives, which may name any number of families: past
// kMaxFamilies the answers start over rather than grow without end.
std::vector<FaceStyle> family_styles(const std::string& family)
{
    static constexpr size_t kMaxFamilies = 64;
    static std::mutex sLock;
    static std::map<std::string, std::vector<FaceStyle>> sFamilies;
    std::lock_guard<std::mutex> guard(sLock);
    auto found = sFamilies.find(family);
    if (found != sFamilies.end())
        return found->second;

    std::vector<FaceStyle> styles;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)family.c_str());
    FcObjectSet* objects = FcObjectSetBuild(FC_STYLE, FC_WEIGHT, FC_SLANT, FC_WIDTH, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    for (int i = 0; fonts != nullptr && i < fonts->nfont; i++) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_STYLE, 0, &name) != FcResultMatch)
            continue;
        FaceStyle style;
        style.name = (const char*)name;
        FcPatternGetInteger(fonts->fonts[i], FC_WEIGHT, 0, &style.weight);
        FcPatternGetInteger(fonts->fonts[i], FC_SLANT, 0, &style.slant);
        FcPatternGetInteger(fonts->fonts[i], FC_WIDTH, 0, &style.width);
        styles.push_back(style);
    }
    if (fonts != nullptr)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);

    if (sFamilies.size() >= kMaxFamilies)
        sFamilies.clear();
    sFamilies.emplace(family, styles);
    return styles;
}

bool contains_word(const char* style, const char* word)
{
    return style != nullptr && strcasestr(style, word) != nullptr;
}

// The face a style name asks for, in the terms of the original system.
uint16 face_of(const char* style)
{
    uint16 face = 0;
    // "Semibold" and heavier count as bold; "Demibold" too.
    if (contains_word(style, "bold") || contains_word(style, "black") ||
        contains_word(style, "heavy"))
        face |= B_BOLD_FACE;
    if (contains_word(style, "italic") || contains_word(style, "oblique"))
        face |= B_ITALIC_FACE;
    return face != 0 ? face : (uint16)B_REGULAR_FACE;
}

// Whether a style name is one of the generic names a program may use for any family
// ("Regular", "Bold Italic"), rather than a face's own name ("Book", "Bold Oblique").
bool is_generic_style(const char* style)
{
    static const char* const kGeneric[] = {"Regular",     "Roman",       "Book",   "Normal",
                                           "Plain",       "Bold",        "Italic", "Oblique",
                                           "Bold Italic", "Bold Oblique"};
    for (const char* generic : kGeneric) {
        if (strcasecmp(style, generic) == 0)
            return true;
    }
    return false;
}

// The face of the family that comes nearest to a face of the original system: the slant
// first, then the weight, then a normal width.
const FaceStyle* nearest_face(const std::vector<FaceStyle>& styles, uint16 face)
{
    int wantedWeight = (face & B_BOLD_FACE) != 0 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    bool wantedItalic = (face & B_ITALIC_FACE) != 0;
    const FaceStyle* nearest = nullptr;
    long nearestScore = 0;
    for (const FaceStyle& style : styles) {
        bool italic = style.slant != FC_SLANT_ROMAN;
        long score = std::abs(style.weight - wantedWeight) * 4 +
                     (italic != wantedItalic ? 1000 : 0) + std::abs(style.width - FC_WIDTH_NORMAL);
        if (nearest == nullptr || score < nearestScore) {
            nearest = &style;
            nearestScore = score;
        }
    }
    return nearest;
}

void copy_name(char* to, const std::string& name)
{
    // font_family and font_style have room for 63 bytes and the terminator.
    size_t length = std::min(name.size(), sizeof(font_family) - 1);
    memcpy(to, name.data(), length);
    to[length] = '\0';
}

BFont make_system_font(const char* family, const char* style)
{
    BFont font;
    BFontPrivate::Set(font, family, style, kSystemSize);
    return font;
}

// The system fonts are set without asking fontconfig, so that merely starting a program
// costs nothing: when a machine lacks the family, fontconfig's sans-serif draws in its
// place.
const BFont sPlainFont = make_system_font(kSystemFamily, kSystemPlainStyle);
const BFont sBoldFont = make_system_font(kSystemFamily, kSystemBoldStyle);
const BFont sFixedFont = make_system_font(kSystemMonoFamily, kSystemPlainStyle);

} // namespace

const BFont* be_plain_font = &sPlainFont;
const BFont* be_bold_font = &sBoldFont;
const BFont* be_fixed_font = &sFixedFont;

// Not a copy of *be_plain_font: a BFont made by a static initialiser of another file may
// be made before be_plain_font is.
BFont::BFont() : fFamily(kSystemFamily), fStyle(kSystemPlainStyle), fSize(kSystemSize) {}

BFont::BFont(const BFont* font) : BFont()
{
    if (font != nullptr)
        *this = *font;
}

status_t BFont::SetFamilyAndStyle(const char* family, const char* style)
{
    std::string newFamily = family != nullptr ? family : fFamily;
    std::vector<FaceStyle> styles = family_styles(newFamily);
    if (styles.empty())
        return B_NAME_NOT_FOUND;

    const FaceStyle* chosen = nullptr;
    if (style == nullptr) {
        chosen = nearest_face(styles, B_REGULAR_FACE);
    } else {
        for (const FaceStyle& candidate : styles) {
            if (strcasecmp(candidate.name.c_str(), style) == 0) {
                chosen = &candidate;
                break;
            }
        }
        if (chosen == nullptr && is_generic_style(style))
            chosen = nearest_face(styles, face_of(style));
    }
    if (chosen == nullptr)
        return B_NAME_NOT_FOUND;

    fFamily = newFamily;
    fStyle = chosen->name;
    return B_OK;
}

void BFont::GetFamilyAndStyle(font_family* family, font_style* style) const
{
    if (family != nullptr)
        copy_name(*family, fFamily);
    if (style != nullptr)
        copy_name(*style, fStyle);
}

void BFont::SetSize(float size)
{
    // A size that cannot be drawn would reach pango as garbage.
    if (std::isfinite(size) && size >= 0)
        fSize = size;
}

void BFont::SetFace(uint16 face)
{
    uint16 wanted = face & (B_BOLD_FACE | B_ITALIC_FACE);
    std::vector<FaceStyle> styles = family_styles(fFamily);
    const FaceStyle* chosen = nearest_face(styles, wanted);
    if (chosen != nullptr) {
        fStyle = chosen->name;
        return;
    }
    // A family fontconfig does not know: pango matches a generic name to whatever face
    // stands in for it.
    static const char* const kGeneric[] = {"Regular", "Bold", "Italic", "Bold Italic"};
    fStyle =
        kGeneric[((wanted & B_BOLD_FACE) != 0 ? 1 : 0) + ((wanted & B_ITALIC_FACE) != 0 ? 2 : 0)];
}

uint16 BFont::Face() const
{
    return face_of(fStyle.c_str());
}

float BFont::StringWidth(const char* string) const
{
    return BPrivate::string_width(*this, string, -1);
}

float BFont::StringWidth(const char* string, int32 length) const
{
    // A negative length is no text (the one-argument form measures up to the NUL).
    if (length < 0)
        return 0;
    return BPrivate::string_width(*this, string, length);
}

void BFont::GetHeight(font_height* height) const
{
    if (height != nullptr)
        *height = BPrivate::font_metrics(*this);
}

bool BFont::operator==(const BFont& other) const
{
    return fFamily == other.fFamily && fStyle == other.fStyle && fSize == other.fSize;
}
