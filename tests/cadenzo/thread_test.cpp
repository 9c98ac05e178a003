// Threads owned by objects, on real kernel-kit threads. Every wait is bounded by a watchdog
// that fails the test rather than letting it hang.

#include "util/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Ends the test program when a test has not finished in time: a thread that never ends cannot
// be failed any other way.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit = 10s)
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

// Polls for a condition another thread makes true; false when it does not come in time.
bool eventually(const std::function<bool()>& condition)
{
    for (auto deadline = std::chrono::steady_clock::now() + 5s;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(1ms)) {
        if (condition())
            return true;
    }
    return condition();
}

// A thread whose body is given by the test, and which tells when it is destroyed and on what
// thread.
class TProbe : public TThread {
public:
    TProbe(std::function<status_t(TProbe&)> body, std::atomic<thread_id>* destroyedOn = nullptr)
        : TThread("Probe", B_NORMAL_PRIORITY), fBody(std::move(body)), fDestroyedOn(destroyedOn)
    {
    }
    TProbe(const TProbe& other) : TThread(other), fBody(other.fBody) {}
    ~TProbe() override
    {
        if (fDestroyedOn != nullptr)
            *fDestroyedOn = find_thread(nullptr);
    }

    status_t Execute() override
    {
        fStarted = true;
        return fBody(*this);
    }

    bool TerminateRequested() const { return IsTerminateRequested(); }

    std::atomic<bool> fStarted{false};

private:
    std::function<status_t(TProbe&)> fBody;
    std::atomic<thread_id>* fDestroyedOn = nullptr;
};

TEST(Thread, ANeverResumedThreadNeverRunsAndDiesWithItsObject)
{
    Watchdog watchdog;
    std::atomic<bool> ran{false};
    thread_id id;
    {
        TProbe probe([&](TProbe&) {
            ran = true;
            return B_OK;
        });
        id = probe.ThreadID();
        ASSERT_GT(id, 0);
        EXPECT_TRUE(probe.IsSuspended());
        EXPECT_FALSE(probe.IsTerminated());
    }
    thread_info info;
    EXPECT_NE(B_OK, get_thread_info(id, &info));
    EXPECT_FALSE(ran);
}

TEST(Thread, WaitGivesTheExitValueOnceTheBodyHasSeenTerminate)
{
    Watchdog watchdog;
    TProbe probe([](TProbe& self) {
        while (!self.TerminateRequested())
            snooze(1000);
        return (status_t)42;
    });
    EXPECT_TRUE(probe.IsSuspended());
    ASSERT_EQ(B_OK, probe.Resume());
    ASSERT_TRUE(eventually([&] { return probe.fStarted.load(); }));
    EXPECT_FALSE(probe.IsSuspended());
    EXPECT_FALSE(probe.IsTerminated());

    EXPECT_EQ(0, probe.Terminate());
    status_t exitValue = 0;
    EXPECT_EQ(B_OK, probe.Wait(&exitValue));
    EXPECT_EQ(42, exitValue);
    EXPECT_TRUE(probe.IsTerminated());
}

TEST(Thread, WaitWithoutARecipientStillWaits)
{
    Watchdog watchdog;
    std::atomic<bool> finished{false};
    TProbe probe([&](TProbe&) {
        snooze(20000);
        finished = true;
        return B_OK;
    });
    probe.Resume();
    EXPECT_EQ(B_OK, probe.Wait(nullptr));
    EXPECT_TRUE(finished);
}

TEST(Thread, AnAutoDeletingObjectIsGoneAsItsBodyReturns)
{
    Watchdog watchdog;
    std::atomic<thread_id> destroyedOn{0};
    std::atomic<thread_id> ranOn{0};
    auto* probe = new TProbe(
        [&](TProbe&) {
            ranOn = find_thread(nullptr);
            return B_OK;
        },
        &destroyedOn);
    thread_id id = probe->ThreadID();
    EXPECT_EQ(0, probe->SetAutoDelete(true));
    probe->Resume();
    // probe may be gone from here on.
    ASSERT_TRUE(eventually([&] { return destroyedOn.load() != 0; }));
    EXPECT_EQ(id, ranOn.load());
    // Deleted by its own thread, at its end.
    EXPECT_EQ(id, destroyedOn.load());
}

TEST(Thread, DestroyingARunningThreadWaitsForItsBodyToLeave)
{
    Watchdog watchdog;
    std::atomic<bool> left{false};
    auto* probe = new TProbe([&](TProbe&) {
        // Only a kill ends this body: snooze then answers B_INTERRUPTED.
        while (snooze(1000) == B_OK) {
        }
        left = true;
        return B_OK;
    });
    probe->Resume();
    ASSERT_TRUE(eventually([&] { return probe->fStarted.load(); }));
    delete probe;
    EXPECT_TRUE(left);
}

TEST(Thread, SuspendAndResumeShowInIsSuspended)
{
    Watchdog watchdog;
    std::atomic<int> laps{0};
    TProbe probe([&](TProbe& self) {
        while (!self.TerminateRequested()) {
            laps++;
            snooze(1000);
        }
        return B_OK;
    });
    probe.Resume();
    ASSERT_TRUE(eventually([&] { return laps > 0; }));
    EXPECT_EQ(B_OK, probe.Suspend());
    EXPECT_TRUE(probe.IsSuspended());
    // It stops at its next snooze; after that it makes no progress.
    int stoppedAt = laps;
    std::this_thread::sleep_for(30ms);
    EXPECT_LE(laps - stoppedAt, 1);
    EXPECT_EQ(B_OK, probe.Resume());
    EXPECT_FALSE(probe.IsSuspended());
    ASSERT_TRUE(eventually([&] { return laps > stoppedAt + 1; }));
    probe.Terminate();
    EXPECT_EQ(B_OK, probe.Wait(nullptr));
}

TEST(Thread, ACopyIsANewSuspendedThreadWithTheOriginalsNameAndPriority)
{
    Watchdog watchdog;
    TProbe original([](TProbe&) { return B_OK; });
    EXPECT_EQ(B_NORMAL_PRIORITY, original.SetPriority(B_DISPLAY_PRIORITY));
    EXPECT_EQ(B_OK, original.SetName("Renamed"));

    TProbe copy(original);
    ASSERT_GT(copy.ThreadID(), 0);
    EXPECT_NE(original.ThreadID(), copy.ThreadID());
    thread_info info;
    ASSERT_EQ(B_OK, get_thread_info(copy.ThreadID(), &info));
    EXPECT_STREQ("Renamed", info.name);
    EXPECT_EQ(B_DISPLAY_PRIORITY, info.priority);
    EXPECT_TRUE(copy.IsSuspended());

    copy.Resume();
    status_t exitValue = -1;
    EXPECT_EQ(B_OK, copy.Wait(&exitValue));
    EXPECT_EQ(B_OK, exitValue);
    EXPECT_TRUE(copy.fStarted);
    EXPECT_FALSE(original.fStarted);
}

} // namespace
