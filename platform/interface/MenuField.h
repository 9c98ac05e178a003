#pragma once

// A label and, right of the divider, a pop-up button that shows its menu's label (the marked
// item's, for a menu that takes its label from it). A click on the button, or Space or Down
// while the field has the focus, opens the menu below it; choosing an item marks it (in radio
// mode) and sends its message. The field owns its menu.

#include <View.h>

#include <memory>
#include <string>

class BMenu;
class BMenuItem;

namespace BPrivate {
class MenuTracker;
}

class BMenuField : public BView {
public:
    // Takes ownership of menu (an empty pop-up menu when null). Without fixedSize, the
    // button is as wide as its label needs, up to the field's right edge.
    BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
               bool fixedSize = false, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
               uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    // "_label", "_divide", "_disable", "_fixed" and the menu's archive in "_menu".
    explicit BMenuField(BMessage* archive);
    ~BMenuField() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    void AttachedToWindow() override;
    void DetachedFromWindow() override;
    void Draw(BRect updateRect) override;
    void MouseDown(BPoint where) override;
    void MouseUp(BPoint where) override;
    void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
    void KeyDown(const char* bytes, int32 numBytes) override;
    void MakeFocus(bool focus = true) override;
    void MessageReceived(BMessage* message) override;
    void GetPreferredSize(float* width, float* height) override;

    BMenu* Menu() const { return fMenu; }
    // The item that stands for the menu in the field, labelled as the button is.
    BMenuItem* MenuItem() const;

    virtual void SetLabel(const char* label);
    const char* Label() const { return fLabel.c_str(); }
    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const { return fEnabled; }
    // Where the button starts, from the field's left edge.
    virtual void SetDivider(float divider);
    float Divider() const { return fDivider; }

private:
    bool _AcceptsInput() const override { return fEnabled; }
    void _Init(BMenu* menu);
    // The pop-up button, in the view's coordinates.
    BRect _ButtonFrame() const;
    void _Open(bool fromKeyboard);

    std::string fLabel;
    BMenu* fMenu = nullptr;
    std::unique_ptr<BMenuItem> fMenuItem; // owns fMenu
    std::unique_ptr<BPrivate::MenuTracker> fTracker;
    float fDivider = 0;
    bool fEnabled = true;
    bool fFixedSize = false;
    bool fTracking = false;
};
