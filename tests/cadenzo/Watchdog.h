#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

// Ends the test program when a test has not finished in time: a thread that never ends cannot
// be failed any other way.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(10))
        : fThread([this, limit] {
              std::unique_lock lock(fLock);
              if (!fDone.wait_for(lock, limit, [this] { return fFinished; })) {
                  fprintf(stderr, "watchdog: the test did not finish in time\n");
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(fLock);
            fFinished = true;
        }
        fDone.notify_one();
        fThread.join();
    }

private:
    std::mutex fLock;
    std::condition_variable fDone;
    bool fFinished = false;
    std::thread fThread;
};
