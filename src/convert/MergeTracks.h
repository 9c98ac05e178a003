#pragma once

#include "smf/EventMap.h"

class TSMF;

// All events of all tracks of file in one map: by tick, within a tick by track, within a track
// in file order. The tracks are left empty.
void merge_tracks(const TSMF& file, TEventMap* merged);
