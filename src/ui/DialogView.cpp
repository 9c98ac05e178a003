#include "ui/DialogView.h"

#include "ui/ShortCuts.h"
#include "util/Alerts.h"

#include <Button.h>
#include <CheckBox.h>
#include <InterfaceDefs.h>
#include <MenuField.h>
#include <RadioButton.h>
#include <TextControl.h>
#include <TextView.h>
#include <Window.h>

#include <cstring>

TDialogView::TDialogView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    : TBasicView(frame, name, resizingMode, flags)
{
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
}

TDialogView::TDialogView(BMessage* archive) : TBasicView(archive) {}

TDialogView::~TDialogView() = default;

void TDialogView::ShortCutDown(int32 rawChar, int32 key)
{
    BWindow* window = Window();
    if (window == nullptr)
        return;
    // The main window usually has no focus view at all: then the focus tests are skipped.
    BView* focus = window->CurrentFocus();
    switch (rawChar) {
    case B_ENTER:
        if (auto* button = dynamic_cast<BButton*>(focus)) {
            click_button(button, false);
            return;
        }
        if (dynamic_cast<BTextView*>(focus) != nullptr &&
            dynamic_cast<BTextControl*>(focus->Parent()) == nullptr) {
            // A free text area takes Enter as a line break.
            focus->KeyDown("\n", 1);
            return;
        }
        click_button(window->DefaultButton(), false);
        break;
    case B_ESCAPE:
        ApplyShortCut(this, B_ESCAPE, key);
        break;
    default:
        ApplyShortCut(this, rawChar, key);
        break;
    }
}

int32 TDialogView::ApplyShortCut(const BView* parent, int32 rawChar, int32 key) const
{
    for (int32 i = 0; i < parent->CountChildren(); i++) {
        BView* child = parent->ChildAt(i);
        auto* control = dynamic_cast<BControl*>(child);
        if (control != nullptr && control->IsEnabled() && control->Label() != nullptr &&
            control->Label()[0] != '\0') {
            const char letter = short_cut_from_label(control->Label());
            const bool match = letter != 0 && letter == rawChar;
            if (auto* button = dynamic_cast<BButton*>(control)) {
                if (match || (rawChar == B_ESCAPE && strcmp(button->Name(), "ButtonCancel") == 0)) {
                    click_button(button, false);
                    return 0;
                }
            } else if (dynamic_cast<BCheckBox*>(control) != nullptr) {
                if (match) {
                    control->MakeFocus(true);
                    control->SetValue(!control->Value());
                    control->Invoke();
                    return 0;
                }
            } else if (dynamic_cast<BRadioButton*>(control) != nullptr) {
                if (match) {
                    control->MakeFocus(true);
                    control->SetValue(1);
                    control->Invoke();
                    return 0;
                }
            } else if (match) {
                control->MakeFocus(true);
                return 0;
            }
        }
        auto* field = dynamic_cast<BMenuField*>(child);
        if (field != nullptr && field->IsEnabled() && field->Label()[0] != '\0') {
            const char letter = short_cut_from_label(field->Label());
            if (letter != 0 && letter == rawChar) {
                field->MakeFocus(true);
                return 0;
            }
        }
        if (ApplyShortCut(child, rawChar, key) == 0)
            return 0;
    }
    return -1;
}

void TDialogView::SetTargetToThis(BView* root, bool force) const
{
    if (root == nullptr)
        return;
    if (auto* control = dynamic_cast<BControl*>(root)) {
        BLooper* looper = nullptr;
        BHandler* target = control->Target(&looper);
        const bool none = target == nullptr && looper == nullptr;
        BWindow* window = root->Window();
        const bool ownWindow =
            window != nullptr && (target == window || (target == nullptr && looper == window));
        if (none || ownWindow || force)
            control->SetTarget(this);
    }
    for (int32 i = 0; i < root->CountChildren(); i++)
        SetTargetToThis(root->ChildAt(i), force);
}
