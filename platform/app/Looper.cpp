#include <Looper.h>

#include <AppDefs.h>
#include <Message.h>
#include <MessageFilter.h>

#include "LooperList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using BPrivate::B_PREFERRED_TOKEN;
using BPrivate::current_thread;
using BPrivate::LooperLock;
using BPrivate::LooperRecord;
using BPrivate::LooperRegistry;
using BPrivate::MessageDelivery;
using BPrivate::registry;

namespace {

// The queue target that tells the loop to stop; no handler has it.
constexpr int32 kQuitToken = -3;

} // namespace

#ifndef NDEBUG
void BPrivate::check_locked(const BLooper* looper, const char* call)
{
    if (looper == nullptr || looper->LockingThread() == current_thread())
        return;
    fprintf(stderr, "%s: the calling thread does not hold the lock of looper \"%s\"\n", call,
            looper->Name());
    abort();
}
#endif

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
    BPrivate::check_locked(this, "BLooper::AddHandler");
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
    BPrivate::check_locked(this, "BLooper::RemoveHandler");
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
    BPrivate::check_locked(this, "BLooper::SetPreferredHandler");
    if (handler == nullptr || handler->Looper() == this)
        fPreferred = handler;
}

void BLooper::AddCommonFilter(BMessageFilter* filter)
{
    BPrivate::check_locked(this, "BLooper::AddCommonFilter");
    if (filter == nullptr || filter->_IsOwned())
        return;
    filter->fOwnerLooper = this;
    fCommonFilters.push_back(filter);
}

bool BLooper::RemoveCommonFilter(BMessageFilter* filter)
{
    BPrivate::check_locked(this, "BLooper::RemoveCommonFilter");
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
