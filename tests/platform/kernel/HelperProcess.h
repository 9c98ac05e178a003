#pragma once

// Helper processes for the kernel kit's tests: the test program itself, run again with
// "--helper NAME ARGS...", so that ports are written and owned by real separate processes.
// Every wait here has a deadline: a helper that does not answer in time fails the test.

#include "ChildProcess.h"

#include <OS.h>

#include <string>
#include <vector>

class HelperProcess : public ChildProcess {
public:
    // Starts the helper with its standard input and output as pipes to the test.
    explicit HelperProcess(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"/proc/self/exe", "--helper"});
        StartTalking(arguments);
    }
    // The next line the helper printed, or "" when none came in time.
    std::string Line() { return ReadLine(std::chrono::seconds(10)).value_or(""); }
};

// The helper entry points, by name; each prints what the test needs to see and returns the
// exit status.
int run_helper(const std::vector<std::string>& arguments);

// A port name no other test process uses.
std::string unique_port_name(const char* what);

// Whether get_next_port_name lists the name (its list ending as it should).
bool port_published(const std::string& name);

// How long a test waits for another thread or process before it fails.
constexpr bigtime_t kWatchdog = 10000000;

// The port's next record as "code:bytes", read into a buffer of bufferSize bytes, or
// "error N" when the read failed.
std::string next_record(port_id port, size_t bufferSize = 64);
