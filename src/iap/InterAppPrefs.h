#pragma once

// The common preferences an application has registered, by name. The application hands the
// store every value message ('_ipc') that reaches it; the store passes each message to its
// item and then to its observers.

#include "iap/IAPItem.h"

#include <Messenger.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class TInterAppPrefs {
public:
    TInterAppPrefs();
    ~TInterAppPrefs();

    TInterAppPrefs(const TInterAppPrefs&) = delete;
    TInterAppPrefs& operator=(const TInterAppPrefs&) = delete;

    // The signature is borrowed and must outlive the store; the items held get it too.
    status_t SetAppSignatureRef(const char* signature);
    // Takes ownership. An item of the same name is replaced and deleted.
    status_t AddItem(TIAPItem* item);

    // -1 for a name the store does not hold, the output left as it was.
    status_t GetBool(const char* name, bool* value) const;
    status_t GetString(const char* name, std::string* value) const;
    // Nobody is notified.
    status_t SetBool(const char* name, bool value);
    status_t SetString(const char* name, const std::string& value);

    // A value message for an item this store does not hold, or one that its item rejects,
    // answers -1 and goes no further; the others go on to every observer.
    status_t SetValue(const BMessage& message);

    status_t AddObserver(const BMessenger& messenger);
    // Sends a copy to each observer in the order they were added, waiting for room in their
    // queues; an observer that is gone is passed over.
    status_t NotifyToObservers(BMessage message);

private:
    TIAPItem* _Find(const char* name) const;

    const char* fAppSignatureRef = nullptr;
    std::vector<BMessenger> fObservers;
    std::map<std::string, std::unique_ptr<TIAPItem>> fItems;
};

// The application's store, alive for the whole process.
extern TInterAppPrefs* const gIAPs;
