#pragma once

#include <Entry.h>

#include <vector>

// Converts files (a folder: the MIDI files in it) one after another as dropping them on the
// window would, with the status texts as lines on standard output and the alerts on standard
// error. Stops at the first failure. True when every file was converted.
bool convert_files(const std::vector<entry_ref>& named);
