// Threads: start at the first resume, exit values, exit hooks, names, priorities, states,
// cooperative suspension and killing. Every wait has a watchdog.

#include "HelperProcess.h"
#include "Watchdog.h"

#include <OS.h>

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

thread_state stateOf(thread_id thread)
{
    thread_info info;
    return get_thread_info(thread, &info) == B_OK ? info.state : static_cast<thread_state>(0);
}

// Spawns a suspended thread that runs body. The bodies stay for the program's life: a thread
// killed before it ran never gets to run (or free) its own.
thread_id spawn(std::function<int32()> body, const char* name = "worker",
                int32 priority = B_NORMAL_PRIORITY)
{
    static std::deque<std::function<int32()>> bodies;
    bodies.push_back(std::move(body));
    return spawn_thread(
        [](void* data) -> int32 { return (*static_cast<std::function<int32()>*>(data))(); }, name,
        priority, &bodies.back());
}

// A thread ends with its function's value, collected once; waiting for a thread that was
// never resumed starts it.
TEST(Threads, AnEndedThreadsValueIsCollectedOnceAndWaitingStartsIt)
{
    thread_id thread = spawn([] { return 42; });
    ASSERT_GT(thread, 0);
    EXPECT_EQ(B_OK, resume_thread(thread));
    status_t exitValue = 0;
    EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue));
    EXPECT_EQ(42, exitValue);
    EXPECT_EQ(B_BAD_THREAD_ID, wait_for_thread(thread, &exitValue)) << "collected once";
    thread_info info;
    EXPECT_EQ(B_BAD_THREAD_ID, get_thread_info(thread, &info)) << "an ended thread is gone";

    EXPECT_EQ(B_OK, wait_for_thread(spawn([] { return 10; }), &exitValue)) << "never resumed";
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

    thread_id running = spawn([] { return snooze(100000); });
    EXPECT_EQ(B_OK, resume_thread(running));
    EXPECT_EQ(B_BAD_THREAD_STATE, resume_thread(running)) << "it is not suspended";
    EXPECT_EQ(B_OK, wait_for_thread(running, nullptr));
}

struct Unwound {
    std::atomic<bool>& flag;
    ~Unwound() { flag = true; }
};

TEST(Threads, ExitThreadUnwindsAndRunsTheHooksNewestFirstOnTheThread)
{
    static std::vector<int> order;
    static std::atomic<thread_id> hookThread;
    std::atomic<bool> unwound = false;
    thread_id thread = spawn([&] {
        for (intptr_t i = 1; i <= 3; i++) {
            on_exit_thread(
                [](void* data) {
                    order.push_back(static_cast<int>(reinterpret_cast<intptr_t>(data)));
                    hookThread = find_thread(nullptr);
                },
                reinterpret_cast<void*>(i));
        }
        Unwound guard{unwound};
        exit_thread(-77);
        return 0;
    });
    status_t exitValue = 0;
    EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue));
    EXPECT_EQ(-77, exitValue);
    EXPECT_EQ((std::vector<int>{3, 2, 1}), order) << "all have run when the wait ends";
    EXPECT_EQ(thread, hookThread.load());
    EXPECT_TRUE(unwound);
}

