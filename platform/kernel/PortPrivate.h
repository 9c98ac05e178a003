#pragma once

// The state behind the port calls, shared by Port.cpp (the calls) and PortServer.cpp (the
// thread that serves the sockets of this process's published ports).
//
// Locks, always taken in this order: PortKit::lock, then a LocalPort::lock, then the thread
// layer's lock (ThreadPrivate.h).

#include <OS.h>

#include "PortRecordAssembler.h"

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace BPortPrivate {

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

    bool HasPlace() const { return queue.size() + static_cast<size_t>(kept) < static_cast<size_t>(capacity); }
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

// Starts the server thread if it does not run yet; under PortKit::lock.
status_t start_server(PortKit& kit);
// Makes the server look at its listeners, connections and waiting asks again.
void wake_server(PortKit& kit);

} // namespace BPortPrivate
