#pragma once

// A message filter looks at messages on their way to a handler, before the handler sees
// them: it may let them through, drop them, or send them to another handler of the same
// looper. Filters belong to a looper (common filters, run first for every message) or to a
// handler (run for the messages addressed to it), which deletes them with itself.

#include <SupportDefs.h>

class BHandler;
class BLooper;
class BMessage;
class BMessageFilter;

enum filter_result {
    B_SKIP_MESSAGE,
    B_DISPATCH_MESSAGE,
};

// Called instead of Filter() when a filter was built with one.
typedef filter_result (*filter_hook)(BMessage* message, BHandler** target, BMessageFilter* filter);

enum message_delivery {
    B_ANY_DELIVERY,
    B_DROPPED_DELIVERY,    // messages dropped on the target (BMessage::WasDropped())
    B_PROGRAMMED_DELIVERY, // messages posted or sent by code
};

enum message_source {
    B_ANY_SOURCE,
    B_REMOTE_SOURCE, // from another process (BMessage::IsSourceRemote())
    B_LOCAL_SOURCE,  // from this process
};

class BMessageFilter {
public:
    // For messages with this command, from any source and any delivery.
    explicit BMessageFilter(uint32 what, filter_hook hook = nullptr);
    // For every command.
    BMessageFilter(message_delivery delivery, message_source source, filter_hook hook = nullptr);
    BMessageFilter(message_delivery delivery, message_source source, uint32 what,
                   filter_hook hook = nullptr);
    // A copy selects the same messages but belongs to no looper or handler.
    BMessageFilter(const BMessageFilter& other);
    explicit BMessageFilter(const BMessageFilter* other);
    virtual ~BMessageFilter();

    BMessageFilter& operator=(const BMessageFilter& other);

    // Runs for each message the filter selects, unless the filter has a hook. May change the
    // message, and *target to another handler of the same looper; no target, or one outside
    // the looper, drops the message. The default lets every message through.
    virtual filter_result Filter(BMessage* message, BHandler** target);

    message_delivery MessageDelivery() const { return fDelivery; }
    message_source MessageSource() const { return fSource; }
    uint32 Command() const { return fWhat; }
    bool FiltersAnyCommand() const { return fFiltersAnyCommand; }
    // The looper whose messages the filter sees: its own for a common filter, its handler's
    // for a handler's filter; nullptr while it belongs to neither.
    BLooper* Looper() const;

private:
    friend class BHandler;
    friend class BLooper;

    bool _Selects(const BMessage* message) const;
    // Filters the message if the filter selects it, else lets it through.
    filter_result _Apply(BMessage* message, BHandler** target);
    bool _IsOwned() const { return fOwnerLooper != nullptr || fOwnerHandler != nullptr; }

    uint32 fWhat = 0;
    bool fFiltersAnyCommand = true;
    message_delivery fDelivery = B_ANY_DELIVERY;
    message_source fSource = B_ANY_SOURCE;
    filter_hook fHook = nullptr;
    BLooper* fOwnerLooper = nullptr;
    BHandler* fOwnerHandler = nullptr;
};
