#pragma once

// One channel, system-exclusive or meta event.

#include "ByteArray.h"

struct TMIDIEvent {
    // The status with the channel bits cleared (0x80 ... 0xE0), 0xF0 for system exclusive and
    // the other system messages, 0xF7 for an event that began with F7, 0xFF for meta events.
    uint16 fStatus = 0;
    // The channel 0 to 15, or the meta type of a meta event.
    uint8 fChannel = 0;
    // The data bytes, or the payload after the length of F0, F7 and meta events.
    TByteArray fData;
};

static_assert(sizeof(TMIDIEvent) == 12);

// A Set Tempo meta event.
inline bool is_tempo(const TMIDIEvent& event)
{
    return event.fStatus == 0xFF && event.fChannel == 0x51;
}
