// Broadcasts between real processes. Every test program gets a runtime folder of its own, so
// that applications of other programs running at the same time neither see these broadcasts
// nor answer them.

#include "AppTestSupport.h"
#include "ChildProcess.h"
#include "MessageFields.h"
#include "RosterTestCodes.h"
#include "TempFolder.h"
#include "Watchdog.h"

#include <Application.h>
#include <Message.h>
#include <MessageQueue.h>
#include <Roster.h>
#include <RosterProtocol.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace std::chrono_literals;
using namespace BPrivate::roster_protocol;
using app_test::flatten;

namespace {

// Made before main, before the kernel kit opens the runtime folder for the first time.
struct OwnRuntimeFolder {
    OwnRuntimeFolder() { setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1); }
    TempFolder folder;
} sRuntimeFolder;

const char kSignatureA[] = "application/x-vnd.roster-test-a";
const char kSignatureB[] = "application/x-vnd.roster-test-b";

std::vector<std::string> read_lines(const std::string& path)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

bool has_line(const std::string& path, const std::string& line)
{
    const std::vector<std::string> lines = read_lines(path);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Waits for the line to appear in the file; false when the deadline passes first.
bool wait_for_line(const std::string& path, const std::string& line,
                   std::chrono::milliseconds deadline = 10s)
{
    return eventually([&] { return has_line(path, line); }, deadline);
}

bool is_listed(const std::string& portName)
{
    int32 cookie = 0;
    char name[B_OS_NAME_LENGTH];
    while (get_next_port_name(&cookie, name) == B_OK) {
        if (portName == name)
            return true;
    }
    return false;
}

// What the helper logs for a broadcast of seq from another process.
std::string got_line(int32 seq)
{
    return "got " + std::to_string(seq) + " remote nopointers";
}

status_t broadcast(int32 seq)
{
    BMessage message(kTestBroadcast);
    message.AddInt32("seq", seq);
    return be_roster->Broadcast(&message);
}

// Runs a call that must not block for long on another thread. When the deadline passes the
// test fails, rescue() is called to set the call free, and only if that does not help is the
// program stopped, rather than left hanging.
template <typename Call>
auto with_watchdog(Call call, std::chrono::seconds deadline, std::function<void()> rescue)
{
    auto future = std::async(std::launch::async, call);
    if (future.wait_for(deadline) != std::future_status::ready) {
        ADD_FAILURE() << "the call was still blocked after " << deadline.count() << " s";
        rescue();
        if (future.wait_for(10s) != std::future_status::ready)
            std::abort();
    }
    return future.get();
}

// A BApplication in another process (RosterTestApp.cpp), logging what it gets to a file.
class AppProcess {
public:
    // With broadcastSeq, the application broadcasts it itself once it runs.
    AppProcess(const char* signature, const std::string& log, int32 broadcastSeq = -1)
        : fSignature(signature), fLog(log)
    {
        std::vector<std::string> argv = {ROSTER_TEST_APP, "app", signature, log};
        if (broadcastSeq >= 0)
            argv.insert(argv.end(), {"broadcast", std::to_string(broadcastSeq)});
        fStarted = fChild.Start(argv);
    }

    bool WaitReady() { return fStarted && wait_for_line(fLog, "ready"); }
    bool Got(int32 seq) const { return has_line(fLog, got_line(seq)); }
    bool WaitFor(int32 seq) { return wait_for_line(fLog, got_line(seq)); }
    pid_t Pid() const { return fChild.Pid(); }
    std::string Inbox() const { return inbox_name(fChild.Pid(), fSignature.c_str()); }
    ChildProcess& Child() { return fChild; }
    const std::string& Log() const { return fLog; }

private:
    ChildProcess fChild;
    std::string fSignature;
    std::string fLog;
    bool fStarted = false;
};

class RosterProcesses : public testing::Test {
protected:
    std::string LogPath(const std::string& name) const { return fFolder.Path() + "/" + name; }

    TempFolder fFolder;
};

} // namespace

