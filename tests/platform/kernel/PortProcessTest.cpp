// Ports between real processes: the test owns a port, helper processes (HelperProcess.h) find
// it and write to it, or own a port the test writes to.

#include "HelperProcess.h"
#include "RecordPattern.h"
#include "Watchdog.h"

#include <OS.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace {

using namespace std::chrono_literals;

// Reads the pattern's records from the port and checks each one.
void expectPatternRecords(port_id port)
{
    std::vector<uint8> buffer(400000);
    for (int32 i = 0; i < kPatternRecords; i++) {
        int32 code = -1;
        ssize_t size =
            read_port_etc(port, &code, buffer.data(), buffer.size(), B_RELATIVE_TIMEOUT, kWatchdog);
        ASSERT_GE(size, 0) << "record " << i;
        EXPECT_EQ(i, code);
        std::vector<uint8> expected = pattern_record(i);
        ASSERT_EQ(expected.size(), static_cast<size_t>(size)) << "record " << i;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin())) << "record " << i;
    }
}

TEST(PortProcesses, FullQueueBlocksTheWriterUntilTheOwnerReads)
{
    std::string name = unique_port_name("full");
    port_id port = create_port(3, name.c_str());
    ASSERT_GT(port, 0);
    HelperProcess writer({"fill", name});
    ASSERT_EQ("three", writer.Line());
    // A write returns once its record is on its way into a kept place.
    EXPECT_TRUE(eventually([&] { return port_count(port) == 3; }));
    EXPECT_EQ("timeout " + std::to_string(B_TIMED_OUT), writer.Line());
    EXPECT_EQ("nowait " + std::to_string(B_WOULD_BLOCK), writer.Line());
    ASSERT_EQ("blocking", writer.Line());
    EXPECT_FALSE(writer.Printed(300ms)) << "the fourth write must wait while the queue is full";
    EXPECT_EQ(3, port_count(port));

    EXPECT_EQ("0:x", next_record(port));
    EXPECT_EQ("written 0", writer.Line()) << "one read makes room for the fourth";
    // The writes that gave up left nothing behind.
    for (const char* expected : {"1:x", "2:x", "3:x"})
        EXPECT_EQ(expected, next_record(port));
    EXPECT_EQ(0, port_count(port));
    EXPECT_EQ(0, writer.Wait());
    delete_port(port);
}

// An owner that is killed leaves its socket behind until the name is looked up; one that exits
// removes it. A writer's handle is its own: deleting it forgets only the handle.
TEST(PortProcesses, APortIsGoneWithItsOwnerEvenAKilledOne)
{
    std::string name = unique_port_name("owner");
    HelperProcess owner({"own", name});
    ASSERT_EQ(0u, owner.Line().rfind("ready ", 0));
    port_id forgotten = find_port(name.c_str());
    ASSERT_GT(forgotten, 0);
    EXPECT_EQ(B_OK, delete_port(forgotten));
    EXPECT_EQ(B_BAD_PORT_ID, write_port(forgotten, 1, nullptr, 0));
    port_id found = find_port(name.c_str());
    EXPECT_GT(found, forgotten) << "ids are never reused";
    EXPECT_EQ(found, find_port(name.c_str())) << "the same handle while the owner lives";
    EXPECT_EQ(B_OK, write_port(found, 1, "x", 1));
    EXPECT_EQ(B_NOT_ALLOWED, read_port(found, nullptr, nullptr, 0));
    EXPECT_EQ(B_NOT_ALLOWED, port_count(found));

    owner.Signal(SIGKILL);
    EXPECT_EQ(128 + SIGKILL, owner.Wait());
    EXPECT_TRUE(port_published(name)) << "a killed owner leaves its socket behind";
    EXPECT_EQ(B_BAD_PORT_ID, write_port(found, 2, "y", 1));
    EXPECT_EQ(B_NAME_NOT_FOUND, find_port(name.c_str()));
    EXPECT_FALSE(port_published(name)) << "finding a dead owner's port removes its socket";

    // The name is free for a new owner.
    port_id mine = create_port(1, name.c_str());
    ASSERT_GT(mine, 0);
    EXPECT_TRUE(port_published(name));
    delete_port(mine);
    EXPECT_FALSE(port_published(name));

    HelperProcess leaving({"own", name, "exit"});
    ASSERT_EQ(0u, leaving.Line().rfind("ready ", 0));
    EXPECT_EQ(0, leaving.Wait());
    EXPECT_FALSE(port_published(name)) << "an owner that exits removes its socket";
    EXPECT_EQ(B_NAME_NOT_FOUND, find_port(name.c_str()));
}

