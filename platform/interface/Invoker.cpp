#include <Invoker.h>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

BInvoker::BInvoker() = default;

BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper)
    : fMessage(message)
{
    SetTarget(handler, looper);
}

BInvoker::BInvoker(BMessage* message, BMessenger target) : fMessage(message), fMessenger(target)
{
}

BInvoker::~BInvoker() = default;

status_t BInvoker::SetMessage(BMessage* message)
{
    if (message != fMessage.get())
        fMessage.reset(message);
    return B_OK;
}

uint32 BInvoker::Command() const
{
    return fMessage != nullptr ? fMessage->what : 0;
}

status_t BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
    fHandler = nullptr;
    fMessenger = BMessenger();
    if (handler == nullptr && looper == nullptr)
        return B_OK;
    if (handler != nullptr && handler->Looper() == nullptr) {
        // Views are often given as targets before they are in a window: the handler is
        // looked up when the invoker is used.
        if (looper != nullptr)
            return B_MISMATCHED_VALUES;
        fHandler = handler;
        return B_OK;
    }
    status_t result = B_OK;
    fMessenger = BMessenger(handler, looper, &result);
    return result;
}

status_t BInvoker::SetTarget(BMessenger messenger)
{
    fHandler = nullptr;
    fMessenger = messenger;
    return B_OK;
}

BHandler* BInvoker::Target(BLooper** looper) const
{
    if (fHandler != nullptr) {
        if (looper != nullptr)
            *looper = fHandler->Looper();
        return const_cast<BHandler*>(fHandler);
    }
    BLooper* targetLooper = nullptr;
    BHandler* handler = fMessenger.Target(&targetLooper);
    if (looper != nullptr)
        *looper = targetLooper;
    return handler;
}

BMessenger BInvoker::Messenger() const
{
    if (fHandler != nullptr) {
        if (fHandler->Looper() == nullptr)
            return BMessenger();
        return BMessenger(fHandler);
    }
    return fMessenger;
}

status_t BInvoker::Invoke(BMessage* message)
{
    if (message == nullptr)
        message = fMessage.get();
    if (message == nullptr)
        return B_BAD_VALUE;
    if (fHandler != nullptr && fHandler->Looper() != nullptr) {
        // The handler has joined its looper since it was given: from now on it is named by
        // a messenger, which stays safe should the handler go away.
        fMessenger = BMessenger(fHandler);
        fHandler = nullptr;
    }
    if (fHandler != nullptr)
        return B_BAD_HANDLER;
    return fMessenger.SendMessage(message);
}
