// Notes that collide once every note-on stands on one channel: note-ons of one key at one
// tick are merged, and releases that would cut a held note short are removed.

#include "app/CadenzoView.h"

#include <algorithm>

// Events that name a key and a velocity; only these take part. (Decoding gives every note
// event both bytes; a map built by hand may not.)
static bool has_key_and_velocity(const TMIDIEvent& event)
{
    return event.fData.size() >= 2;
}

int32 TCadenzoView::RemoveRedundantNoteOnEvents(TEventMap* map) const
{
    if (map->empty())
        return 0;
    // The first note-on of each key in the current tick; it takes in the later ones.
    TEventMap::iterator firstOn[256];
    bool seen[256] = {};
    uint8 touched[256];
    size_t touchedCount = 0;
    uint32 groupTick = map->begin()->fTick;

    // The events that stay move up over the removed ones, in one walk.
    auto kept = map->begin();
    for (auto it = map->begin(); it != map->end(); ++it) {
        if (it->fTick != groupTick) {
            for (size_t i = 0; i < touchedCount; i++)
                seen[touched[i]] = false;
            touchedCount = 0;
            groupTick = it->fTick;
        }
        if (is_note_on(it->fEvent) && has_key_and_velocity(it->fEvent)) {
            const uint8 key = it->fEvent.fData[0];
            if (seen[key]) {
                uint8& velocity = firstOn[key]->fEvent.fData[1];
                velocity = std::max(velocity, it->fEvent.fData[1]);
                continue;
            }
            seen[key] = true;
            firstOn[key] = kept;
            touched[touchedCount++] = key;
        }
        if (kept != it)
            *kept = std::move(*it);
        ++kept;
    }
    map->erase(kept, map->end());
    return 0;
}

int32 TCadenzoView::RemoveHastyNoteOffEvents(TEventMap* map) const
{
    if (map->empty())
        return 0;
    // Set: a later release of the key has been kept and the key has not been struck since.
    bool released[256] = {};
    // Backwards, the events that stay move down over the removed ones; the room left at the
    // front is cut off at the end.
    auto kept = map->end();
    for (auto it = map->end(); it != map->begin();) {
        --it;
        const TMIDIEvent& event = it->fEvent;
        if (has_key_and_velocity(event)) {
            const uint8 key = event.fData[0];
            if (is_note_off(event)) {
                if (released[key])
                    continue;
                released[key] = true;
            } else if (is_note_on(event)) {
                // Struck: is_note_off took the note-ons with velocity 0.
                released[key] = false;
            }
        }
        --kept;
        if (kept != it)
            *kept = std::move(*it);
    }
    map->erase(map->begin(), kept);
    return 0;
}
