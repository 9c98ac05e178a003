// Threads: start at the first resume, exit values, exit hooks, names, priorities, states,
// cooperative suspension and killing. Every wait has a watchdog.

#include <OS.h>

#include "Watchdog.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr bigtime_t kWatchdog = 10000000;

thread_state stateOf(thread_id thread)
{
    thread_info info;
    return get_thread_info(thread, &info) == B_OK ? info.state : static_cast<thread_state>(0);
}

TEST(Threads, ASpawnedThreadRunsOnlyOnceResumed)
{
    static std::atomic<bool> ran;
    ran = false;
    thread_id thread = spawn_thread(
        [](void*) -> int32 {
            ran = true;
            return 42;
        },
        "late starter", B_NORMAL_PRIORITY, nullptr);
    ASSERT_GT(thread, 0);
    snooze(50000);
    EXPECT_FALSE(ran);
    EXPECT_EQ(B_THREAD_SUSPENDED, stateOf(thread));
    EXPECT_EQ(B_OK, resume_thread(thread));
    status_t exitValue = 0;
    EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue));
    EXPECT_TRUE(ran);
    EXPECT_EQ(42, exitValue);
    EXPECT_EQ(B_BAD_THREAD_ID, wait_for_thread(thread, &exitValue)) << "collected once";
    thread_info info;
    EXPECT_EQ(B_BAD_THREAD_ID, get_thread_info(thread, &info)) << "an ended thread is gone";
    EXPECT_EQ(B_BAD_THREAD_ID, resume_thread(thread));
}

TEST(Threads, WaitingForANeverResumedThreadStartsIt)
{
    int value = 5;
    thread_id thread = spawn_thread(
        [](void* data) -> int32 { return *static_cast<int*>(data) * 2; }, "waited", 1, &value);
    status_t exitValue = 0;
    EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue));
    EXPECT_EQ(10, exitValue);
}

TEST(Threads, BadCallsAreRefused)
{
    EXPECT_EQ(B_BAD_VALUE, spawn_thread(nullptr, "none", B_NORMAL_PRIORITY, nullptr));
    EXPECT_EQ(B_BAD_THREAD_ID, resume_thread(-3));
    EXPECT_EQ(B_BAD_THREAD_ID, suspend_thread(123456789));
    EXPECT_EQ(B_BAD_THREAD_ID, kill_thread(0));
    EXPECT_EQ(B_BAD_THREAD_ID, wait_for_thread(123456789, nullptr));
    EXPECT_EQ(B_NOT_ALLOWED, wait_for_thread(find_thread(nullptr), nullptr));
    EXPECT_EQ(B_BAD_VALUE, on_exit_thread(nullptr, nullptr));
    EXPECT_EQ(B_BAD_VALUE, rename_thread(find_thread(nullptr), nullptr));

    thread_id running = spawn_thread([](void*) -> int32 { return snooze(100000); }, "running",
                                     B_NORMAL_PRIORITY, nullptr);
    EXPECT_EQ(B_OK, resume_thread(running));
    EXPECT_EQ(B_BAD_THREAD_STATE, resume_thread(running)) << "it is not suspended";
    EXPECT_EQ(B_OK, wait_for_thread(running, nullptr));
}

std::vector<int>* sHookOrder;
std::atomic<thread_id> sHookThread;

TEST(Threads, ExitHooksRunNewestFirstOnTheThread)
{
    std::vector<int> order;
    sHookOrder = &order;
    thread_id thread = spawn_thread(
        [](void*) -> int32 {
            for (intptr_t i = 1; i <= 3; i++) {
                on_exit_thread(
                    [](void* data) {
                        sHookOrder->push_back(static_cast<int>(reinterpret_cast<intptr_t>(data)));
                        sHookThread = find_thread(nullptr);
                    },
                    reinterpret_cast<void*>(i));
            }
            return 0;
        },
        "hooked", B_NORMAL_PRIORITY, nullptr);
    resume_thread(thread);
    EXPECT_EQ(B_OK, wait_for_thread(thread, nullptr));
    EXPECT_EQ((std::vector<int>{3, 2, 1}), order) << "all have run when the wait ends";
    EXPECT_EQ(thread, sHookThread.load());
}

struct Unwound {
    std::atomic<bool>* flag;
    ~Unwound() { *flag = true; }
};

