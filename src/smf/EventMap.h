#pragma once

// Events by absolute tick: the map that tracks, the conversion and its passes work on.
//
// The events lie in one array, sorted by tick, each beside its tick (16 bytes an event). Every
// insertion goes after the events already at its tick, so the events of one tick keep the
// order in which they were inserted. Songs are built in tick order, so almost every insertion
// is an append; passes that add many events collect them in a map of their own and merge it
// in with one walk.

#include "MIDIEvent.h"

#include <cassert>
#include <vector>

struct TTimedEvent {
    uint32 fTick = 0;
    TMIDIEvent fEvent;
};

static_assert(sizeof(TTimedEvent) == 16);

class TEventMap {
public:
    using iterator = std::vector<TTimedEvent>::iterator;
    using const_iterator = std::vector<TTimedEvent>::const_iterator;
    using reverse_iterator = std::vector<TTimedEvent>::reverse_iterator;
    using const_reverse_iterator = std::vector<TTimedEvent>::const_reverse_iterator;

    TEventMap() = default;
    // The map that inserting events one after another would give. Ticks that go back (a
    // track's ticks wrap around past 2^32) cost one sort rather than an insertion each.
    explicit TEventMap(std::vector<TTimedEvent> events);

    size_t size() const { return fEvents.size(); }
    bool empty() const { return fEvents.empty(); }
    void reserve(size_t count) { fEvents.reserve(count); }
    void clear() { std::vector<TTimedEvent>().swap(fEvents); }

    iterator begin() { return fEvents.begin(); }
    iterator end() { return fEvents.end(); }
    const_iterator begin() const { return fEvents.begin(); }
    const_iterator end() const { return fEvents.end(); }
    reverse_iterator rbegin() { return fEvents.rbegin(); }
    reverse_iterator rend() { return fEvents.rend(); }
    const_reverse_iterator rbegin() const { return fEvents.rbegin(); }
    const_reverse_iterator rend() const { return fEvents.rend(); }
    TTimedEvent& back() { return fEvents.back(); }
    const TTimedEvent& back() const { return fEvents.back(); }

    // Appends an event whose tick is not below the last one's: the insertion rule without a
    // search.
    void push_back(uint32 tick, const TMIDIEvent& event)
    {
        assert(fEvents.empty() || fEvents.back().fTick <= tick);
        fEvents.push_back({tick, event});
    }
    void push_back(uint32 tick, TMIDIEvent&& event)
    {
        assert(fEvents.empty() || fEvents.back().fTick <= tick);
        fEvents.push_back({tick, std::move(event)});
    }

    // Inserts after every event at the same tick.
    void insert(uint32 tick, TMIDIEvent event);
    // Inserts every event of later, in its order, each after the events already at its tick.
    void merge(TEventMap&& later);

    // Removes the events from first up to last. The passes that drop events move the ones
    // they keep to the front in one walk and then cut off the rest.
    void erase(iterator first, iterator last) { fEvents.erase(first, last); }

private:
    std::vector<TTimedEvent> fEvents;
};

// Inserts after every event at the same tick (the rule every insertion keeps).
inline void add_event(TEventMap& map, uint32 tick, TMIDIEvent event)
{
    map.insert(tick, std::move(event));
}
