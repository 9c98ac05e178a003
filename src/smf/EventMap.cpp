#include "EventMap.h"

#include <algorithm>

static bool tick_before(const TTimedEvent& a, const TTimedEvent& b)
{
    return a.fTick < b.fTick;
}

TEventMap::TEventMap(std::vector<TTimedEvent> events) : fEvents(std::move(events))
{
    // A stable sort keeps the events of one tick in insertion order.
    if (!std::is_sorted(fEvents.begin(), fEvents.end(), tick_before))
        std::stable_sort(fEvents.begin(), fEvents.end(), tick_before);
}

void TEventMap::insert(uint32 tick, TMIDIEvent event)
{
    if (fEvents.empty() || fEvents.back().fTick <= tick) {
        fEvents.push_back({tick, std::move(event)});
        return;
    }
    auto after = std::upper_bound(
        fEvents.begin(), fEvents.end(), tick,
        [](uint32 value, const TTimedEvent& entry) { return value < entry.fTick; });
    fEvents.insert(after, {tick, std::move(event)});
}

// Merges the events of other into buffer, which holds its own events at its front and room
// for other's behind them. Working from the back, every event moves once, into room that has
// already been emptied. At equal ticks the events of the later map go behind.
static void merge_from_back(std::vector<TTimedEvent>& buffer, size_t held,
                            std::vector<TTimedEvent>& other, bool heldAreLater)
{
    auto heldAt = buffer.begin() + (long)held;
    auto otherAt = other.end();
    auto out = buffer.end();
    while (otherAt != other.begin()) {
        bool takeHeld = false;
        if (heldAt != buffer.begin()) {
            const uint32 heldTick = (heldAt - 1)->fTick;
            const uint32 otherTick = (otherAt - 1)->fTick;
            takeHeld = heldAreLater ? heldTick >= otherTick : heldTick > otherTick;
        }
        *--out = std::move(takeHeld ? *--heldAt : *--otherAt);
    }
}

void TEventMap::merge(TEventMap&& later)
{
    if (later.empty())
        return;
    const size_t total = fEvents.size() + later.size();
    // Merge into the array that holds more events if it has room for the rest, else into one
    // that has room: the memory of events that are there already is in use, while room
    // reserved beyond them may still cost nothing, and then no third array is needed.
    const bool laterHasRoom = later.fEvents.capacity() >= total;
    if (laterHasRoom && (later.size() > size() || fEvents.capacity() < total)) {
        const size_t held = later.size();
        later.fEvents.resize(total);
        merge_from_back(later.fEvents, held, fEvents, true);
        fEvents.swap(later.fEvents);
    } else {
        const size_t held = fEvents.size();
        fEvents.resize(total);
        merge_from_back(fEvents, held, later.fEvents, false);
    }
    later.clear();
}
