#pragma once

// A handler is something a message can be addressed to. It belongs to at most one looper,
// whose thread calls its MessageReceived() for the messages sent to it. Handlers of a looper
// may be chained: what one does not understand it passes to the next.

#include <Archivable.h>
#include <SupportDefs.h>

#include <atomic>
#include <string>
#include <vector>

class BLooper;
class BMessage;
class BMessageFilter;

class BHandler : public BArchivable {
public:
    explicit BHandler(const char* name = nullptr);
    // Takes the name from the archive's "_name" field.
    explicit BHandler(BMessage* archive);
    // A handler still attached to a looper removes itself from it first (locking the looper),
    // and deletes its filters.
    ~BHandler() override;

    BHandler(const BHandler&) = delete;
    BHandler& operator=(const BHandler&) = delete;

    status_t Archive(BMessage* into, bool deep = true) const override;
    static BArchivable* Instantiate(BMessage* archive);

    // Passes the message to the next handler when there is one. At the end of the chain a
    // sender that asked for a reply (it waits for one, or named a handler for replies) gets
    // B_MESSAGE_NOT_UNDERSTOOD; other messages are dropped.
    virtual void MessageReceived(BMessage* message);

    // The looper the handler belongs to; may be read from any thread.
    BLooper* Looper() const { return fLooper.load(std::memory_order_acquire); }

    void SetName(const char* name);
    const char* Name() const { return fName.c_str(); }

    // The next handler must belong to the same looper when messages flow; this is not
    // checked here because handlers are often chained before they are attached.
    virtual void SetNextHandler(BHandler* handler) { fNextHandler = handler; }
    BHandler* NextHandler() const { return fNextHandler; }

    // Filters run, in the order added, on messages addressed to this handler, after the
    // looper's common filters. The handler owns them; RemoveFilter() gives ownership back.
    // Change them only with the looper locked (or before attaching). A filter that already
    // belongs somewhere is not added.
    virtual void AddFilter(BMessageFilter* filter);
    virtual bool RemoveFilter(BMessageFilter* filter);
    const std::vector<BMessageFilter*>& FilterList() const { return fFilters; }

    // Locks the looper the handler belongs to, and succeeds only if the handler still belongs
    // to it once the lock is held.
    bool LockLooper();
    status_t LockLooperWithTimeout(bigtime_t timeout);
    void UnlockLooper();

private:
    friend class BLooper;
    friend class BMessenger;

    std::string fName;
    // Never reused within a process, so a stale messenger can never reach a newer handler.
    const int32 fToken;
    std::atomic<BLooper*> fLooper{nullptr};
    BHandler* fNextHandler = nullptr;
    std::vector<BMessageFilter*> fFilters;
};

namespace BPrivate {

// Tokens that name no particular handler in a message's address.
enum : int32 {
    B_NULL_TOKEN = -1,
    B_PREFERRED_TOKEN = -2, // the preferred handler of the looper, at the time of dispatch
};

} // namespace BPrivate
