#include "iap/IAPItemAccKeyFormat.h"

#include "util/Alerts.h"

#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>

#include <cstring>

TIAPItemAccKeyFormat::TIAPItemAccKeyFormat() : TIAPItem("AccKeyFormat2")
{
    LoadString(&fValue);
}

TIAPItemAccKeyFormat::~TIAPItemAccKeyFormat() = default;

status_t TIAPItemAccKeyFormat::GetValue(BMessage* message, bool useDefault) const
{
    AddDefaultInfo(message);
    std::string value;
    GetString(&value, useDefault);
    message->what = kIAPValueMessage;
    message->AddString(Name().c_str(), value);
    return 0;
}

status_t TIAPItemAccKeyFormat::SetValue(const BMessage& message)
{
    std::string value;
    if (message.FindString(Name().c_str(), &value) != B_OK)
        return -1;
    fValue = value;

    // The window broadcasts every change to all applications; each takes the value over, and
    // only the one that registered the item writes the file. An item without a signature
    // owns no message.
    const char* source;
    if (AppSignatureRef() != nullptr && message.FindString(kIAPSrcAppField, &source) == B_OK &&
        strcmp(source, AppSignatureRef()) == 0)
        SaveString(fValue);
    return 0;
}

status_t TIAPItemAccKeyFormat::GetString(std::string* value, bool useDefault) const
{
    *value = useDefault ? kAccKeyFormats[0] : fValue;
    return 0;
}

status_t TIAPItemAccKeyFormat::SetString(const std::string& value)
{
    fValue = value;
    SaveString(value);
    return 0;
}

void TIAPItemAccKeyFormat::AddMItem(BMenu* menu, const std::string& format, bool useDefault) const
{
    auto* message = new BMessage;
    GetValue(message, false);
    message->what = kIAPControlChanged;
    message->ReplaceString(Name().c_str(), format.c_str());
    // The template shows what the format does; its placement byte is no character to draw.
    const std::string label = format.empty() ? locale_text("(None)") : format.substr(1);
    auto* item = new BMenuItem(label.c_str(), message, 0, 0);
    menu->AddItem(item);
    std::string value;
    GetString(&value, useDefault);
    if (value == format)
        item->SetMarked(true);
}

status_t TIAPItemAccKeyFormat::MakeConfigurationView(BView** view, bool useDefault)
{
    auto* menu = new BPopUpMenu("Select...", true, true, B_ITEMS_IN_COLUMN);
    for (size_t i = 0; i + 1 < kAccKeyFormats.size(); i++)
        AddMItem(menu, kAccKeyFormats[i], useDefault);
    menu->AddItem(new BSeparatorItem);
    AddMItem(menu, kAccKeyFormats.back(), useDefault);

    auto* field = new BMenuField(BRect(0, 0, 250, 16), "AAccelerator Format: ", "", menu, true,
                                 B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    const BRect bounds = field->Bounds();
    auto* container = new BView(BRect(0, 0, bounds.right, bounds.bottom + 3), Name().c_str(),
                                B_FOLLOW_LEFT_RIGHT, B_WILL_DRAW);
    container->AddChild(field);
    *view = container;
    return 0;
}