TEST(Threads, ExitThreadUnwindsRunsHooksAndReportsItsStatus)
{
    static std::atomic<bool> unwound;
    static std::atomic<bool> hooked;
    static std::atomic<bool> pastExit;
    unwound = hooked = pastExit = false;
    thread_id thread = spawn_thread(
        [](void*) -> int32 {
            on_exit_thread([](void*) { hooked = true; }, nullptr);
            Unwound guard{&unwound};
            exit_thread(-77);
            pastExit = true;
            return 0;
        },
        "leaver", B_NORMAL_PRIORITY, nullptr);
    status_t exitValue = 0;
    EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue));
    EXPECT_EQ(-77, exitValue);
    EXPECT_TRUE(unwound);
    EXPECT_TRUE(hooked);
    EXPECT_FALSE(pastExit);
}

TEST(Threads, InfoTellsNamePriorityAndState)
{
    static port_id port;
    port = create_port(1, nullptr);
    thread_id thread = spawn_thread(
        [](void*) -> int32 {
            snooze(200000);
            int32 code;
            return static_cast<int32>(read_port(port, &code, nullptr, 0));
        },
        "informer", 500, nullptr);
    thread_info info;
    ASSERT_EQ(B_OK, get_thread_info(thread, &info));
    EXPECT_EQ(thread, info.thread);
    EXPECT_EQ(getpid(), info.team);
    EXPECT_STREQ("informer", info.name);
    EXPECT_EQ(B_REAL_TIME_PRIORITY, info.priority) << "clamped";
    EXPECT_EQ(B_THREAD_SUSPENDED, info.state);

    EXPECT_EQ(B_REAL_TIME_PRIORITY, set_thread_priority(thread, B_LOW_PRIORITY));
    EXPECT_EQ(B_LOW_PRIORITY, set_thread_priority(thread, B_DISPLAY_PRIORITY));
    ASSERT_EQ(B_OK, get_thread_info(thread, &info));
    EXPECT_EQ(B_DISPLAY_PRIORITY, info.priority);

    resume_thread(thread);
    EXPECT_TRUE(eventually([&] { return stateOf(thread) == B_THREAD_ASLEEP; }));
    EXPECT_TRUE(eventually([&] { return stateOf(thread) == B_THREAD_RECEIVING; }));
    write_port(port, 1, nullptr, 0);
    status_t exitValue = -1;
    EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue));
    EXPECT_EQ(0, exitValue);
    EXPECT_EQ(B_BAD_THREAD_ID, get_thread_info(thread, &info)) << "an ended thread is gone";
    delete_port(port);
}

TEST(Threads, RenameKeepsTheWholeNameAndGivesTheSystemFifteenBytes)
{
    static std::atomic<bool> renamed;
    static char systemName[32];
    renamed = false;
    thread_id thread = spawn_thread(
        [](void*) -> int32 {
            while (!renamed)
                snooze(1000);
            pthread_getname_np(pthread_self(), systemName, sizeof systemName);
            return 0;
        },
        "short", B_NORMAL_PRIORITY, nullptr);
    const char* longName = "a name longer than fifteen bytes, even than thirty-one";
    EXPECT_EQ(B_OK, rename_thread(thread, longName));
    thread_info info;
    ASSERT_EQ(B_OK, get_thread_info(thread, &info));
    EXPECT_EQ(std::string(longName, B_OS_NAME_LENGTH - 1), info.name);
    EXPECT_EQ(thread, find_thread(info.name));
    EXPECT_EQ(B_NAME_NOT_FOUND, find_thread("short"));
    resume_thread(thread);
    renamed = true;
    EXPECT_EQ(B_OK, wait_for_thread(thread, nullptr));
    EXPECT_STREQ("a name longer t", systemName);

    // A cut never splits a character: 'é' is two bytes and would straddle byte 31.
    std::string accented = std::string(30, 'x') + "\xC3\xA9";
    thread_id other = spawn_thread([](void*) -> int32 { return 0; }, accented.c_str(),
                                   B_NORMAL_PRIORITY, nullptr);
    ASSERT_EQ(B_OK, get_thread_info(other, &info));
    EXPECT_EQ(std::string(30, 'x'), info.name);
    kill_thread(other);
}

TEST(Threads, EveryThreadHasAnIdOfItsOwn)
{
    thread_id mine = find_thread(nullptr);
    EXPECT_GT(mine, 0);
    EXPECT_EQ(mine, find_thread(nullptr));
    thread_info info;
    EXPECT_EQ(B_OK, get_thread_info(mine, &info)) << "the main thread is known once it asked";
    EXPECT_EQ(B_THREAD_RUNNING, info.state);

    thread_id other = 0;
    std::thread foreign([&] { other = find_thread(nullptr); });
    foreign.join();
    EXPECT_GT(other, 0);
    EXPECT_NE(mine, other);
    EXPECT_EQ(B_BAD_THREAD_ID, get_thread_info(other, &info)) << "gone with its thread";
    EXPECT_EQ(B_NAME_NOT_FOUND, find_thread("no thread has this name"));
}

