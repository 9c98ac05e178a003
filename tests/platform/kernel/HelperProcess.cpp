#include "HelperProcess.h"

#include "PortFolder.h"
#include "PortWire.h"
#include "RecordPattern.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

using namespace BPortWire;

HelperProcess::HelperProcess(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv = {"/proc/self/exe", "--helper"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    fChild.StartTalking(argv);
}

int HelperProcess::Wait(bigtime_t timeout)
{
    const int status = fChild.WaitForExit(std::chrono::milliseconds(timeout / 1000));
    if (fChild.Pid() > 0)
        fChild.Signal(SIGKILL);
    return status;
}

std::string unique_port_name(const char* what)
{
    static int counter = 0;
    return std::string(what) + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

namespace {

void say(const std::string& line)
{
    std::string withEnd = line + "\n";
    ssize_t ignored = write(STDOUT_FILENO, withEnd.data(), withEnd.size());
    (void)ignored;
}

port_id findOrSay(const std::string& name)
{
    port_id port = find_port(name.c_str());
    if (port < 0)
        say("find failed " + std::to_string(port));
    return port;
}

int writeHundred(const std::vector<std::string>& arguments)
{
    port_id port = findOrSay(arguments.at(0));
    if (port < 0)
        return 1;
    for (int32 i = 0; i < kPatternRecords; i++) {
        std::vector<uint8> bytes = pattern_record(i);
        status_t status = write_port(port, i, bytes.data(), bytes.size());
        if (status != B_OK) {
            say("write failed " + std::to_string(i) + " " + std::to_string(status));
            return 1;
        }
    }
    say("done");
    return 0;
}

int fill(const std::vector<std::string>& arguments)
{
    port_id port = findOrSay(arguments.at(0));
    if (port < 0)
        return 1;
    for (int32 code = 0; code < 3; code++) {
        if (write_port(port, code, &code, sizeof code) != B_OK)
            return 1;
    }
    say("three");
    int32 code = 3;
    say("timeout " +
        std::to_string(write_port_etc(port, 99, &code, sizeof code, B_RELATIVE_TIMEOUT, 300000)));
    say("nowait " +
        std::to_string(write_port_etc(port, 98, &code, sizeof code, B_RELATIVE_TIMEOUT, 0)));
    say("blocking");
    say("written " + std::to_string(write_port(port, code, &code, sizeof code)));
    return 0;
}

int writeEmpty(const std::vector<std::string>& arguments)
{
    port_id port = findOrSay(arguments.at(0));
    if (port < 0)
        return 1;
    say("written " + std::to_string(write_port(port, 7, nullptr, 0)));
    return 0;
}

// Creates the port, says so, then waits to be killed; with "exit" it returns at once.
int own(const std::vector<std::string>& arguments)
{
    port_id port = create_port(5, arguments.at(0).c_str());
    say("ready " + std::to_string(port));
    if (arguments.size() > 1 && arguments[1] == "exit")
        return 0;
    snooze(60000000);
    return 0;
}

int connectAt(const sockaddr_un& address, socklen_t length)
{
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    int sendBuffer = kSendBuffer;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    return fd;
}

int rawConnect(const std::string& portName)
{
    sockaddr_un address;
    socklen_t length;
    if (BPortFolder::folder() < 0 ||
        !BPortFolder::make_address(BPortFolder::folder(), BPortFolder::file_name(portName),
                                   &address, &length))
        return -1;
    return connectAt(address, length);
}

int connectToPath(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return -1;
    memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return connectAt(address, static_cast<socklen_t>(sizeof address));
}

bool sendBytes(int fd, const std::vector<uint8>& packet)
{
    return send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(packet.size());
}

std::vector<uint8> shortPacket(uint32 kind, uint32 seq, uint32 flags = 0)
{
    std::vector<uint8> packet(kAskSize);
    packet.resize(make_short_packet(packet.data(), kind, seq, flags));
    return packet;
}

std::vector<uint8> recordPacket(uint32 seq, int32 code, uint32 size, size_t bytes)
{
    std::vector<uint8> packet(kRecordHeaderSize + bytes, 0xAB);
    make_record_header(packet.data(), seq, code, size);
    return packet;
}

// What the owner sent next: "room", "full", "closed" (the connection ended) or "silent".
std::string answer(int fd, bigtime_t timeout)
{
    pollfd watched{fd, POLLIN, 0};
    if (poll(&watched, 1, static_cast<int>(timeout / 1000)) <= 0)
        return "silent";
    uint8 reply[16];
    ssize_t length = recv(fd, reply, sizeof reply, 0);
    if (length <= 0)
        return "closed";
    if (length == static_cast<ssize_t>(kReplySize) && get32(reply) == kRoom)
        return "room";
    if (length == static_cast<ssize_t>(kReplySize) && get32(reply) == kFull)
        return "full";
    return "other";
}

// Asks for a place, gets it, sends the start of a large record and waits to be killed.
int partial(const std::vector<std::string>& arguments)
{
    int fd = rawConnect(arguments.at(0));
    if (fd < 0 || !sendBytes(fd, shortPacket(kAsk, 1)))
        return 1;
    std::string got = answer(fd, 10000000);
    if (got != "room") {
        say(got);
        return 1;
    }
    sendBytes(fd, recordPacket(1, 5, 1 << 20, 1000));
    say("sent");
    snooze(60000000);
    return 0;
}

// Sends one kind of malformed traffic and tells whether the owner dropped the connection.
int garbage(const std::vector<std::string>& arguments)
{
    int fd = rawConnect(arguments.at(0));
    const std::string& kind = arguments.at(1);
    if (fd < 0)
        return 1;
    auto askForRoom = [fd] {
        return sendBytes(fd, shortPacket(kAsk, 9)) && answer(fd, 10000000) == "room";
    };
    if (kind == "unknown") {
        sendBytes(fd, shortPacket('junk', 1));
    } else if (kind == "short") {
        sendBytes(fd, {1, 2});
    } else if (kind == "no-place") {
        sendBytes(fd, recordPacket(1, 1, 4, 4));
    } else if (kind == "oversize") {
        if (!askForRoom())
            return 1;
        sendBytes(fd, recordPacket(9, 1, B_MAX_PORT_RECORD_SIZE + 1, 16));
    } else if (kind == "too-much") {
        if (!askForRoom())
            return 1;
        sendBytes(fd, recordPacket(9, 1, 8, 9));
    } else if (kind == "huge-packet") {
        if (!askForRoom())
            return 1;
        sendBytes(fd, recordPacket(9, 1, 200000, kMaxPacket));
    } else if (kind == "double-ask") {
        sendBytes(fd, shortPacket(kAsk, 1));
        sendBytes(fd, shortPacket(kAsk, 2));
    } else if (kind == "wrong-cancel") {
        sendBytes(fd, shortPacket(kCancel, 77));
    }
    // Skip a 'room' that may come first; the end of the connection is what counts.
    std::string got;
    do {
        got = answer(fd, 10000000);
    } while (got == "room");
    say(got == "closed" ? "dropped" : "kept " + got);
    return 0;
}

// Takes another user's identity, keeping (when it can) only the capability to pass the
// runtime folder's permissions, and writes to the port whose socket has that path.
int otherUser(const std::vector<std::string>& arguments)
{
    const std::string& socketPath = arguments.at(0);
    prctl(PR_SET_KEEPCAPS, 1);
    if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
        setresuid(65534, 65534, 65534) != 0) {
        say("cannot change user");
        return 1;
    }
    // The folder alone keeps a plain process of another user out.
    int fd = connectToPath(socketPath);
    say(fd < 0 && errno == EACCES ? "folder denied" : "folder open");
    if (fd >= 0)
        close(fd);

    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    data[0].effective = data[0].permitted = 1u << CAP_DAC_OVERRIDE;
    if (syscall(SYS_capset, &header, data) != 0) {
        say("no capability");
        return 0;
    }
    fd = connectToPath(socketPath);
    if (fd < 0) {
        say("cannot connect " + std::to_string(errno));
        return 0;
    }
    sendBytes(fd, shortPacket(kAsk, 1));
    std::string got = answer(fd, 10000000);
    if (got == "room")
        sendBytes(fd, recordPacket(1, 13, 4, 4));
    say("peer " + got);
    return 0;
}

} // namespace

int run_helper(const std::vector<std::string>& arguments)
{
    static const std::map<std::string, int (*)(const std::vector<std::string>&)> kHelpers = {
        {"write-hundred", writeHundred},
        {"fill", fill},
        {"write-empty", writeEmpty},
        {"own", own},
        {"partial", partial},
        {"garbage", garbage},
        {"other-user", otherUser},
    };
    auto found = kHelpers.find(arguments.at(0));
    if (found == kHelpers.end())
        return 2;
    return found->second(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
}
