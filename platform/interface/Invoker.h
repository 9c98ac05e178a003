#pragma once

// Something that sends a message to a target when it is used: a control, a menu item.

#include <Messenger.h>
#include <SupportDefs.h>

#include <memory>

class BHandler;
class BLooper;
class BMessage;

class BInvoker {
public:
    BInvoker();
    // Takes ownership of message.
    BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = nullptr);
    BInvoker(BMessage* message, BMessenger target);
    virtual ~BInvoker();

    BInvoker(const BInvoker&) = delete;
    BInvoker& operator=(const BInvoker&) = delete;

    // Takes ownership of message; the old one is deleted.
    virtual status_t SetMessage(BMessage* message);
    BMessage* Message() const { return fMessage.get(); }
    uint32 Command() const;

    // A handler (which may not yet belong to a looper: it is looked up at Invoke() time) or
    // a looper's preferred handler.
    virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = nullptr);
    virtual status_t SetTarget(BMessenger messenger);
    bool IsTargetLocal() const { return true; }
    BHandler* Target(BLooper** looper = nullptr) const;
    BMessenger Messenger() const;

    // Sends message (the invoker's own when null) to the target; "when" and "source" are
    // added by the subclasses that want them. B_BAD_VALUE without a message.
    virtual status_t Invoke(BMessage* message = nullptr);

private:
    std::unique_ptr<BMessage> fMessage;
    BMessenger fMessenger;
    const BHandler* fHandler = nullptr; // a handler not yet attached when set
};
