#include <Messenger.h>

#include <Application.h>
#include <Handler.h>
#include <Looper.h>

#include <strings.h>
#include <tuple>
#include <unistd.h>

using BPrivate::B_PREFERRED_TOKEN;
using BPrivate::MessageDelivery;

BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result)
{
    _SetTo(handler, looper, result);
}

BMessenger::BMessenger(const char* signature, team_id team, status_t* result)
{
    status_t status = B_BAD_VALUE;
    if (signature != nullptr && be_app != nullptr && (team < 0 || team == getpid()) &&
        strcasecmp(signature, be_app->Signature()) == 0) {
        *this = be_app_messenger;
        status = B_OK;
    }
    if (result != nullptr)
        *result = status;
}

void BMessenger::_SetTo(const BHandler* handler, const BLooper* looper, status_t* result)
{
    status_t status = B_OK;
    if (handler != nullptr) {
        BLooper* handlerLooper = handler->Looper();
        if (handlerLooper == nullptr)
            status = B_BAD_HANDLER;
        else if (looper != nullptr && looper != handlerLooper)
            status = B_MISMATCHED_VALUES;
        else {
            fLooperToken = handlerLooper->fToken;
            fHandlerToken = handler->fToken;
        }
    } else if (looper != nullptr) {
        fLooperToken = looper->fToken;
        fHandlerToken = B_PREFERRED_TOKEN;
    } else {
        status = B_BAD_VALUE;
    }
    fTeam = status == B_OK ? getpid() : -1;
    if (result != nullptr)
        *result = status;
}

bool BMessenger::IsValid() const
{
    return IsTargetLocal() && BLooper::_TargetOf(fLooperToken, fHandlerToken, nullptr) != nullptr;
}

bool BMessenger::IsTargetLocal() const
{
    return fTeam >= 0 && fTeam == getpid();
}

BHandler* BMessenger::Target(BLooper** looper) const
{
    BLooper* targetLooper = nullptr;
    BHandler* handler = nullptr;
    if (IsTargetLocal())
        targetLooper = BLooper::_TargetOf(fLooperToken, fHandlerToken, &handler);
    if (looper != nullptr)
        *looper = targetLooper;
    return handler;
}

bool BMessenger::LockTarget() const
{
    return LockTargetWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t BMessenger::LockTargetWithTimeout(bigtime_t timeout) const
{
    if (!IsTargetLocal())
        return B_BAD_VALUE;
    return BLooper::_LockLooper(nullptr, fLooperToken, timeout);
}

status_t BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
    BMessage message(command);
    return SendMessage(&message, replyTo);
}

status_t BMessenger::SendMessage(BMessage* message, BHandler* replyTo, bigtime_t timeout) const
{
    BMessenger returnAddress;
    if (replyTo != nullptr)
        returnAddress._SetTo(replyTo, nullptr, nullptr);
    return _Send(message, returnAddress, 0, timeout, nullptr, 0);
}

status_t BMessenger::SendMessage(BMessage* message, BMessenger replyTo, bigtime_t timeout) const
{
    return _Send(message, replyTo, 0, timeout, nullptr, 0);
}

status_t BMessenger::SendMessage(uint32 command, BMessage* reply) const
{
    BMessage message(command);
    return SendMessage(&message, reply);
}

status_t BMessenger::SendMessage(BMessage* message, BMessage* reply, bigtime_t deliveryTimeout,
                                 bigtime_t replyTimeout) const
{
    if (reply == nullptr)
        return B_BAD_VALUE;
    return _Send(message, BMessenger(), 0, deliveryTimeout, reply, replyTimeout);
}

status_t BMessenger::_Send(const BMessage* message, const BMessenger& replyTo, uint32 deliveryFlags,
                           bigtime_t timeout, BMessage* reply, bigtime_t replyTimeout) const
{
    if (message == nullptr)
        return B_BAD_VALUE;
    if (!IsTargetLocal())
        return B_BAD_PORT_ID;
    auto* copy = new BMessage(*message);
    MessageDelivery& delivery = copy->fDelivery;
    delivery.flags = deliveryFlags;
    if (replyTo.IsTargetLocal()) {
        delivery.replyLooper = replyTo.fLooperToken;
        delivery.replyHandler = replyTo.fHandlerToken;
    }
    std::shared_ptr<BPrivate::ReplySlot> slot;
    if (reply != nullptr) {
        slot = std::make_shared<BPrivate::ReplySlot>();
        delivery.waitingSender = slot;
    }
    status_t status =
        BLooper::_Deliver(fLooperToken, fHandlerToken, copy, timeout, reply != nullptr);
    if (status != B_OK || slot == nullptr)
        return status;
    return slot->Wait(reply, replyTimeout);
}

bool BMessenger::operator==(const BMessenger& other) const
{
    return fTeam == other.fTeam && fLooperToken == other.fLooperToken &&
           fHandlerToken == other.fHandlerToken;
}

bool BMessenger::operator<(const BMessenger& other) const
{
    return std::tie(fTeam, fLooperToken, fHandlerToken) <
           std::tie(other.fTeam, other.fLooperToken, other.fHandlerToken);
}

// #pragma mark - ReplySlot

namespace BPrivate {

status_t ReplySlot::Put(BMessage&& reply)
{
    std::lock_guard<std::mutex> lock(fLock);
    if (fGaveUp)
        return B_BAD_PORT_ID;
    if (fHasReply)
        return B_DUPLICATE_REPLY;
    fReply = std::move(reply);
    fReply.fDelivery.flags |= MessageDelivery::kDelivered | MessageDelivery::kIsReply;
    fHasReply = true;
    fAnswered.notify_all();
    return B_OK;
}

status_t ReplySlot::Wait(BMessage* reply, bigtime_t timeout)
{
    std::unique_lock<std::mutex> lock(fLock);
    if (!wait_with_timeout(fAnswered, lock, timeout, [this] { return fHasReply; })) {
        fGaveUp = true;
        return timeout <= 0 ? B_WOULD_BLOCK : B_TIMED_OUT;
    }
    *reply = std::move(fReply);
    return B_OK;
}

} // namespace BPrivate
