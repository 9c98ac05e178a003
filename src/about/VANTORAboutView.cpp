#include "about/VANTORAboutView.h"

#include <InterfaceDefs.h>
#include <Message.h>
#include <Window.h>

TVANTORAboutView::TVANTORAboutView(BRect frame) : TDialogView(frame, "AboutView", 0, B_WILL_DRAW)
{
    Init();
}

TVANTORAboutView::TVANTORAboutView(BMessage* archive) : TDialogView(archive)
{
    Init();
}

TVANTORAboutView::~TVANTORAboutView() = default;

void TVANTORAboutView::Init()
{
    SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
}

void TVANTORAboutView::MessageReceived(BMessage* message)
{
    switch (message->what) {
    case kAboutOK:
    case kAboutCancel:
        ButtonOKClicked();
        break;
    default:
        TDialogView::MessageReceived(message);
        break;
    }
}

void TVANTORAboutView::AttachedToWindow() {}

void TVANTORAboutView::AllAttached() {}

void TVANTORAboutView::ButtonOKClicked()
{
    if (Window() != nullptr && !Window()->IsHidden())
        Window()->Hide();
}
