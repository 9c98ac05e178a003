// The program itself, run on files in a terminal as a user would run it: what it converts and
// says, what it leaves behind when it is interrupted, and what it will and will not replace.

#include "Environment.h"
#include "MidiBytes.h"
#include "TempFolder.h"
#include "settings/Prefs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <map>
#include <poll.h>
#include <regex>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Outcome {
    int exitStatus;
    std::string out;
    std::string err;
};

class Batch : public testing::Test {
protected:
    // The environment a run gets: settings of the test's own, English, no window system.
    std::string Environment() const
    {
        return "env -u DISPLAY XDG_CONFIG_HOME='" + fFolder.Path() +
               "/config' LANG=C LANGUAGE= LC_ALL= ";
    }

    // Runs cadenzo with arguments in the test's folder; before is shell text run first in the
    // same shell (a ulimit).
    Outcome Cadenzo(const std::string& arguments, const std::string& before = "",
                    const std::string& binary = CADENZO_BINARY)
    {
        std::string command = "cd '" + fFolder.Path() + "' && " + before + Environment() + "'" +
                              binary + "' " + arguments + " >'" + fFolder.Path() + "/out' 2>'" +
                              fFolder.Path() + "/err' </dev/null";
        int status = system(command.c_str());
        Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                    TempFolder::ReadText(fFolder / "out"), TempFolder::ReadText(fFolder / "err")};
        std::filesystem::remove(fFolder / "out");
        std::filesystem::remove(fFolder / "err");
        return run;
    }

    TempFolder fFolder;
};

// Notes on channels 1 and 2 after a beat of silence: every run setting changes its output.
Bytes two_channel_song()
{
    return smf_header(0, 1, 96) +
           smf_track({0x60, 0x90, 0x3C, 0x64, 0x00, 0x91, 0x40, 0x32, 0x60, 0x80,
                      0x3C, 0x40, 0x00, 0x81, 0x40, 0x40, 0x00, 0xFF, 0x2F, 0x00});
}

// Many notes on channel 1: an output of count × 8 bytes and more.
Bytes long_song(int count)
{
    Bytes events;
    for (int i = 0; i < count; i++)
        events.insert(events.end(), {0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C, 0x40});
    return smf_header(0, 1, 96) + smf_track(events + Bytes{0x00, 0xFF, 0x2F, 0x00});
}

// Each failure names the file and its cause, then gives the alert's text where it applies.
TEST_F(Batch, FailureNamesTheFileAndItsCause)
{
    const struct {
        const char* what;
        const char* before; // shell text run first, in the folder
        const char* file;   // written with content, when there is one
        Bytes content;
        const char* cause; // after "cadenzo: ", the name given on the command line first
        const char* alert;
    } cases[] = {
        {"missing", "", nullptr, Bytes(), "gone.mid: no such file or folder",
         "cannot be read as a Standard MIDI File"},
        {"not a MIDI file", "", "bad.mid", Bytes{'n', 'o'}, "bad.mid: not a Standard MIDI File",
         "cannot be read as a Standard MIDI File"},
        {"format 2", "", "f2.mid", smf_header(2, 1, 96) + smf_track({}),
         "f2.mid: a Standard MIDI File of format 2", "cannot be read as a Standard MIDI File"},
        {"truncated", "", "cut.mid", smf_header(0, 1, 96), "cut.mid: a damaged Standard MIDI File",
         "cannot be read"},
        {"folder without MIDI files", "mkdir empty && ", nullptr, Bytes(),
         "empty: a folder without MIDI files", "holds no MIDI files"},
        {"already converted", "", "a.fem", song(), "a.fem: already a .fem file", nullptr},
        {"folder in the way", "mkdir a.fem && ", "a.mid", song(),
         "a.mid: cannot create a.fem: is a folder", "cannot be created beside the MIDI file"},
        // One block is room for the messages, not for the output.
        {"file size limit", "ulimit -f 1 && ", "a.mid", long_song(300),
         "a.mid: cannot write a.fem: disk full", "could not be written completely"},
        {"unreadable", "chmod 000 secret.mid && ", "secret.mid", song(),
         "secret.mid: permission denied", "cannot be read"},
    };

    for (const auto& failure : cases) {
        SCOPED_TRACE(failure.what);
        // The superuser reads every file.
        if (geteuid() == 0 && std::string(failure.what) == "unreadable")
            continue;
        for (const std::string& name : fFolder.List())
            std::filesystem::remove_all(fFolder / name);
        if (failure.file != nullptr)
            fFolder.Write(failure.file, failure.content);
        const std::string cause = failure.cause;
        Outcome run = Cadenzo(cause.substr(0, cause.find(':')), failure.before);
        EXPECT_EQ(1, run.exitStatus);
        const size_t at = run.err.find("cadenzo: " + cause);
        EXPECT_NE(std::string::npos, at) << run.err;
        if (failure.alert != nullptr) {
            EXPECT_LT(at, run.err.find(failure.alert)) << run.err;
        }
        EXPECT_EQ(std::string::npos, run.err.find("Drop")) << run.err;
        EXPECT_EQ(std::string::npos, run.err.find("[")) << "no imitation of a dialog\n" << run.err;
    }

    // Without a catalogue beside the program, the alert's key shows.
    std::filesystem::create_directory(fFolder / "bin");
    std::filesystem::copy_file(CADENZO_BINARY, fFolder / "bin/cadenzo");
    Outcome run = Cadenzo("missing.mid", "", fFolder / "bin/cadenzo");
    EXPECT_EQ(1, run.exitStatus);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "cadenzo: @Err_Cannot_Load_Src_File@\n", run.err);
}