TEST(Threads, InfoTellsNamePriorityAndStateAndARenameKeepsTheWholeName)
{
    port_id port = create_port(1, nullptr);
    char systemName[32] = {};
    thread_id thread = spawn(
        [port, &systemName] {
            snooze(200000);
            int32 code;
            ssize_t read = read_port(port, &code, nullptr, 0);
            pthread_getname_np(pthread_self(), systemName, sizeof systemName);
            return static_cast<int32>(read);
        },
        "informer", 500);
    thread_info info;
    ASSERT_EQ(B_OK, get_thread_info(thread, &info));
    EXPECT_EQ(thread, info.thread);
    EXPECT_EQ(getpid(), info.team);
    EXPECT_STREQ("informer", info.name);
    EXPECT_EQ(B_REAL_TIME_PRIORITY, info.priority) << "clamped";
    EXPECT_EQ(B_THREAD_SUSPENDED, info.state);

    EXPECT_EQ(B_REAL_TIME_PRIORITY, set_thread_priority(thread, B_LOW_PRIORITY));
    EXPECT_EQ(B_LOW_PRIORITY, set_thread_priority(thread, B_DISPLAY_PRIORITY));
    // The kit keeps the whole name; the system gets fifteen bytes of it.
    const char* longName = "a name longer than fifteen bytes, even than thirty-one";
    EXPECT_EQ(B_OK, rename_thread(thread, longName));
    ASSERT_EQ(B_OK, get_thread_info(thread, &info));
    EXPECT_EQ(B_DISPLAY_PRIORITY, info.priority);
    EXPECT_EQ(std::string(longName, B_OS_NAME_LENGTH - 1), info.name);
    EXPECT_EQ(thread, find_thread(info.name));
    EXPECT_EQ(B_NAME_NOT_FOUND, find_thread("informer"));

    resume_thread(thread);
    EXPECT_TRUE(eventually([&] { return stateOf(thread) == B_THREAD_ASLEEP; }));
    EXPECT_TRUE(eventually([&] { return stateOf(thread) == B_THREAD_RECEIVING; }));
    write_port(port, 1, nullptr, 0);
    status_t exitValue = -1;
    EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue));
    EXPECT_EQ(0, exitValue);
    EXPECT_STREQ("a name longer t", systemName);
    delete_port(port);

    // A cut never splits a character: 'é' is two bytes and would straddle byte 31.
    std::string accented = std::string(30, 'x') + "\xC3\xA9";
    thread_id other = spawn([] { return 0; }, accented.c_str());
    ASSERT_EQ(B_OK, get_thread_info(other, &info));
    EXPECT_EQ(std::string(30, 'x'), info.name);
    kill_thread(other);
}

// A thread the kit did not spawn gets an id of its own once it asks, gone with the thread.
TEST(Threads, AThreadTheKitDidNotSpawnHasAnIdUntilItEnds)
{
    thread_id mine = find_thread(nullptr);
    EXPECT_EQ(mine, find_thread(nullptr));
    thread_id other = 0;
    std::thread foreign([&] { other = find_thread(nullptr); });
    foreign.join();
    EXPECT_GT(other, 0);
    EXPECT_NE(mine, other);
    thread_info info;
    EXPECT_EQ(B_BAD_THREAD_ID, get_thread_info(other, &info)) << "gone with its thread";
}

TEST(Threads, SuspensionStopsAnotherThreadAtItsSnoozeAndItselfAtOnce)
{
    std::atomic<int> laps = 0, step = 0;
    std::atomic<bool> stop = false;
    thread_id lapper = spawn([&] {
        while (!stop) {
            laps++;
            snooze(1000);
        }
        return 0;
    });
    resume_thread(lapper);
    ASSERT_TRUE(eventually([&] { return laps > 3; }));
    EXPECT_EQ(B_OK, suspend_thread(lapper));
    EXPECT_EQ(B_THREAD_SUSPENDED, stateOf(lapper));
    snooze(20000); // the lap in progress ends at its snooze
    int stoppedAt = laps;
    snooze(50000);
    EXPECT_EQ(stoppedAt, laps.load());
    EXPECT_EQ(B_OK, resume_thread(lapper));
    EXPECT_TRUE(eventually([&] { return laps > stoppedAt + 3; }));
    stop = true;
    EXPECT_EQ(B_OK, wait_for_thread(lapper, nullptr));

    thread_id sleeper = spawn([&] {
        step = 1;
        suspend_thread(find_thread(nullptr));
        step = 2;
        return 0;
    });
    resume_thread(sleeper);
    ASSERT_TRUE(eventually([&] { return step == 1 && stateOf(sleeper) == B_THREAD_SUSPENDED; }));
    snooze(20000);
    EXPECT_EQ(1, step.load());
    EXPECT_EQ(B_OK, resume_thread(sleeper));
    EXPECT_EQ(B_OK, wait_for_thread(sleeper, nullptr));
    EXPECT_EQ(2, step.load());
}

