#include "ui/BasicView.h"

#include "ui/BasicWindow.h"

#include <Message.h>

TBasicView::TBasicView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags), TMouseDownManager(this)
{
}

TBasicView::TBasicView(BMessage* archive) : BView(archive), TMouseDownManager(this) {}

TBasicView::~TBasicView() = default;

void TBasicView::MessageReceived(BMessage* message)
{
    switch (message->what) {
    case kLanguageChangedMessage:
        LanguageChanged();
        break;
    case kIAPChangedMessage:
        IAPChanged(message);
        break;
    default:
        BView::MessageReceived(message);
        break;
    }
}

void TBasicView::MouseDown(BPoint where)
{
    ManageMouseDown(where);
}

void TBasicView::MouseUp(BPoint where)
{
    ManageMouseUp(where);
}

void TBasicView::MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage)
{
    ManageMouseMoved(where, transit, dragMessage);
}

void TBasicView::IAPChanged(BMessage*) {}

void TBasicView::LanguageChanged() {}