TEST(PortProcesses, AnotherUserIsRefused)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "changing to another user needs root";
    std::string name = unique_port_name("other");
    port_id port = create_port(4, name.c_str());
    ASSERT_GT(port, 0);
    HelperProcess stranger({"other-user", name});
    EXPECT_EQ("folder denied", stranger.Line());
    // Without CAP_DAC_OVERRIDE nothing of another user reaches the socket at all.
    std::string peer = stranger.Line();
    EXPECT_TRUE(peer == "no capability" || peer == "peer closed")
        << peer << ": the owner drops a connection of another user";
    EXPECT_EQ(0, stranger.Wait());
    EXPECT_EQ(0, port_count(port));
    HelperProcess writer({"write-hundred", name}); // the port still serves its own user
    expectPatternRecords(port);
    EXPECT_EQ("done", writer.Line());
    delete_port(port);
}

// The assembler's tests (PortWireTest.cpp) tell every kind of broken traffic apart; the owner
// drops them all alike. These are the ways a writer holding a place can break: a record the
// assembler refuses, a packet too large to read whole, and a writer that dies in between.
TEST(PortProcesses, MisbehavingWritersAreDroppedWhileOthersGoOn)
{
    std::string name = unique_port_name("untrusted");
    port_id port = create_port(4, name.c_str());
    ASSERT_GT(port, 0);
    HelperProcess writer({"write-hundred", name});
    std::thread reader([port] { expectPatternRecords(port); });

    for (const char* kind : {"oversize", "huge-packet"}) {
        HelperProcess peer({"garbage", name, kind});
        EXPECT_EQ("dropped", peer.Line()) << kind;
        EXPECT_EQ(0, peer.Wait()) << kind;
    }
    // A writer that dies in the middle of a record.
    HelperProcess dying({"garbage", name, "partial"});
    EXPECT_EQ("sent", dying.Line());
    dying.Signal(SIGKILL);
    dying.Wait();

    reader.join();
    EXPECT_EQ("done", writer.Line());
    EXPECT_EQ(0, writer.Wait());
    int32 code;
    EXPECT_EQ(B_TIMED_OUT, read_port_etc(port, &code, nullptr, 0, B_RELATIVE_TIMEOUT, 200000))
        << "nothing of the broken records arrived";
    // Every place that the dropped writers kept is free again.
    for (int32 i = 0; i < 4; i++)
        EXPECT_EQ(B_OK, write_port_etc(port, i, nullptr, 0, B_RELATIVE_TIMEOUT, kWatchdog)) << i;
    EXPECT_EQ(B_WOULD_BLOCK, write_port_etc(port, 4, nullptr, 0, B_RELATIVE_TIMEOUT, 0));
    delete_port(port);
}

TEST(PortProcesses, AForkedChildKeepsNoneOfItsParentsPorts)
{
    std::string name = unique_port_name("forked");
    port_id port = create_port(2, name.c_str());
    ASSERT_GT(port, 0);
    // The port's server thread has just started: let it settle, as a thread that is starting
    // may hold the sanitizers' allocator locks, which a forked child would never see released.
    snooze(100000);
    pid_t child = fork();
    if (child == 0) {
        // The parent's port is another process's port now: found by name, written through
        // its socket, not read.
        int failures = port_count(port) == B_BAD_PORT_ID ? 0 : 1;
        port_id found = find_port(name.c_str());
        failures += found > 0 && found != port ? 0 : 2;
        failures += write_port(found, 21, "child", 5) == B_OK ? 0 : 4;
        exit(failures); // the normal exit, with its handlers
    }
    ASSERT_GT(child, 0);
    EXPECT_EQ("21:child", next_record(port));
    int status = -1;
    EXPECT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_TRUE(port_published(name)) << "the child's exit leaves the parent's socket alone";
    EXPECT_EQ(port, find_port(name.c_str()));
    delete_port(port);
}

} // namespace
