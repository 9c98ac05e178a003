#pragma once

// An application's inbox (RosterProtocol.h): a published port and a thread that reads it,
// turns each broadcast record into a message and hands it on. Everything that arrives comes
// from another process and is treated as such: records that are not well-formed broadcasts are
// dropped, and the thread reads on.

#include <OS.h>
#include <SupportDefs.h>

#include <functional>
#include <memory>

class BApplication;
class BMessage;

namespace BPrivate {

class RosterInbox {
public:
    // Called on the inbox's thread for each message; the message is the caller's to copy.
    using Deliver = std::function<void(BMessage* message)>;

    // Publishes the inbox of this process for signature and starts its thread. On failure
    // returns nullptr and the error in *error.
    static std::unique_ptr<RosterInbox> Open(const char* signature, Deliver deliver,
                                             status_t* error);
    // Deletes the port, which ends the thread, and waits for the thread.
    ~RosterInbox();

    RosterInbox(const RosterInbox&) = delete;
    RosterInbox& operator=(const RosterInbox&) = delete;

    port_id Port() const { return fPort; }

private:
    RosterInbox(port_id port, Deliver deliver) : fPort(port), fDeliver(std::move(deliver)) {}

    static int32 _ThreadEntry(void* inbox);
    void _ReadRecords();

    const port_id fPort;
    const Deliver fDeliver;
    thread_id fThread = -1;
};

// The hooks by which every BApplication gets its inbox: made at the end of the application's
// constructor and posting to it, closed at the start of its destructor. Installed before main
// (Roster.cpp); a program may also start one by hand with RosterInbox::Open.
port_id start_app_inbox(BApplication* application);
void stop_app_inbox(BApplication* application);

} // namespace BPrivate
