#pragma once

// The content of the maker's About box, whatever it shows: the application's texts go in
// through SetAppInfo and SetTranslatorInfo, and OK hides the window.

#include "ui/DialogView.h"

// The About box's buttons.
inline constexpr uint32 kAboutOK = '_ok';
inline constexpr uint32 kAboutCancel = '_cnc';

class TVANTORAboutView : public TDialogView {
public:
    explicit TVANTORAboutView(BRect frame);
    explicit TVANTORAboutView(BMessage* archive);
    ~TVANTORAboutView() override;

    void MessageReceived(BMessage* message) override;
    void AttachedToWindow() override;
    void AllAttached() override;

    virtual void SetAppInfo(const char* name, const char* version, const char* notice) = 0;
    virtual void SetTranslatorInfo(const char* format) = 0;
    // Hides the window: the About box is kept for the next time.
    virtual void ButtonOKClicked();

private:
    void Init();
};
