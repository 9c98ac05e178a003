#pragma once

// Converting in the terminal: the files named (a folder: the MIDI files in it) one after
// another as dropping them on the window would, with the same texts, order and output bytes;
// a progress line for each on standard output, and for each failure a line naming the file
// and its cause on standard error, followed by the alert's text where one applies.

#include <SupportDefs.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

struct TBatchOptions {
    bool quiet = false;     // no progress lines
    bool keepGoing = false; // convert every file even after a failure
    int32 jobs = 1;         // files converted at once
    // Conversion settings for this run only; the saved settings are left as they are.
    std::optional<std::array<bool, 16>> channels;
    std::optional<int32> maxVelocity;
    std::optional<bool> trimHead;
    std::optional<bool> addTail;
    std::optional<int32> tailSeconds;
    std::string outputFolder; // empty: each output beside its source
    std::vector<std::string> files;
};

// The exit status: 0 when every file was converted, 1 when some were not, 2 when the output
// folder is not a folder.
int convert_files(const TBatchOptions& options);