// A run says only which file it is at; it stops at the first failure, naming what was not
// converted, unless told to keep going.
TEST_F(Batch, ConvertsEveryFileAndStopsAtTheFirstFailureNamingWhatWasNotConverted)
{
    fFolder.Write("a.mid", song());
    fFolder.Write("b b.mid", song());
    Outcome run = Cadenzo("a.mid 'b b.mid'");
    EXPECT_EQ(0, run.exitStatus) << run.err;
    EXPECT_EQ("Converting... [1/2] a.mid\nConverting... [2/2] b b.mid\n", run.out);
    EXPECT_EQ("", run.err);
    EXPECT_TRUE(fFolder.Exists("a.fem"));
    EXPECT_TRUE(fFolder.Exists("b b.fem"));

    run = Cadenzo("--quiet a.mid");
    EXPECT_EQ(0, run.exitStatus);
    EXPECT_EQ("", run.out + run.err);

    fFolder.Write("bad.mid", {'n', 'o'});
    fFolder.Write("c.mid", song());
    run = Cadenzo("--batch a.mid bad.mid c.mid");
    EXPECT_EQ(1, run.exitStatus);
    EXPECT_EQ("Converting... [1/3] a.mid\nConverting... [2/3] bad.mid\n", run.out);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "cadenzo: 1 converted, 1 failed, 1 skipped; not converted: bad.mid, "
                        "c.mid\n",
                        run.err);
    EXPECT_TRUE(fFolder.Exists("a.fem"));
    EXPECT_FALSE(fFolder.Exists("c.fem"));

    run = Cadenzo("--keep-going a.mid bad.mid c.mid");
    EXPECT_EQ(1, run.exitStatus);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "cadenzo: 2 converted, 1 failed, 0 skipped; not converted: bad.mid\n",
                        run.err);
    EXPECT_TRUE(fFolder.Exists("c.fem"));

    run = Cadenzo("--keep-going a.mid c.mid");
    EXPECT_EQ(0, run.exitStatus);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "2 converted, 0 failed, 0 skipped\n", run.out);
}

// A folder stands for the MIDI files in it and its subfolders, found by name or by content,
// in the order of their paths, and they are named as found from the folder named.
TEST_F(Batch, FolderStandsForItsMidiFilesInPathOrder)
{
    std::filesystem::create_directories(fFolder / "songs/sub");
    fFolder.Write("songs/b.MID", song());
    fFolder.Write("songs/a.kar", song());
    fFolder.Write("songs/sub/c", {'M', 'T', 'h', 'd'});
    fFolder.Write("songs/done.fem", song());
    fFolder.Write("songs/notes.txt", {'h', 'i', '!', '!'});
    Outcome run = Cadenzo("--keep-going songs/");
    EXPECT_EQ(1, run.exitStatus);
    EXPECT_EQ("Converting... [1/3] a.kar\nConverting... [2/3] b.MID\nConverting... [3/3] c\n",
              run.out);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "cadenzo: songs/sub/c: a damaged", run.err);
    EXPECT_TRUE(fFolder.Exists("songs/a.fem"));
    EXPECT_TRUE(fFolder.Exists("songs/b.fem"));
}

