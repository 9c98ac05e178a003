#pragma once

// Copies of the messages that reached one or more receivers, in the order they came, for a test
// on another thread to wait for and look at.

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
