#include "LooperList.h"

#include <Looper.h>
#include <Message.h>

using BPrivate::B_PREFERRED_TOKEN;
using BPrivate::current_thread;
using BPrivate::LooperLock;
using BPrivate::LooperRecord;
using BPrivate::LooperRegistry;
using BPrivate::MessageDelivery;
using BPrivate::registry;

namespace BPrivate {

status_t LooperLock::Acquire(thread_id thread, bigtime_t timeout)
{
    std::unique_lock<std::mutex> lock(fMutex);
    if (fClosed)
        return B_BAD_VALUE;
    if (fOwner.load(std::memory_order_relaxed) == thread) {
        fCount++;
        return B_OK;
    }
    fWaiting++;
    bool free = wait_with_timeout(fReleased, lock, timeout, [this] {
        return fClosed || fOwner.load(std::memory_order_relaxed) == -1;
    });
    fWaiting--;
    if (!free)
        return B_TIMED_OUT;
    if (fClosed)
        return B_BAD_VALUE;
    fOwner.store(thread, std::memory_order_release);
    fCount = 1;
    return B_OK;
}

bool LooperLock::Release(thread_id thread)
{
    std::lock_guard<std::mutex> lock(fMutex);
    if (fOwner.load(std::memory_order_relaxed) != thread)
        return false;
    if (--fCount > 0)
        return true;
    fOwner.store(-1, std::memory_order_release);
    if (fWaiting > 0)
        fReleased.notify_one();
    return true;
}

void LooperLock::ReleaseAll(thread_id thread)
{
    std::lock_guard<std::mutex> lock(fMutex);
    if (fOwner.load(std::memory_order_relaxed) != thread)
        return;
    fCount = 0;
    fOwner.store(-1, std::memory_order_release);
    if (fWaiting > 0)
        fReleased.notify_one();
}

void LooperLock::Close()
{
    std::lock_guard<std::mutex> lock(fMutex);
    fClosed = true;
    fReleased.notify_all();
}

int32 LooperLock::Count() const
{
    std::lock_guard<std::mutex> lock(fMutex);
    return fCount;
}

int32 LooperLock::Requests() const
{
    std::lock_guard<std::mutex> lock(fMutex);
    return fWaiting + (fOwner.load(std::memory_order_relaxed) != -1 ? 1 : 0);
}

LooperRegistry& registry()
{
    // Never destroyed: loopers may still run while static objects are torn down at exit.
    static LooperRegistry* sRegistry = new LooperRegistry;
    return *sRegistry;
}

thread_id current_thread()
{
    thread_local thread_id sThread = find_thread(nullptr);
    return sThread;
}

} // namespace BPrivate

BLooper* BLooper::LooperForThread(thread_id thread)
{
    LooperRegistry& loopers = registry();
    std::lock_guard<std::mutex> lock(loopers.lock);
    for (const auto& [token, record] : loopers.loopers) {
        if (record.thread == thread)
            return record.looper;
    }
    return nullptr;
}

// #pragma mark - Access by token

status_t BLooper::_LockLooper(const BLooper* looper, int32 looperToken, bigtime_t timeout)
{
    std::shared_ptr<LooperLock> lock;
    {
        LooperRegistry& loopers = registry();
        std::lock_guard<std::mutex> guard(loopers.lock);
        LooperRecord* record = looper != nullptr ? loopers.Find(looper) : loopers.Find(looperToken);
        if (record == nullptr)
            return B_BAD_VALUE;
        lock = record->lock;
    }
    return lock->Acquire(current_thread(), timeout);
}

status_t BLooper::_Deliver(int32 looperToken, int32 handlerToken, BMessage* message,
                           bigtime_t timeout, bool senderWaits)
{
    std::shared_ptr<BMessageQueue> queue;
    bool pastCapacity = false;
    status_t status = B_OK;
    {
        LooperRegistry& loopers = registry();
        std::lock_guard<std::mutex> lock(loopers.lock);
        thread_id caller = current_thread();
        LooperRecord* record = loopers.Find(looperToken);
        if (record == nullptr) {
            status = B_BAD_PORT_ID;
        } else if (handlerToken != B_PREFERRED_TOKEN) {
            auto found = loopers.handlers.find(handlerToken);
            if (found == loopers.handlers.end() || found->second.looper != looperToken)
                status = B_BAD_HANDLER;
        }
        if (status == B_OK && senderWaits && record->thread == caller)
            status = B_MESSAGE_TO_SELF;
        if (status == B_OK) {
            queue = record->queue;
            pastCapacity = record->thread == caller || record->lock->Owner() == caller;
        }
    }
    if (status != B_OK) {
        delete message;
        return status;
    }
    message->fDelivery.flags |= MessageDelivery::kDelivered;
    return queue->AddMessage(message, handlerToken, timeout, pastCapacity);
}

BLooper* BLooper::_TargetOf(int32 looperToken, int32 handlerToken, BHandler** handler)
{
    LooperRegistry& loopers = registry();
    std::lock_guard<std::mutex> lock(loopers.lock);
    LooperRecord* record = loopers.Find(looperToken);
    if (record == nullptr)
        return nullptr;
    BHandler* target = nullptr;
    if (handlerToken != B_PREFERRED_TOKEN) {
        auto found = loopers.handlers.find(handlerToken);
        if (found == loopers.handlers.end() || found->second.looper != looperToken)
            return nullptr;
        target = found->second.handler;
    }
    if (handler != nullptr)
        *handler = target;
    return record->looper;
}

std::vector<int32> BLooper::_LooperTokens()
{
    LooperRegistry& loopers = registry();
    std::lock_guard<std::mutex> lock(loopers.lock);
    std::vector<int32> tokens;
    tokens.reserve(loopers.loopers.size());
    for (const auto& [token, record] : loopers.loopers)
        tokens.push_back(token);
    return tokens;
}
