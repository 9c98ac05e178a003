#pragma once

// Lets a handler watch messages of one command that arrive at another looper, without taking
// them from their own receiver: each such message goes on as usual, and a copy marked with
// "SpySendFlag" goes to the target. Marked messages are never copied again, so spies in
// several windows cannot send a message round in circles.

#include <MessageFilter.h>
#include <Messenger.h>

inline constexpr char kSpySendFlagField[] = "SpySendFlag";

class TSpyFilter : public BMessageFilter {
public:
    TSpyFilter(uint32 what, const BMessenger& target);
    ~TSpyFilter() override;

    // Always B_DISPATCH_MESSAGE.
    filter_result Filter(BMessage* message, BHandler** target) override;

private:
    BMessenger fTarget;
};
