// Launching goes through the desktop's opener. These tests put an opener of their own first on
// the PATH: a script that records its arguments, one file per run.

#include "Environment.h"
#include "TempFolder.h"
#include "Watchdog.h"

#include <Entry.h>
#include <Roster.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

class RosterLaunch : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(fFolder / "bin");
        std::filesystem::create_directory(fFolder / "runs");
        // Each argument on a line of its own, in a file named after the opener's process.
        const std::string run = fFolder / "runs/$$";
        InstallOpener("bin", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + run + ".tmp\"\n/bin/mv \"" +
                                 run + ".tmp\" \"" + run + "\"\n");
        fPath.emplace("PATH", (fFolder / "bin" + ":/usr/bin:/bin").c_str());
    }

    void InstallOpener(const std::string& folder, const std::string& script, mode_t mode = 0755)
    {
        const std::string path = fFolder.WriteText(folder + "/xdg-open", script);
        chmod(path.c_str(), mode);
    }

    // The argument lists of the opener's runs, once count of them have finished.
    std::multiset<std::string> WaitForRuns(size_t count)
    {
        std::multiset<std::string> runs;
        eventually(
            [&] {
                runs.clear();
                for (const auto& entry : std::filesystem::directory_iterator(fFolder / "runs")) {
                    if (entry.path().extension() != ".tmp")
                        runs.insert(TempFolder::ReadText(entry.path()));
                }
                return runs.size() >= count;
            },
            10s);
        return runs;
    }

    TempFolder fFolder;
    std::optional<ScopedVariable> fPath;
};

} // namespace

TEST_F(RosterLaunch, EachArgumentOrDocumentGoesToTheOpenerAsItIs)
{
    // Shell characters stay as they are: there is no shell in between.
    const char* url = "https://example.org/a b?x=1&y='2';$(touch pwned)";
    const char* args[] = {url, "-not-an-option"};
    team_id team = 12;
    EXPECT_EQ(be_roster->Launch("text/html", 2, args, &team), B_OK);
    EXPECT_EQ(team, -1);
    const std::string document = fFolder.WriteText("notes.txt", "notes");
    entry_ref ref;
    ASSERT_EQ(get_ref_for_path(document.c_str(), &ref), B_OK);
    EXPECT_EQ(be_roster->Launch(&ref), B_OK);
    EXPECT_EQ(WaitForRuns(3), (std::multiset<std::string>{std::string(url) + "\n",
                                                          "-not-an-option\n", document + "\n"}));
    EXPECT_FALSE(std::filesystem::exists("pwned"));

    // Nothing is left behind for the caller to reap: neither the opener nor its starter.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    entry_ref missing(fFolder.Path().c_str(), "missing.txt");
    EXPECT_EQ(be_roster->Launch(&missing), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(be_roster->Launch((const entry_ref*)nullptr), B_BAD_VALUE);
    const char* bad[] = {"x", nullptr};
    EXPECT_EQ(be_roster->Launch(nullptr, 1, bad), B_BAD_VALUE);
    EXPECT_EQ(be_roster->Launch("text/html", 0, bad), B_BAD_VALUE);
    EXPECT_EQ(be_roster->Launch("text/html", 2, bad), B_BAD_VALUE);
}

TEST_F(RosterLaunch, WithoutAnExecutableOpenerOnThePathNothingStarts)
{
    const char* args[] = {"https://example.org/"};
    ScopedVariable empty("PATH", (fFolder / "runs").c_str());
    EXPECT_EQ(be_roster->Launch("text/html", 1, args), B_LAUNCH_FAILED_NO_PREFERRED_APP);

    // An opener that cannot be executed is passed over; the next one on the PATH is used.
    std::filesystem::create_directory(fFolder / "locked");
    InstallOpener("locked", "#!/bin/sh\nexit 0\n", 0644);
    ScopedVariable locked("PATH", (fFolder / "locked").c_str());
    EXPECT_EQ(be_roster->Launch("text/html", 1, args), B_LAUNCH_FAILED_NO_PREFERRED_APP);
    ScopedVariable both("PATH", (fFolder / "locked:" + fFolder / "bin").c_str());
    EXPECT_EQ(be_roster->Launch("text/html", 1, args), B_OK);
    EXPECT_EQ(WaitForRuns(1).size(), 1u);
}
