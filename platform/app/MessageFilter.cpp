#include <MessageFilter.h>

#include <Handler.h>
#include <Message.h>

BMessageFilter::BMessageFilter(uint32 what, filter_hook hook)
    : fWhat(what), fFiltersAnyCommand(false), fHook(hook)
{
}

BMessageFilter::BMessageFilter(message_delivery delivery, message_source source, filter_hook hook)
    : fDelivery(delivery), fSource(source), fHook(hook)
{
}

BMessageFilter::BMessageFilter(message_delivery delivery, message_source source, uint32 what,
                               filter_hook hook)
    : fWhat(what), fFiltersAnyCommand(false), fDelivery(delivery), fSource(source), fHook(hook)
{
}

BMessageFilter::BMessageFilter(const BMessageFilter& other)
    : fWhat(other.fWhat), fFiltersAnyCommand(other.fFiltersAnyCommand), fDelivery(other.fDelivery),
      fSource(other.fSource), fHook(other.fHook)
{
}

BMessageFilter::BMessageFilter(const BMessageFilter* other) : BMessageFilter(*other) {}

BMessageFilter::~BMessageFilter() = default;

BMessageFilter& BMessageFilter::operator=(const BMessageFilter& other)
{
    // What the filter selects changes; whom it belongs to does not.
    fWhat = other.fWhat;
    fFiltersAnyCommand = other.fFiltersAnyCommand;
    fDelivery = other.fDelivery;
    fSource = other.fSource;
    fHook = other.fHook;
    return *this;
}

filter_result BMessageFilter::Filter(BMessage*, BHandler**)
{
    return B_DISPATCH_MESSAGE;
}

BLooper* BMessageFilter::Looper() const
{
    if (fOwnerLooper != nullptr)
        return fOwnerLooper;
    return fOwnerHandler != nullptr ? fOwnerHandler->Looper() : nullptr;
}

bool BMessageFilter::_Selects(const BMessage* message) const
{
    if (!fFiltersAnyCommand && message->what != fWhat)
        return false;
    switch (fDelivery) {
    case B_ANY_DELIVERY:
        break;
    case B_DROPPED_DELIVERY:
        if (!message->WasDropped())
            return false;
        break;
    case B_PROGRAMMED_DELIVERY:
        if (message->WasDropped())
            return false;
        break;
    }
    switch (fSource) {
    case B_ANY_SOURCE:
        break;
    case B_REMOTE_SOURCE:
        if (!message->IsSourceRemote())
            return false;
        break;
    case B_LOCAL_SOURCE:
        if (message->IsSourceRemote())
            return false;
        break;
    }
    return true;
}

filter_result BMessageFilter::_Apply(BMessage* message, BHandler** target)
{
    if (!_Selects(message))
        return B_DISPATCH_MESSAGE;
    return fHook != nullptr ? fHook(message, target, this) : Filter(message, target);
}
