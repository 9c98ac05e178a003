// Which events of the source reach the output: tempo changes, the note-offs and sustain-pedal
// events of the enabled channels, and their note-ons with velocities rescaled by loudness.

#include "app/CadenzoView.h"
#include "settings/Prefs.h"

#include <algorithm>
#include <vector>

int32 TCadenzoView::ConvertChannelIndependentEvents(const TEventMap& source,
                                                    TEventMap* destination) const
{
    TEventMap tempos;
    for (const auto& [tick, event] : source) {
        if (is_tempo(event))
            tempos.push_back(tick, event);
    }
    destination->merge(std::move(tempos));
    return 0;
}

int32 TCadenzoView::ConvertChannelEvents(const TEventMap& source, TEventMap* destination) const
{
    TEventMap selected;
    // Room for every event costs address space, not memory, and spares the copies of a
    // growing array.
    selected.reserve(source.size());
    for (const auto& [tick, event] : source) {
        if (!is_channel_message(event) || !gPrefs->ChMs[channel_of(event)])
            continue;
        // A real note-off only: a note-on with velocity 0 is the next pass's.
        if (event.fStatus == kNoteOff || is_sustain_pedal(event))
            selected.push_back(tick, event);
    }
    destination->merge(std::move(selected));
    return 0;
}

// Puts the note-ons of one tick, [first, last), in the order of their channels, keeping the
// order of each channel's own, and their loudness with them.
static void order_by_channel(TEventMap::iterator first, TEventMap::iterator last,
                             std::vector<uint32>::iterator loudness)
{
    std::vector<std::pair<TTimedEvent, uint32>> group;
    for (auto it = first; it != last; ++it)
        group.emplace_back(std::move(*it), loudness[it - first]);
    std::stable_sort(group.begin(), group.end(), [](const auto& a, const auto& b) {
        return channel_of(a.first.fEvent) < channel_of(b.first.fEvent);
    });
    for (size_t i = 0; i < group.size(); i++) {
        first[(long)i] = std::move(group[i].first);
        loudness[(long)i] = group[i].second;
    }
}

int32 TCadenzoView::ConvertNoteOnEvents(const TEventMap& source, TEventMap* destination) const
{
    // One walk with the controller state of all sixteen channels gives every note-on the
    // loudness that a walk per channel would: the master volume is shared by all channels and
    // each channel's volume and expression change only with that channel's controllers.
    uint8 master = 127;
    uint8 volume[16];
    uint8 expression[16];
    std::fill(std::begin(volume), std::end(volume), 100);
    std::fill(std::begin(expression), std::end(expression), 127);

    // The work map, as two arrays side by side: the collected note-ons, and the loudness of
    // each (master x volume x expression x velocity; four bytes multiplied stay below 2^32
    // even when a damaged file carries data bytes above 127). Room for every event of the
    // source, and for the events already selected so that the note-ons can be merged in
    // without a third array, costs address space, not memory.
    TEventMap work;
    work.reserve(source.size() + destination->size());
    std::vector<uint32> loudness;
    loudness.reserve(source.size());
    uint32 largest = 0;
    for (const auto& [tick, event] : source) {
        if (is_master_volume(event)) {
            master = event.fData[5];
            continue;
        }
        if (!is_channel_message(event))
            continue;
        uint8 channel = channel_of(event);
        if (!gPrefs->ChMs[channel])
            continue;
        if (is_note_on(event)) {
            uint32 value =
                (uint32)master * volume[channel] * expression[channel] * data_byte(event, 1);
            largest = std::max(largest, value);
            work.push_back(tick, event);
            loudness.push_back(value);
        } else if (is_controller(event, kControllerVolume)) {
            volume[channel] = data_byte(event, 1);
        } else if (is_controller(event, kControllerExpression)) {
            expression[channel] = data_byte(event, 1);
        }
    }

    // The note-ons of one tick go out by channel, and within a channel in source order, as
    // if each channel had been walked in turn. Most ticks hold a note or two, already in
    // order.
    for (auto group = work.begin(); group != work.end();) {
        auto groupEnd = group + 1;
        bool ordered = true;
        for (; groupEnd != work.end() && groupEnd->fTick == group->fTick; ++groupEnd) {
            if (channel_of(groupEnd->fEvent) < channel_of((groupEnd - 1)->fEvent))
                ordered = false;
        }
        if (!ordered)
            order_by_channel(group, groupEnd, loudness.begin() + (group - work.begin()));
        group = groupEnd;
    }

    const uint64 maxVelocity = (uint8)gPrefs->MaxV;
    auto noteLoudness = loudness.begin();
    for (TTimedEvent& entry : work) {
        TMIDIEvent& noteOn = entry.fEvent;
        noteOn.fChannel = 0;
        if (noteOn.fData.size() >= 2) {
            noteOn.fData[1] =
                largest == 0 ? 0 : (uint8)((uint64)*noteLoudness * maxVelocity / largest);
        }
        ++noteLoudness;
    }
    destination->merge(std::move(work));
    return 0;
}
