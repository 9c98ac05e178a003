#include "util/SpyFilter.h"

#include <Message.h>

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
        // Waits while the target's queue is full, as the window's thread may afford to.
        fTarget.SendMessage(&copy, static_cast<BHandler*>(nullptr), B_INFINITE_TIMEOUT);
    }
    return B_DISPATCH_MESSAGE;
}
