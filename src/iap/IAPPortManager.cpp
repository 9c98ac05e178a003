#include "iap/IAPPortManager.h"

#include <Message.h>

#include <vector>

namespace {

// How long the thread waits at a time for room in the view's queue before it looks whether
// it should stop: the view's window may be going away with a full queue.
constexpr bigtime_t kForwardStep = 100000;

} // namespace

TIAPPortManager::TIAPPortManager(const BMessenger& target)
    : TThread("IAPPortManager", 10), fTarget(target)
{
}

TIAPPortManager::~TIAPPortManager() = default;

status_t TIAPPortManager::Execute()
{
    const port_id port = create_port(kIAPPortCapacity, kIAPPortName);
    if (port < 0) {
        fPort.store(kIAPPortFailed, std::memory_order_release);
        return -1;
    }
    fPort.store(port, std::memory_order_release);

    std::vector<char> buffer;
    while (!IsTerminateRequested()) {
        const ssize_t size = port_buffer_size(port);
        if (size == B_INTERRUPTED)
            continue;
        if (size < 0)
            break; // the port is gone
        buffer.resize((size_t)size);
        int32 code;
        const ssize_t read = read_port(port, &code, buffer.data(), buffer.size());
        if (read == B_INTERRUPTED)
            continue;
        if (read < 0)
            break;
        // Any process of the user may write here: a record is taken for what it holds
        // within its own size, and one that is no message is dropped.
        if (read > 0)
            _Forward(buffer.data(), (size_t)read);
    }
    delete_port(port);
    return 0;
}

void TIAPPortManager::_Forward(const char* record, size_t size) const
{
    BMessage message;
    if (message.Unflatten(record, size) != B_OK)
        return;
    status_t status;
    do
        status = fTarget.SendMessage(&message, static_cast<BHandler*>(nullptr), kForwardStep);
    while (status == B_TIMED_OUT && !IsTerminateRequested());
}

status_t TIAPPortManager::PreventBlocking() const
{
    // A full queue wakes the thread anyway.
    write_port_etc(Port(), 0, nullptr, 0, B_RELATIVE_TIMEOUT, 0);
    return 0;
}
