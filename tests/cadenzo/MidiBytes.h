#pragma once

// Test helpers: MIDI files written out byte by byte, and event maps read back as text so that
// a failing comparison shows the first differing event.

#include "smf/EventMap.h"

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// "MThd" with length 6, format, track count and time base.
Bytes smf_header(uint16_t format, uint16_t tracks, uint16_t timeBase);
// "MTrk", the big-endian length of events, the events.
Bytes smf_track(const Bytes& events);
Bytes operator+(Bytes a, const Bytes& b);

// "tick status channel data..." per event, one per line, in map order, in hex.
std::string dump(const TEventMap& map);

TMIDIEvent make_event(uint16_t status, uint8_t channel, std::initializer_list<uint8_t> data);
TMIDIEvent note_on(uint8_t channel, uint8_t key, uint8_t velocity);
TMIDIEvent note_off(uint8_t channel, uint8_t key, uint8_t velocity = 64);
TMIDIEvent control(uint8_t channel, uint8_t controller, uint8_t value);
TMIDIEvent tempo(uint32_t microseconds);
