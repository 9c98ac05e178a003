#include "iap/InterAppPrefs.h"

#include "iap/IAPPortManager.h"
#include "iap/IAPWindow.h"
#include "util/Alerts.h"

#include <View.h>

#include <vector>

namespace {

// The window's thread makes its port at once; a thread that has not after this long never
// will.
constexpr bigtime_t kPortWait = 5000000;
constexpr bigtime_t kPortPoll = 20000;
// A window that takes no record for this long is hung: the caller goes on without it.
constexpr bigtime_t kSendWait = 3000000;

} // namespace

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

status_t TInterAppPrefs::ShowWindow(BRect frame)
{
    port_id port = find_port(kIAPPortName);
    if (port >= 0) {
        ActivateWindow(port);
    } else {
        port = CreateAndShowWindow(frame);
    }
    AddComponents(port);
    return 0;
}

port_id TInterAppPrefs::CreateAndShowWindow(BRect frame)
{
    auto* window = new TIAPWindow(frame);
    window->Show();
    fWindow = window;
    fWindowCreated = true;
    for (bigtime_t waited = 0; window->Port() == kIAPPortPending && waited < kPortWait;
         waited += kPortPoll)
        snooze(kPortPoll);
    const port_id port = window->Port();
    return port >= 0 ? port : kIAPPortFailed;
}

status_t TInterAppPrefs::AddComponents(port_id port)
{
    BMessage request(kIAPAddComponents);
    for (const auto& [name, item] : fItems) {
        for (bool useDefault : {false, true}) {
            BView* view = nullptr;
            if (item->MakeConfigurationView(&view, useDefault) != 0 || view == nullptr)
                continue; // an item without a control
            BMessage archive;
            view->Archive(&archive, true);
            item->GetValue(&archive, useDefault);
            // The committed and working states, or the default one.
            request.AddMessage(view->Name(), &archive);
            if (!useDefault)
                request.AddMessage(view->Name(), &archive);
            delete view;
        }
    }
    return SendMessage(port, &request);
}

status_t TInterAppPrefs::ActivateWindow(port_id port) const
{
    BMessage request(kIAPActivateWindow);
    return SendMessage(port, &request);
}

status_t TInterAppPrefs::CloseWindow(bool force) const
{
    const port_id port = find_port(kIAPPortName);
    if (port < 0)
        return 0;
    if (!force && !fWindowCreated)
        return -1;
    BMessage request(kIAPQuitRequested);
    SendMessage(port, &request);
    return 0;
}

status_t TInterAppPrefs::SendMessage(port_id port, BMessage* message) const
{
    const ssize_t size = message->FlattenedSize();
    if (size <= 0)
        return kIAPPortFailed;
    std::vector<char> buffer((size_t)size);
    if (message->Flatten(buffer.data(), size) != B_OK)
        return kIAPPortFailed;
    const status_t status =
        write_port_etc(port, 0, buffer.data(), buffer.size(), B_RELATIVE_TIMEOUT, kSendWait);
    return status == B_OK ? 0 : kIAPPortFailed;
}

void TInterAppPrefs::QuitOwnWindow()
{
    close_window(&fWindow);
    fWindow = nullptr;
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
