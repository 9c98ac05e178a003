#pragma once

// Standard MIDI Files of our own making: a short demonstration song, and large songs of any
// size for measurements. Both are written byte by byte, independently of the program's own
// reader and writer.

#include <cstdint>
#include <vector>

struct SongShape {
    uint32_t notes = 1000000;  // notes over all tracks
    uint16_t tracks = 16;      // one channel per track, channel i in track i
    uint16_t timeBase = 480;   // ticks per quarter note
    uint32_t seed = 1;
};

// A format-1 file: a conductor track with tempo changes, then the note tracks, written with
// running status, volume and expression changes, the sustain pedal, program changes and a
// Master Volume message. The first note comes after a bar of silence.
std::vector<uint8_t> generate_song(const SongShape& shape);

// A few bars for two hands and drums: enough to hear that a conversion did what it should.
std::vector<uint8_t> generate_sample_song();
