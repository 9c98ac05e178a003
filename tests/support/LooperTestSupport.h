#pragma once

// What the looper, messenger and application tests share: the watchdog and bounded wait, a
// gate a handler can wait at, and handlers and loopers that record what they receive.

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include "Watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace looper_test {

using namespace std::chrono_literals;

using ::eventually;
using ::Watchdog;

// A door that threads wait at until it opens; it stays open.
class Gate {
public:
    void Open()
    {
        std::lock_guard<std::mutex> lock(fLock);
        fOpen = true;
        fChanged.notify_all();
    }
    void Wait()
    {
        std::unique_lock<std::mutex> lock(fLock);
        fChanged.wait(lock, [this] { return fOpen; });
    }

private:
    std::mutex fLock;
    std::condition_variable fChanged;
    bool fOpen = false;
};

// The commands of the messages something received, readable from any thread.
class Commands {
public:
    void Add(uint32 what)
    {
        std::lock_guard<std::mutex> lock(fLock);
        fReceived.push_back(what);
    }
    std::vector<uint32> Received() const
    {
        std::lock_guard<std::mutex> lock(fLock);
        return fReceived;
    }

private:
    mutable std::mutex fLock;
    std::vector<uint32> fReceived;
};

class RecordingHandler : public BHandler {
public:
    explicit RecordingHandler(const char* name = "recorder") : BHandler(name) {}

    void MessageReceived(BMessage* message) override { fCommands.Add(message->what); }
    std::vector<uint32> Received() const { return fCommands.Received(); }
    size_t Count() const { return Received().size(); }

private:
    Commands fCommands;
};

// A looper that records what it receives itself and says when it has been deleted.
class RecordingLooper : public BLooper {
public:
    explicit RecordingLooper(std::atomic<bool>* deleted = nullptr, int32 capacity = 200)
        : BLooper("recording looper", B_NORMAL_PRIORITY, capacity), fDeleted(deleted)
    {
    }
    ~RecordingLooper() override
    {
        if (fDeleted != nullptr)
            *fDeleted = true;
    }

    void MessageReceived(BMessage* message) override { fCommands.Add(message->what); }
    std::vector<uint32> Received() const { return fCommands.Received(); }

private:
    Commands fCommands;
    std::atomic<bool>* fDeleted;
};

} // namespace looper_test
