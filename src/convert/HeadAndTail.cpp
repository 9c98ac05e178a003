// The beginning and the end of the converted track: the silence before the first note goes,
// and the End of Track closes it after an optional tail of silence.

#include "app/CadenzoView.h"
#include "settings/Prefs.h"

#include <algorithm>

static constexpr unsigned long kLastTick = 0xFFFFFFFF;
static constexpr int64 kDefaultTempo = 500000; // microseconds per quarter note

int32 TCadenzoView::RemoveHeadSilence(TEventMap* map) const
{
    if (!gPrefs->TrHd)
        return 0;
    auto firstNoteOn = std::find_if(map->begin(), map->end(), [](const TTimedEvent& entry) {
        return is_note_on(entry.fEvent);
    });
    if (firstNoteOn == map->end())
        return 0;
    const uint32 headTick = firstNoteOn->fTick;

    // Of the tempo changes before the first note only the latest stays.
    auto latestTempo =
        std::find_if(std::make_reverse_iterator(firstNoteOn), map->rend(),
                     [](const TTimedEvent& entry) { return is_tempo(entry.fEvent); });
    const auto keptTempo = latestTempo == map->rend() ? map->end() : std::prev(latestTempo.base());

    // Everything before the first note-on lands on tick 0, everything from it on moves
    // earlier by the head tick. That keeps the order of the map, so one walk moves the ticks
    // and closes the gaps of the removed tempo changes.
    auto kept = map->begin();
    for (auto it = map->begin(); it != map->end(); ++it) {
        const bool beforeFirstNote = it < firstNoteOn;
        if (beforeFirstNote && is_tempo(it->fEvent) && it != keptTempo)
            continue;
        it->fTick = beforeFirstNote ? 0 : it->fTick - headTick;
        if (kept != it)
            *kept = std::move(*it);
        ++kept;
    }
    map->erase(kept, map->end());
    return 0;
}

int32 TCadenzoView::AddEndOfTrack(TEventMap* map, unsigned short timeBase) const
{
    int64 tempo = kDefaultTempo;
    auto lastTempo = std::find_if(map->rbegin(), map->rend(),
                                  [](const TTimedEvent& entry) { return is_tempo(entry.fEvent); });
    if (lastTempo != map->rend()) {
        const TByteArray& data = lastTempo->fEvent.fData;
        // A tempo of zero or one cut short comes only from a damaged file; the tail then
        // takes the default tempo rather than dividing by nothing.
        if (data.size() >= 3) {
            int64 value = data[0] * 65536 + data[1] * 256 + data[2];
            if (value != 0)
                tempo = value;
        }
    }

    // The End of Track must stay the last event: the arithmetic saturates at the last tick a
    // file can hold instead of wrapping around to the front, and a negative tail adds nothing.
    unsigned long tick =
        map->empty() ? 0 : std::min((unsigned long)map->back().fTick + 1, kLastTick);
    if (gPrefs->AdTl) {
        __int128 tail = (__int128)gPrefs->TlMg * 1000000 * timeBase / tempo;
        tail = std::clamp<__int128>(tail, 0, kLastTick);
        tick = (unsigned long)std::min<__int128>(tick + tail, kLastTick);
    }

    TMIDIEvent endOfTrack;
    endOfTrack.fStatus = kMetaEvent;
    endOfTrack.fChannel = kMetaEndOfTrack;
    add_event(*map, (uint32)tick, endOfTrack);
    return 0;
}
