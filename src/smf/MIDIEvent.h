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
// each after the events already at its tick, walking the map once instead of searching it
// for every event.
class TEventMapInserter {
public:
    explicit TEventMapInserter(TEventMap& map) : fMap(map), fNext(map.begin()) {}

    template <typename Event>
    void Insert(unsigned long tick, Event&& event)
    {
        if (tick < fLastTick)
            fNext = fMap.upper_bound(tick);
        while (fNext != fMap.end() && fNext->first <= tick)
            ++fNext;
        fLastTick = tick;
        // fNext is the first event after the tick: inserting just before it is inserting
        // after every event at the tick.
        fMap.emplace_hint(fNext, tick, std::forward<Event>(event));
    }

private:
    TEventMap& fMap;
    TEventMap::iterator fNext;
    unsigned long fLastTick = 0;
};

// A Set Tempo meta event.
inline bool is_tempo(const TMIDIEvent& event)
{
    return event.fStatus == 0xFF && event.fChannel == 0x51;
}
