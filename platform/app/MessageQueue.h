#pragma once

// The queue of a looper: the messages waiting for its thread, oldest first, each with the
// token of the handler it is addressed to. Like the port of a looper on the original system it
// has a capacity, so that a looper that falls behind slows its senders down instead of eating
// memory: a sender that finds it full waits for room, or gives up when its timeout runs out.
//
// Many threads may add at once; one thread, the looper's, takes.

#include <SupportDefs.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

class BMessage;

enum {
    B_LOOPER_PORT_DEFAULT_CAPACITY = 200,
};

class BMessageQueue {
public:
    explicit BMessageQueue(int32 capacity = B_LOOPER_PORT_DEFAULT_CAPACITY);
    // Deletes the messages still queued.
    ~BMessageQueue();

    BMessageQueue(const BMessageQueue&) = delete;
    BMessageQueue& operator=(const BMessageQueue&) = delete;

    // Queues the message, which the queue owns from now on whatever the result: one that
    // cannot be queued is deleted. When the queue is full, waits up to timeout microseconds
    // for room (B_INFINITE_TIMEOUT: as long as it takes) — unless pastCapacity, for senders
    // the looper cannot go on without (its own thread, the holder of its lock), which would
    // otherwise wait forever. B_OK; B_WOULD_BLOCK when full and timeout is 0 or less;
    // B_TIMED_OUT; B_BAD_PORT_ID once the queue is closed.
    status_t AddMessage(BMessage* message, int32 target, bigtime_t timeout = B_INFINITE_TIMEOUT,
                        bool pastCapacity = false);

    // Waits for the oldest message and takes it with its target; false once the queue is
    // closed.
    bool NextMessage(BMessage** message, int32* target);

    // Refuses every later message, deletes those still queued and wakes every waiting sender
    // (B_BAD_PORT_ID) and the reader (false). Returns once no sender waits here any more, so
    // that the queue may then be destroyed.
    void Close();

    int32 CountMessages() const;
    bool IsEmpty() const { return CountMessages() == 0; }
    int32 Capacity() const { return fCapacity; }

private:
    struct Entry {
        BMessage* message;
        int32 target;
    };

    void _Grow();

    mutable std::mutex fLock;
    std::condition_variable fNotEmpty;
    std::condition_variable fNotFull;
    // A ring whose size is a power of two, so that it is allocated once for the capacity and
    // only grows when messages go past it.
    std::vector<Entry> fRing;
    size_t fHead = 0;
    size_t fCount = 0;
    const int32 fCapacity;
    int32 fWaitingSenders = 0;
    bool fReaderWaiting = false;
    bool fClosed = false;
};

namespace BPrivate {

// Waits on condition, with lock held, until ready() or until timeout microseconds have passed
// (B_INFINITE_TIMEOUT and other timeouts beyond any reasonable wait: for as long as it takes;
// 0 or less: not at all). Returns ready().
template <typename Predicate>
bool wait_with_timeout(std::condition_variable& condition, std::unique_lock<std::mutex>& lock,
                       bigtime_t timeout, Predicate ready)
{
    // About 30 years; longer waits would overflow the clock's arithmetic.
    constexpr bigtime_t kForever = (bigtime_t)1 << 50;
    if (timeout >= kForever) {
        condition.wait(lock, ready);
        return true;
    }
    if (timeout <= 0)
        return ready();
    return condition.wait_for(lock, std::chrono::microseconds(timeout), ready);
}

} // namespace BPrivate