// Never resumed, killing itself, receiving, suspended or waiting for another thread: a killed
// thread ends at once with B_INTERRUPTED, its waits interrupted and its hooks run.
TEST(Threads, AKilledThreadEndsAtOnceWhereverItIs)
{
    port_id port = create_port(1, nullptr);
    std::atomic<bool> ran = false, pastKill = false, hooked = false;
    std::atomic<status_t> readResult = 1, snoozeResult = 1;
    thread_id blocker = spawn([] { return snooze(kWatchdog); });
    resume_thread(blocker);
    ASSERT_TRUE(eventually([&] { return stateOf(blocker) == B_THREAD_ASLEEP; }));
    const struct {
        const char* what;
        std::function<int32()> body;
        thread_state killedIn; // 0: killed before its resume; B_THREAD_RUNNING: by itself
    } cases[] = {
        {"never resumed",
         [&] {
             ran = true;
             return 0;
         },
         static_cast<thread_state>(0)},
        {"itself",
         [&] {
             kill_thread(find_thread(nullptr));
             pastKill = true;
             return 0;
         },
         B_THREAD_RUNNING},
        {"receiving",
         [&] {
             on_exit_thread([](void* flag) { *static_cast<std::atomic<bool>*>(flag) = true; },
                            &hooked);
             readResult = static_cast<status_t>(read_port(port, nullptr, nullptr, 0));
             snoozeResult = snooze(kWatchdog);
             return 0;
         },
         B_THREAD_RECEIVING},
        {"suspended", [] { return suspend_thread(find_thread(nullptr)) == B_OK ? 1 : 2; },
         B_THREAD_SUSPENDED},
        {"waiting", [&] { return wait_for_thread(blocker, nullptr); }, B_THREAD_WAITING},
    };
    for (const auto& each : cases) {
        thread_id thread = spawn(each.body);
        if (each.killedIn == 0) {
            EXPECT_EQ(B_OK, kill_thread(thread)) << each.what;
            thread_info info;
            EXPECT_EQ(B_BAD_THREAD_ID, get_thread_info(thread, &info)) << each.what;
            EXPECT_EQ(B_BAD_THREAD_ID, resume_thread(thread)) << each.what;
        } else {
            resume_thread(thread);
        }
        if (each.killedIn != 0 && each.killedIn != B_THREAD_RUNNING) {
            ASSERT_TRUE(eventually([&] { return stateOf(thread) == each.killedIn; })) << each.what;
            EXPECT_EQ(B_OK, kill_thread(thread)) << each.what;
        }
        status_t exitValue = 0;
        bigtime_t before = system_time();
        EXPECT_EQ(B_OK, wait_for_thread(thread, &exitValue)) << each.what;
        EXPECT_EQ(B_INTERRUPTED, exitValue) << each.what;
        EXPECT_LT(system_time() - before, kWatchdog / 2) << each.what << ": no wait sat out";
    }
    snooze(20000);
    EXPECT_FALSE(ran) << "a thread killed before its resume never runs";
    EXPECT_FALSE(pastKill);
    EXPECT_EQ(B_INTERRUPTED, readResult.load());
    EXPECT_EQ(B_INTERRUPTED, snoozeResult.load()) << "and so is every wait after the kill";
    EXPECT_TRUE(hooked);
    EXPECT_EQ(B_THREAD_ASLEEP, stateOf(blocker)) << "the waited-for thread is not disturbed";
    kill_thread(blocker);
    EXPECT_EQ(B_OK, wait_for_thread(blocker, nullptr));
    delete_port(port);
}

TEST(Threads, ManyThreadsAtOnce)
{
    constexpr int kThreads = 48;
    static std::atomic<int> hooksRun;
    hooksRun = 0;
    std::vector<thread_id> spawned;
    for (int i = 0; i < kThreads; i++) {
        std::string name = "worker " + std::to_string(i);
        spawned.push_back(spawn(
            [i] {
                on_exit_thread([](void*) { hooksRun++; }, nullptr);
                std::string renamed = "renamed " + std::to_string(i);
                rename_thread(find_thread(nullptr), renamed.c_str());
                for (int lap = 0; lap < 20; lap++) {
                    thread_info info;
                    get_thread_info(find_thread(nullptr), &info);
                    snooze(100);
                }
                return i;
            },
            name.c_str()));
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
