#pragma once

#include "smf/MIDIEvent.h"

class TSMF;

// All events of all tracks of file in one map: by tick, within a tick by track, within a track
// in file order. The tracks are left empty. The maps should share one memory resource, so
// that a single track's nodes are handed over rather than copied.
void merge_tracks(const TSMF& file, TEventMap* merged);
