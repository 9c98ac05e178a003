#pragma once

#include "smf/EventMap.h"

#include <SupportDefs.h>

class BPositionIO;
class TSMF;

// All events of all tracks of file in one map: by tick, within a tick by track, within a track
// in file order. The tracks are left empty.
void merge_tracks(const TSMF& file, TEventMap* merged);

// Reads a MIDI file as TSMF::Load does and adds the events of all its tracks to merged in the
// order merge_tracks gives, decoding each track chunk straight into the merged map rather
// than into a track of its own: file keeps the format and time base, and no tracks. 0, or -1
// where TSMF::Load fails.
int32 load_merged(BPositionIO* stream, TSMF* file, TEventMap* merged);
