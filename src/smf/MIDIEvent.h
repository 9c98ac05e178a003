#pragma once

// One channel, system-exclusive or meta event.

#include "ByteArray.h"

#include <cstddef>

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

// Kinds of event (fStatus).
inline constexpr uint16 kNoteOff = 0x80;
inline constexpr uint16 kNoteOn = 0x90;
inline constexpr uint16 kControlChange = 0xB0;
inline constexpr uint16 kSystemExclusive = 0xF0; // and the other system messages
inline constexpr uint16 kMetaEvent = 0xFF;

// Meta types (fChannel of a meta event).
inline constexpr uint8 kMetaInstrumentName = 0x04;
inline constexpr uint8 kMetaEndOfTrack = 0x2F;
inline constexpr uint8 kMetaSetTempo = 0x51;

// Controllers (data byte 0 of a control change).
inline constexpr uint8 kControllerVolume = 7;
inline constexpr uint8 kControllerExpression = 11;
inline constexpr uint8 kControllerSustainPedal = 64;

// Data byte index, or 0 where the event has fewer bytes (a map built by hand can hold such
// events; decoding never makes them).
inline uint8 data_byte(const TMIDIEvent& event, size_t index)
{
    return index < event.fData.size() ? event.fData[index] : 0;
}

inline bool is_channel_message(const TMIDIEvent& event)
{
    return event.fStatus < kSystemExclusive;
}

// The channel of a channel message.
inline uint8 channel_of(const TMIDIEvent& event)
{
    return event.fChannel & 0x0F;
}

// A note-on, whatever its velocity.
inline bool is_note_on(const TMIDIEvent& event)
{
    return event.fStatus == kNoteOn;
}

// A release: a note-off, or a note-on with velocity 0.
inline bool is_note_off(const TMIDIEvent& event)
{
    return event.fStatus == kNoteOff || (is_note_on(event) && data_byte(event, 1) == 0);
}

inline bool is_controller(const TMIDIEvent& event, uint8 controller)
{
    return event.fStatus == kControlChange && data_byte(event, 0) == controller;
}

inline bool is_sustain_pedal(const TMIDIEvent& event)
{
    return is_controller(event, kControllerSustainPedal);
}

// F0 7F <device> 04 01 <lsb> <msb> F7: the universal real-time Master Volume message.
inline bool is_master_volume(const TMIDIEvent& event)
{
    return event.fStatus == kSystemExclusive && event.fData.size() >= 6 && event.fData[2] == 0x04 &&
           event.fData[3] == 0x01;
}

// A Set Tempo meta event.
inline bool is_tempo(const TMIDIEvent& event)
{
    return event.fStatus == kMetaEvent && event.fChannel == kMetaSetTempo;
}
