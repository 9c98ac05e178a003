#pragma once

// The kit's own record of the process's loopers: each looper's lock, and the registry of live
// loopers and their handlers by token, through which messengers reach a looper that may be
// gone by now without touching its memory.

#include <Handler.h>
#include <MessageQueue.h>
#include <OS.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <unordered_map>

class BLooper;

namespace BPrivate {

// The lock of a looper: an owner thread and a nesting count. It lives apart from the looper,
// shared with the registry, so that a thread still waiting for it when the looper is deleted
// wakes to a closed lock rather than to freed memory.
class LooperLock {
public:
    // B_OK; B_TIMED_OUT; B_BAD_VALUE once closed.
    status_t Acquire(thread_id thread, bigtime_t timeout);
    // false when thread does not hold the lock.
    bool Release(thread_id thread);
    void ReleaseAll(thread_id thread);
    void Close();

    thread_id Owner() const { return fOwner.load(std::memory_order_acquire); }
    int32 Count() const;
    int32 Requests() const;

private:
    mutable std::mutex fMutex;
    std::condition_variable fReleased;
    // Atomic so that a thread can ask whether it is the owner without taking the mutex; only
    // the owner can make that answer true or false for itself.
    std::atomic<thread_id> fOwner{-1};
    int32 fCount = 0;
    int32 fWaiting = 0;
    bool fClosed = false;
};

// The live loopers of the process, by token and by address, and which looper each attached
// handler belongs to. Messengers, and Lock() on a looper that may be gone, go through it.
struct LooperRecord {
    BLooper* looper = nullptr;
    std::shared_ptr<BMessageQueue> queue;
    std::shared_ptr<LooperLock> lock;
    thread_id thread = -1;
};

struct LooperRegistry {
    std::mutex lock;
    std::unordered_map<int32, LooperRecord> loopers;
    std::unordered_map<const BLooper*, int32> tokens;
    struct HandlerRecord {
        int32 looper;
        BHandler* handler;
    };
    std::unordered_map<int32, HandlerRecord> handlers;

    LooperRecord* Find(const BLooper* looper)
    {
        auto found = tokens.find(looper);
        return found != tokens.end() ? &loopers[found->second] : nullptr;
    }
    LooperRecord* Find(int32 token)
    {
        auto found = loopers.find(token);
        return found != loopers.end() ? &found->second : nullptr;
    }
};

// The one registry of the process.
LooperRegistry& registry();
// The calling thread's id, as the kernel kit knows it.
thread_id current_thread();

} // namespace BPrivate
