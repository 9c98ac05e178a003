// Threads owned by objects, on real kernel-kit threads, and the spy on real loopers. Every
// wait is bounded by a watchdog that fails the test rather than letting it hang.

#include "MessageFields.h"
#include "RecordingHandler.h"
#include "Watchdog.h"
#include "util/SpyFilter.h"
#include "util/Thread.h"

#include <Messenger.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

namespace {

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

    status_t Execute() override { return fBody(*this); }

    bool TerminateRequested() const { return IsTerminateRequested(); }

private:
    std::function<status_t(TProbe&)> fBody;
    std::atomic<thread_id>* fDestroyedOn = nullptr;
};

TEST(Thread, RunsSuspendsAndResumesThenGivesItsExitValueOnceTheBodyHasSeenTerminate)
{
    Watchdog watchdog;
    std::atomic<int> laps{0};
    TProbe probe([&](TProbe& self) {
        while (!self.TerminateRequested()) {
            laps++;
            snooze(1000);
        }
        return (status_t)42;
    });
    ASSERT_EQ(B_OK, probe.Resume());
    ASSERT_TRUE(eventually([&] { return laps > 0; }));
    EXPECT_FALSE(probe.IsSuspended());
    EXPECT_FALSE(probe.IsTerminated());

    // That a suspended thread makes no progress is the kernel kit's to show.
    EXPECT_EQ(B_OK, probe.Suspend());
    EXPECT_TRUE(probe.IsSuspended());
    EXPECT_EQ(B_OK, probe.Resume());
    const int resumedAt = laps;
    ASSERT_TRUE(eventually([&] { return laps > resumedAt + 1; }));

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

// A new thread waits suspended; one never resumed never runs and dies with its object. A copy
// is a new suspended thread with the original's name and priority.
TEST(Thread, ANewThreadWaitsSuspendedAndACopyIsANewOneWithTheOriginalsNameAndPriority)
{
    Watchdog watchdog;
    std::atomic<int> runs{0};
    thread_id id;
    {
        TProbe original([&](TProbe&) {
            runs++;
            return B_OK;
        });
        id = original.ThreadID();
        ASSERT_GT(id, 0);
        EXPECT_TRUE(original.IsSuspended());
        EXPECT_FALSE(original.IsTerminated());
        EXPECT_EQ(B_NORMAL_PRIORITY, original.SetPriority(B_DISPLAY_PRIORITY));
        EXPECT_EQ(B_OK, original.SetName("Renamed"));

        TProbe copy(original);
        ASSERT_GT(copy.ThreadID(), 0);
        EXPECT_NE(id, copy.ThreadID());
        thread_info info;
        ASSERT_EQ(B_OK, get_thread_info(copy.ThreadID(), &info));
        EXPECT_STREQ("Renamed", info.name);
        EXPECT_EQ(B_DISPLAY_PRIORITY, info.priority);
        EXPECT_TRUE(copy.IsSuspended());

        // Without a place for the exit value, Wait still waits.
        copy.Resume();
        EXPECT_EQ(B_OK, copy.Wait(nullptr));
        EXPECT_EQ(1, runs) << "the copy ran";
    }
    thread_info info;
    EXPECT_NE(B_OK, get_thread_info(id, &info));
    EXPECT_EQ(1, runs) << "the original never ran";
}

// #pragma mark - the spy

// A window with a handler and a spy for '_BLC', and a watcher that receives the spy's copies.
// The window handles every message; the watcher gets a marked copy of each spied command that
// is not marked already (a marker of another type does not count), in order.
TEST(Spy, ASpiedMessageReachesItsHandlerAndAMarkedCopyReachesTheTarget)
{
    Watchdog watchdog;
    MessageLog log;
    RecordingHandler windowHandler{"window", &log};
    RecordingHandler watcherHandler{"watcher", &log};
    // Quit before the handlers go, the window first: its spy sends to the watcher.
    RunningLooper watcher{"watcher"};
    RunningLooper window{"window"};
    watcher->AddHandler(&watcherHandler);
    watcher.Run();
    window->AddHandler(&windowHandler);
    window->AddCommonFilter(new TSpyFilter('_BLC', BMessenger(&watcherHandler)));
    window.Run();

    // Numbered 1 to 4: plain, marked, another command, marked with an int32.
    BMessage messages[] = {BMessage('_BLC'), BMessage('_BLC'), BMessage('_ipc'), BMessage('_BLC')};
    messages[1].AddBool(kSpySendFlagField, true);
    messages[3].AddInt32(kSpySendFlagField, 1);
    for (int32 i = 0; i < 4; i++) {
        messages[i].AddInt32("n", i + 1);
        ASSERT_EQ(B_OK, window->PostMessage(&messages[i], &windowHandler));
    }

    ASSERT_TRUE(log.WaitFor(6));
    std::string windowGot, watcherGot;
    for (const auto& [receiver, message] : log.Entries()) {
        (receiver == "window" ? windowGot : watcherGot) +=
            std::to_string(int32_of(message, "n")) +
            (message.HasBool(kSpySendFlagField) ? "m " : " ");
    }
    EXPECT_EQ("1 2m 3 4 ", windowGot);
    EXPECT_EQ("1m 4m ", watcherGot);
}

} // namespace
