#pragma once

// The About box's usual content: the application's information over an OK button.

#include "about/VANTORAboutView.h"

class BButton;
class TAppInfoView;

class TSimpleAboutView : public TVANTORAboutView {
public:
    // Takes info (a default one when null) and sizes itself around it and the button.
    TSimpleAboutView(BRect frame, TAppInfoView* info);
    ~TSimpleAboutView() override;

    void AttachedToWindow() override;
    void AllAttached() override;
    void LanguageChanged() override;

    void SetAppInfo(const char* name, const char* version, const char* notice) override;
    void SetTranslatorInfo(const char* format) override;
    void SetViewLabel();

    TAppInfoView* InfoView() const { return fInfoView; }

private:
    BButton* fButtonOK = nullptr;
    TAppInfoView* fInfoView = nullptr;
};
