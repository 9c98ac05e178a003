#pragma once

// A control is a view the user sets: it has a label, a value, can be enabled or disabled, and
// sends its message to its target when it is used (Invoke). A disabled control gets no
// mouse-downs and no keys from its window.

#include <Invoker.h>
#include <View.h>

#include <string>

enum {
    B_CONTROL_OFF = 0,
    B_CONTROL_ON = 1,
};

class BControl : public BView, public BInvoker {
public:
    BControl(BRect frame, const char* name, const char* label, BMessage* message,
             uint32 resizingMode, uint32 flags);
    // "_label", "_val", "_msg" (the message, archived), "_disable".
    explicit BControl(BMessage* archive);
    ~BControl() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void AttachedToWindow() override;
    void WindowActivated(bool active) override;
    void MakeFocus(bool focus = true) override;
    // Space (and Enter for the kinds that say so) uses a focused control.
    void KeyDown(const char* bytes, int32 numBytes) override;

    virtual void SetLabel(const char* label);
    const char* Label() const { return fLabel.empty() && !fHasLabel ? nullptr : fLabel.c_str(); }
    virtual void SetValue(int32 value);
    int32 Value() const { return fValue; }
    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const { return fEnabled; }
    // Adds "when", "source" (the control) and "be:value" to a copy of the message.
    status_t Invoke(BMessage* message = nullptr) override;

protected:
    // Whether the control is being pressed or tracked with the mouse.
    bool IsTracking() const { return fTracking; }
    void SetTracking(bool state) { fTracking = state; }
    // Sets the value without redrawing or invoking.
    void SetValueNoUpdate(int32 value) { fValue = value; }
    // A press with the mouse, for the controls a click uses (check boxes, radio buttons):
    // StartPress() on mouse-down holds the pointer; IsPressed() then follows the pointer in
    // and out of the control, which redraws; EndPress() on mouse-up answers whether the press
    // ended inside an enabled control, which then acts.
    void StartPress();
    void FollowPress(BPoint where);
    bool EndPress(BPoint where);
    bool IsPressed() const { return fPressed; }
    // The colour of the label: greyed while the control is disabled.
    rgb_color LabelColor() const;
    // Draws the keyboard focus mark: a line under the label's text.
    void DrawFocusLine(float left, float right, float y);
    // For the controls that are a mark with the label right of it (check boxes, radio
    // buttons): the mark's square, vertically centred at the left; the label after it, with
    // the focus line; and the size that mark and label take together.
    BRect MarkRect() const;
    void DrawLabelAfterMark();
    void GetMarkAndLabelSize(float* width, float* height);

private:
    bool _AcceptsInput() const override { return fEnabled; }

    std::string fLabel;
    bool fHasLabel = false;
    int32 fValue = 0;
    bool fEnabled = true;
    bool fTracking = false;
    bool fPressed = false;
    // Whether the control is navigable when enabled: disabling takes B_NAVIGABLE away.
    bool fWantsNavigation = false;
};
