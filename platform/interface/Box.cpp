#include <Box.h>

#include <Message.h>

#include "ArchiveClasses.h"
#include "ControlLook.h"

#include <algorithm>
#include <cmath>

namespace {

// Where the label starts, and the room cleared around it in the frame's line.
constexpr float kLabelLeft = 10;
constexpr float kLabelGap = 2;

} // namespace

BBox::BBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags, border_style border)
    : BView(frame, name, resizingMode, flags | B_WILL_DRAW), fBorder(border)
{
    SetFont(be_bold_font);
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    SetLowColor(ViewColor());
    SetHighColor(ui_color(B_PANEL_TEXT_COLOR));
}

BBox::BBox(BMessage* archive) : BView(archive)
{
    if (archive == nullptr)
        return;
    const char* label;
    if (archive->FindString("_label", &label) == B_OK) {
        fLabel = label;
        fHasLabel = true;
    }
    int32 style;
    if (archive->FindInt32("_style", &style) == B_OK && style >= B_PLAIN_BORDER &&
        style <= B_NO_BORDER)
        fBorder = (border_style)style;
}

BBox::~BBox() = default;

BArchivable* BBox::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BBox"))
        return nullptr;
    return new BBox(archive);
}

status_t BBox::Archive(BMessage* into, bool deep) const
{
    status_t status = BView::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BBox");
    if (status != B_OK)
        return status;
    if (fHasLabel)
        into->AddString("_label", fLabel.c_str());
    return into->AddInt32("_style", fBorder);
}

void BBox::AttachedToWindow()
{
    if (Parent() != nullptr && !(Parent()->ViewColor() == B_TRANSPARENT_COLOR)) {
        SetViewColor(Parent()->ViewColor());
        SetLowColor(ViewColor());
    }
}

float BBox::_TopLine() const
{
    if (!fHasLabel || fLabel.empty())
        return 0;
    font_height height;
    GetFontHeight(&height);
    return std::floor((height.ascent + height.descent) / 2);
}

void BBox::Draw(BRect)
{
    BRect frame = Bounds();
    frame.top = _TopLine();
    BPrivate::ControlLook::DrawBoxBorder(this, frame, fBorder);

    if (!fHasLabel || fLabel.empty())
        return;
    font_height height;
    GetFontHeight(&height);
    const float width = std::ceil(StringWidth(fLabel.c_str()));
    SetLowColor(ViewColor());
    FillRect(BRect(kLabelLeft - kLabelGap, 0, kLabelLeft + width + kLabelGap - 1,
                   std::ceil(height.ascent + height.descent)),
             B_SOLID_LOW);
    SetHighColor(ui_color(B_PANEL_TEXT_COLOR));
    DrawString(fLabel.c_str(), BPoint(kLabelLeft, std::ceil(height.ascent)));
}

void BBox::FrameResized(float, float)
{
    // The frame's lines move with the edges: draw it all again.
    Invalidate();
}

void BBox::GetPreferredSize(float* width, float* height)
{
    font_height metrics;
    GetFontHeight(&metrics);
    float preferredWidth = 0;
    float preferredHeight = 0;
    if (fHasLabel && !fLabel.empty()) {
        preferredWidth = std::ceil(StringWidth(fLabel.c_str())) + 2 * kLabelLeft;
        preferredHeight = std::ceil(metrics.ascent + metrics.descent);
    }
    if (width != nullptr)
        *width = std::max(preferredWidth, 4.f);
    if (height != nullptr)
        *height = std::max(preferredHeight + 4, 4.f);
}

void BBox::SetLabel(const char* label)
{
    fHasLabel = label != nullptr;
    fLabel = label != nullptr ? label : "";
    Invalidate();
}

void BBox::SetBorder(border_style border)
{
    if (border == fBorder)
        return;
    fBorder = border;
    Invalidate();
}
