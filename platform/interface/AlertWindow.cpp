#include "AlertWindow.h"

#include "ControlLook.h"

#include <InterfaceDefs.h>
#include <OS.h>
#include <View.h>

#include <cctype>

#include <algorithm>
#include <cmath>
#include <vector>

namespace BPrivate {

namespace {

constexpr float kIconSize = 32;
constexpr float kIconStripe = 30; // the darker band behind the icon
constexpr float kTextLeft = 55;
constexpr float kTextWidth = 260;
constexpr float kMargin = 10;
constexpr float kButtonSpacing = 9;
constexpr float kMinButtonWidth = 75;

// Greedy wrapping at spaces; a word wider than the line stays whole on a line of its own.
std::vector<std::string> wrap(const BFont& font, const std::string& text, float width)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string paragraph = text.substr(start, end - start);
        std::string line;
        size_t at = 0;
        while (at <= paragraph.size()) {
            size_t space = paragraph.find(' ', at);
            if (space == std::string::npos)
                space = paragraph.size();
            const std::string word = paragraph.substr(at, space - at);
            const std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && font.StringWidth(candidate.c_str()) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
            at = space + 1;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

class AlertView : public BView {
public:
    AlertView(BRect frame, const AlertContents& contents)
        : BView(frame, "alert view", B_FOLLOW_ALL, B_WILL_DRAW | B_NAVIGABLE), fContents(contents)
    {
        SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
        font_height metrics;
        GetFontHeight(&metrics);
        fAscent = std::ceil(metrics.ascent);
        fLineHeight = std::ceil(metrics.ascent + metrics.descent + metrics.leading);
        BFont font;
        GetFont(&font);
        fLines = wrap(font, contents.text, kTextWidth);
    }

    // The size the contents need, in frame units.
    BRect PreferredFrame()
    {
        _LayoutButtons(0, 0);
        const float textBottom = kMargin + fLines.size() * fLineHeight;
        const float top = std::max(textBottom, kMargin + kIconSize) + 12;
        float buttonsWidth = 0;
        for (int32 i = 0; i < fContents.buttonCount; i++)
            buttonsWidth += fButtons[i].Width() + 1 + (i > 0 ? kButtonSpacing : 0);
        const float width =
            std::max(kTextLeft + kTextWidth + kMargin, kTextLeft + buttonsWidth + kMargin);
        return BRect(0, 0, width - 1, top + _ButtonHeight() + kMargin - 1);
    }

    void AttachedToWindow() override
    {
        _LayoutButtons(Bounds().right - kMargin, Bounds().bottom - kMargin);
        MakeFocus(true);
    }

    void Draw(BRect) override
    {
        const rgb_color panel = ViewColor();
        SetHighColor(panel);
        FillRect(Bounds());
        SetHighColor(tint_color(panel, B_DARKEN_1_TINT));
        FillRect(BRect(0, 0, kIconStripe - 1, Bounds().bottom));
        _DrawIcon(BRect(kIconStripe - kIconSize / 2, kMargin, kIconStripe + kIconSize / 2 - 1,
                        kMargin + kIconSize - 1));

        SetLowColor(panel);
        SetHighColor(ui_color(B_PANEL_TEXT_COLOR));
        float baseline = kMargin + fAscent;
        for (const std::string& line : fLines) {
            DrawString(line.c_str(), BPoint(kTextLeft, baseline));
            baseline += fLineHeight;
        }
        for (int32 i = 0; i < fContents.buttonCount; i++)
            _DrawButton(i);
    }

    void MouseDown(BPoint where) override
    {
        fPressed = _ButtonAt(where);
        if (fPressed < 0)
            return;
        fPressedInside = true;
        SetMouseEventMask(B_POINTER_EVENTS);
        Invalidate(fButtons[fPressed]);
    }

    void MouseMoved(BPoint where, uint32, const BMessage*) override
    {
        if (fPressed < 0)
            return;
        const bool inside = fButtons[fPressed].Contains(where);
        if (inside != fPressedInside) {
            fPressedInside = inside;
            Invalidate(fButtons[fPressed]);
        }
    }

    void MouseUp(BPoint where) override
    {
        const int32 pressed = fPressed;
        fPressed = -1;
        if (pressed < 0)
            return;
        Invalidate(fButtons[pressed]);
        if (fButtons[pressed].Contains(where))
            static_cast<AlertWindow*>(Window())->_Answer(pressed);
    }

    void KeyDown(const char* bytes, int32 numBytes) override
    {
        if (numBytes == 1) {
            // A button's own key wins; then Enter for the default (last) button.
            for (int32 i = 0; i < fContents.buttonCount; i++) {
                const char key = fContents.shortcuts[i];
                if (key != 0 &&
                    (key == bytes[0] ||
                     (key != B_ESCAPE && tolower((uint8)key) == tolower((uint8)bytes[0])))) {
                    static_cast<AlertWindow*>(Window())->_Answer(i);
                    return;
                }
            }
            if (bytes[0] == B_ENTER) {
                static_cast<AlertWindow*>(Window())->_Answer(fContents.buttonCount - 1);
                return;
            }
        }
        BView::KeyDown(bytes, numBytes);
    }

private:
    float _ButtonHeight() const { return fLineHeight + 10; }

    float _LabelWidth(int32 index) const
    {
        return std::ceil(StringWidth(fContents.labels[index].c_str())) + 20;
    }

    // Right to left from (right, bottom): the last button is the rightmost.
    void _LayoutButtons(float right, float bottom)
    {
        float widest = 0;
        for (int32 i = 0; i < fContents.buttonCount; i++)
            widest = std::max(widest, _LabelWidth(i));
        for (int32 i = fContents.buttonCount - 1; i >= 0; i--) {
            float width = _LabelWidth(i);
            if (fContents.width == B_WIDTH_AS_USUAL)
                width = std::max(width, kMinButtonWidth);
            else if (fContents.width == B_WIDTH_FROM_WIDEST)
                width = std::max(widest, kMinButtonWidth);
            fButtons[i] = BRect(right - width + 1, bottom - _ButtonHeight() + 1, right, bottom);
            right -= width + kButtonSpacing;
        }
    }

    int32 _ButtonAt(BPoint where) const
    {
        for (int32 i = 0; i < fContents.buttonCount; i++) {
            if (fButtons[i].Contains(where))
                return i;
        }
        return -1;
    }

    void _DrawButton(int32 index)
    {
        BRect frame = fButtons[index];
        const rgb_color panel = ViewColor();
        const bool isDefault = index == fContents.buttonCount - 1;
        const bool down = index == fPressed && fPressedInside;
        if (isDefault) {
            // The default button's heavier frame.
            SetHighColor(tint_color(panel, B_DARKEN_2_TINT));
            StrokeRect(frame.InsetByCopy(-3, -3));
            SetHighColor(tint_color(panel, B_DARKEN_1_TINT));
            StrokeRect(frame.InsetByCopy(-2, -2));
        }
        const rgb_color face =
            down ? tint_color(panel, B_DARKEN_2_TINT) : tint_color(panel, B_LIGHTEN_1_TINT);
        // Sunk while held: no bevel.
        BPrivate::ControlLook::DrawRaisedButton(this, frame, face, panel, B_DARKEN_1_TINT, !down);
        SetLowColor(face);
        SetHighColor(ui_color(B_CONTROL_TEXT_COLOR));
        const char* label = fContents.labels[index].c_str();
        const float x = frame.left + std::floor((frame.Width() + 1 - StringWidth(label)) / 2);
        const float y = frame.top + std::floor((frame.Height() + 1 - fLineHeight) / 2) + fAscent;
        DrawString(label, BPoint(x, y));
    }

    void _DrawIcon(BRect frame)
    {
        if (fContents.type == B_EMPTY_ALERT)
            return;
        const bool warning = fContents.type == B_WARNING_ALERT || fContents.type == B_STOP_ALERT;
        const rgb_color fill = fContents.type == B_STOP_ALERT ? rgb_color{204, 40, 32, 255}
                               : warning                      ? rgb_color{250, 200, 30, 255}
                                                              : rgb_color{60, 110, 200, 255};
        SetHighColor(fill);
        if (warning)
            FillTriangle(BPoint(frame.left + frame.Width() / 2, frame.top),
                         BPoint(frame.right, frame.bottom), BPoint(frame.left, frame.bottom));
        else
            FillEllipse(frame);
        SetHighColor(warning && fContents.type != B_STOP_ALERT ? rgb_color{0, 0, 0, 255}
                                                               : rgb_color{255, 255, 255, 255});
        const float midX = frame.left + std::floor(frame.Width() / 2);
        if (warning) {
            // "!"
            FillRect(BRect(midX - 1, frame.top + 10, midX + 1, frame.bottom - 10));
            FillRect(BRect(midX - 1, frame.bottom - 6, midX + 1, frame.bottom - 4));
        } else {
            // "i"
            FillRect(BRect(midX - 1, frame.top + 6, midX + 1, frame.top + 9));
            FillRect(BRect(midX - 1, frame.top + 13, midX + 1, frame.bottom - 6));
        }
    }

    AlertContents fContents;
    std::vector<std::string> fLines;
    BRect fButtons[3];
    float fAscent = 0;
    float fLineHeight = 0;
    int32 fPressed = -1;
    bool fPressedInside = false;
};

} // namespace

AlertWindow::AlertWindow(const AlertContents& contents, std::shared_ptr<AlertAnswer> answer)
    : BWindow(BRect(0, 0, 99, 99), contents.title.c_str(), B_MODAL_WINDOW,
              B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE),
      fAnswer(std::move(answer))
{
    for (int32 i = 0; i < contents.buttonCount; i++) {
        if (contents.shortcuts[i] == B_ESCAPE)
            fEscapeIndex = i;
    }
    auto* view = new AlertView(Bounds(), contents);
    const BRect frame = view->PreferredFrame();
    ResizeTo(frame.Width(), frame.Height());
    view->ResizeTo(frame.Width(), frame.Height());
    AddChild(view);
    CenterOnScreen();
}

AlertWindow::~AlertWindow()
{
    // Never leave Go() waiting: a window ended without a button answers as Escape would.
    if (!fAnswered) {
        std::lock_guard<std::mutex> lock(fAnswer->lock);
        fAnswer->index = fEscapeIndex >= 0 ? fEscapeIndex : 0;
    }
    fAnswer->answered.notify_all();
}

bool AlertWindow::QuitRequested()
{
    if (fEscapeIndex < 0)
        return false;
    _Answer(fEscapeIndex);
    return false;
}

void AlertWindow::_Answer(int32 index)
{
    if (fAnswered)
        return;
    fAnswered = true;
    {
        std::lock_guard<std::mutex> lock(fAnswer->lock);
        fAnswer->index = index;
    }
    fAnswer->answered.notify_all();
    if (Thread() == find_thread(nullptr))
        Quit();
}

} // namespace BPrivate