TEST(Threads, SnoozeSleepsOnTheSystemClock)
{
    bigtime_t before = system_time();
    EXPECT_GT(before, 0);
    EXPECT_EQ(B_OK, snooze(20000));
    bigtime_t slept = system_time() - before;
    EXPECT_GE(slept, 20000);
    EXPECT_LT(slept, kWatchdog);
    EXPECT_EQ(B_OK, snooze(0));
    EXPECT_EQ(B_OK, snooze(-5));
    EXPECT_GE(system_time(), before + slept);
}

TEST(Threads, ASuspendedThreadStopsAtItsNextSnooze)
{
    static std::atomic<int> laps;
    static std::atomic<bool> stop;
    laps = 0;
    stop = false;
    thread_id thread = spawn_thread(
        [](void*) -> int32 {
            while (!stop) {
                laps++;
                snooze(1000);
            }
            return 0;
        },
        "lapper", B_NORMAL_PRIORITY, nullptr);
    resume_thread(thread);
    ASSERT_TRUE(eventually([] { return laps > 3; }));
    EXPECT_EQ(B_OK, suspend_thread(thread));
    EXPECT_EQ(B_THREAD_SUSPENDED, stateOf(thread));
    snooze(20000); // the lap in progress ends at its snooze
    int stoppedAt = laps;
    snooze(50000);
    EXPECT_EQ(stoppedAt, laps.load());
    EXPECT_EQ(B_OK, resume_thread(thread));
    EXPECT_TRUE(eventually([&] { return laps > stoppedAt + 3; }));
    stop = true;
    EXPECT_EQ(B_OK, wait_for_thread(thread, nullptr));
}

TEST(Threads, AThreadThatSuspendsItselfWaitsForItsResume)
{
    static std::atomic<int> step;
    step = 0;
    thread_id thread = spawn_thread(
        [](void*) -> int32 {
            step = 1;
            suspend_thread(find_thread(nullptr));
            step = 2;
            return 0;
        },
        "sleeper", B_NORMAL_PRIORITY, nullptr);
    resume_thread(thread);
    ASSERT_TRUE(eventually([&] { return step == 1 && stateOf(thread) == B_THREAD_SUSPENDED; }));
    snooze(20000);
    EXPECT_EQ(1, step.load());
    EXPECT_EQ(B_OK, resume_thread(thread));
    EXPECT_EQ(B_OK, wait_for_thread(thread, nullptr));
    EXPECT_EQ(2, step.load());
}

TEST(Threads, KillingANeverResumedThreadDiscardsIt)
{
    static std::atomic<bool> ran;
    ran = false;
    thread_id thread = spawn_thread(
        [](void*) -> int32 {
            ran = true;
            return 0;
        },
        "discarded", B_NORMAL_PRIORITY, nullptr);
    EXPECT_EQ(B_OK, kill_thread(thread));
    thread_info info;
    EXPECT_EQ(B_BAD_THREAD_ID, get_thread_info(thread, &info));
    EXPECT_EQ(B_BAD_THREAD_ID, resume_thread(thread));
    status_t exitValue = 0;
    EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue));
    EXPECT_EQ(B_INTERRUPTED, exitValue);
    snooze(20000);
    EXPECT_FALSE(ran);
}

TEST(Threads, KillingARunningThreadInterruptsItsWaitsAndRunsItsHooks)
{
    static port_id port;
    static std::atomic<status_t> readResult;
    static std::atomic<status_t> snoozeResult;
    static std::atomic<bool> hooked;
    port = create_port(1, nullptr);
    readResult = snoozeResult = 1;
    hooked = false;
    thread_id thread = spawn_thread(
        [](void*) -> int32 {
            on_exit_thread([](void*) { hooked = true; }, nullptr);
            readResult = static_cast<status_t>(read_port(port, nullptr, nullptr, 0));
            snoozeResult = snooze(kWatchdog);
            return 0;
        },
        "victim", B_NORMAL_PRIORITY, nullptr);
    resume_thread(thread);
    ASSERT_TRUE(eventually([&] { return stateOf(thread) == B_THREAD_RECEIVING; }));
    EXPECT_EQ(B_OK, kill_thread(thread));
    status_t exitValue = 0;
    bigtime_t before = system_time();
    EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue));
    EXPECT_LT(system_time() - before, kWatchdog / 2) << "the snooze after the kill is cut short";
    EXPECT_EQ(B_INTERRUPTED, exitValue);
    EXPECT_EQ(B_INTERRUPTED, readResult.load());
    EXPECT_EQ(B_INTERRUPTED, snoozeResult.load());
    EXPECT_TRUE(hooked);
    delete_port(port);
}

