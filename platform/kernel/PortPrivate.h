#pragma once

// The state behind the port calls, shared by Port.cpp (the calls and the owner's queue),
// PortServer.cpp (the thread that serves the sockets of this process's published ports) and
// PortWriter.cpp (writing to ports of other processes).
//
// Locks, always taken in this order: PortKit::lock, then a LocalPort::lock, then the thread
// layer's lock (ThreadPrivate.h).

#include <OS.h>

#include "PortRecordAssembler.h"

#include <sys/file.h>
#include <sys/socket.h>
#include <sys/types.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sockaddr_un;

namespace BPortPrivate {

// When a call gives up waiting, from the flags and timeout of the _etc calls.
struct Deadline {
    bool forever = true;
    bool noWait = false;
    bigtime_t at = 0;

    Deadline(uint32 flags, bigtime_t timeout)
    {
        if (flags & B_ABSOLUTE_TIMEOUT) {
            forever = timeout == B_INFINITE_TIMEOUT;
            at = timeout;
        } else if (flags & B_RELATIVE_TIMEOUT) {
            noWait = timeout <= 0;
            bigtime_t now = system_time();
            forever = timeout > B_INFINITE_TIMEOUT - now;
            at = noWait ? now : now + timeout;
        }
    }

    bool Passed() const { return !forever && system_time() >= at; }
    status_t Failure() const { return noWait ? B_WOULD_BLOCK : static_cast<status_t>(B_TIMED_OUT); }
    // libstdc++'s steady_clock is CLOCK_MONOTONIC, the clock of system_time().
    std::chrono::steady_clock::time_point Point() const
    {
        return std::chrono::steady_clock::time_point(std::chrono::microseconds(at));
    }
};

// Serializes changes to the runtime folder between the processes of the user: publishing a
// name and removing a dead owner's socket.
class FolderLock {
public:
    explicit FolderLock(int fd) : fFd(fd)
    {
        while (flock(fFd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~FolderLock() { flock(fFd, LOCK_UN); }

private:
    int fFd;
};

struct Record {
    int32 code;
    std::vector<uint8> data;
};

// A port this process owns.
struct LocalPort {
    port_id id = 0;
    std::string name;
    int32 capacity = 0;

    // Under PortKit::lock.
    bool findable = true; // neither closed nor deleted
    bool published = false;
    std::string fileName;
    dev_t fileDevice = 0;
    ino_t fileInode = 0;

    // Under lock.
    std::mutex lock;
    std::condition_variable readable; // a record came, or the port was closed or deleted
    std::condition_variable writable; // a place freed, or the port was closed or deleted
    std::deque<Record> queue;
    int32 kept = 0;           // places kept for writers of other processes
    bool serverWaits = false; // an ask waits for a place: wake the server when one frees
    bool closed = false;
    bool deleted = false;

    bool HasPlace() const
    {
        return queue.size() + static_cast<size_t>(kept) < static_cast<size_t>(capacity);
    }
};

struct Listener {
    std::shared_ptr<LocalPort> port;
    int fd;
    bool dropped = false;
};

struct Connection {
    std::shared_ptr<LocalPort> port;
    int fd = -1;
    BPortRecordAssembler assembler;
    uint64 askedAt = 0; // order of the open ask, for answering the oldest first
    bool gone = false;
};

// A connection to a port of another process.
struct RemotePort {
    port_id id = 0;
    std::string name;
    int fd = -1;
    // One record at a time on the connection: a writer takes the turn while the connection is
    // not busy. (Not a timed mutex: ThreadSanitizer does not see its timed locking.)
    std::mutex turnLock;
    std::condition_variable turnFree;
    bool busy = false;
    uint32 sequence = 0; // of the writer that has the turn
    ~RemotePort();
};

struct PortKit {
    std::mutex lock;
    std::map<port_id, std::shared_ptr<LocalPort>> owned;
    std::map<port_id, std::shared_ptr<RemotePort>> found;
    port_id nextId = 1;

    // The server's: the server thread alone closes these descriptors and erases entries.
    bool serving = false;
    std::atomic<int> wakeFd{-1};
    std::vector<std::unique_ptr<Listener>> listeners;
    std::vector<std::unique_ptr<Connection>> connections;
    uint64 asks = 0;
};

PortKit& port_kit();

// Whether a live port answers at the address. Does not wait.
bool port_answers(const sockaddr_un& address, socklen_t length);
// Whether the owner at the other end of a writer's connection still lives.
bool connected(int fd);
// Connects to the published port of that file name, removing its socket when its owner died.
status_t connect_to_port(const std::string& fileName, int* fd);
// Writes a record to a port of another process (PortWire.h).
status_t write_remote(RemotePort& remote, int32 code, const uint8* bytes, size_t size,
                      const Deadline& deadline);

// Starts the server thread if it does not run yet; under PortKit::lock.
status_t start_server(PortKit& kit);
// Makes the server look at its listeners, connections and waiting asks again.
void wake_server(PortKit& kit);

} // namespace BPortPrivate
