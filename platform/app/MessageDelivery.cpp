// What a message knows of its delivery to a looper, and the replies to it.

#include <Message.h>

#include <AppDefs.h>
#include <Application.h>
#include <Handler.h>
#include <Messenger.h>

// #pragma mark - Delivery and replies

namespace BPrivate {

MessageDelivery::MessageDelivery(MessageDelivery&& other) noexcept
    : waitingSender(std::move(other.waitingSender)), replyLooper(other.replyLooper),
      replyHandler(other.replyHandler), flags(other.flags)
{
    other.End();
}

MessageDelivery& MessageDelivery::operator=(const MessageDelivery& other) noexcept
{
    if (this != &other)
        End();
    return *this;
}

MessageDelivery& MessageDelivery::operator=(MessageDelivery&& other) noexcept
{
    if (this != &other) {
        End();
        waitingSender = std::move(other.waitingSender);
        replyLooper = other.replyLooper;
        replyHandler = other.replyHandler;
        flags = other.flags;
        other.End();
    }
    return *this;
}

MessageDelivery::~MessageDelivery()
{
    End();
}

void MessageDelivery::End() noexcept
{
    // A sender must never wait for a message that no longer exists.
    if (waitingSender != nullptr && (flags & kReplied) == 0)
        waitingSender->Put(BMessage(B_NO_REPLY));
    waitingSender.reset();
    replyLooper = -1;
    replyHandler = -1;
    flags = 0;
}

} // namespace BPrivate

using BPrivate::MessageDelivery;

bool BMessage::WasDelivered() const
{
    return (fDelivery.flags & MessageDelivery::kDelivered) != 0;
}

bool BMessage::IsSourceWaiting() const
{
    return fDelivery.waitingSender != nullptr && (fDelivery.flags & MessageDelivery::kReplied) == 0;
}

bool BMessage::IsReplyRequested() const
{
    return IsSourceWaiting() || (WasDelivered() && fDelivery.replyLooper >= 0);
}

bool BMessage::IsSourceRemote() const
{
    return (fDelivery.flags & MessageDelivery::kRemote) != 0;
}

bool BMessage::IsReply() const
{
    return (fDelivery.flags & MessageDelivery::kIsReply) != 0;
}

bool BMessage::WasDropped() const
{
    return (fDelivery.flags & MessageDelivery::kDropped) != 0;
}

BMessenger BMessage::ReturnAddress() const
{
    // Another process cannot be reached from here: its messages have no return address.
    if (!WasDelivered() || IsSourceRemote())
        return BMessenger();
    if (fDelivery.replyLooper < 0)
        return be_app_messenger;
    BMessenger address;
    address.fTeam = getpid();
    address.fLooperToken = fDelivery.replyLooper;
    address.fHandlerToken = fDelivery.replyHandler;
    return address;
}

status_t BMessage::SendReply(uint32 command, BHandler* replyTo)
{
    BMessage reply(command);
    return SendReply(&reply, replyTo);
}

status_t BMessage::SendReply(BMessage* reply, BHandler* replyTo, bigtime_t timeout)
{
    BMessenger returnAddress;
    if (replyTo != nullptr)
        returnAddress = BMessenger(replyTo);
    return _SendReply(reply, returnAddress, timeout, nullptr, 0);
}

status_t BMessage::SendReply(BMessage* reply, BMessenger replyTo, bigtime_t timeout)
{
    return _SendReply(reply, replyTo, timeout, nullptr, 0);
}

status_t BMessage::SendReply(uint32 command, BMessage* replyToReply)
{
    BMessage reply(command);
    return SendReply(&reply, replyToReply);
}

status_t BMessage::SendReply(BMessage* reply, BMessage* replyToReply, bigtime_t sendTimeout,
                             bigtime_t replyTimeout)
{
    if (replyToReply == nullptr)
        return B_BAD_VALUE;
    return _SendReply(reply, BMessenger(), sendTimeout, replyToReply, replyTimeout);
}

status_t BMessage::_SendReply(const BMessage* reply, const BMessenger& replyTo, bigtime_t timeout,
                              BMessage* replyToReply, bigtime_t replyTimeout)
{
    if (reply == nullptr)
        return B_BAD_VALUE;
    if (!WasDelivered())
        return B_BAD_REPLY;
    if (fDelivery.waitingSender == nullptr)
        return ReturnAddress()._Send(reply, replyTo, MessageDelivery::kIsReply, timeout,
                                     replyToReply, replyTimeout);

    if ((fDelivery.flags & MessageDelivery::kReplied) != 0)
        return B_DUPLICATE_REPLY;
    BMessage copy(*reply);
    copy.fDelivery.flags = MessageDelivery::kIsReply;
    copy.fDelivery.replyLooper = replyTo.fLooperToken;
    copy.fDelivery.replyHandler = replyTo.fHandlerToken;
    std::shared_ptr<BPrivate::ReplySlot> answer;
    if (replyToReply != nullptr) {
        answer = std::make_shared<BPrivate::ReplySlot>();
        copy.fDelivery.waitingSender = answer;
    }
    status_t status = fDelivery.waitingSender->Put(std::move(copy));
    // Whether the sender took the reply or had given up, it is owed nothing more.
    fDelivery.flags |= MessageDelivery::kReplied;
    if (status != B_OK || answer == nullptr)
        return status;
    return answer->Wait(replyToReply, replyTimeout);
}
