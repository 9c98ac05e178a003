#include "settings/PrefsView.h"

#include "ui/ShortCuts.h"
#include "util/Alerts.h"

#include <Button.h>
#include <CheckBox.h>
#include <Window.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The seconds field ends this far before the view's right edge.
constexpr float kTailMarginRightGap = 10;
// However wide a translation makes the label, the field keeps room for two digits.
constexpr float kMinTailMarginWidth = 24;

template <typename T>
T* child_named(const BView* root, const char* name)
{
    return dynamic_cast<T*>(root->FindView(name));
}

// A settings file edited by hand may hold any tail: the window shows and keeps one it allows.
void clamp_tail_margin()
{
    adjust_value(&gPrefs->TlMg, kMinTailMargin, kMaxTailMargin);
}

} // namespace

TPrefsView::TPrefsView(BMessage* archive) : TDialogView(archive)
{
    GetChildPointers();
    if (fInitStatus != B_OK)
        return;
    fCBoxTrimHead->SetMessage(new BMessage(kTrimHeadClicked));
    fCBoxAddTail->SetMessage(new BMessage(kAddTailClicked));
    fTxtCtrlTailMargin->SetModificationMessage(new BMessage(kTailMarginChanged));
    fButtonCancel->SetMessage(new BMessage(kPrefsCancel));
    fButtonOK->SetMessage(new BMessage(kPrefsOK));
    clamp_tail_margin();
    fSnapshot = *gPrefs;
}

TPrefsView::~TPrefsView() = default;

void TPrefsView::GetChildPointers()
{
    fButtonCancel = child_named<BButton>(this, "ButtonCancel");
    fButtonOK = child_named<BButton>(this, "ButtonOK");
    fCBoxAddTail = child_named<BCheckBox>(this, "CBoxAddTail");
    fCBoxTrimHead = child_named<BCheckBox>(this, "CBoxTrimHead");
    fTxtCtrlTailMargin = child_named<BTextControl>(this, "TxtCtrlTailMargin");
    // A damaged tree would leave the view pointing at nothing: it is refused instead.
    const bool complete = fButtonCancel != nullptr && fButtonOK != nullptr &&
                          fCBoxAddTail != nullptr && fCBoxTrimHead != nullptr &&
                          fTxtCtrlTailMargin != nullptr;
    fInitStatus = complete ? B_OK : B_NO_INIT;
}

void TPrefsView::MessageReceived(BMessage* message)
{
    switch (message->what) {
    case kTrimHeadClicked:
        CBoxTrimHeadClicked();
        break;
    case kAddTailClicked:
        CBoxAddTailClicked();
        break;
    case kTailMarginChanged:
        TxtCtrlTailMarginChanged();
        break;
    case kPrefsOK:
        ButtonOKClicked();
        break;
    case kPrefsCancel:
        ButtonCancelClicked();
        break;
    case kPrefChMasksChanged:
        PrefChMasksChanged();
        break;
    default:
        TDialogView::MessageReceived(message);
        break;
    }
}

void TPrefsView::AllAttached()
{
    SetViewLabels();
    UpdateCompos();
    fButtonOK->MakeDefault(true);
    SetTargetToThis(this, false);
    fCBoxTrimHead->MakeFocus(true);
}

void TPrefsView::IAPChanged(BMessage*)
{
    SetViewLabels();
}

void TPrefsView::LanguageChanged()
{
    SetViewLabels();
}

void TPrefsView::ShortCutDown(int32 rawChar, int32 key)
{
    TDialogView::ShortCutDown(rawChar, key);
}

void TPrefsView::SetViewLabels()
{
    fCBoxTrimHead->SetLabel(acc_label("H", locale_text("Remove head silence")).c_str());
    fCBoxAddTail->SetLabel(
        acc_label("T", locale_text("Add tail silence [s]") + locale_text(": ")).c_str());
    adjust_cbox_width(fCBoxAddTail);

    const BRect field = fTxtCtrlTailMargin->Frame();
    const float left = fCBoxAddTail->Frame().right + 1;
    fTxtCtrlTailMargin->MoveTo(left, field.top);
    fTxtCtrlTailMargin->ResizeTo(
        std::max(Bounds().right - left - kTailMarginRightGap, kMinTailMarginWidth), field.Height());

    fButtonCancel->SetLabel(locale_text("Cancel").c_str());
    fButtonOK->SetLabel(locale_text("OK").c_str());
}

void TPrefsView::UpdateCompos()
{
    fCBoxTrimHead->SetValue(gPrefs->TrHd);
    fCBoxAddTail->SetValue(gPrefs->AdTl);
    UpdateTxtCtrlTailMargin();
}

void TPrefsView::UpdateTxtCtrlTailMargin()
{
    fTxtCtrlTailMargin->SetEnabled(gPrefs->AdTl);
    clamp_tail_margin();
    set_txt_ctrl_num(fTxtCtrlTailMargin, gPrefs->TlMg);
}

void TPrefsView::CBoxTrimHeadClicked()
{
    gPrefs->TrHd = fCBoxTrimHead->Value() != 0;
}

void TPrefsView::CBoxAddTailClicked()
{
    gPrefs->AdTl = fCBoxAddTail->Value() != 0;
    UpdateTxtCtrlTailMargin();
}

void TPrefsView::TxtCtrlTailMarginChanged()
{
    // strtol gives a long: clamped before it is narrowed, so that "4294967296" is 10, not 1.
    long seconds = strtol(fTxtCtrlTailMargin->Text(), nullptr, 10);
    adjust_value<long>(&seconds, kMinTailMargin, kMaxTailMargin);
    gPrefs->TlMg = (int32)seconds;
}

void TPrefsView::ButtonOKClicked()
{
    HideWindow();
    gPrefs->SaveToFile();
    fSnapshot = *gPrefs;
}

void TPrefsView::ButtonCancelClicked()
{
    HideWindow();
    *gPrefs = fSnapshot;
    gPrefs->SaveToFile();
    UpdateCompos();
}

void TPrefsView::HideWindow()
{
    // Hiding counts: a window hidden twice would need two shows to come back.
    if (!Window()->IsHidden())
        Window()->Hide();
}

void TPrefsView::PrefChMasksChanged()
{
    std::copy(std::begin(gPrefs->ChMs), std::end(gPrefs->ChMs), std::begin(fSnapshot.ChMs));
}
