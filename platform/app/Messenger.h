#pragma once

// A messenger names a message target — a looper, and optionally one of its handlers — by
// tokens, never by address, so a messenger that outlives its target is merely invalid:
// sending through it fails and touches nothing. Messengers are small values, cheap to copy
// and safe to use from any thread.

#include <Message.h>
#include <OS.h>
#include <SupportDefs.h>

#include <condition_variable>
#include <mutex>

class BHandler;
class BLooper;

class BMessenger {
public:
    BMessenger() = default;
    // A handler (which must belong to a looper: else B_BAD_HANDLER), or with a null handler
    // the preferred handler of looper. When both are given, the handler must belong to that
    // looper (B_MISMATCHED_VALUES). B_BAD_VALUE when both are null.
    BMessenger(const BHandler* handler, const BLooper* looper = nullptr,
               status_t* result = nullptr);
    // The application of that signature. Only this process's own application can be reached
    // so far; any other signature or team gives an invalid messenger and B_BAD_VALUE.
    BMessenger(const char* signature, team_id team = -1, status_t* result = nullptr);

    // Whether the target still exists: its looper has not quit, and its handler (if it names
    // one) still belongs to that looper. A valid messenger can turn invalid at any time.
    bool IsValid() const;
    bool IsTargetLocal() const;
    team_id Team() const { return fTeam; }

    // The target's handler (nullptr for the preferred handler) and, in *looper, its looper;
    // both nullptr when the target is gone. Use them only with the looper locked.
    BHandler* Target(BLooper** looper) const;
    // Locks the target's looper; safe when the target is gone (false, B_BAD_VALUE).
    bool LockTarget() const;
    status_t LockTargetWithTimeout(bigtime_t timeout) const;

    // Sending queues a copy; the caller keeps the message. Replies go to replyTo, or to the
    // application without one. A full queue makes the sender wait up to timeout for room
    // (B_WOULD_BLOCK with 0, B_TIMED_OUT after), except for the threads the target's looper
    // would wait for in turn (see BLooper::PostMessage). B_BAD_PORT_ID when the looper is
    // gone, B_BAD_HANDLER when the handler no longer belongs to it.
    status_t SendMessage(uint32 command, BHandler* replyTo = nullptr) const;
    status_t SendMessage(BMessage* message, BHandler* replyTo = nullptr,
                         bigtime_t timeout = B_INFINITE_TIMEOUT) const;
    status_t SendMessage(BMessage* message, BMessenger replyTo,
                         bigtime_t timeout = B_INFINITE_TIMEOUT) const;
    // Sends and waits for the reply, which replaces *reply. A message that is deleted
    // unanswered (its looper quit, or nobody replied) is answered with B_NO_REPLY. Sending
    // synchronously to the calling thread's own looper would wait forever: B_MESSAGE_TO_SELF.
    // B_TIMED_OUT when no reply came within replyTimeout.
    status_t SendMessage(uint32 command, BMessage* reply) const;
    status_t SendMessage(BMessage* message, BMessage* reply,
                         bigtime_t deliveryTimeout = B_INFINITE_TIMEOUT,
                         bigtime_t replyTimeout = B_INFINITE_TIMEOUT) const;

    bool operator==(const BMessenger& other) const;
    bool operator!=(const BMessenger& other) const { return !(*this == other); }
    // An arbitrary but fixed order, so that messengers can be keys of ordered containers.
    bool operator<(const BMessenger& other) const;

private:
    friend class BMessage;

    status_t _Send(const BMessage* message, const BMessenger& replyTo, uint32 deliveryFlags,
                   bigtime_t timeout, BMessage* reply, bigtime_t replyTimeout) const;
    void _SetTo(const BHandler* handler, const BLooper* looper, status_t* result);

    team_id fTeam = -1;
    int32 fLooperToken = -1;
    int32 fHandlerToken = -1;
};

namespace BPrivate {

// Where a sender waits for the reply to a message it sent synchronously. One reply is taken;
// once the sender has given up waiting, none is.
class ReplySlot {
public:
    // B_DUPLICATE_REPLY when a reply came already, B_BAD_PORT_ID when the sender gave up.
    status_t Put(BMessage&& reply);
    // B_OK with the reply moved into *reply; on timeout B_TIMED_OUT (B_WOULD_BLOCK for a
    // timeout of 0 or less), and the slot turns later replies away.
    status_t Wait(BMessage* reply, bigtime_t timeout);

private:
    std::mutex fLock;
    std::condition_variable fAnswered;
    BMessage fReply;
    bool fHasReply = false;
    bool fGaveUp = false;
};

} // namespace BPrivate
