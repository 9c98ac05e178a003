#pragma once

// Helper processes for the kernel kit's tests: the test program itself, run again with
// "--helper NAME ARGS...", so that ports are written and owned by real separate processes.
// Every wait here has a watchdog: a helper that does not answer in time fails the test.

#include "ChildProcess.h"

#include <OS.h>

#include <string>
#include <sys/types.h>
#include <vector>

class HelperProcess {
public:
    // Starts the helper; its standard output comes back through ReadLine. A helper still
    // running at the end is killed.
    explicit HelperProcess(const std::vector<std::string>& arguments);

    bool Started() const { return fChild.Pid() > 0; }
    // The next line the helper printed, or "" when none came within the timeout.
    std::string ReadLine(bigtime_t timeout = 10000000)
    {
        return fChild.ReadLine(Limit(timeout)).value_or("");
    }
    // Whether the helper printed something within the timeout (it is left unread).
    bool Printed(bigtime_t timeout) { return fChild.Printed(Limit(timeout)); }
    // The helper's exit status, or -1 when it did not end within the timeout (it is killed).
    int Wait(bigtime_t timeout = 10000000);
    void Kill(int signal) { fChild.Signal(signal); }

private:
    static std::chrono::milliseconds Limit(bigtime_t timeout)
    {
        return std::chrono::milliseconds(timeout / 1000);
    }

    ChildProcess fChild;
};

// The helper entry points, by name; each prints what the test needs to see and returns the
// exit status.
int run_helper(const std::vector<std::string>& arguments);

// A port name no other test process uses.
std::string unique_port_name(const char* what);
