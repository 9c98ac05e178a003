#pragma once

// What the About box says about the application: its large icon, name, version, rights
// notice and translator line, looked up again whenever the language changes.

#include "ui/DialogView.h"

#include <string>

class BBitmap;
class BBox;
class BStringView;

class TAppInfoView : public TDialogView {
public:
    // Sizes itself: only the left-top corner of frame is kept.
    explicit TAppInfoView(BRect frame);
    ~TAppInfoView() override;

    void AttachedToWindow() override;
    void Draw(BRect updateRect) override;
    void LanguageChanged() override;

    // Stores the texts (name and version are catalogue keys; the notice may hold
    // "%AppAuthor%") and shows them.
    status_t SetAppInfo(const char* name, const char* version, const char* notice);
    // Shows the stored texts again: 0, or -1 when the window cannot be locked.
    status_t SetAppInfo();
    // Stores the translator line's format ("%LangNameInNative%", "%TranslatorName%") and
    // shows it.
    status_t SetTranslatorInfo(const char* format);
    status_t SetTranslatorInfo();

    // The large icon, or null when the application has none to give.
    const BBitmap* Icon() const { return fIcon; }

private:
    BBitmap* fIcon = nullptr;
    BBox* fBoxSep1 = nullptr;
    BBox* fBoxSep2 = nullptr;
    BStringView* fStrViewAppName = nullptr;
    BStringView* fStrViewAppVer = nullptr;
    BStringView* fStrViewCright = nullptr;
    BStringView* fStrViewTranslator = nullptr;
    std::string fAppName;
    std::string fAppVer;
    std::string fCright;
    std::string fTranslatorFormat;
};
