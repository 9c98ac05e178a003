#pragma once

// The thread that serves the common preferences window's port "VANTORIAPPort": it creates
// the port, hands every message that other applications write to it on to the window's view,
// and deletes the port when it stops. A record without data only wakes it.

#include "util/Thread.h"

#include <Messenger.h>
#include <OS.h>

#include <atomic>

inline constexpr char kIAPPortName[] = "VANTORIAPPort";
inline constexpr int32 kIAPPortCapacity = 100;
// The port field before the thread has tried to create the port, and after it failed.
inline constexpr port_id kIAPPortPending = -400;
inline constexpr port_id kIAPPortFailed = -500;

// The port records: one flattened message each.
inline constexpr uint32 kIAPActivateWindow = 'iawr';
inline constexpr uint32 kIAPAddComponents = 'iacr';
inline constexpr uint32 kIAPQuitRequested = '_QRQ';

class TIAPPortManager : public TThread {
public:
    // Suspended until resumed.
    explicit TIAPPortManager(const BMessenger& target);
    ~TIAPPortManager() override;

    // 0 once the port was served and deleted; -1 when it could not be created.
    status_t Execute() override;

    port_id Port() const { return fPort.load(std::memory_order_acquire); }
    // Wakes the thread so that it sees a Terminate; never waits for room in the queue.
    status_t PreventBlocking() const;

private:
    void _Forward(const char* record, size_t size) const;

    BMessenger fTarget;
    std::atomic<port_id> fPort{kIAPPortPending};
};
