#include <Looper.h>

#include <AppDefs.h>
#include <Message.h>
#include <MessageFilter.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <unistd.h>
#include <unordered_map>

using BPrivate::B_PREFERRED_TOKEN;
using BPrivate::MessageDelivery;

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

} // namespace BPrivate

using BPrivate::LooperLock;

namespace {

// The queue target that tells the loop to stop; no handler has it.
constexpr int32 kQuitToken = -3;

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

} // namespace

// #pragma mark - Life

BLooper::BLooper(const char* name, int32 priority, int32 portCapacity)
    : BHandler(name), fQueue(std::make_shared<BMessageQueue>(portCapacity)),
      fLock(std::make_shared<LooperLock>()), fPriority(priority)
{
    fLock->Acquire(current_thread(), B_INFINITE_TIMEOUT);
    fLooper.store(this, std::memory_order_release);
    fHandlers.push_back(this);

    LooperRegistry& loopers = registry();
    std::lock_guard<std::mutex> lock(loopers.lock);
    loopers.loopers[fToken] = LooperRecord{this, fQueue, fLock, -1};
    loopers.tokens[this] = fToken;
    loopers.handlers[fToken] = {fToken, this};
}

BLooper::~BLooper()
{
    {
        LooperRegistry& loopers = registry();
        std::lock_guard<std::mutex> lock(loopers.lock);
        loopers.loopers.erase(fToken);
        loopers.tokens.erase(this);
        for (BHandler* handler : fHandlers)
            loopers.handlers.erase(handler->fToken);
    }
    for (BHandler* handler : fHandlers)
        handler->fLooper.store(nullptr, std::memory_order_release);
    fHandlers.clear();
    fPreferred = nullptr;
    for (BMessageFilter* filter : fCommonFilters)
        delete filter;
    fCommonFilters.clear();
    // Last, so that a sender told B_NO_REPLY for a discarded message finds the looper gone.
    fQueue->Close();
    fLock->Close();
}

thread_id BLooper::Run()
{
    thread_id caller = current_thread();
    if (fLock->Owner() != caller)
        return B_NOT_ALLOWED;
    if (fRunCalled)
        return B_ALREADY_RUNNING;
    thread_id thread =
        spawn_thread(_ThreadEntry, Name()[0] != '\0' ? Name() : "looper", fPriority, this);
    if (thread < 0)
        return thread;
    fRunCalled = true;
    _SetThread(thread);
    fLock->Release(caller);
    status_t status = resume_thread(thread);
    return status == B_OK ? thread : status;
}

void BLooper::Quit()
{
    thread_id caller = current_thread();
    if (fLock->Owner() != caller && !Lock())
        return;
    if (!fRunCalled) {
        delete this;
        return;
    }
    if (caller == Thread()) {
        fTerminating = true;
        return;
    }
    // The looper's thread deletes the looper once it reaches the request; it needs the lock
    // to get there.
    thread_id thread = Thread();
    _PostQuit();
    fLock->ReleaseAll(caller);
    wait_for_thread(thread, nullptr);
}

bool BLooper::QuitRequested()
{
    return true;
}

team_id BLooper::Team() const
{
    return getpid();
}

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

int32 BLooper::_ThreadEntry(void* data)
{
    auto* looper = static_cast<BLooper*>(data);
    if (looper->_Loop())
        delete looper;
    return B_OK;
}

void BLooper::_SetThread(thread_id thread)
{
    fThread.store(thread, std::memory_order_release);
    LooperRegistry& loopers = registry();
    std::lock_guard<std::mutex> lock(loopers.lock);
    if (LooperRecord* record = loopers.Find(fToken))
        record->thread = thread;
}

// #pragma mark - The loop

