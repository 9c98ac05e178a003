// Notes that collide once every note-on stands on one channel: note-ons of one key at one
// tick are merged, and releases that would cut a held note short are removed.

#include "app/CadenzoView.h"

#include <algorithm>

static bool is_note_on(const TMIDIEvent& event)
{
    return event.fStatus == 0x90 && event.fData.size() >= 2;
}

static bool is_note_off(const TMIDIEvent& event)
{
    return event.fData.size() >= 2 &&
           (event.fStatus == 0x80 || (event.fStatus == 0x90 && event.fData[1] == 0));
}

int32 TCadenzoView::RemoveRedundantNoteOnEvents(TEventMap* map) const
{
    // The first note-on of each key in the current tick; it takes in the later ones.
    TEventMap::iterator firstOn[256];
    bool seen[256] = {};
    uint8 touched[256];
    size_t touchedCount = 0;

    auto it = map->begin();
    while (it != map->end()) {
        const unsigned long tick = it->first;
        for (size_t i = 0; i < touchedCount; i++)
            seen[touched[i]] = false;
        touchedCount = 0;

        while (it != map->end() && it->first == tick) {
            if (!is_note_on(it->second)) {
                ++it;
                continue;
            }
            uint8 key = it->second.fData[0];
            if (!seen[key]) {
                seen[key] = true;
                firstOn[key] = it;
                touched[touchedCount++] = key;
                ++it;
                continue;
            }
            uint8& velocity = firstOn[key]->second.fData[1];
            velocity = std::max(velocity, it->second.fData[1]);
            it = map->erase(it);
        }
    }
    return 0;
}

int32 TCadenzoView::RemoveHastyNoteOffEvents(TEventMap* map) const
{
    if (map->empty())
        return 0;
    // Set: a later release of the key has been kept and the key has not been struck since.
    bool released[256] = {};
    auto it = map->end();
    while (it != map->begin()) {
        --it;
        const TMIDIEvent& event = it->second;
        if (is_note_off(event)) {
            uint8 key = event.fData[0];
            if (released[key])
                it = map->erase(it);
            else
                released[key] = true;
        } else if (is_note_on(event)) {
            released[event.fData[0]] = false;
        }
    }
    return 0;
}
