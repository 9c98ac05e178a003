#pragma once

#include <Entry.h>

#include <vector>

// Converts files one after another as dropping them on the window would, with the status
// texts as lines on standard output and the alerts on standard error. Stops at the first
// failure. True when every file was converted.
bool convert_files(const std::vector<entry_ref>& refs);
