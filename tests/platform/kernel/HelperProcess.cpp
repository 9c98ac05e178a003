#include "HelperProcess.h"

#include "PortFolder.h"
#include "RecordPattern.h"
#include "WirePackets.h"

#include <OS.h>

#include <grp.h>
#include <linux/capability.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

using namespace BPortWire;

std::string unique_port_name(const char* what)
{
    static int counter = 0;
    return std::string(what) + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

bool port_published(const std::string& name)
{
    int32 cookie = 0;
    char listed[B_OS_NAME_LENGTH];
    bool found = false;
    status_t status;
    while ((status = get_next_port_name(&cookie, listed)) == B_OK)
        found = found || name == listed;
    EXPECT_EQ(B_ENTRY_NOT_FOUND, status) << "the end of the list";
    return found;
}

std::string next_record(port_id port, size_t bufferSize)
{
    std::vector<char> buffer(bufferSize);
    int32 code = 0;
    ssize_t size =
        read_port_etc(port, &code, buffer.data(), bufferSize, B_RELATIVE_TIMEOUT, kWatchdog);
    if (size < 0)
        return "error " + std::to_string(size);
    return std::to_string(code) + ":" + std::string(buffer.data(), static_cast<size_t>(size));
}

namespace {

// Each helper gets the port's name and one option. A port that cannot be found shows as the
// error the first write returns.
using Helper = int (*)(const std::string& name, const std::string& option);

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

int writeHundred(const std::string& name, const std::string&)
{
    port_id port = find_port(name.c_str());
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

// Fills a port of three places, then tries a fourth write every way.
int fill(const std::string& name, const std::string&)
{
    port_id port = find_port(name.c_str());
    for (int32 code = 0; code < 3; code++) {
        if (write_port(port, code, "x", 1) != B_OK)
            return 1;
    }
    say("three");
    say("timeout " + std::to_string(write_port_etc(port, 99, "x", 1, B_RELATIVE_TIMEOUT, 300000)));
    say("nowait " + std::to_string(write_port_etc(port, 98, "x", 1, B_RELATIVE_TIMEOUT, 0)));
    say("blocking");
    say("written " + std::to_string(write_port(port, 3, "x", 1)));
    return 0;
}

// Creates the port, says so, then waits to be killed; with "exit" it returns at once.
int own(const std::string& name, const std::string& option)
{
    say("ready " + std::to_string(create_port(5, name.c_str())));
    if (option != "exit")
        snooze(60000000);
    return 0;
}

// Connects to the socket of the named port as a writer's process does; -1 and errno when
// that fails.
int connectTo(const std::string& name)
{
    const std::string path =
        std::string(getenv("XDG_RUNTIME_DIR")) + "/be-ports/" + BPortFolder::file_name(name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return -1;
    memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    int sendBuffer = kSendBuffer;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    return fd;
}

bool sendBytes(int fd, const std::vector<uint8>& packet)
{
    return send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(packet.size());
}

// What the owner sent next: "room", "closed" (the connection ended), "silent" or "other".
std::string answer(int fd)
{
    pollfd watched{fd, POLLIN, 0};
    if (poll(&watched, 1, 10000) <= 0)
        return "silent";
    uint8 reply[16];
    ssize_t length = recv(fd, reply, sizeof reply, 0);
    if (length <= 0)
        return "closed";
    return length == static_cast<ssize_t>(kReplySize) && get32(reply) == kRoom ? "room" : "other";
}

// Gets a place, sends one kind of malformed record and tells whether the owner dropped the
// connection; "partial" sends the start of a large record and waits to be killed.
int garbage(const std::string& name, const std::string& kind)
{
    int fd = connectTo(name);
    if (fd < 0 || !sendBytes(fd, wire_packet(kAsk, 9)) || answer(fd) != "room")
        return 1;
    if (kind == "oversize") {
        sendBytes(fd, wire_record(9, 1, B_MAX_PORT_RECORD_SIZE + 1, std::string(16, 'o')));
    } else if (kind == "huge-packet") {
        sendBytes(fd, wire_record(9, 1, 200000, std::string(kMaxPacket, 'h')));
    } else if (kind == "partial") {
        sendBytes(fd, wire_record(9, 5, 1 << 20, std::string(1000, 'p')));
        say("sent");
        snooze(60000000);
    }
    const std::string got = answer(fd);
    say(got == "closed" ? "dropped" : "kept " + got);
    return 0;
}

// Takes another user's identity, keeping (when it can) only the capability to pass the
// runtime folder's permissions, and writes to the named port.
int otherUser(const std::string& name, const std::string&)
{
    prctl(PR_SET_KEEPCAPS, 1);
    if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
        setresuid(65534, 65534, 65534) != 0) {
        say("cannot change user");
        return 1;
    }
    // The folder alone keeps a plain process of another user out.
    int fd = connectTo(name);
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
    fd = connectTo(name);
    if (fd < 0) {
        say("cannot connect " + std::to_string(errno));
        return 0;
    }
    sendBytes(fd, wire_packet(kAsk, 1));
    std::string got = answer(fd);
    if (got == "room")
        sendBytes(fd, wire_record(1, 13, 4, "four"));
    say("peer " + got);
    return 0;
}

} // namespace

int run_helper(const std::vector<std::string>& arguments)
{
    static const std::map<std::string, Helper> kHelpers = {
        {"write-hundred", writeHundred}, {"fill", fill}, {"own", own}, {"garbage", garbage},
        {"other-user", otherUser},
    };
    auto found = kHelpers.find(arguments.at(0));
    if (found == kHelpers.end() || arguments.size() < 2)
        return 2;
    return found->second(arguments[1], arguments.size() > 2 ? arguments[2] : "");
}