TEST(Threads, KillingASuspendedOrWaitingThreadWakesIt)
{
    thread_id sleeper = spawn_thread(
        [](void*) -> int32 { return suspend_thread(find_thread(nullptr)) == B_OK ? 1 : 2; },
        "suspended victim", B_NORMAL_PRIORITY, nullptr);
    thread_id blocker = spawn_thread([](void*) -> int32 { return snooze(kWatchdog); }, "blocker",
                                     B_NORMAL_PRIORITY, nullptr);
    static thread_id sBlocker;
    sBlocker = blocker;
    thread_id waiter =
        spawn_thread([](void*) -> int32 { return wait_for_thread(sBlocker, nullptr); }, "waiter",
                     B_NORMAL_PRIORITY, nullptr);
    resume_thread(sleeper);
    resume_thread(blocker);
    resume_thread(waiter);
    ASSERT_TRUE(eventually([&] { return stateOf(sleeper) == B_THREAD_SUSPENDED; }));
    ASSERT_TRUE(eventually([&] { return stateOf(waiter) == B_THREAD_WAITING; }));
    ASSERT_TRUE(eventually([&] { return stateOf(blocker) == B_THREAD_ASLEEP; }));
    EXPECT_EQ(B_OK, kill_thread(sleeper));
    EXPECT_EQ(B_OK, kill_thread(waiter));
    status_t exitValue = 0;
    EXPECT_EQ(B_OK, wait_for_thread(sleeper, &exitValue));
    EXPECT_EQ(B_INTERRUPTED, exitValue);
    EXPECT_EQ(B_OK, wait_for_thread(waiter, &exitValue));
    EXPECT_EQ(B_INTERRUPTED, exitValue);
    EXPECT_EQ(B_THREAD_ASLEEP, stateOf(blocker)) << "the waited-for thread is not disturbed";
    kill_thread(blocker);
    EXPECT_EQ(B_OK, wait_for_thread(blocker, nullptr));
}

TEST(Threads, AThreadThatKillsItselfLeavesAtOnce)
{
    static std::atomic<bool> pastKill;
    pastKill = false;
    thread_id thread = spawn_thread(
        [](void*) -> int32 {
            kill_thread(find_thread(nullptr));
            pastKill = true;
            return 0;
        },
        "self-killer", B_NORMAL_PRIORITY, nullptr);
    status_t exitValue = 0;
    EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue));
    EXPECT_EQ(B_INTERRUPTED, exitValue);
    EXPECT_FALSE(pastKill);
}

TEST(Threads, ManyThreadsAtOnce)
{
    constexpr int kThreads = 48;
    static std::atomic<int> hooksRun;
    hooksRun = 0;
    std::vector<thread_id> spawned;
    for (int i = 0; i < kThreads; i++) {
        std::string name = "worker " + std::to_string(i);
        spawned.push_back(spawn_thread(
            [](void* data) -> int32 {
                int index = static_cast<int>(reinterpret_cast<intptr_t>(data));
                on_exit_thread([](void*) { hooksRun++; }, nullptr);
                std::string renamed = "renamed " + std::to_string(index);
                rename_thread(find_thread(nullptr), renamed.c_str());
                for (int lap = 0; lap < 20; lap++) {
                    thread_info info;
                    get_thread_info(find_thread(nullptr), &info);
                    snooze(100);
                }
                return index;
            },
            name.c_str(), B_NORMAL_PRIORITY, reinterpret_cast<void*>(static_cast<intptr_t>(i))));
        ASSERT_GT(spawned.back(), 0);
    }
    for (thread_id thread : spawned)
        resume_thread(thread);
    // Others look at the threads while they run.
    std::thread watcher([&] {
        for (int lap = 0; lap < 50; lap++) {
            for (thread_id thread : spawned) {
                thread_info info;
                get_thread_info(thread, &info);
                set_thread_priority(thread, B_NORMAL_PRIORITY + lap % 3);
            }
            find_thread("renamed 7");
        }
    });
    for (int i = 0; i < kThreads; i++) {
        status_t exitValue = -1;
        EXPECT_EQ(B_OK, wait_for_thread(spawned[i], &exitValue));
        EXPECT_EQ(i, exitValue);
    }
    watcher.join();
    EXPECT_EQ(kThreads, hooksRun.load());
}

} // namespace
