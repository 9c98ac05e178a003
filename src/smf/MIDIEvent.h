#pragma once

// One channel, system-exclusive or meta event, and the map of events by absolute tick that
// tracks, the conversion and its passes work on.

#include "ByteArray.h"

#include <map>
#include <memory_resource>

struct TMIDIEvent {
    // The status with the channel bits cleared (0x80 ... 0xE0), 0xF0 for system exclusive and
    // the other system messages, 0xF7 for an event that began with F7, 0xFF for meta events.
    uint16 fStatus = 0;
    // The channel 0 to 15, or the meta type of a meta event.
    uint8 fChannel = 0;
    // The data bytes, or the payload after the length of F0, F7 and meta events.
    TByteArray fData;
};

static_assert(sizeof(TMIDIEvent) == 16);

// Events by absolute tick. Every insertion goes after the events already at its tick, so the
// events of one tick keep the order in which they were inserted. Maps of one conversion share
// a memory pool (see TEventPool) so that nodes can move between them without copying.
using TEventMap = std::pmr::multimap<unsigned long, TMIDIEvent>;

// Inserts after every event at the same tick. Appending in tick order is the common case and
// costs no search.
template <typename Event>
inline TEventMap::iterator add_event(TEventMap& map, unsigned long tick, Event&& event)
{
    if (map.empty() || map.rbegin()->first <= tick)
        return map.emplace_hint(map.end(), tick, std::forward<Event>(event));
    return map.emplace(tick, std::forward<Event>(event));
}

// Inserts a run of events whose ticks never decrease into a map that already holds events,
// each after the events already at its tick. Inserting into the middle of a large tree
// touches memory all over it; instead the map's events and the new ones are merged into a
// new map by appending only, the old nodes moving over as they are, and the result takes the
// map's place when the inserter finishes (or goes).
class TEventMapInserter {
public:
    explicit TEventMapInserter(TEventMap& map) : fMap(map), fMerged(map.get_allocator()) {}
    ~TEventMapInserter() { Finish(); }

    TEventMapInserter(const TEventMapInserter&) = delete;
    TEventMapInserter& operator=(const TEventMapInserter&) = delete;

    template <typename Event>
    void Insert(unsigned long tick, Event&& event)
    {
        if (!fMerged.empty() && tick < fMerged.rbegin()->first) {
            // Out of order after all: fall back to inserting in place.
            Finish();
            add_event(fMap, tick, std::forward<Event>(event));
            return;
        }
        while (!fMap.empty() && fMap.begin()->first <= tick)
            fMerged.insert(fMerged.end(), fMap.extract(fMap.begin()));
        fMerged.emplace_hint(fMerged.end(), tick, std::forward<Event>(event));
    }

    // Puts the merged events in the map. Inserting afterwards starts a new merge.
    void Finish()
    {
        if (fMerged.empty())
            return;
        while (!fMap.empty())
            fMerged.insert(fMerged.end(), fMap.extract(fMap.begin()));
        fMap.swap(fMerged);
    }

private:
    TEventMap& fMap;
    TEventMap fMerged;
};
