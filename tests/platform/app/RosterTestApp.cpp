// The other processes of the roster tests.
//
//   roster_test_app app SIGNATURE LOG [broadcast SEQ]
//       Runs a BApplication. Writes "ready" to LOG once it runs, then a line for each message
//       it gets: "got SEQ remote|local pointers|nopointers" for kTestBroadcast ("remote": from
//       another process, and with no return address), and quits on kTestQuit. With "broadcast SEQ"
//       it broadcasts kTestBroadcast SEQ itself once ready.
//   roster_test_app broadcast SEQ
//       Broadcasts kTestBroadcast SEQ from a process without an application; exits 0 when
//       Broadcast answered B_OK.

#include "RosterTestCodes.h"

#include <Application.h>
#include <Message.h>
#include <Roster.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

void log_line(int fd, const std::string& line)
{
    const std::string text = line + "\n";
    // One write per line on an O_APPEND descriptor: lines never interleave.
    if (write(fd, text.data(), text.size()) != (ssize_t)text.size())
        _exit(3);
}

class TestApp : public BApplication {
public:
    TestApp(const char* signature, int log, int32 broadcastSeq)
        : BApplication(signature), fLog(log), fBroadcastSeq(broadcastSeq)
    {
    }

    void ReadyToRun() override
    {
        log_line(fLog, "ready");
        if (fBroadcastSeq >= 0) {
            BMessage message(kTestBroadcast);
            message.AddInt32("seq", fBroadcastSeq);
            if (be_roster->Broadcast(&message) != B_OK)
                log_line(fLog, "broadcast failed");
        }
    }

    void MessageReceived(BMessage* message) override
    {
        switch (message->what) {
        case kTestBroadcast: {
            int32 seq = -1;
            message->FindInt32("seq", &seq);
            log_line(fLog,
                     "got " + std::to_string(seq) +
                         (message->IsSourceRemote() && !message->ReturnAddress().IsValid()
                              ? " remote"
                              : " local") +
                         (message->CountNames(B_POINTER_TYPE) > 0 ? " pointers" : " nopointers"));
            break;
        }
        case kTestQuit:
            Quit();
            break;
        default:
            BApplication::MessageReceived(message);
            break;
        }
    }

private:
    int fLog;
    int32 fBroadcastSeq;
};

int run_app(int argc, char** argv)
{
    if (argc != 4 && !(argc == 6 && strcmp(argv[4], "broadcast") == 0))
        return 2;
    const int log = open(argv[3], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (log < 0)
        return 1;
    TestApp* app = new TestApp(argv[2], log, argc == 6 ? atoi(argv[5]) : -1);
    if (app->InitCheck() != B_OK)
        return 1;
    app->Run();
    delete app;
    log_line(log, "quit");
    return 0;
}

int broadcast(int32 seq)
{
    BMessage message(kTestBroadcast);
    message.AddInt32("seq", seq);
    // A pointer field, which no receiver may see.
    message.AddPointer("self", &message);
    return be_roster->Broadcast(&message) == B_OK ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && strcmp(argv[1], "app") == 0)
        return run_app(argc, argv);
    if (argc == 3 && strcmp(argv[1], "broadcast") == 0)
        return broadcast(atoi(argv[2]));
    fprintf(stderr, "roster_test_app: unknown use\n");
    return 2;
}
