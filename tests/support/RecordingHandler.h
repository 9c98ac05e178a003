#pragma once

// A handler that keeps a copy of every message it receives, in a log it may share with other
// handlers, so that a test can see what arrived where and in what order.

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class MessageLog {
public:
    void Add(const std::string& receiver, const BMessage& message)
    {
        std::lock_guard lock(fLock);
        fEntries.emplace_back(receiver, message);
        fChanged.notify_all();
    }
    // Waits up to five seconds for the log to hold count entries; false if it does not.
    bool WaitFor(size_t count)
    {
        std::unique_lock lock(fLock);
        return fChanged.wait_for(lock, std::chrono::seconds(5),
                                 [&] { return fEntries.size() >= count; });
    }
    std::vector<std::pair<std::string, BMessage>> Entries()
    {
        std::lock_guard lock(fLock);
        return fEntries;
    }

private:
    std::mutex fLock;
    std::condition_variable fChanged;
    std::vector<std::pair<std::string, BMessage>> fEntries;
};

class RecordingHandler : public BHandler {
public:
    RecordingHandler(const char* name, MessageLog* log) : BHandler(name), fLog(log) {}

    void MessageReceived(BMessage* message) override { fLog->Add(Name(), *message); }

private:
    MessageLog* fLog;
};

// A running looper with the given handlers, quit when the test is done with it.
class RunningLooper {
public:
    explicit RunningLooper(const char* name) : fLooper(new BLooper(name)) {}
    ~RunningLooper()
    {
        if (fLooper->Lock())
            fLooper->Quit();
    }

    // Only before Run(): the constructing thread holds the lock until then.
    BLooper* operator->() const { return fLooper; }
    void Run() { fLooper->Run(); }

private:
    BLooper* fLooper;
};
