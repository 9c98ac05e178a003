#include "iap/IAPItemFlatToolBar.h"

#include "iap/IAPItemAccKeyFormat.h"

#include <CheckBox.h>

TIAPItemFlatToolBar::TIAPItemFlatToolBar() : TIAPItem("FlatToolBar"), fValue(true)
{
    LoadBool(&fValue);
}

TIAPItemFlatToolBar::~TIAPItemFlatToolBar() = default;

status_t TIAPItemFlatToolBar::MakeConfigurationView(BView** view, bool useDefault)
{
    auto* message = new BMessage(kIAPControlChanged);
    AddDefaultInfo(message);
    auto* box = new BCheckBox(BRect(0, 0, 250, 25), "FFlat Tool Bar", "", message,
                              B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    bool value;
    GetBool(&value, useDefault);
    box->SetValue(value ? 1 : 0);
    auto* container = new BView(box->Bounds(), Name().c_str(), B_FOLLOW_LEFT_RIGHT, B_WILL_DRAW);
    container->AddChild(box);
    *view = container;
    return 0;
}

status_t TIAPItemFlatToolBar::GetValue(BMessage* message, bool useDefault) const
{
    AddDefaultInfo(message);
    bool value;
    GetBool(&value, useDefault);
    message->what = kIAPValueMessage;
    message->AddBool(Name().c_str(), value);
    return 0;
}

status_t TIAPItemFlatToolBar::SetValue(const BMessage& message)
{
    bool value;
    if (message.FindBool(Name().c_str(), &value) != B_OK) {
        // The window sends back the archive of the configuration view, whose first child is
        // the check box.
        BMessage checkBox;
        if (message.FindMessage("_views", &checkBox) != B_OK)
            return -1;
        int32 checked;
        value = checkBox.FindInt32("_val", &checked) == B_OK && checked != 0;
    }
    fValue = value;
    SaveBool(fValue);
    return 0;
}

status_t TIAPItemFlatToolBar::GetBool(bool* value, bool useDefault) const
{
    *value = useDefault ? true : fValue;
    return 0;
}

status_t TIAPItemFlatToolBar::SetBool(bool value)
{
    fValue = value;
    return 0;
}