// Files converted two at a time give the same bytes, and the same lines in the same order.
TEST_F(Batch, TwoJobsConvertAsOneDoes)
{
    std::filesystem::create_directory(fFolder / "songs");
    for (int i = 0; i < 100; i++) {
        const std::string name = "songs/" + std::to_string(100 + i) + ".mid";
        fFolder.Write(name, i == 50 ? Bytes{'n', 'o'} : long_song(1 + i * 7));
    }
    auto outputs = [&] {
        std::map<std::string, Bytes> found;
        for (const auto& entry : std::filesystem::directory_iterator(fFolder / "songs")) {
            const std::string name = entry.path().filename();
            if (name.ends_with(".fem"))
                found[name] = fFolder.Read("songs/" + name);
        }
        return found;
    };
    const Outcome one = Cadenzo("--keep-going songs");
    const std::map<std::string, Bytes> oneByOne = outputs();
    for (const auto& [name, bytes] : oneByOne)
        std::filesystem::remove(fFolder / ("songs/" + name));
    const Outcome two = Cadenzo("--keep-going --jobs 2 songs");
    EXPECT_EQ(1, two.exitStatus);
    EXPECT_EQ(one.out, two.out);
    EXPECT_EQ(one.err, two.err);
    EXPECT_EQ(99u, oneByOne.size());
    EXPECT_TRUE(oneByOne == outputs());
}

// Each run setting gives what the same setting saved by the windows gives, and leaves the
// saved settings as they were.
TEST_F(Batch, RunSettingsConvertAsSavedSettingsDoAndAreNotSaved)
{
    const std::pair<const char*, void (*)(TPrefs&)> cases[] = {
        {"--channels 2-16", [](TPrefs& p) { p.ChMs[0] = false, p.ChMs[9] = true; }},
        {"--channels=1,3-16", [](TPrefs& p) { p.ChMs[1] = false, p.ChMs[9] = true; }},
        {"--max-velocity 100", [](TPrefs& p) { p.MaxV = 100; }},
        {"--no-trim-head", [](TPrefs& p) { p.TrHd = false; }},
        {"--no-tail", [](TPrefs& p) { p.AdTl = false; }},
        {"--tail 7", [](TPrefs& p) { p.TlMg = 7; }},
        {"--tail 99", [](TPrefs& p) { p.TlMg = 10; }},
        {"--tail 0", [](TPrefs& p) { p.TlMg = 1; }},
    };
    fFolder.Write("a.mid", two_channel_song());
    const std::string settings = fFolder / "config/VANTOR/Cadenzo/Cadenzo_Prefs.arc";
    ScopedVariable config("XDG_CONFIG_HOME", fFolder / "config");
    ASSERT_EQ(0, TPrefs().SaveToFile());
    const std::string defaults = TempFolder::ReadText(settings);
    ASSERT_EQ(0, Cadenzo("a.mid").exitStatus);
    const Bytes usual = fFolder.Read("a.fem");
    for (const auto& [option, change] : cases) {
        SCOPED_TRACE(option);
        ASSERT_EQ(0, TPrefs().SaveToFile());
        ASSERT_EQ(0, Cadenzo(std::string(option) + " a.mid").exitStatus);
        const Bytes forTheRun = fFolder.Read("a.fem");
        EXPECT_EQ(defaults, TempFolder::ReadText(settings));
        EXPECT_NE(usual, forTheRun);

        TPrefs saved;
        change(saved);
        ASSERT_EQ(0, saved.SaveToFile());
        ASSERT_EQ(0, Cadenzo("a.mid").exitStatus);
        EXPECT_EQ(fFolder.Read("a.fem"), forTheRun);
    }
}

