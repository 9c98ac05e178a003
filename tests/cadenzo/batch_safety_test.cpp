// What the program leaves behind when it is interrupted, and what it will and will not replace.

#include "BatchFixture.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using BatchSafety = BatchFixture;

// A song whose conversion takes a while: its output is written for long enough to be caught.
Bytes big_song()
{
    Bytes events;
    for (int i = 0; i < 400000; i++)
        events.insert(events.end(), {0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C, 0x40});
    return smf_header(0, 1, 96) + smf_track(events + Bytes{0x00, 0xFF, 0x2F, 0x00});
}

bool is_temporary(const std::string& name)
{
    return name.starts_with(".a.fem.");
}

// Starts cadenzo on a.mid in folder and stops it the moment its temporary appears; the test
// then sends what it likes. The pid, or -1 when the run ended first.
pid_t stopped_while_writing(const TempFolder& folder, const std::string& environment)
{
    const int watch = inotify_init1(IN_CLOEXEC);
    inotify_add_watch(watch, folder.Path().c_str(), IN_CREATE);
    const std::string command = "cd '" + folder.Path() + "' && exec " + environment + "'" +
                                CADENZO_BINARY + "' a.mid >/dev/null 2>&1 </dev/null";
    const pid_t pid = fork();
    if (pid == 0) {
        // A test started in the background ignores SIGINT, and the program keeps a signal it
        // was started to ignore.
        signal(SIGINT, SIG_DFL);
        execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool seen = false;
    while (!seen && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{watch, POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0)
            continue;
        alignas(inotify_event) char buffer[4096];
        const ssize_t length = read(watch, buffer, sizeof buffer);
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && is_temporary(event->name)) {
                kill(pid, SIGSTOP);
                seen = true;
            }
            at += (ssize_t)(sizeof(inotify_event) + event->len);
        }
    }
    close(watch);
    int status = 0;
    if (!seen)
        kill(pid, SIGKILL);
    waitpid(pid, &status, WUNTRACED);
    return seen && WIFSTOPPED(status) ? pid : -1;
}

std::vector<std::string> temporaries(const TempFolder& folder)
{
    std::vector<std::string> found = folder.List();
    std::erase_if(found, [](const std::string& name) { return !is_temporary(name); });
    return found;
}

TEST_F(BatchSafety, InterruptionRemovesTheTemporaryAndEndsAsTheSignalWould)
{
    fFolder.Write("a.mid", big_song());
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        const pid_t pid = stopped_while_writing(fFolder, Environment());
        ASSERT_GT(pid, 0) << "the temporary never appeared";
        ASSERT_EQ(1u, temporaries(fFolder).size());
        kill(pid, signal);
        kill(pid, SIGCONT);
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        // The shell reports it as 128 + the signal.
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(std::vector<std::string>{}, temporaries(fFolder));
        EXPECT_FALSE(fFolder.Exists("a.fem"));
    }
}

TEST_F(BatchSafety, TemporaryOfAKilledRunGoesWithTheNextRun)
{
    fFolder.Write("a.mid", big_song());
    // One of a run still going is not touched.
    const std::string living = ".a.fem." + std::to_string(getpid()) + ".abcdef";
    fFolder.Write(living, {1});
    const pid_t pid = stopped_while_writing(fFolder, Environment());
    ASSERT_GT(pid, 0) << "the temporary never appeared";
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    ASSERT_EQ(2u, temporaries(fFolder).size());

    fFolder.Write("a.mid", song());
    EXPECT_EQ(0, Cadenzo("a.mid").exitStatus);
    EXPECT_EQ(std::vector<std::string>{living}, temporaries(fFolder));
    EXPECT_TRUE(fFolder.Exists("a.fem"));
}

// A replaced output keeps its permission bits; a link of the user's own is followed, and the
// file it leads to is replaced, not the link.
TEST_F(BatchSafety, ReplacedOutputKeepsItsModeAndTheUsersOwnLink)
{
    fFolder.Write("a.mid", song());
    fFolder.Write("a.fem", {'o', 'l', 'd'});
    chmod((fFolder / "a.fem").c_str(), 0604);
    std::filesystem::create_directory(fFolder / "real");
    fFolder.Write("real/kept.fem", {'o', 'l', 'd'});
    fFolder.Write("b.mid", song());
    std::filesystem::create_symlink("real/kept.fem", fFolder / "b.fem");
    ASSERT_EQ(0, Cadenzo("a.mid b.mid").exitStatus);

    struct stat status;
    ASSERT_EQ(0, stat((fFolder / "a.fem").c_str(), &status));
    EXPECT_EQ(0604u, status.st_mode & 07777);
    EXPECT_NE(3, status.st_size);
    EXPECT_TRUE(std::filesystem::is_symlink(fFolder / "b.fem"));
    EXPECT_EQ(fFolder.Read("a.fem"), fFolder.Read("real/kept.fem"));
}

// Another user plants "a.fem -> a file of the victim" in a shared sticky folder: converting
// a.mid there must not replace the victim's file.
TEST_F(BatchSafety, LinkPlantedByAnotherUserInASharedFolderIsRefused)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a link of another user can be planted only by the superuser";
    std::filesystem::create_directory(fFolder / "shared");
    chmod((fFolder / "shared").c_str(), 01777);
    fFolder.Write("important.conf", {'k', 'e', 'e', 'p'});
    chmod((fFolder / "important.conf").c_str(), 0600);
    fFolder.Write("shared/a.mid", song());
    std::filesystem::create_symlink(fFolder / "important.conf", fFolder / "shared/a.fem");
    ASSERT_EQ(0, lchown((fFolder / "shared/a.fem").c_str(), 65534, 65534));

    Outcome run = Cadenzo("shared/a.mid");
    EXPECT_EQ(1, run.exitStatus);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "cadenzo: shared/a.mid: cannot create shared/a.fem: permission denied",
                        run.err);
    EXPECT_EQ((Bytes{'k', 'e', 'e', 'p'}), fFolder.Read("important.conf"));
    struct stat status;
    ASSERT_EQ(0, stat((fFolder / "important.conf").c_str(), &status));
    EXPECT_EQ(0600u, status.st_mode & 07777);
}

} // namespace
