#pragma once

// A box groups views: a frame around its children with an optional label set into the
// frame's top line (bold, unless another font is set).

#include <View.h>

#include <string>

class BBox : public BView {
public:
    BBox(BRect frame, const char* name = nullptr,
         uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
         uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP,
         border_style border = B_FANCY_BORDER);
    // "_label", "_style".
    explicit BBox(BMessage* archive);
    ~BBox() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void AttachedToWindow() override;
    void Draw(BRect updateRect) override;
    void FrameResized(float width, float height) override;
    void GetPreferredSize(float* width, float* height) override;

    void SetLabel(const char* label);
    const char* Label() const { return fHasLabel ? fLabel.c_str() : nullptr; }
    void SetBorder(border_style border);
    border_style Border() const { return fBorder; }

private:
    // Where the frame's top line runs: through the middle of the label, or at the top.
    float _TopLine() const;

    std::string fLabel;
    bool fHasLabel = false;
    border_style fBorder = B_FANCY_BORDER;
};
