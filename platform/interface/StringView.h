#pragma once

// A line of text that the user only reads: a caption, a status line.

#include <View.h>

#include <string>

class BStringView : public BView {
public:
    BStringView(BRect frame, const char* name, const char* text,
                uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
                uint32 flags = B_WILL_DRAW);
    // "_text", "_align".
    explicit BStringView(BMessage* archive);
    ~BStringView() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void AttachedToWindow() override;
    void Draw(BRect updateRect) override;
    void GetPreferredSize(float* width, float* height) override;

    void SetText(const char* text);
    const char* Text() const { return fText.c_str(); }
    void SetAlignment(alignment flag);
    alignment Alignment() const { return fAlignment; }

private:
    std::string fText;
    alignment fAlignment = B_ALIGN_LEFT;
};