// Two files of one run with one output: in an output folder the second is refused; beside
// their sources the second replaces the first, as always, but not without a word. An output
// without a note is converted with a word too.
TEST_F(Batch, OutputsReplacedInTheRunOrWithoutNotesAreNotWrittenSilently)
{
    fFolder.Write("a.mid", song());
    fFolder.Write("a.kar", two_channel_song());
    std::filesystem::create_directory(fFolder / "fems");
    Outcome run = Cadenzo("--output-dir fems --keep-going a.mid a.kar");
    EXPECT_EQ(1, run.exitStatus);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "cadenzo: a.kar: fems/a.fem is the output of a.mid in this run", run.err);
    EXPECT_FALSE(fFolder.Exists("a.fem")) << "nothing beside the sources";
    const Bytes inOutputFolder = fFolder.Read("fems/a.fem");

    run = Cadenzo("a.mid a.kar");
    EXPECT_EQ(0, run.exitStatus);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "cadenzo: warning: a.kar: replaces a.fem, written from a.mid", run.err);
    EXPECT_EQ(Cadenzo("a.mid").exitStatus, 0);
    EXPECT_EQ(fFolder.Read("a.fem"), inOutputFolder);

    EXPECT_EQ(2, Cadenzo("--output-dir nowhere a.mid").exitStatus);

    // Drums only, and channel 10 is not converted unless asked for.
    fFolder.Write("drums.mid",
                  smf_header(0, 1, 96) + smf_track({0x00, 0x99, 0x24, 0x64, 0x60, 0x89, 0x24, 0x40,
                                                    0x00, 0xFF, 0x2F, 0x00}));
    run = Cadenzo("drums.mid");
    EXPECT_EQ(0, run.exitStatus);
    EXPECT_PRED_FORMAT2(testing::IsSubstring,
                        "cadenzo: warning: drums.mid: drums.fem holds no note (channels "
                        "converted: 1-9,11-16)",
                        run.err);
    EXPECT_TRUE(fFolder.Exists("drums.fem"));
    EXPECT_EQ("", Cadenzo("--channels 10 drums.mid").err);
}

// Wrong command lines end with status 2; the help is the one list of the options, and the
// manual page must know each of them.
TEST_F(Batch, UsageErrorsEndWithStatusTwoAndTheManualPageDescribesEveryOption)
{
    fFolder.Write("a.mid", song());
    Outcome run = Cadenzo("");
    EXPECT_EQ(2, run.exitStatus);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "Usage: cadenzo", run.err);
    for (const char* wrong :
         {"--frobnicate", "--channels 0", "--channels 9-2", "--channels", "--max-velocity 128",
          "--max-velocity 0", "--tail soon", "--quiet=yes", "--jobs 0"}) {
        SCOPED_TRACE(wrong);
        run = Cadenzo(std::string(wrong) + " a.mid");
        EXPECT_EQ(2, run.exitStatus);
        EXPECT_PRED_FORMAT2(testing::IsSubstring, "cadenzo: ", run.err);
    }
    EXPECT_FALSE(fFolder.Exists("a.fem"));

    run = Cadenzo("--help");
    EXPECT_EQ(0, run.exitStatus);
    const std::string manual =
        std::regex_replace(TempFolder::ReadText(CADENZO_MANUAL), std::regex(R"(\\-)"), "-");
    std::set<std::string> options;
    const std::regex option(R"(--[a-z-]+)");
    for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), option);
         it != std::sregex_iterator(); ++it)
        options.insert(it->str());
    EXPECT_GE(options.size(), 11u) << run.out;
    for (const std::string& name : options)
        EXPECT_NE(std::string::npos, manual.find(name)) << name;
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

// Interrupted, a run removes its temporary and ends as the signal would. The temporary of a
// killed run goes with the next run; one of a run still going is not touched.
TEST_F(Batch, InterruptionRemovesTheTemporaryAndAKilledRunsGoesWithTheNextRun)
{
    // Its conversion takes a while: its output is written for long enough to be caught.
    fFolder.Write("a.mid", long_song(400000));
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
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
        EXPECT_EQ(signal == SIGKILL ? 1u : 0u, temporaries(fFolder).size());
        EXPECT_FALSE(fFolder.Exists("a.fem"));
    }

    const std::string living = ".a.fem." + std::to_string(getpid()) + ".abcdef";
    fFolder.Write(living, {1});
    fFolder.Write("a.mid", song());
    EXPECT_EQ(0, Cadenzo("a.mid").exitStatus);
    EXPECT_EQ(std::vector<std::string>{living}, temporaries(fFolder));
    EXPECT_TRUE(fFolder.Exists("a.fem"));
}

// A replaced output keeps its permission bits; a link of the user's own is followed, and the
// file it leads to is replaced, not the link. A link another user planted in a shared sticky
// folder ("a.fem -> a file of the victim") is refused, and the victim's file stays.
TEST_F(Batch, ReplacingKeepsTheModeAndFollowsOnlyTheUsersOwnLinks)
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
    ASSERT_EQ(0, stat((fFolder / "important.conf").c_str(), &status));
    EXPECT_EQ(0600u, status.st_mode & 07777);
}

} // namespace
