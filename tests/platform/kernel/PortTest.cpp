// Ports within one process: the queue, its limits and timeouts, names, closing and deleting.

#include "HelperProcess.h"
#include "Watchdog.h"

#include <OS.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(Ports, RecordsAreBoundedAndBadRequestsRefusedBeforeAnythingIsRead)
{
    EXPECT_EQ(B_BAD_VALUE, create_port(0, nullptr));
    EXPECT_EQ(B_BAD_VALUE, create_port(B_MAX_PORT_CAPACITY + 1, nullptr));
    port_id port = create_port(B_MAX_PORT_CAPACITY, nullptr);
    ASSERT_GT(port, 0);
    char one = 0;
    // The size is checked first: reading B_MAX_PORT_RECORD_SIZE + 1 bytes would overrun `one`.
    EXPECT_EQ(B_BAD_VALUE, write_port(port, 0, &one, B_MAX_PORT_RECORD_SIZE + 1));
    EXPECT_EQ(B_BAD_VALUE, write_port(port, 0, nullptr, 1));
    EXPECT_EQ(B_BAD_VALUE, read_port(port, nullptr, nullptr, 1));
    std::vector<uint8> largest(B_MAX_PORT_RECORD_SIZE, 0x5A);
    EXPECT_EQ(B_OK, write_port(port, 0, largest.data(), largest.size()));
    EXPECT_EQ(B_MAX_PORT_RECORD_SIZE, port_buffer_size(port));
    EXPECT_EQ(B_OK, write_port(port, 2, "second", 6));
    // A record larger than the buffer is cut, and the rest of it is gone with it.
    EXPECT_EQ("0:ZZZZ", next_record(port, 4));
    EXPECT_EQ("2:second", next_record(port));
    delete_port(port);
    EXPECT_EQ(B_BAD_PORT_ID, write_port(port, 0, nullptr, 0));
    EXPECT_EQ(B_BAD_PORT_ID, read_port(port, nullptr, nullptr, 0));
    EXPECT_EQ(B_BAD_PORT_ID, port_count(port));
    EXPECT_EQ(B_BAD_PORT_ID, delete_port(port));
    EXPECT_EQ(B_BAD_PORT_ID, port_count(-1));
}

// A call on an empty or full queue waits until its timeout; a waiting reader goes on once a
// record, even an empty one, is written, and a waiting writer once a record is read.
TEST(Ports, AFullOrEmptyQueueWaitsUntilTheTimeoutOrARead)
{
    port_id port = create_port(2, nullptr);
    EXPECT_EQ(B_WOULD_BLOCK, read_port_etc(port, nullptr, nullptr, 0, B_RELATIVE_TIMEOUT, 0));
    bigtime_t before = system_time();
    EXPECT_EQ(B_TIMED_OUT, port_buffer_size_etc(port, B_RELATIVE_TIMEOUT, 30000));
    EXPECT_GE(system_time() - before, 30000);
    EXPECT_EQ(B_TIMED_OUT,
              read_port_etc(port, nullptr, nullptr, 0, B_ABSOLUTE_TIMEOUT, system_time() + 20000));

    std::atomic<ssize_t> size{-1};
    std::thread sizer([&] { size = port_buffer_size_etc(port, B_RELATIVE_TIMEOUT, kWatchdog); });
    snooze(30000);
    EXPECT_EQ(B_OK, write_port(port, 1, nullptr, 0));
    // Well before the waiting call's own timeout, when it would look again anyway.
    EXPECT_TRUE(eventually([&] { return size == 0; }, std::chrono::seconds(5)))
        << "an empty record wakes a waiting port_buffer_size";
    sizer.join();
    EXPECT_EQ(B_OK, write_port(port, 2, nullptr, 0));
    EXPECT_EQ(B_WOULD_BLOCK, write_port_etc(port, 3, nullptr, 0, B_RELATIVE_TIMEOUT, 0));
    before = system_time();
    EXPECT_EQ(B_TIMED_OUT, write_port_etc(port, 3, nullptr, 0, B_RELATIVE_TIMEOUT, 30000));
    EXPECT_GE(system_time() - before, 30000);
    EXPECT_EQ(2, port_count(port)) << "a write that gave up left nothing";

    std::atomic<status_t> written{1};
    std::thread writer(
        [&] { written = write_port_etc(port, 4, nullptr, 0, B_RELATIVE_TIMEOUT, kWatchdog); });
    snooze(50000);
    EXPECT_EQ(1, written.load()) << "still waiting";
    EXPECT_EQ("1:", next_record(port));
    writer.join();
    EXPECT_EQ(B_OK, written.load());
    EXPECT_EQ("2:", next_record(port));
    EXPECT_EQ("4:", next_record(port));
    delete_port(port);
}

