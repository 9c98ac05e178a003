#include <RosterInbox.h>

#include <Application.h>
#include <Message.h>
#include <MessageQueue.h>
#include <RosterProtocol.h>

#include <atomic>
#include <mutex>
#include <unistd.h>

using namespace BPrivate::roster_protocol;

namespace BPrivate {

std::unique_ptr<RosterInbox> RosterInbox::Open(const char* signature, Deliver deliver,
                                               status_t* error)
{
    const std::string name = inbox_name((team_id)getpid(), signature);
    const port_id port = create_port(kInboxCapacity, name.c_str());
    if (port < 0) {
        *error = port;
        return nullptr;
    }
    std::unique_ptr<RosterInbox> inbox(new RosterInbox(port, std::move(deliver)));
    inbox->fThread = spawn_thread(_ThreadEntry, "app inbox", B_NORMAL_PRIORITY, inbox.get());
    if (inbox->fThread < 0 || resume_thread(inbox->fThread) != B_OK) {
        *error = inbox->fThread < 0 ? inbox->fThread : B_ERROR;
        return nullptr;
    }
    *error = B_OK;
    return inbox;
}

RosterInbox::~RosterInbox()
{
    delete_port(fPort);
    if (fThread >= 0) {
        status_t ignored;
        wait_for_thread(fThread, &ignored);
    }
}

int32 RosterInbox::_ThreadEntry(void* inbox)
{
    static_cast<RosterInbox*>(inbox)->_ReadRecords();
    return B_OK;
}

void RosterInbox::_ReadRecords()
{
    // The port refuses records above B_MAX_PORT_RECORD_SIZE, so a record's size is bounded
    // before anything is allocated for it.
    for (;;) {
        const ssize_t size = port_buffer_size(fPort);
        if (size < 0)
            return; // deleted, or the thread was killed
        auto bytes = std::make_unique_for_overwrite<char[]>((size_t)size + 1);
        int32 code;
        const ssize_t read = read_port(fPort, &code, bytes.get(), (size_t)size);
        if (read < 0)
            return;
        BMessage message;
        if (decode_inbox_record(code, bytes.get(), (size_t)read, &message) == B_OK)
            fDeliver(&message);
    }
}

// One inbox per process: there is one application at a time.
namespace {

std::mutex sAppInboxLock;
std::unique_ptr<RosterInbox> sAppInbox;
std::atomic<bool> sAppInboxStopping{false};

void post_to_application(BApplication* application, BMessage* message)
{
    // Waiting inside PostMessageFrom() for room in a full queue could outlast the
    // application: its queue is closed, which would end that wait, only after the destructor
    // has stopped this inbox and waited for its thread. So the room is waited for here, where
    // stopping the inbox ends the wait.
    BMessageQueue* queue = application->MessageQueue();
    while (queue->CountMessages() >= queue->Capacity()) {
        if (sAppInboxStopping.load() || snooze(1000) != B_OK)
            return;
    }
    application->PostMessageFrom(message, B_ORIGIN_REMOTE);
}

} // namespace

port_id start_app_inbox(BApplication* application)
{
    sAppInboxStopping = false;
    status_t error;
    std::unique_ptr<RosterInbox> inbox = RosterInbox::Open(
        application->Signature(),
        [application](BMessage* message) { post_to_application(application, message); }, &error);
    if (inbox == nullptr)
        return error;
    std::lock_guard<std::mutex> lock(sAppInboxLock);
    sAppInbox = std::move(inbox);
    return sAppInbox->Port();
}

void stop_app_inbox(BApplication*)
{
    sAppInboxStopping = true;
    std::unique_ptr<RosterInbox> inbox;
    {
        std::lock_guard<std::mutex> lock(sAppInboxLock);
        inbox = std::move(sAppInbox);
    }
    // Destroyed here, outside the lock: that waits for the thread.
}

} // namespace BPrivate
