#pragma once

// The common preferences an application has registered, by name. The application hands the
// store every value message ('_ipc') that reaches it; the store passes each message to its
// item and then to its observers.

#include "iap/IAPItem.h"

#include <Messenger.h>
#include <OS.h>
#include <Rect.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class BWindow;

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

    // Brings the common preferences window forward, whichever application made it, or makes
    // it at frame in this one; then hands it the controls of this store's items.
    status_t ShowWindow(BRect frame);
    // Makes and shows the window in this application: its port, or kIAPPortFailed when the
    // window's thread made none in time.
    port_id CreateAndShowWindow(BRect frame);
    // Asks the window to show the controls of this store's items that it lacks.
    status_t AddComponents(port_id port);
    status_t ActivateWindow(port_id port) const;
    // Asks the window to close (it hides and returns to the committed values). Without
    // force, -1 when another application made the window: it is left alone.
    status_t CloseWindow(bool force) const;
    // One port record; kIAPPortFailed when it could not be written within a few seconds (a
    // port that is gone, or an owner that reads nothing).
    status_t SendMessage(port_id port, BMessage* message) const;
    // Quits the window this application made, if any; for the application's end.
    void QuitOwnWindow();
    // The window this application made, or null.
    BWindow* OwnWindow() const { return fWindow; }

    status_t AddObserver(const BMessenger& messenger);
    // Sends a copy to each observer in the order they were added, waiting for room in their
    // queues; an observer that is gone is passed over.
    status_t NotifyToObservers(BMessage message);

private:
    TIAPItem* _Find(const char* name) const;

    bool fWindowCreated = false;
    const char* fAppSignatureRef = nullptr;
    std::vector<BMessenger> fObservers;
    std::map<std::string, std::unique_ptr<TIAPItem>> fItems;
    BWindow* fWindow = nullptr;
};

// The application's store, alive for the whole process.
extern TInterAppPrefs* const gIAPs;