TEST(Ports, ClosingKeepsQueuedRecordsReadableDeletingWakesWaiters)
{
    std::string name = unique_port_name("closing");
    port_id port = create_port(4, name.c_str());
    write_port(port, 1, "a", 1);
    EXPECT_EQ(B_OK, close_port(port));
    EXPECT_EQ(B_BAD_PORT_ID, close_port(port));
    EXPECT_EQ(B_BAD_PORT_ID, write_port(port, 2, "b", 1));
    EXPECT_EQ(B_NAME_NOT_FOUND, find_port(name.c_str()));
    EXPECT_EQ("1:a", next_record(port));
    EXPECT_EQ("error " + std::to_string(B_BAD_PORT_ID), next_record(port)) << "closed and empty";
    EXPECT_EQ(B_OK, delete_port(port));

    // Deleting a port wakes its waiting readers and writers.
    port_id full = create_port(1, nullptr);
    port_id empty = create_port(1, nullptr);
    write_port(full, 0, nullptr, 0);
    std::atomic<status_t> written{1};
    std::atomic<ssize_t> read{1};
    std::thread writer(
        [&] { written = write_port_etc(full, 1, nullptr, 0, B_RELATIVE_TIMEOUT, kWatchdog); });
    std::thread reader(
        [&] { read = read_port_etc(empty, nullptr, nullptr, 0, B_RELATIVE_TIMEOUT, kWatchdog); });
    snooze(30000);
    EXPECT_EQ(B_OK, delete_port(full));
    EXPECT_EQ(B_OK, delete_port(empty));
    writer.join();
    reader.join();
    EXPECT_EQ(B_BAD_PORT_ID, written.load());
    EXPECT_EQ(B_BAD_PORT_ID, read.load());
}

TEST(Ports, NamesFindTheFirstLivePort)
{
    std::string name = unique_port_name("named");
    EXPECT_EQ(B_NAME_NOT_FOUND, find_port(name.c_str()));
    EXPECT_EQ(B_BAD_VALUE, find_port(nullptr));
    EXPECT_EQ(B_NAME_NOT_FOUND, find_port(""));
    port_id first = create_port(1, name.c_str());
    port_id second = create_port(1, name.c_str());
    ASSERT_GT(first, 0);
    ASSERT_GT(second, first);
    EXPECT_EQ(first, find_port(name.c_str()));
    delete_port(first);
    EXPECT_EQ(second, find_port(name.c_str())) << "the other port of that name";

    // Names are cut to B_OS_NAME_LENGTH - 1 bytes; any bytes will do.
    std::string odd = unique_port_name("a/b c\x01..%=\xFF");
    std::string longName = odd + std::string(40, 'z');
    port_id cut = create_port(1, longName.c_str());
    ASSERT_GT(cut, 0);
    EXPECT_EQ(cut, find_port(longName.substr(0, B_OS_NAME_LENGTH - 1).c_str()));
    EXPECT_TRUE(port_published(longName.substr(0, B_OS_NAME_LENGTH - 1)));
    delete_port(cut);
    delete_port(second);
}

TEST(Ports, ManyThreadsShareAPort)
{
    constexpr int kWriters = 6;
    constexpr int kEach = 300;
    port_id port = create_port(5, nullptr);
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; w++) {
        writers.emplace_back([port, w] {
            for (int32 i = 0; i < kEach; i++)
                write_port(port, w, &i, sizeof i);
        });
    }
    std::vector<int32> next(kWriters, 0);
    for (int i = 0; i < kWriters * kEach; i++) {
        int32 code = -1;
        int32 value = -1;
        ASSERT_EQ(4,
                  read_port_etc(port, &code, &value, sizeof value, B_RELATIVE_TIMEOUT, kWatchdog));
        ASSERT_TRUE(code >= 0 && code < kWriters);
        EXPECT_EQ(next[code]++, value) << "each writer's records stay in order";
    }
    for (auto& writer : writers)
        writer.join();
    delete_port(port);
}

} // namespace
