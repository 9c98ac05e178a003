// Writing to a port of another process: finding its socket, asking for a place, sending the
// record (PortWire.h).

#include "PortFolder.h"
#include "PortPrivate.h"
#include "PortWire.h"
#include "ThreadPrivate.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>

using namespace BPortWire;

namespace BPortPrivate {

namespace {

// How often a writer waiting for another process's answer looks whether it was killed.
constexpr int kKillCheckMilliseconds = 50;

bool sendPacket(int fd, const iovec* parts, int count)
{
    msghdr message{};
    message.msg_iov = const_cast<iovec*>(parts);
    message.msg_iovlen = count;
    ssize_t sent;
    do {
        sent = sendmsg(fd, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent >= 0;
}

bool sendShort(int fd, uint32 kind, uint32 sequence, uint32 flags = 0)
{
    uint8 packet[kAskSize];
    iovec part{packet, make_short_packet(packet, kind, sequence, flags)};
    return sendPacket(fd, &part, 1);
}

// Waits for the owner's answer to ask `sequence`. Gives the ask up on the deadline or a kill.
status_t waitForRoom(RemotePort& remote, uint32 sequence, const Deadline& deadline)
{
    BKernelPrivate::BlockingScope scope(B_THREAD_WAITING, nullptr, nullptr, nullptr);
    for (;;) {
        int milliseconds = kKillCheckMilliseconds;
        if (!deadline.forever && !deadline.noWait) {
            bigtime_t left = deadline.at - system_time();
            milliseconds =
                static_cast<int>(std::clamp<bigtime_t>((left + 999) / 1000, 0, milliseconds));
        }
        pollfd watched{remote.fd, POLLIN, 0};
        if (poll(&watched, 1, milliseconds) > 0) {
            uint8 reply[kReplySize + 1];
            ssize_t length = recv(remote.fd, reply, sizeof reply, MSG_DONTWAIT);
            if (length < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            uint32 kind = length == static_cast<ssize_t>(kReplySize) ? get32(reply) : 0;
            if (kind != kRoom && kind != kFull) {
                // The owner is gone, or broke the protocol: the connection is of no more use.
                shutdown(remote.fd, SHUT_RDWR);
                return B_BAD_PORT_ID;
            }
            if (get32(reply + 4) != sequence)
                continue; // the late answer to an ask given up
            return kind == kRoom ? B_OK : static_cast<status_t>(B_WOULD_BLOCK);
        }
        // An ask that wants its answer at once is not given up, not even by a killed thread:
        // the owner answers it without waiting for anything, and a 'cncl' after its 'full'
        // would break the protocol.
        if (deadline.noWait)
            continue;
        if (BKernelPrivate::current_thread_killed()) {
            sendShort(remote.fd, kCancel, sequence);
            return B_INTERRUPTED;
        }
        if (deadline.Passed()) {
            sendShort(remote.fd, kCancel, sequence);
            return B_TIMED_OUT;
        }
    }
}

class WriterTurn {
public:
    explicit WriterTurn(RemotePort& remote) : fRemote(remote) {}
    ~WriterTurn()
    {
        if (!fTaken)
            return;
        std::lock_guard<std::mutex> guard(fRemote.turnLock);
        fRemote.busy = false;
        fRemote.turnFree.notify_one();
    }

    bool Take(const Deadline& deadline)
    {
        std::unique_lock<std::mutex> lock(fRemote.turnLock);
        auto free = [this] { return !fRemote.busy; };
        if (deadline.forever)
            fRemote.turnFree.wait(lock, free);
        else if (!fRemote.turnFree.wait_until(lock, deadline.Point(), free))
            return false;
        fRemote.busy = true;
        fTaken = true;
        return true;
    }

private:
    RemotePort& fRemote;
    bool fTaken = false;
};

} // namespace

RemotePort::~RemotePort()
{
    if (fd >= 0)
        close(fd);
}

bool port_answers(const sockaddr_un& address, socklen_t length)
{
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    int result = connect(fd, reinterpret_cast<const sockaddr*>(&address), length);
    // EAGAIN: alive, with a full backlog.
    bool alive = result == 0 || errno == EAGAIN || errno == EINPROGRESS;
    close(fd);
    return alive;
}

bool connected(int fd)
{
    pollfd watched{fd, POLLRDHUP, 0};
    return poll(&watched, 1, 0) == 0 ||
           (watched.revents & (POLLHUP | POLLRDHUP | POLLERR | POLLNVAL)) == 0;
}

status_t connect_to_port(const std::string& fileName, int* connectedFd)
{
    int folder = BPortFolder::folder();
    if (folder < 0)
        return folder;
    sockaddr_un address;
    socklen_t length;
    if (!BPortFolder::make_address(folder, fileName, &address, &length))
        return B_NAME_NOT_FOUND;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return B_FROM_POSIX_ERROR(errno);
    int result;
    do {
        result = connect(fd, reinterpret_cast<const sockaddr*>(&address), length);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        int error = errno;
        close(fd);
        if (error == ECONNREFUSED) {
            // Nobody listens: the owner died. Look again under the lock, as another process may
            // be publishing the name afresh.
            FolderLock folderLock(folder);
            if (!port_answers(address, length))
                unlinkat(folder, fileName.c_str(), 0);
        }
        if (error == ECONNREFUSED || error == ENOENT)
            return B_NAME_NOT_FOUND;
        return B_FROM_POSIX_ERROR(error);
    }
    ucred peer;
    socklen_t peerLength = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &peerLength) != 0 || peer.uid != geteuid()) {
        close(fd);
        return B_NAME_NOT_FOUND;
    }
    int sendBuffer = kSendBuffer;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    *connectedFd = fd;
    return B_OK;
}

status_t write_remote(RemotePort& remote, int32 code, const uint8* bytes, size_t size,
                      const Deadline& deadline)
{
    WriterTurn turn(remote);
    if (!turn.Take(deadline))
        return deadline.Failure();
    if (remote.fd < 0)
        return B_BAD_PORT_ID;
    status_t status = BKernelPrivate::cooperative_point();
    if (status != B_OK)
        return status;
    uint32 sequence = ++remote.sequence;
    if (!sendShort(remote.fd, kAsk, sequence,
                   deadline.noWait ? static_cast<uint32>(kAnswerAtOnce) : 0u))
        return B_BAD_PORT_ID;
    status = waitForRoom(remote, sequence, deadline);
    if (status != B_OK)
        return status;

    uint8 header[kRecordHeaderSize];
    make_record_header(header, sequence, code, static_cast<uint32>(size));
    size_t first = std::min(size, kMaxRecordBytesPerPacket);
    iovec parts[2] = {{header, sizeof header}, {const_cast<uint8*>(bytes), first}};
    if (!sendPacket(remote.fd, parts, first > 0 ? 2 : 1))
        return B_BAD_PORT_ID;
    uint8 more[kMoreHeaderSize];
    put32(more, kMore);
    for (size_t sent = first; sent < size;) {
        size_t chunk = std::min(size - sent, kMaxMoreBytesPerPacket);
        iovec moreParts[2] = {{more, sizeof more}, {const_cast<uint8*>(bytes + sent), chunk}};
        if (!sendPacket(remote.fd, moreParts, 2))
            return B_BAD_PORT_ID;
        sent += chunk;
    }
    return B_OK;
}

} // namespace BPortPrivate