bool BLooper::_Loop()
{
    thread_id self = current_thread();
    BMessage* message;
    int32 target;
    while (fQueue->NextMessage(&message, &target)) {
        if (fLock->Acquire(self, B_INFINITE_TIMEOUT) != B_OK) {
            delete message;
            return false;
        }
        if (target == kQuitToken) {
            delete message;
            fTerminating = true;
        } else {
            _DispatchOne(message, target);
        }
        if (fTerminating)
            return true;
        fLock->Release(self);
    }
    return false;
}

void BLooper::_DispatchOne(BMessage* message, int32 target)
{
    message->fDelivery.flags |= MessageDelivery::kDelivered;
    fCurrentMessage = message;
    // A message for a handler that has left the looper since is dropped.
    if (BHandler* handler = _HandlerFor(target)) {
        if ((handler = _Filter(message, handler)) != nullptr)
            DispatchMessage(message, handler);
    }
    delete fCurrentMessage;
    fCurrentMessage = nullptr;
}

BHandler* BLooper::_HandlerFor(int32 token) const
{
    if (token == B_PREFERRED_TOKEN)
        return fPreferred != nullptr ? fPreferred : const_cast<BLooper*>(this);
    for (BHandler* handler : fHandlers) {
        if (handler->fToken == token)
            return handler;
    }
    return nullptr;
}

BHandler* BLooper::_Filter(BMessage* message, BHandler* target)
{
    if (!_ApplyFilters(fCommonFilters, message, &target))
        return nullptr;
    // A handler's filters may hand the message on to another handler, whose filters then have
    // their turn; bounded, so that filters passing a message back and forth cannot loop.
    for (size_t turn = 0; turn < fHandlers.size(); turn++) {
        BHandler* before = target;
        if (!_ApplyFilters(target->fFilters, message, &target))
            return nullptr;
        if (target == before)
            break;
    }
    return target;
}

bool BLooper::_ApplyFilters(const std::vector<BMessageFilter*>& filters, BMessage* message,
                            BHandler** target)
{
    // By index: a filter may add or remove filters as it runs.
    for (size_t i = 0; i < filters.size(); i++) {
        if (filters[i]->_Apply(message, target) == B_SKIP_MESSAGE)
            return false;
        if (*target == nullptr || (*target)->Looper() != this)
            return false;
    }
    return true;
}

void BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
    if (message->what == B_QUIT_REQUESTED && handler == this) {
        bool quit = QuitRequested();
        if (message->IsSourceWaiting()) {
            BMessage reply(B_REPLY);
            reply.AddBool("result", quit);
            message->SendReply(&reply);
        }
        if (quit)
            Quit();
        return;
    }
    handler->MessageReceived(message);
}

void BLooper::MessageReceived(BMessage* message)
{
    BHandler::MessageReceived(message);
}

BMessage* BLooper::DetachCurrentMessage()
{
    BMessage* message = fCurrentMessage;
    fCurrentMessage = nullptr;
    return message;
}

// #pragma mark - Posting

status_t BLooper::PostMessage(uint32 command)
{
    return _Post(new BMessage(command), nullptr, nullptr, B_ORIGIN_LOCAL);
}

status_t BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo)
{
    if (message == nullptr)
        return B_BAD_VALUE;
    return _Post(new BMessage(*message), handler, replyTo, B_ORIGIN_LOCAL);
}

status_t BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
    return _Post(new BMessage(command), handler, replyTo, B_ORIGIN_LOCAL);
}

status_t BLooper::PostMessageFrom(BMessage* message, uint32 origin, BHandler* handler)
{
    if (message == nullptr)
        return B_BAD_VALUE;
    return _Post(new BMessage(*message), handler, nullptr, origin);
}

