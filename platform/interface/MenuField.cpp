#include <MenuField.h>

#include <Menu.h>
#include <MenuItem.h>
#include <Message.h>
#include <PopUpMenu.h>
#include <Window.h>

#include "ArchiveClasses.h"
#include "ControlLook.h"
#include "MenuTracker.h"

#include <algorithm>
#include <cmath>

namespace {

// Room in the button around its label: text inset on the left, the arrow on the right.
constexpr float kButtonTextInset = 6;
constexpr float kButtonArrowRoom = 18;

} // namespace

BMenuField::BMenuField(BRect frame, const char* name, const char* label, BMenu* menu,
                       bool fixedSize, uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags), fLabel(label != nullptr ? label : ""),
      fFixedSize(fixedSize)
{
    fDivider = fLabel.empty() ? 0 : std::ceil(StringWidth(fLabel.c_str())) + 5;
    _Init(menu);
}

BMenuField::BMenuField(BMessage* archive) : BView(archive)
{
    const char* label;
    if (archive->FindString("_label", &label) == B_OK)
        fLabel = label;
    float divider;
    if (archive->FindFloat("_divide", &divider) == B_OK && std::isfinite(divider))
        fDivider = std::clamp(divider, 0.f, Bounds().Width());
    bool flag;
    if (archive->FindBool("_disable", &flag) == B_OK)
        fEnabled = !flag;
    if (archive->FindBool("_fixed", &flag) == B_OK)
        fFixedSize = flag;
    BMenu* menu = nullptr;
    BMessage menuArchive;
    if (archive->FindMessage("_menu", &menuArchive) == B_OK) {
        BArchivable* object = instantiate_object(&menuArchive);
        menu = dynamic_cast<BMenu*>(object);
        if (menu == nullptr)
            delete object;
    }
    _Init(menu);
}

void BMenuField::_Init(BMenu* menu)
{
    if (menu == nullptr || menu->Superitem() != nullptr || menu->fField != nullptr)
        menu = new BPopUpMenu("");
    fMenu = menu;
    fMenu->fField = this;
    fMenuItem = std::make_unique<BMenuItem>(menu);
    fTracker = std::make_unique<BPrivate::MenuTracker>(this);
    fTracker->onClosed = [this] { Invalidate(); };
    SetFlags(fEnabled ? Flags() | B_NAVIGABLE : Flags() & ~(uint32)B_NAVIGABLE);
}

BMenuField::~BMenuField()
{
    fTracker.reset();
    fMenu->fField = nullptr;
    // The item deletes the menu with itself.
    fMenuItem.reset();
}

BArchivable* BMenuField::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BMenuField"))
        return nullptr;
    return new BMenuField(archive);
}

status_t BMenuField::Archive(BMessage* into, bool deep) const
{
    status_t status = BView::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BMenuField");
    if (status != B_OK)
        return status;
    into->AddString("_label", fLabel.c_str());
    into->AddFloat("_divide", fDivider);
    if (!fEnabled)
        into->AddBool("_disable", true);
    if (fFixedSize)
        into->AddBool("_fixed", true);
    BMessage menu;
    status = fMenu->Archive(&menu, true);
    if (status == B_OK)
        status = into->AddMessage("_menu", &menu);
    return status;
}

void BMenuField::AttachedToWindow()
{
    BView::AttachedToWindow();
    if (Parent() != nullptr)
        SetViewColor(Parent()->ViewColor());
    SetLowColor(ViewColor());
    fTracker->Attach();
    fMenu->_RegisterShortcuts(Window());
}

void BMenuField::DetachedFromWindow()
{
    fTracker->Detach();
    fTracking = false;
    if (fMenu->fShortcutsRegistered)
        fMenu->_UnregisterShortcuts(fMenu->fShortcutWindow);
    BView::DetachedFromWindow();
}

BMenuItem* BMenuField::MenuItem() const
{
    const char* shown = fMenu->_DisplayLabel();
    if (std::string(fMenuItem->Label()) != shown)
        fMenuItem->SetLabel(shown);
    return fMenuItem.get();
}

void BMenuField::SetLabel(const char* label)
{
    fLabel = label != nullptr ? label : "";
    Invalidate();
}

void BMenuField::SetEnabled(bool enabled)
{
    if (enabled == fEnabled)
        return;
    fEnabled = enabled;
    if (!enabled) {
        fTracker->Close();
        if (IsFocus())
            MakeFocus(false);
    }
    SetFlags(enabled ? Flags() | B_NAVIGABLE : Flags() & ~(uint32)B_NAVIGABLE);
    Invalidate();
}

void BMenuField::SetDivider(float divider)
{
    if (!std::isfinite(divider))
        return;
    fDivider = std::max(0.f, std::round(divider));
    Invalidate();
}

