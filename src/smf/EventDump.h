#pragma once

// A readable text form of events, for tests and bug reports: one line an event,
// "tick status channel data...", the tick in decimal and the rest in hex, in map order. Two
// dumps that differ show the first event that differs, where two byte arrays show an offset.

#include <string>

class TEventMap;
class TSMF;

std::string dump_events(const TEventMap& map);

// The header ("format 0 tracks 1 time base 480"), then each track ("track 0") and its events.
std::string dump_smf(const TSMF& smf);
