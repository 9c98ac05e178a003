#pragma once

// The Preferences window's content: head-silence removal, the tail of silence and its length
// in seconds. The controls change gPrefs at once; a snapshot taken at the last OK lets Cancel
// put everything back.

#include "settings/Prefs.h"
#include "ui/DialogView.h"

#include <String.h>
#include <TextControl.h>

class BButton;
class BCheckBox;

// The check boxes, the seconds field and the application tell the view of a change.
inline constexpr uint32 kTrimHeadClicked = 'ctrh';
inline constexpr uint32 kAddTailClicked = 'cadt';
inline constexpr uint32 kTailMarginChanged = 'ttmc';
inline constexpr uint32 kPrefsOK = '_ok';
inline constexpr uint32 kPrefsCancel = '_cnc';
// The application's word that the channel switches changed in the main window.
inline constexpr uint32 kPrefChMasksChanged = 'pcmc';

// The tail of silence the window lets the user choose, in seconds.
inline constexpr int32 kMinTailMargin = 1;
inline constexpr int32 kMaxTailMargin = 10;

// Shows value in decimal in the control.
template <typename T>
void set_txt_ctrl_num(BTextControl* control, T value)
{
    BString text;
    text << value;
    control->SetText(text.String());
}

// Brings *value into low..high.
template <typename T>
void adjust_value(T* value, T low, T high)
{
    if (*value < low)
        *value = low;
    if (*value > high)
        *value = high;
}

class TPrefsView : public TDialogView {
public:
    explicit TPrefsView(BMessage* archive);
    ~TPrefsView() override;

    // B_NO_INIT when the tree lacks one of the five controls: such a view must not be shown.
    status_t InitCheck() const { return fInitStatus; }

    void MessageReceived(BMessage* message) override;
    void AllAttached() override;
    void IAPChanged(BMessage* message) override;
    void LanguageChanged() override;
    void ShortCutDown(int32 rawChar, int32 key) override;

    void SetViewLabels();
    void UpdateCompos();
    void UpdateTxtCtrlTailMargin();

    void CBoxTrimHeadClicked();
    void CBoxAddTailClicked();
    void TxtCtrlTailMarginChanged();
    void ButtonOKClicked();
    void ButtonCancelClicked();
    void PrefChMasksChanged();

private:
    void GetChildPointers();
    void HideWindow();

    status_t fInitStatus = B_NO_INIT;
    BButton* fButtonCancel = nullptr;
    BButton* fButtonOK = nullptr;
    BCheckBox* fCBoxAddTail = nullptr;
    BCheckBox* fCBoxTrimHead = nullptr;
    BTextControl* fTxtCtrlTailMargin = nullptr;
    TPrefs fSnapshot;
};
