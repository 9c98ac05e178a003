#include "iap/IAPItem.h"

#include "settings/Archivable.h"
#include "util/SafeFile.h"

#include <Entry.h>
#include <File.h>
#include <Path.h>

static status_t get_item_entry(const std::string& name, BEntry* entry)
{
    return get_settings_entry("Shared", (name + ".arc").c_str(), entry);
}

TIAPItem::TIAPItem(const std::string& name) : fName(name) {}

TIAPItem::~TIAPItem() = default;

status_t TIAPItem::MakeConfigurationView(BView**, bool)
{
    return -1;
}

status_t TIAPItem::GetValue(BMessage*, bool) const
{
    return -1;
}

status_t TIAPItem::SetValue(const BMessage&)
{
    return -1;
}

status_t TIAPItem::GetBool(bool*, bool) const
{
    return -1;
}

status_t TIAPItem::SetBool(bool)
{
    return -1;
}

status_t TIAPItem::GetString(std::string*, bool) const
{
    return -1;
}

status_t TIAPItem::SetString(const std::string&)
{
    return -1;
}

status_t TIAPItem::SetAppSignatureRef(const char* signature)
{
    fAppSignatureRef = signature;
    return 0;
}

status_t TIAPItem::AddDefaultInfo(BMessage* message) const
{
    // Without a signature the field is left out rather than filled with something made up.
    status_t status = message->AddString(kIAPSrcAppField, fAppSignatureRef);
    status_t nameStatus = message->AddString(kIAPSrcItemField, fName);
    return status != B_OK ? status : nameStatus;
}

status_t TIAPItem::Load(BMessage* message) const
{
    // A missing entry or a file that cannot be opened shows as the file not being a message.
    BEntry entry;
    get_item_entry(fName, &entry);
    BFile file;
    file.SetTo(&entry, B_READ_ONLY);
    return message->Unflatten(&file);
}

status_t TIAPItem::Save(BMessage message) const
{
    message.AddString(kIAPSrcAppField, fAppSignatureRef);
    BEntry entry;
    status_t status = get_item_entry(fName, &entry);
    if (status != B_OK)
        return status;
    BPath path;
    status = entry.GetPath(&path);
    if (status != B_OK)
        return status;
    // Every running application reads this file as it starts: writing it in place would let
    // a failed or interrupted save leave an empty or torn file where the setting was.
    TSafeFile file(path.Path());
    status = file.InitCheck();
    if (status != B_OK)
        return status;
    status = message.Flatten(file.File());
    if (status != B_OK)
        return status;
    return file.Commit();
}

status_t TIAPItem::LoadBool(bool* value) const
{
    BMessage message;
    Load(&message);
    bool stored;
    if (message.FindBool(fName.c_str(), &stored) == B_OK) {
        *value = stored;
        return 0;
    }
    return GetBool(value, true);
}

status_t TIAPItem::LoadString(std::string* value) const
{
    BMessage message;
    Load(&message);
    std::string stored;
    if (message.FindString(fName.c_str(), &stored) == B_OK) {
        *value = stored;
        return 0;
    }
    return GetString(value, true);
}

status_t TIAPItem::SaveBool(bool value) const
{
    BMessage message;
    message.AddBool(fName.c_str(), value);
    return Save(message);
}

status_t TIAPItem::SaveString(const std::string& value) const
{
    BMessage message;
    message.AddString(fName.c_str(), value);
    return Save(message);
}
