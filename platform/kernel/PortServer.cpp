// The thread that serves the sockets of this process's published ports: it accepts writers of
// the same user, reads their packets (PortWire.h), keeps places in the queues for them and
// queues their records. It never blocks on a writer: sockets are non-blocking, and a writer
// that misbehaves, or whose answer cannot be sent at once, loses its connection.

#include "PortPrivate.h"
#include "PortWire.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

using namespace BPortWire;

namespace BPortPrivate {

namespace {

// Beyond this many writers the listeners wait, so that a flood of connections cannot use up
// the process's descriptors.
constexpr size_t kMaxConnections = 512;
// Packets read from one connection in a row before the others get their turn.
constexpr int kPacketsPerTurn = 64;

bool sendReply(Connection& connection, uint32 kind)
{
    uint8 packet[kReplySize];
    size_t length = make_short_packet(packet, kind, connection.assembler.Sequence());
    return send(connection.fd, packet, length, MSG_DONTWAIT | MSG_NOSIGNAL) ==
           static_cast<ssize_t>(length);
}

// Answers the connection's open ask: a place if there is one, 'full' if the writer cannot
// wait, else nothing yet.
void answerAsk(Connection& connection)
{
    LocalPort& port = *connection.port;
    std::lock_guard<std::mutex> guard(port.lock);
    if (port.closed || port.deleted) {
        connection.gone = true;
        return;
    }
    if (port.HasPlace()) {
        if (!sendReply(connection, kRoom)) {
            connection.gone = true;
            return;
        }
        port.kept++;
        connection.assembler.Granted();
    } else if (connection.assembler.AnswerAtOnce()) {
        if (!sendReply(connection, kFull))
            connection.gone = true;
        connection.assembler.Refused();
    } else {
        port.serverWaits = true;
    }
}

void freePlace(LocalPort& port)
{
    std::lock_guard<std::mutex> guard(port.lock);
    port.kept--;
    port.writable.notify_all();
}

void queueRecord(Connection& connection)
{
    LocalPort& port = *connection.port;
    Record record{connection.assembler.Code(), connection.assembler.TakeRecord()};
    std::lock_guard<std::mutex> guard(port.lock);
    port.kept--;
    if (port.closed || port.deleted)
        return;
    port.queue.push_back(std::move(record));
    port.readable.notify_all();
}

void readPackets(PortKit& kit, Connection& connection, std::vector<uint8>& packet)
{
    for (int i = 0; i < kPacketsPerTurn && !connection.gone; i++) {
        // MSG_TRUNC: the packet's real length, to refuse one larger than the buffer.
        ssize_t length =
            recv(connection.fd, packet.data(), packet.size(), MSG_DONTWAIT | MSG_TRUNC);
        if (length < 0 && errno == EINTR)
            continue;
        if (length < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // 0 is the end of the connection (an empty packet would be malformed anyway).
        if (length <= 0 || static_cast<size_t>(length) > kMaxPacket) {
            connection.gone = true;
            return;
        }
        switch (connection.assembler.Take(packet.data(), static_cast<size_t>(length))) {
        case BPortRecordAssembler::kAsked:
            connection.askedAt = ++kit.asks;
            answerAsk(connection);
            break;
        case BPortRecordAssembler::kReleased:
            freePlace(*connection.port);
            break;
        case BPortRecordAssembler::kRecordDone:
            queueRecord(connection);
            break;
        case BPortRecordAssembler::kBroken:
            connection.gone = true;
            break;
        case BPortRecordAssembler::kNothing:
        case BPortRecordAssembler::kCancelled:
            break;
        }
    }
}

void acceptWriters(PortKit& kit, Listener& listener)
{
    while (kit.connections.size() < kMaxConnections) {
        int fd = accept4(listener.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        ucred peer;
        socklen_t length = sizeof peer;
        // Only processes of our own user may write to our ports.
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != geteuid() ||
            listener.dropped) {
            close(fd);
            continue;
        }
        auto connection = std::make_unique<Connection>();
        connection->port = listener.port;
        connection->fd = fd;
        kit.connections.push_back(std::move(connection));
    }
}

bool portOpen(LocalPort& port)
{
    std::lock_guard<std::mutex> guard(port.lock);
    return !port.closed && !port.deleted;
}

// Closes what was dropped or broken, freeing the places its writers kept.
void tidy(PortKit& kit)
{
    std::erase_if(kit.listeners, [](const std::unique_ptr<Listener>& listener) {
        if (!listener->dropped)
            return false;
        close(listener->fd);
        return true;
    });
    std::erase_if(kit.connections, [](const std::unique_ptr<Connection>& connection) {
        if (!connection->gone && !portOpen(*connection->port))
            connection->gone = true;
        if (!connection->gone)
            return false;
        if (connection->assembler.HoldsPlace())
            freePlace(*connection->port);
        close(connection->fd);
        return true;
    });
}

// Answers the waiting asks, oldest first, as far as places allow.
void answerWaitingAsks(PortKit& kit)
{
    std::vector<Connection*> asking;
    for (auto& connection : kit.connections) {
        if (connection->assembler.Asking() && !connection->gone)
            asking.push_back(connection.get());
    }
    std::sort(asking.begin(), asking.end(),
              [](Connection* a, Connection* b) { return a->askedAt < b->askedAt; });
    for (Connection* connection : asking)
        answerAsk(*connection);
}

enum Kind { kWake, kListening, kConnected };

struct Watched {
    Kind kind;
    void* entry;
};

// The server's buffers, reachable from here rather than from the server thread's stack: in a
// forked child, where the thread is gone, they are not taken for leaks.
struct Scratch {
    std::vector<pollfd> fds;
    std::vector<Watched> watched;
    std::vector<uint8> packet = std::vector<uint8>(kMaxPacket + 1);
};

Scratch* sScratch;

void serve(PortKit& kit)
{
    std::unique_lock<std::mutex> lock(kit.lock);
    Scratch& scratch = *sScratch;
    std::vector<pollfd>& fds = scratch.fds;
    std::vector<Watched>& watched = scratch.watched;
    for (;;) {
        tidy(kit);
        answerWaitingAsks(kit);
        tidy(kit);
        fds.clear();
        watched.clear();
        fds.push_back({kit.wakeFd, POLLIN, 0});
        watched.push_back({kWake, nullptr});
        if (kit.connections.size() < kMaxConnections) {
            for (auto& listener : kit.listeners) {
                fds.push_back({listener->fd, POLLIN, 0});
                watched.push_back({kListening, listener.get()});
            }
        }
        for (auto& connection : kit.connections) {
            fds.push_back({connection->fd, POLLIN, 0});
            watched.push_back({kConnected, connection.get()});
        }
        lock.unlock();
        int ready = poll(fds.data(), fds.size(), -1);
        lock.lock();
        if (ready <= 0)
            continue;
        // Entries are erased by this thread only, in tidy(): the pointers still hold.
        for (size_t i = 0; i < fds.size(); i++) {
            if (fds[i].revents == 0)
                continue;
            switch (watched[i].kind) {
            case kWake: {
                uint64 count;
                while (read(fds[i].fd, &count, sizeof count) < 0 && errno == EINTR) {
                }
                break;
            }
            case kListening:
                acceptWriters(kit, *static_cast<Listener*>(watched[i].entry));
                break;
            case kConnected:
                readPackets(kit, *static_cast<Connection*>(watched[i].entry), scratch.packet);
                break;
            }
        }
    }
}

} // namespace

status_t start_server(PortKit& kit)
{
    if (kit.serving)
        return B_OK;
    int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0)
        return B_FROM_POSIX_ERROR(errno);
    kit.wakeFd = fd;
    if (sScratch == nullptr)
        sScratch = new Scratch;
    try {
        std::thread([&kit] { serve(kit); }).detach();
    } catch (const std::system_error&) {
        close(fd);
        kit.wakeFd = -1;
        return B_NO_MORE_THREADS;
    }
    kit.serving = true;
    return B_OK;
}

void wake_server(PortKit& kit)
{
    int fd = kit.wakeFd;
    if (fd < 0)
        return;
    uint64 one = 1;
    while (write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

} // namespace BPortPrivate
