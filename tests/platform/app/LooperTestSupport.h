#pragma once

// What the looper, messenger and application tests share: a watchdog that ends a hung test,
// a gate a handler can wait at, and a wait for a condition that another thread makes true.

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

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

// Fails the whole program if the test it guards has not finished in time: a test that waits
// on another thread must not hang the run.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(60))
        : fThread([this, limit] {
              std::unique_lock<std::mutex> lock(fLock);
              if (!fFinished.wait_for(lock, limit, [this] { return fDone; })) {
                  fprintf(stderr, "watchdog: %s did not finish in time\n",
                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(fLock);
            fDone = true;
        }
        fFinished.notify_one();
        fThread.join();
    }

private:
    std::mutex fLock;
    std::condition_variable fFinished;
    bool fDone = false;
    std::thread fThread;
};

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

// Whether condition turns true within the limit.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::milliseconds(20000))
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A handler that keeps the commands of the messages it receives, readable from any thread.
class RecordingHandler : public BHandler {
public:
    explicit RecordingHandler(const char* name = "recorder") : BHandler(name) {}

    void MessageReceived(BMessage* message) override
    {
        std::lock_guard<std::mutex> lock(fLock);
        fReceived.push_back(message->what);
    }
    std::vector<uint32> Received() const
    {
        std::lock_guard<std::mutex> lock(fLock);
        return fReceived;
    }
    size_t Count() const { return Received().size(); }

private:
    mutable std::mutex fLock;
    std::vector<uint32> fReceived;
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

    void MessageReceived(BMessage* message) override
    {
        std::lock_guard<std::mutex> lock(fLock);
        fReceived.push_back(message->what);
    }
    std::vector<uint32> Received() const
    {
        std::lock_guard<std::mutex> lock(fLock);
        return fReceived;
    }

private:
    mutable std::mutex fLock;
    std::vector<uint32> fReceived;
    std::atomic<bool>* fDeleted;
};

} // namespace looper_test
