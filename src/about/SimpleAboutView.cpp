#include "about/SimpleAboutView.h"

#include "about/AppInfoView.h"
#include "ui/BasicWindow.h"
#include "util/Alerts.h"
#include "util/SpyFilter.h"

#include <Button.h>
#include <Window.h>

TSimpleAboutView::TSimpleAboutView(BRect frame, TAppInfoView* info) : TVANTORAboutView(frame)
{
    fInfoView = info != nullptr ? info : new TAppInfoView(BRect(0, 0, 1, 1));
    AddChild(fInfoView);

    fButtonOK = new BButton(BRect(120, 180, 200, 202), "ButtonOK", "", new BMessage(kAboutOK),
                            B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    AddChild(fButtonOK);

    const BRect infoFrame = fInfoView->Frame();
    fButtonOK->MoveTo((infoFrame.right - fButtonOK->Frame().Width()) * 0.5f, infoFrame.bottom + 15);
    ResizeTo(infoFrame.right, fButtonOK->Frame().bottom + 10);

    SetViewLabel();
    fButtonOK->MakeDefault(true);
}

TSimpleAboutView::~TSimpleAboutView() = default;

void TSimpleAboutView::AttachedToWindow()
{
    Window()->AddCommonFilter(new TSpyFilter(kLanguageChangedMessage, BMessenger(this)));
}

void TSimpleAboutView::AllAttached()
{
    fButtonOK->MakeFocus(true);
    fButtonOK->SetTarget(this);
}

void TSimpleAboutView::LanguageChanged()
{
    TVANTORAboutView::LanguageChanged();
    SetViewLabel();
}

void TSimpleAboutView::SetViewLabel()
{
    BWindow* window = Window();
    if (window != nullptr && !window->Lock())
        return;
    fButtonOK->SetLabel(locale_text("OK").c_str());
    if (window != nullptr)
        window->Unlock();
}

void TSimpleAboutView::SetAppInfo(const char* name, const char* version, const char* notice)
{
    fInfoView->SetAppInfo(name, version, notice);
}

void TSimpleAboutView::SetTranslatorInfo(const char* format)
{
    fInfoView->SetTranslatorInfo(format);
}
