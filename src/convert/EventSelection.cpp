// Which events of the source reach the output: tempo changes, the note-offs and sustain-pedal
// events of the enabled channels, and their note-ons with velocities rescaled by loudness.

#include "app/CadenzoView.h"
#include "settings/Prefs.h"

#include <algorithm>
#include <vector>

// F0 7F <device> 04 01 <lsb> <msb> F7: the universal real-time Master Volume message.
static bool is_master_volume(const TMIDIEvent& event)
{
    return event.fStatus == 0xF0 && event.fData.size() >= 6 && event.fData[2] == 0x04 &&
           event.fData[3] == 0x01;
}

static uint8 data_byte(const TMIDIEvent& event, size_t index)
{
    return index < event.fData.size() ? event.fData[index] : 0;
}

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
        if (event.fStatus >= 0xF0 || !gPrefs->ChMs[event.fChannel & 0x0F])
            continue;
        bool sustainPedal = event.fStatus == 0xB0 && data_byte(event, 0) == 0x40;
        if (event.fStatus == 0x80 || sustainPedal)
            selected.push_back(tick, event);
    }
    destination->merge(std::move(selected));
    return 0;
}

namespace {

// A collected note-on with its loudness: master x volume x expression x velocity. Four bytes
// multiplied stay below 2^32 even when a damaged file carries data bytes above 127.
struct TWorkMIDIEvent {
    const TMIDIEvent* fEvent;
    uint32 fTick;
    uint32 fLoudness;
};

} // namespace

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

    std::vector<TWorkMIDIEvent> work;
    // At most one entry per event: reserving that much costs address space, not memory, and
    // spares the copies of a growing vector.
    work.reserve(source.size());
    uint32 largest = 0;
    for (const auto& [tick, event] : source) {
        if (is_master_volume(event)) {
            master = event.fData[5];
            continue;
        }
        if (event.fStatus >= 0xF0)
            continue;
        uint8 channel = event.fChannel & 0x0F;
        if (!gPrefs->ChMs[channel])
            continue;
        if (event.fStatus == 0x90) {
            uint32 loudness =
                (uint32)master * volume[channel] * expression[channel] * data_byte(event, 1);
            largest = std::max(largest, loudness);
            work.push_back({&event, (uint32)tick, loudness});
        } else if (event.fStatus == 0xB0) {
            if (data_byte(event, 0) == 7)
                volume[channel] = data_byte(event, 1);
            else if (data_byte(event, 0) == 11)
                expression[channel] = data_byte(event, 1);
        }
    }

    // The note-ons of one tick go out by channel, and within a channel in source order, as
    // if each channel had been walked in turn.
    for (auto group = work.begin(); group != work.end();) {
        auto groupEnd = std::find_if(group, work.end(), [&](const TWorkMIDIEvent& entry) {
            return entry.fTick != group->fTick;
        });
        auto byChannel = [](const TWorkMIDIEvent& a, const TWorkMIDIEvent& b) {
            return (a.fEvent->fChannel & 0x0F) < (b.fEvent->fChannel & 0x0F);
        };
        // Most ticks hold a note or two, already in order.
        if (!std::is_sorted(group, groupEnd, byChannel))
            std::stable_sort(group, groupEnd, byChannel);
        group = groupEnd;
    }

    const uint64 maxVelocity = (uint8)gPrefs->MaxV;
    TEventMap noteOns;
    // With room for the events already selected, the note-ons are merged in without a third
    // array.
    noteOns.reserve(work.size() + destination->size());
    for (const TWorkMIDIEvent& entry : work) {
        TMIDIEvent noteOn = *entry.fEvent;
        noteOn.fChannel = 0;
        if (noteOn.fData.size() >= 2) {
            noteOn.fData[1] =
                largest == 0 ? 0 : (uint8)((uint64)entry.fLoudness * maxVelocity / largest);
        }
        noteOns.push_back(entry.fTick, std::move(noteOn));
    }
    destination->merge(std::move(noteOns));
    return 0;
}
