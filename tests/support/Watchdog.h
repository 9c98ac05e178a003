#pragma once

// Bounds on waiting for other threads and processes: a test that waits must fail, not hang.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

// Ends the test program when the test it guards has not finished in time: a thread that never
// ends cannot be failed any other way. Generous, for the sanitizer builds.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(60))
        : fThread([this, limit] {
              std::unique_lock lock(fLock);
              if (!fFinished.wait_for(lock, limit, [this] { return fDone; })) {
                  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
                  fprintf(stderr, "watchdog: %s did not finish in time\n",
                          test != nullptr ? test->name() : "the test");
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(fLock);
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

// Whether a condition that another thread makes true turns true within the limit.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::milliseconds(20000))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
