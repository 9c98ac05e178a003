#pragma once

// The maker's About box: a fixed-size window around an About view, titled after the
// application in the current language. Made once and hidden, never closed, by the user.

#include "ui/DialogWindow.h"

#include <string>

class TVANTORAboutView;

class TVANTORAboutWindow : public TDialogWindow {
public:
    // With a null view, a TSimpleAboutView; the window takes the view's size, keeping only
    // frame's left-top corner.
    TVANTORAboutWindow(BRect frame, TVANTORAboutView* view);
    ~TVANTORAboutWindow() override;

    void LanguageChanged() override;

    // name is untranslated: it is looked up for the title and the view.
    virtual void SetAppInfo(const char* name, const char* version, const char* notice);
    virtual void SetTranslatorInfo(const char* format);
    void SetWinTitle();

    TVANTORAboutView* AboutView() const { return fView; }

private:
    std::string fAppName;
    TVANTORAboutView* fView = nullptr;
};
