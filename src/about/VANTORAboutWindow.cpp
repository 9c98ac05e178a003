#include "about/VANTORAboutWindow.h"

#include "about/SimpleAboutView.h"
#include "util/Alerts.h"

namespace {

constexpr uint32 kAboutWindowFlags = B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_ASYNCHRONOUS_CONTROLS;

} // namespace

TVANTORAboutWindow::TVANTORAboutWindow(BRect frame, TVANTORAboutView* view)
    : TDialogWindow(frame, "", B_TITLED_WINDOW, kAboutWindowFlags, B_CURRENT_WORKSPACE)
{
    if (view == nullptr) {
        fView = new TSimpleAboutView(frame.OffsetToCopy(0, 0), nullptr);
    } else {
        fView = view;
        fView->MoveTo(0, 0);
    }
    ResizeTo(fView->Frame().Width(), fView->Frame().Height());
    AddChild(fView);
}

TVANTORAboutWindow::~TVANTORAboutWindow() = default;

void TVANTORAboutWindow::LanguageChanged()
{
    SetWinTitle();
}

void TVANTORAboutWindow::SetAppInfo(const char* name, const char* version, const char* notice)
{
    fAppName = name;
    SetWinTitle();
    fView->SetAppInfo(name, version, notice);
}

void TVANTORAboutWindow::SetTranslatorInfo(const char* format)
{
    fView->SetTranslatorInfo(format);
}

void TVANTORAboutWindow::SetWinTitle()
{
    if (!Lock())
        return;
    SetTitle(replace_all(locale_text("About %AppName%"), "%AppName%", locale_text(fAppName.c_str()))
                 .c_str());
    Unlock();
}
