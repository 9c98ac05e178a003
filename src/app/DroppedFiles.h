#pragma once

// What a drop on the main window, or a list of files named in batch mode, stands for: each
// file itself, and for a folder the MIDI files inside it and its subfolders. The window and
// batch mode both go through these two functions, so that they count and convert alike.

#include <Entry.h>

#include <vector>

class TCadenzoView;

// The entries in order, each folder replaced by its MIDI files (by extension ".mid", ".midi",
// ".kar" or ".smf" in any case, or by the "MThd" of a regular file's first bytes; ".fem"
// files never), sorted by path. Links to folders are not followed. A folder holding no MIDI
// file stays in the list as itself, so that its turn reports it.
std::vector<entry_ref> expand_folders(const std::vector<entry_ref>& refs);

// Converts one entry of such a list: 0, or -1 after an alert said why. A folder (one without
// MIDI files) gets an alert naming it.
int32 convert_dropped_entry(const TCadenzoView& view, const entry_ref& ref);