TEST_F(RosterProcesses, BroadcastReachesEveryApplicationOnceAndClearsAwayTheDead)
{
    AppProcess first(kSignatureA, LogPath("first"));
    AppProcess second(kSignatureB, LogPath("second"));
    ASSERT_TRUE(first.WaitReady());
    ASSERT_TRUE(second.WaitReady());

    // An application that broadcasts once it runs: it gets its own message too.
    AppProcess sender(kSignatureA, LogPath("sender"), 41);
    EXPECT_TRUE(sender.WaitFor(41));
    EXPECT_TRUE(first.WaitFor(41));
    EXPECT_TRUE(second.WaitFor(41));
    std::vector<team_id> teams;
    be_roster->GetAppList(kSignatureA, &teams);
    EXPECT_EQ(std::set<team_id>(teams.begin(), teams.end()),
              (std::set<team_id>{first.Pid(), sender.Pid()}));
    be_roster->GetAppList(&teams);
    EXPECT_EQ(std::set<team_id>(teams.begin(), teams.end()),
              (std::set<team_id>{first.Pid(), second.Pid(), sender.Pid()}));

    // From a process without an application, with a pointer field that nobody may see.
    ChildProcess plain;
    ASSERT_TRUE(plain.Start({ROSTER_TEST_APP, "broadcast", "42"}));
    EXPECT_EQ(plain.Wait(), 0);
    // Each message arrived once.
    for (AppProcess* app : {&first, &second, &sender}) {
        EXPECT_TRUE(app->WaitFor(42)) << app->Log();
        EXPECT_EQ(read_lines(app->Log()),
                  (std::vector<std::string>{"ready", got_line(41), got_line(42)}))
            << app->Log();
    }

    // Nothing runs in a killed process to take its inbox away: the next broadcast does.
    const std::string deadInbox = second.Inbox();
    second.Child().Signal(SIGKILL);
    ASSERT_EQ(second.Child().Wait(), 128 + SIGKILL);
    EXPECT_TRUE(is_listed(deadInbox));
    EXPECT_TRUE(be_roster->IsRunning(kSignatureA));

    // The roster's message reaches the application's own handlers like any other: a quit
    // request by broadcast ends them all, and each removes its inbox on the way out.
    BMessage quit(kTestQuit);
    ASSERT_EQ(be_roster->Broadcast(&quit), B_OK);
    EXPECT_FALSE(is_listed(deadInbox));
    EXPECT_FALSE(be_roster->IsRunning(kSignatureB));
    for (AppProcess* app : {&first, &sender}) {
        const std::string inbox = app->Inbox();
        EXPECT_EQ(app->Child().Wait(), 0);
        EXPECT_TRUE(has_line(app->Log(), "quit"));
        EXPECT_FALSE(is_listed(inbox));
    }
}

TEST_F(RosterProcesses, StoppedApplicationDoesNotHoldUpTheSender)
{
    AppProcess stopped(kSignatureA, LogPath("stopped"));
    AppProcess running(kSignatureB, LogPath("running"));
    ASSERT_TRUE(stopped.WaitReady() && running.WaitReady());

    ASSERT_TRUE(stopped.Child().Stop());
    const status_t status =
        with_watchdog([] { return broadcast(11); }, 20s, [&] { stopped.Child().Signal(SIGCONT); });
    EXPECT_EQ(status, B_OK);
    EXPECT_TRUE(running.WaitFor(11));

    // Passed by, not forgotten: once it goes on, it gets the next broadcast.
    stopped.Child().Signal(SIGCONT);
    EXPECT_EQ(broadcast(12), B_OK);
    EXPECT_TRUE(stopped.WaitFor(12));
    EXPECT_FALSE(stopped.Got(11));
}

// Another user took the folder of inboxes, and the cache folder is no folder: a broadcast
// reaches nobody, must not say that it was delivered, and the program says why, once.
TEST_F(RosterProcesses, BroadcastWithoutAFolderOfInboxesFails)
{
    const std::string runtime = LogPath("runtime");
    ASSERT_EQ(0, mkdir(runtime.c_str(), 0700));
    ASSERT_EQ(0, close(creat((runtime + "/be-ports").c_str(), 0600)));
    const std::string cache = LogPath("cache");
    ASSERT_EQ(0, close(creat(cache.c_str(), 0600)));
    ChildProcess plain;
    ASSERT_TRUE(plain.Start({ROSTER_TEST_APP, "broadcast", "5"},
                            {"XDG_RUNTIME_DIR=" + runtime, "XDG_CACHE_HOME=" + cache},
                            LogPath("output")));
    EXPECT_EQ(plain.Wait(), 1);
    const std::string said = TempFolder::ReadText(LogPath("output"));
    EXPECT_NE(said.find(runtime + "/be-ports is not a private folder"), std::string::npos) << said;
    EXPECT_EQ(said.find("unavailable"), said.rfind("unavailable")) << said;
}

