#include "iap/InterAppPrefs.h"

TInterAppPrefs::TInterAppPrefs() = default;

TInterAppPrefs::~TInterAppPrefs() = default;

status_t TInterAppPrefs::SetAppSignatureRef(const char* signature)
{
    fAppSignatureRef = signature;
    for (auto& [name, item] : fItems)
        item->SetAppSignatureRef(signature);
    return 0;
}

status_t TInterAppPrefs::AddItem(TIAPItem* item)
{
    if (item == nullptr)
        return -1;
    item->SetAppSignatureRef(fAppSignatureRef);
    std::unique_ptr<TIAPItem>& slot = fItems[item->Name()];
    // Registering the same item twice must not delete the one being kept.
    if (slot.get() != item)
        slot.reset(item);
    return 0;
}

TIAPItem* TInterAppPrefs::_Find(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    auto found = fItems.find(name);
    return found != fItems.end() ? found->second.get() : nullptr;
}

status_t TInterAppPrefs::GetBool(const char* name, bool* value) const
{
    TIAPItem* item = _Find(name);
    return item != nullptr ? item->GetBool(value, false) : -1;
}

status_t TInterAppPrefs::GetString(const char* name, std::string* value) const
{
    TIAPItem* item = _Find(name);
    return item != nullptr ? item->GetString(value, false) : -1;
}

status_t TInterAppPrefs::SetBool(const char* name, bool value)
{
    TIAPItem* item = _Find(name);
    return item != nullptr ? item->SetBool(value) : -1;
}

status_t TInterAppPrefs::SetString(const char* name, const std::string& value)
{
    TIAPItem* item = _Find(name);
    return item != nullptr ? item->SetString(value) : -1;
}

status_t TInterAppPrefs::SetValue(const BMessage& message)
{
    const char* name;
    if (message.FindString(kIAPSrcItemField, &name) != B_OK)
        return -1;
    // Every application receives the changes of every item; those of items registered by
    // others are not ours to take.
    TIAPItem* item = _Find(name);
    if (item == nullptr)
        return -1;
    status_t status = item->SetValue(message);
    if (status != 0)
        return status;
    NotifyToObservers(message);
    return 0;
}

status_t TInterAppPrefs::AddObserver(const BMessenger& messenger)
{
    fObservers.push_back(messenger);
    return 0;
}

status_t TInterAppPrefs::NotifyToObservers(BMessage message)
{
    for (const BMessenger& observer : fObservers)
        observer.SendMessage(&message, static_cast<BHandler*>(nullptr), B_INFINITE_TIMEOUT);
    return 0;
}

static TInterAppPrefs sIAPs;
TInterAppPrefs* const gIAPs = &sIAPs;
