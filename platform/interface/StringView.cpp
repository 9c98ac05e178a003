#include <StringView.h>

#include <Message.h>

#include "ArchiveClasses.h"

#include <cmath>

BStringView::BStringView(BRect frame, const char* name, const char* text, uint32 resizingMode,
                         uint32 flags)
    : BView(frame, name, resizingMode, flags | B_WILL_DRAW), fText(text != nullptr ? text : "")
{
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    SetLowColor(ViewColor());
    SetHighColor(ui_color(B_PANEL_TEXT_COLOR));
}

BStringView::BStringView(BMessage* archive) : BView(archive)
{
    if (archive == nullptr)
        return;
    const char* text;
    if (archive->FindString("_text", &text) == B_OK)
        fText = text;
    int32 align;
    if (archive->FindInt32("_align", &align) == B_OK && align >= B_ALIGN_LEFT &&
        align <= B_ALIGN_CENTER)
        fAlignment = (alignment)align;
}

BStringView::~BStringView() = default;

BArchivable* BStringView::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BStringView"))
        return nullptr;
    return new BStringView(archive);
}

status_t BStringView::Archive(BMessage* into, bool deep) const
{
    status_t status = BView::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BStringView");
    if (status != B_OK)
        return status;
    if (!fText.empty())
        into->AddString("_text", fText.c_str());
    return into->AddInt32("_align", fAlignment);
}

void BStringView::AttachedToWindow()
{
    if (Parent() != nullptr && !(Parent()->ViewColor() == B_TRANSPARENT_COLOR)) {
        SetViewColor(Parent()->ViewColor());
        SetLowColor(ViewColor());
    }
}

void BStringView::Draw(BRect)
{
    if (fText.empty())
        return;
    font_height height;
    GetFontHeight(&height);
    const float width = StringWidth(fText.c_str());
    const BRect bounds = Bounds();
    float x = 0;
    if (fAlignment == B_ALIGN_RIGHT)
        x = bounds.right + 1 - width;
    else if (fAlignment == B_ALIGN_CENTER)
        x = (bounds.Width() + 1 - width) / 2;
    // The text hangs from the top: its baseline is the font's ascent down, as on the
    // original system, so that string views line up with other labels of the same font.
    DrawString(fText.c_str(), BPoint(std::floor(x), std::ceil(height.ascent)));
}

void BStringView::GetPreferredSize(float* width, float* height)
{
    font_height metrics;
    GetFontHeight(&metrics);
    if (width != nullptr)
        *width = std::ceil(StringWidth(fText.c_str()));
    if (height != nullptr)
        *height = std::ceil(metrics.ascent + metrics.descent + metrics.leading);
}

void BStringView::SetText(const char* text)
{
    const std::string newText = text != nullptr ? text : "";
    if (newText == fText)
        return;
    fText = newText;
    Invalidate();
}

void BStringView::SetAlignment(alignment flag)
{
    if (flag == fAlignment)
        return;
    fAlignment = flag;
    Invalidate();
}