status_t BLooper::_Post(BMessage* message, BHandler* handler, BHandler* replyTo, uint32 origin)
{
    int32 target = B_PREFERRED_TOKEN;
    if (handler != nullptr) {
        if (handler->Looper() != this) {
            delete message;
            return B_MISMATCHED_VALUES;
        }
        target = handler->fToken;
    }
    MessageDelivery& delivery = message->fDelivery;
    delivery.flags = MessageDelivery::kDelivered;
    if ((origin & B_ORIGIN_REMOTE) != 0)
        delivery.flags |= MessageDelivery::kRemote;
    if ((origin & B_ORIGIN_DROPPED) != 0)
        delivery.flags |= MessageDelivery::kDropped;
    if (replyTo != nullptr) {
        if (BLooper* replyLooper = replyTo->Looper()) {
            delivery.replyLooper = replyLooper->fToken;
            delivery.replyHandler = replyTo->fToken;
        }
    }
    thread_id caller = current_thread();
    bool pastCapacity = caller == Thread() || fLock->Owner() == caller;
    return fQueue->AddMessage(message, target, B_INFINITE_TIMEOUT, pastCapacity);
}

status_t BLooper::_PostQuit()
{
    return fQueue->AddMessage(new BMessage(), kQuitToken, B_INFINITE_TIMEOUT, true);
}

// #pragma mark - Handlers

void BLooper::AddHandler(BHandler* handler)
{
    if (handler == nullptr || handler->Looper() != nullptr)
        return;
    handler->fLooper.store(this, std::memory_order_release);
    fHandlers.push_back(handler);
    LooperRegistry& loopers = registry();
    std::lock_guard<std::mutex> lock(loopers.lock);
    loopers.handlers[handler->fToken] = {fToken, handler};
}

bool BLooper::RemoveHandler(BHandler* handler)
{
    if (handler == nullptr || handler == this || handler->Looper() != this)
        return false;
    fHandlers.erase(std::find(fHandlers.begin(), fHandlers.end(), handler));
    handler->fLooper.store(nullptr, std::memory_order_release);
    if (fPreferred == handler)
        fPreferred = nullptr;
    LooperRegistry& loopers = registry();
    std::lock_guard<std::mutex> lock(loopers.lock);
    loopers.handlers.erase(handler->fToken);
    return true;
}

BHandler* BLooper::HandlerAt(int32 index) const
{
    if (index < 0 || index >= CountHandlers())
        return nullptr;
    return fHandlers[index];
}

int32 BLooper::IndexOf(BHandler* handler) const
{
    auto found = std::find(fHandlers.begin(), fHandlers.end(), handler);
    return found != fHandlers.end() ? (int32)(found - fHandlers.begin()) : -1;
}

void BLooper::SetPreferredHandler(BHandler* handler)
{
    if (handler == nullptr || handler->Looper() == this)
        fPreferred = handler;
}

void BLooper::AddCommonFilter(BMessageFilter* filter)
{
    if (filter == nullptr || filter->_IsOwned())
        return;
    filter->fOwnerLooper = this;
    fCommonFilters.push_back(filter);
}

bool BLooper::RemoveCommonFilter(BMessageFilter* filter)
{
    auto found = std::find(fCommonFilters.begin(), fCommonFilters.end(), filter);
    if (found == fCommonFilters.end())
        return false;
    fCommonFilters.erase(found);
    filter->fOwnerLooper = nullptr;
    return true;
}

// #pragma mark - Locking

bool BLooper::Lock()
{
    return _LockLooper(this, -1, B_INFINITE_TIMEOUT) == B_OK;
}

status_t BLooper::LockWithTimeout(bigtime_t timeout)
{
    return _LockLooper(this, -1, timeout);
}

void BLooper::Unlock()
{
    fLock->Release(current_thread());
}

bool BLooper::IsLocked() const
{
    // Asked of a looper that may be gone, like Lock().
    LooperRegistry& loopers = registry();
    std::lock_guard<std::mutex> lock(loopers.lock);
    LooperRecord* record = loopers.Find(this);
    return record != nullptr && record->lock->Owner() == current_thread();
}

thread_id BLooper::LockingThread() const
{
    return fLock->Owner();
}

int32 BLooper::CountLocks() const
{
    return fLock->Count();
}

int32 BLooper::CountLockRequests() const
{
    return fLock->Requests();
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
