#pragma once

// MIDI files written out byte by byte, events made by hand, and whole files compared event by
// event.

#include "smf/EventDump.h"
#include "smf/EventMap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// "MThd" with length 6, format, track count and time base.
Bytes smf_header(uint16_t format, uint16_t tracks, uint16_t timeBase);
// "MTrk", the big-endian length of events, the events.
Bytes smf_track(const Bytes& events);
Bytes operator+(Bytes a, const Bytes& b);
// A small song every conversion accepts: one note on channel 1.
Bytes song(uint8_t key = 0x3C);

// The file as an event dump (smf/EventDump.h), or "not a MIDI file".
std::string dump_file(const Bytes& bytes);
// The same events in the same file, compared as dumps first so that a failure shows the first
// event that differs, then byte for byte for what a dump does not show (running status,
// lengths).
testing::AssertionResult same_file(const Bytes& expected, const Bytes& actual);

TMIDIEvent make_event(uint16_t status, uint8_t channel, std::initializer_list<uint8_t> data);
TMIDIEvent note_on(uint8_t channel, uint8_t key, uint8_t velocity);
TMIDIEvent control(uint8_t channel, uint8_t controller, uint8_t value);
TMIDIEvent tempo(uint32_t microseconds);
