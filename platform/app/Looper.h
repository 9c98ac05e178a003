#pragma once

// A looper is three things: a thread, a queue and a lock. Its thread takes the messages from
// the queue one at a time and, holding the lock, hands each to a handler: the one it was
// addressed to, else the preferred handler, else the looper itself, after the filters have had
// their say. Any thread may take the lock to work on the looper's handlers; the looper then
// dispatches nothing until the lock is let go.

#include <Handler.h>
#include <MessageQueue.h>
#include <OS.h>
#include <SupportDefs.h>

#include <atomic>
#include <memory>
#include <vector>

class BApplication;
class BMessage;
class BMessageFilter;
class BMessenger;

namespace BPrivate {
class LooperLock;
}

// How a message came to a looper, for BLooper::PostMessageFrom().
enum message_origin : uint32 {
    B_ORIGIN_LOCAL = 0,
    B_ORIGIN_REMOTE = 0x1,  // from another process: IsSourceRemote(), B_REMOTE_SOURCE
    B_ORIGIN_DROPPED = 0x2, // dropped on its target: WasDropped(), B_DROPPED_DELIVERY
};

namespace BPrivate {

// Where the API requires the caller to hold a looper's lock, debug builds check it: a thread
// that does not hold it stops the program there, with the name of the call. Release builds
// check nothing. A null looper (a handler or view not attached yet) needs no lock.
#ifdef NDEBUG
inline void check_locked(const BLooper*, const char*) {}
#else
void check_locked(const BLooper* looper, const char* call);
#endif

} // namespace BPrivate

class BLooper : public BHandler {
public:
    // The constructing thread holds the lock until it calls Run(), so that the looper can be
    // set up before its thread sees a message. portCapacity is how many messages may wait.
    explicit BLooper(const char* name = nullptr, int32 priority = B_NORMAL_PRIORITY,
                     int32 portCapacity = B_LOOPER_PORT_DEFAULT_CAPACITY);
    // Delete a looper directly only while it has never run; a running one ends with Quit().
    // Its handlers are detached, not deleted; its common filters are deleted.
    ~BLooper() override;

    // Posting queues a copy; the caller keeps the message. The copy goes to handler (which
    // must belong to this looper, else B_MISMATCHED_VALUES), or to the preferred handler at
    // the time of dispatch. Replies go to replyTo, or to the application without one. A full
    // queue makes the poster wait for room — except the looper's own thread and the holder of
    // its lock, which the looper would wait for in turn: theirs go in past the capacity.
    // B_BAD_PORT_ID once the looper is quitting.
    status_t PostMessage(uint32 command);
    status_t PostMessage(BMessage* message, BHandler* handler = nullptr,
                         BHandler* replyTo = nullptr);
    status_t PostMessage(uint32 command, BHandler* handler, BHandler* replyTo = nullptr);

    // For the kits that bring messages from outside the program's own code — the roster's
    // inbox (messages of other processes) and the interface kit's drop handling: posts like
    // PostMessage() and marks the copy with origin, a mask of message_origin, so that filters
    // can tell such messages apart.
    status_t PostMessageFrom(BMessage* message, uint32 origin, BHandler* handler = nullptr);

    // Runs on the looper's thread, with the lock held, for every message that passed the
    // filters. B_QUIT_REQUESTED for the looper itself asks QuitRequested() and quits when it
    // agrees (a sender waiting for a reply gets B_REPLY with the bool "result"); everything
    // else goes to handler->MessageReceived().
    virtual void DispatchMessage(BMessage* message, BHandler* handler);
    void MessageReceived(BMessage* message) override;

    // The message being dispatched: valid on the looper's thread during dispatch, nullptr
    // otherwise. Detaching it hands it (and the duty to reply) over to the caller, who deletes
    // it.
    BMessage* CurrentMessage() const { return fCurrentMessage; }
    BMessage* DetachCurrentMessage();
    BMessageQueue* MessageQueue() const { return fQueue.get(); }
    bool IsMessageWaiting() const { return !fQueue->IsEmpty(); }

    // Handlers. The looper is its own first handler. Change them with the lock held.
    void AddHandler(BHandler* handler);
    bool RemoveHandler(BHandler* handler);
    int32 CountHandlers() const { return (int32)fHandlers.size(); }
    BHandler* HandlerAt(int32 index) const;
    int32 IndexOf(BHandler* handler) const;
    BHandler* PreferredHandler() const { return fPreferred; }
    void SetPreferredHandler(BHandler* handler);

