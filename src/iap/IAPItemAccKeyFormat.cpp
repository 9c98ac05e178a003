#include "iap/IAPItemAccKeyFormat.h"

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
