// Threads owned by objects, on real kernel-kit threads, and the spy on real loopers. Every
// wait is bounded by a watchdog that fails the test rather than letting it hang.

#include "RecordingHandler.h"
#include "Watchdog.h"
#include "util/SpyFilter.h"
#include "util/Thread.h"

#include <Messenger.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

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

// Only a kill ends its body: snooze then answers B_INTERRUPTED. The body touches nothing of
// the object, whose own parts are gone by the time TThread's destructor waits for it.
class TSleeper : public TThread {
public:
    TSleeper() : TThread("Sleeper", B_NORMAL_PRIORITY) {}
    status_t Execute() override
    {
        sStarted = true;
        while (snooze(1000) == B_OK) {
        }
        sLeft = true;
        return B_OK;
    }

    static inline std::atomic<bool> sStarted{false};
    static inline std::atomic<bool> sLeft{false};
};

TEST(Thread, DestroyingARunningThreadWaitsForItsBodyToLeave)
{
    Watchdog watchdog;
    auto* sleeper = new TSleeper;
    sleeper->Resume();
    ASSERT_TRUE(eventually([] { return TSleeper::sStarted.load(); }));
    delete sleeper;
    EXPECT_TRUE(TSleeper::sLeft);
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

    // Without a place for the exit value, Wait still waits.
    copy.Resume();
    EXPECT_EQ(B_OK, copy.Wait(nullptr));
    EXPECT_TRUE(copy.fStarted);
    EXPECT_FALSE(original.fStarted);
}

// #pragma mark - the spy

// A window with a handler and a spy for '_BLC', and a watcher that receives the spy's copies.
class Spy : public testing::Test {
protected:
    void SetUp() override
    {
        fWatcher->AddHandler(&fWatcherHandler);
        fWatcher.Run();
        fWindow->AddHandler(&fWindowHandler);
        fWindow->AddCommonFilter(new TSpyFilter('_BLC', BMessenger(&fWatcherHandler)));
        fWindow.Run();
    }

    void Post(BMessage message)
    {
        ASSERT_EQ(B_OK, fWindow->PostMessage(&message, &fWindowHandler));
    }

    static BMessage Numbered(uint32 what, int32 number)
    {
        BMessage message(what);
        message.AddInt32("n", number);
        return message;
    }
    static int32 NumberOf(const BMessage& message)
    {
        int32 number = -1;
        message.FindInt32("n", &number);
        return number;
    }

    Watchdog fWatchdog;
    MessageLog fLog;
    RecordingHandler fWindowHandler{"window", &fLog};
    RecordingHandler fWatcherHandler{"watcher", &fLog};
    // Quit before the handlers go, the window first: its spy sends to the watcher.
    RunningLooper fWatcher{"watcher"};
    RunningLooper fWindow{"window"};
};

TEST_F(Spy, ASpiedMessageReachesItsHandlerAndAMarkedCopyReachesTheTarget)
{
    Post(Numbered('_BLC', 1));
    ASSERT_TRUE(fLog.WaitFor(2));
    int windowCount = 0, watcherCount = 0;
    for (const auto& [receiver, message] : fLog.Entries()) {
        EXPECT_EQ((uint32)'_BLC', message.what);
        EXPECT_EQ(1, NumberOf(message));
        bool marker = false;
        if (receiver == "window") {
            windowCount++;
            EXPECT_FALSE(message.HasData(kSpySendFlagField, B_ANY_TYPE));
        } else {
            watcherCount++;
            EXPECT_EQ(B_OK, message.FindBool(kSpySendFlagField, &marker));
            EXPECT_TRUE(marker);
        }
    }
    EXPECT_EQ(1, windowCount);
    EXPECT_EQ(1, watcherCount);
}

TEST_F(Spy, MarkedMessagesAndOtherCommandsAreNotCopied)
{
    BMessage marked = Numbered('_BLC', 1);
    marked.AddBool(kSpySendFlagField, true);
    Post(marked);
    Post(Numbered('_ipc', 2));
    // A marker of another type does not count, and the copy gets a real one.
    BMessage oddlyMarked = Numbered('_BLC', 3);
    oddlyMarked.AddInt32(kSpySendFlagField, 1);
    Post(oddlyMarked);

    // The window handles all three; the last one's copy, sent after any copies of the others,
    // is the only thing the watcher gets.
    ASSERT_TRUE(fLog.WaitFor(4));
    std::vector<int32> window, watcher;
    for (const auto& [receiver, message] : fLog.Entries())
        (receiver == "window" ? window : watcher).push_back(NumberOf(message));
    EXPECT_EQ((std::vector<int32>{1, 2, 3}), window);
    ASSERT_EQ(std::vector<int32>{3}, watcher);
    bool marker = false;
    for (const auto& [receiver, message] : fLog.Entries()) {
        if (receiver == "watcher") {
            EXPECT_EQ(B_OK, message.FindBool(kSpySendFlagField, &marker));
        }
    }
    EXPECT_TRUE(marker);
}

} // namespace
