#include "util/SpyFilter.h"

#include <Message.h>

namespace {

constexpr bigtime_t kSpySendTimeout = 250000;

} // namespace

TSpyFilter::TSpyFilter(uint32 what, const BMessenger& target)
    : BMessageFilter(what), fTarget(target)
{
}

TSpyFilter::~TSpyFilter() = default;

filter_result TSpyFilter::Filter(BMessage* message, BHandler**)
{
    if (!message->HasBool(kSpySendFlagField)) {
        BMessage copy(*message);
        // A marker of another type, as a message from another process may carry, would keep
        // the bool from being added, and an unmarked copy could come back here: it goes.
        copy.RemoveName(kSpySendFlagField);
        copy.AddBool(kSpySendFlagField, true);
        // Waits a while for room in the target's queue, never for ever: the target may be
        // this looper itself, or one that waits for it, and the watched message must go on.
        fTarget.SendMessage(&copy, static_cast<BHandler*>(nullptr), kSpySendTimeout);
    }
    return B_DISPATCH_MESSAGE;
}