BRect BMenuField::_ButtonFrame() const
{
    font_height metrics;
    GetFontHeight(&metrics);
    const float height = std::ceil(metrics.ascent + metrics.descent) + 6;
    const BRect bounds = Bounds();
    float right = bounds.right;
    if (!fFixedSize) {
        const float needed =
            std::ceil(StringWidth(fMenu->_DisplayLabel())) + kButtonTextInset + kButtonArrowRoom;
        right = std::min(right, fDivider + needed);
    }
    const float top = std::max(0.f, std::floor((bounds.Height() - height) / 2));
    return BRect(fDivider, top, std::max(right, fDivider + kButtonArrowRoom),
                 std::min(bounds.bottom, top + height));
}

void BMenuField::GetPreferredSize(float* width, float* height)
{
    font_height metrics;
    GetFontHeight(&metrics);
    float widest = 0;
    for (int32 i = 0; i < fMenu->CountItems(); i++)
        widest = std::max(widest, StringWidth(fMenu->ItemAt(i)->Label()));
    widest = std::max(widest, StringWidth(fMenu->_DisplayLabel()));
    if (width != nullptr)
        *width = fDivider + std::ceil(widest) + kButtonTextInset + kButtonArrowRoom;
    if (height != nullptr)
        *height = std::ceil(metrics.ascent + metrics.descent) + 6;
}

void BMenuField::Draw(BRect)
{
    const rgb_color background = ViewColor();
    const bool enabled = fEnabled && fMenu->IsEnabled();
    SetHighColor(background);
    FillRect(Bounds());

    font_height metrics;
    GetFontHeight(&metrics);
    const BRect button = _ButtonFrame();
    const float baseline = button.top +
                           (button.Height() + 1 - (metrics.ascent + metrics.descent)) / 2 +
                           metrics.ascent;
    const rgb_color text =
        enabled ? ui_color(B_CONTROL_TEXT_COLOR) : tint_color(background, B_DISABLED_LABEL_TINT);
    if (!fLabel.empty()) {
        SetLowColor(background);
        SetHighColor(text);
        DrawString(fLabel.c_str(), BPoint(0, baseline));
        if (IsFocus() && enabled) {
            SetHighColor(keyboard_navigation_color());
            const float width = StringWidth(fLabel.c_str());
            StrokeLine(BPoint(0, baseline + 2), BPoint(width, baseline + 2));
        }
    }

    // The button: the menu's colours, raised, with a small arrow at its right.
    const rgb_color face = ui_color(B_MENU_BACKGROUND_COLOR);
    BPrivate::ControlLook::DrawRaisedButton(
        this, button, fTracker->IsOpen() ? tint_color(face, B_DARKEN_1_TINT) : face, face,
        B_DARKEN_2_TINT, true);

    SetLowColor(face);
    SetHighColor(enabled ? ui_color(B_MENU_ITEM_TEXT_COLOR)
                         : tint_color(face, B_DISABLED_LABEL_TINT));
    DrawString(fMenu->_DisplayLabel(), BPoint(button.left + kButtonTextInset, baseline));
    const float midX = button.right - 9;
    const float midY = button.top + std::floor(button.Height() / 2);
    FillTriangle(BPoint(midX - 4, midY - 2), BPoint(midX + 4, midY - 2), BPoint(midX, midY + 2));
}

void BMenuField::_Open(bool fromKeyboard)
{
    if (!fEnabled || !fMenu->IsEnabled())
        return;
    const BRect button = _ButtonFrame();
    int32 select = -1;
    if (fromKeyboard) {
        BMenuItem* marked = fMenu->FindMarked();
        select = marked != nullptr ? fMenu->IndexOf(marked) : fMenu->_NextSelectable(-1, 1);
    }
    fTracker->Open(fMenu, ConvertToScreen(BPoint(button.left, button.bottom + 1)), select);
    Invalidate();
}

void BMenuField::MouseDown(BPoint where)
{
    if (fTracker->IsOpen()) {
        fTracker->Close();
        return;
    }
    if (!_ButtonFrame().Contains(where))
        return;
    _Open(false);
    if (fTracker->IsOpen()) {
        fTracking = true;
        SetMouseEventMask(B_POINTER_EVENTS);
    }
}

void BMenuField::MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage)
{
    if (fTracking)
        fTracker->PointerMoved(ConvertToScreen(where));
    else
        BView::MouseMoved(where, transit, dragMessage);
}

void BMenuField::MouseUp(BPoint where)
{
    if (!fTracking)
        return;
    fTracking = false;
    if (fTracker->PointerReleased(ConvertToScreen(where)))
        return;
    if (!_ButtonFrame().Contains(where))
        fTracker->Close();
}

void BMenuField::KeyDown(const char* bytes, int32 numBytes)
{
    if (numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_DOWN_ARROW)) {
        _Open(true);
        return;
    }
    BView::KeyDown(bytes, numBytes);
}

void BMenuField::MakeFocus(bool focus)
{
    if (focus && !fEnabled)
        return;
    BView::MakeFocus(focus);
    Invalidate();
}

void BMenuField::MessageReceived(BMessage* message)
{
    BMenu* menu = nullptr;
    int32 index = -1;
    if (fTracker->TakeChoice(message, &menu, &index)) {
        if (menu != nullptr)
            menu->_ItemChosen(index);
        Invalidate();
        return;
    }
    BView::MessageReceived(message);
}
