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

void TEventMap::merge(TEventMap&& later)
{
    if (later.empty())
        return;
    if (fEvents.empty()) {
        fEvents.swap(later.fEvents);
        return;
    }
    const size_t mine = fEvents.size();
    fEvents.resize(mine + later.size());
    if (fEvents[mine - 1].fTick <= later.fEvents.front().fTick) {
        std::move(later.fEvents.begin(), later.fEvents.end(), fEvents.begin() + (long)mine);
    } else {
        // From the back: at equal ticks the later event goes behind, and every event moves
        // once, into room that has already been emptied.
        auto mineAt = fEvents.begin() + (long)mine;
        auto laterAt = later.fEvents.end();
        auto out = fEvents.end();
        while (laterAt != later.fEvents.begin()) {
            if (mineAt != fEvents.begin() && (mineAt - 1)->fTick > (laterAt - 1)->fTick)
                *--out = std::move(*--mineAt);
            else
                *--out = std::move(*--laterAt);
        }
    }
    later.clear();
}