    // Spawns the looper's thread, lets go of the lock the constructing thread held, and
    // returns the thread's id. Must be called once, by the holder of the lock: B_NOT_ALLOWED
    // otherwise, B_ALREADY_RUNNING the second time.
    virtual thread_id Run();
    // On the looper's thread: the loop stops after the current message and the looper is
    // deleted. On another thread, which must hold the lock (it is taken if not): the looper
    // finishes the messages posted before, then stops and is deleted; Quit() waits for that
    // and every lock the caller held is gone with it. A looper that never ran is deleted at
    // once. Messages still queued are discarded.
    virtual void Quit();
    virtual bool QuitRequested();

    thread_id Thread() const { return fThread.load(std::memory_order_acquire); }
    team_id Team() const;
    // The looper whose thread that is (an application's: the thread that runs it), or nullptr.
    static BLooper* LooperForThread(thread_id thread);

    // The lock is recursive; each Lock() needs its Unlock(). Lock and LockWithTimeout ask the
    // registry of live loopers before they touch the looper, and fail (false, B_BAD_VALUE) for
    // one that has been deleted; still, code that cannot be sure its looper lives should lock
    // it through a BMessenger (LockTarget), which holds no address at all.
    bool Lock();
    void Unlock();
    status_t LockWithTimeout(bigtime_t timeout);
    bool IsLocked() const;
    thread_id LockingThread() const;
    // How many times the holder has locked it, and how many threads hold or wait for it.
    int32 CountLocks() const;
    int32 CountLockRequests() const;

    // Filters run on every message before the filters of its handler, in the order added. The
    // looper owns them; RemoveCommonFilter() gives ownership back. Change them with the lock
    // held. A filter that already belongs somewhere is not added.
    virtual void AddCommonFilter(BMessageFilter* filter);
    virtual bool RemoveCommonFilter(BMessageFilter* filter);
    const std::vector<BMessageFilter*>& CommonFilterList() const { return fCommonFilters; }

private:
    friend class BApplication;
    friend class BHandler;
    friend class BMessenger;

    static int32 _ThreadEntry(void* looper);
    // Takes and dispatches messages until told to stop; returns with the lock held then.
    // false when the queue was closed under it instead.
    bool _Loop();
    // Filters and dispatches a message (which it then deletes) as the loop does; BApplication
    // uses it for the messages it makes itself before the loop starts.
    void _DispatchOne(BMessage* message, int32 target);
    int32 _Token() const { return fToken; }
    BHandler* _HandlerFor(int32 token) const;
    // The handler that gets the message after the filters, nullptr when a filter dropped it.
    BHandler* _Filter(BMessage* message, BHandler* target);
    bool _ApplyFilters(const std::vector<BMessageFilter*>& filters, BMessage* message,
                       BHandler** target);
    status_t _Post(BMessage* message, BHandler* handler, BHandler* replyTo, uint32 origin);
    // Queues the internal request to stop, which no filter sees.
    status_t _PostQuit();
    void _SetThread(thread_id thread);

    // For BMessenger and BHandler: a looper known only by its token or by an address that
    // may be stale.
    static status_t _Deliver(int32 looperToken, int32 handlerToken, BMessage* message,
                             bigtime_t timeout, bool senderWaits);
    // The looper of a target that is still alive (and its handler, nullptr for the preferred
    // one), else nullptr.
    static BLooper* _TargetOf(int32 looperToken, int32 handlerToken, BHandler** handler);
    static status_t _LockLooper(const BLooper* looper, int32 looperToken, bigtime_t timeout);
    // The tokens of every live looper of the process, for messages meant for all of them.
    static std::vector<int32> _LooperTokens();

    std::shared_ptr<BMessageQueue> fQueue;
    std::shared_ptr<BPrivate::LooperLock> fLock;
    std::atomic<thread_id> fThread{-1};
    std::vector<BHandler*> fHandlers;
    std::vector<BMessageFilter*> fCommonFilters;
    BHandler* fPreferred = nullptr;
    BMessage* fCurrentMessage = nullptr;
    const int32 fPriority;
    bool fRunCalled = false;
    bool fTerminating = false;
};
