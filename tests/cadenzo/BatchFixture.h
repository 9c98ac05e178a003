#pragma once

// The cadenzo program run on files in a terminal, as a user or a script runs it.

#include "MidiBytes.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

struct Outcome {
    int exitStatus;
    std::string out;
    std::string err;
};

class BatchFixture : public testing::Test {
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