// What the roster gives an application and its inbox, and what arrives in it, the process
// tests check; here, a broadcast that comes before Run() waits in the application's queue,
// and records that are no broadcast, the largest a port takes among them, leave no trace.
TEST(RosterInProcess, ABroadcastWaitsForAnApplicationNotYetRunning)
{
    BApplication app("application/x-vnd.roster-test-self");
    ASSERT_EQ(app.InitCheck(), B_OK);
    app_info info;
    ASSERT_EQ(app.GetAppInfo(&info), B_OK);
    EXPECT_GE(info.port, 0);
    const std::vector<char> huge(B_MAX_PORT_RECORD_SIZE, '\x89');
    ASSERT_EQ(write_port(info.port, kBroadcastRecord, huge.data(), huge.size()), B_OK);
    ASSERT_EQ(write_port(info.port, 'abcd', "hello", 5), B_OK);
    ASSERT_EQ(broadcast(3), B_OK);
    EXPECT_EQ(be_roster->Broadcast(nullptr), B_BAD_VALUE);

    eventually([&] { return app.MessageQueue()->CountMessages() > 0; }, 10s);
    ASSERT_EQ(app.MessageQueue()->CountMessages(), 1);
    BMessage* received = nullptr;
    int32 target;
    ASSERT_TRUE(app.MessageQueue()->NextMessage(&received, &target));
    std::unique_ptr<BMessage> owned(received);
    EXPECT_EQ(received->what, (uint32)kTestBroadcast);
    EXPECT_EQ(int32_of(*received, "seq"), 3);
}

namespace {

TEST(RosterInboxName, HasOneSpellingThatFitsAPortName)
{
    const char* signature = "application/x-vnd.Some-Rather-Long-Application-Signature";
    // Port names are cut at B_OS_NAME_LENGTH - 1 bytes: an inbox name must survive whole.
    const std::string name = inbox_name(INT32_MAX, signature);
    EXPECT_LT(name.size(), (size_t)B_OS_NAME_LENGTH);
    team_id team = 0;
    uint32 hash = 0;
    ASSERT_TRUE(parse_inbox_name(name.c_str(), &team, &hash));
    EXPECT_EQ(team, INT32_MAX);
    EXPECT_EQ(hash, signature_hash(signature));
    // FNV-1a: every build and every process must publish the same names.
    EXPECT_EQ(signature_hash(""), 0x811c9dc5u);
    EXPECT_EQ(signature_hash("a"), 0xe40c292cu);

    for (const char* other :
         {"app-inbox:12", "app-inbox::0123abcd", "app-inbox:0:0123abcd", "app-inbox:-5:0123abcd",
          "app-inbox:075:0123abcd", "app-inbox:12345678901:0123abcd", "app-inbox:12:0123abc",
          "app-inbox:12:0123abcd0", "app-inbox:12:0123ABCD", "SomeOtherPort"}) {
        team = 77;
        EXPECT_FALSE(parse_inbox_name(other, &team, &hash)) << other;
        EXPECT_EQ(team, 77) << other;
    }
}

// Three levels of messages, with pointer fields at each or none at all.
BMessage nested_message(bool withPointers)
{
    static int anchor = 0;
    BMessage inner('innr');
    if (withPointers)
        inner.AddPointer("target", &anchor);
    inner.AddInt32("kept", 3);
    BMessage middle('midl');
    middle.AddMessage("inner", &inner);
    middle.AddMessage("inner", &inner);
    if (withPointers)
        middle.AddPointer("source", &anchor);
    BMessage outer('outr');
    for (const char* name : {"source", "source", "handler"}) {
        if (withPointers)
            outer.AddPointer(name, &anchor);
    }
    outer.AddInt32("value", 9);
    outer.AddMessage("middle", &middle);
    return outer;
}

// Pointers are removed at every level; nothing of a bad record is handed on: the message it
// was read into is left empty.
TEST(RosterInboxRecord, KeepsNoPointersAndNothingOfABadRecord)
{
    const std::vector<char> nested = flatten(nested_message(true));
    BMessage decoded;
    ASSERT_EQ(decode_inbox_record(kBroadcastRecord, nested.data(), nested.size(), &decoded), B_OK);
    EXPECT_EQ(flatten(decoded), flatten(nested_message(false)));

    const struct {
        const char* what;
        int32 code;
        const char* bytes;
        size_t size;
    } records[] = {
        {"another code", 'abcd', nested.data(), nested.size()},
        {"cut short", kBroadcastRecord, nested.data(), nested.size() - 1},
        {"a size without bytes", kBroadcastRecord, nullptr, 20},
    };
    for (const auto& record : records) {
        BMessage got(decoded);
        EXPECT_NE(decode_inbox_record(record.code, record.bytes, record.size, &got), B_OK)
            << record.what;
        EXPECT_TRUE(got.IsEmpty() && got.what == 0) << record.what;
    }
}

} // namespace
