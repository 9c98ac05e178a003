#include "SongGenerator.h"

#include <algorithm>
#include <string>

namespace {

// Deterministic, so that a measurement converts the same bytes every time.
class Random {
public:
    explicit Random(uint32_t seed) : fState(seed * 2654435761u + 1) {}
    uint32_t Next()
    {
        fState ^= fState << 13;
        fState ^= fState >> 17;
        fState ^= fState << 5;
        return fState;
    }
    uint32_t Below(uint32_t limit) { return Next() % limit; }

private:
    uint32_t fState;
};

class ChunkWriter {
public:
    void Byte(uint8_t byte) { fBytes.push_back(byte); }
    void Bytes(std::initializer_list<uint8_t> bytes) { fBytes.insert(fBytes.end(), bytes); }
    void Text(const std::string& text) { fBytes.insert(fBytes.end(), text.begin(), text.end()); }
    void Quantity(uint32_t value)
    {
        uint8_t buffer[5];
        int count = 0;
        buffer[count++] = value & 0x7F;
        while ((value >>= 7) != 0)
            buffer[count++] = (uint8_t)(0x80 | (value & 0x7F));
        while (count > 0)
            Byte(buffer[--count]);
    }
    // A channel message, with running status when the status byte repeats.
    void Channel(uint32_t delta, uint8_t status, uint8_t data1, int data2 = -1)
    {
        Quantity(delta);
        if (status != fRunningStatus)
            Byte(status);
        fRunningStatus = status;
        Byte(data1);
        if (data2 >= 0)
            Byte((uint8_t)data2);
    }
    void Meta(uint32_t delta, uint8_t type, const std::vector<uint8_t>& payload)
    {
        Quantity(delta);
        Bytes({0xFF, type});
        Quantity((uint32_t)payload.size());
        fBytes.insert(fBytes.end(), payload.begin(), payload.end());
        fRunningStatus = 0;
    }
    void SystemExclusive(uint32_t delta, const std::vector<uint8_t>& payload)
    {
        Quantity(delta);
        Byte(0xF0);
        Quantity((uint32_t)payload.size());
        fBytes.insert(fBytes.end(), payload.begin(), payload.end());
        fRunningStatus = 0;
    }
    void Tempo(uint32_t delta, uint32_t microseconds)
    {
        Meta(delta, 0x51, {(uint8_t)(microseconds >> 16), (uint8_t)(microseconds >> 8),
                           (uint8_t)microseconds});
    }
    void End(uint32_t delta) { Meta(delta, 0x2F, {}); }

    const std::vector<uint8_t>& Data() const { return fBytes; }

private:
    std::vector<uint8_t> fBytes;
    uint8_t fRunningStatus = 0;
};

void append_u32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((uint8_t)(value >> shift));
}

void append_u16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back((uint8_t)(value >> 8));
    out.push_back((uint8_t)value);
}

std::vector<uint8_t> assemble(uint16_t format, uint16_t timeBase,
                              const std::vector<ChunkWriter>& tracks)
{
    std::vector<uint8_t> file;
    file.insert(file.end(), {'M', 'T', 'h', 'd'});
    append_u32(file, 6);
    append_u16(file, format);
    append_u16(file, (uint16_t)tracks.size());
    append_u16(file, timeBase);
    for (const ChunkWriter& track : tracks) {
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        append_u32(file, (uint32_t)track.Data().size());
        file.insert(file.end(), track.Data().begin(), track.Data().end());
    }
    return file;
}

} // namespace

std::vector<uint8_t> generate_song(const SongShape& shape)
{
    Random random(shape.seed);
    const uint32_t bar = 4u * shape.timeBase;
    const uint32_t notesPerTrack = shape.notes / std::max<uint16_t>(shape.tracks, 1);

    std::vector<ChunkWriter> tracks(1 + shape.tracks);
    // Sixteenth notes at most: the song lasts as long as the busiest track needs.
    const uint32_t step = std::max<uint32_t>(shape.timeBase / 4, 1);
    const uint32_t length = bar + notesPerTrack * step * 2;

    ChunkWriter& conductor = tracks[0];
    conductor.Meta(0, 0x03, {'B', 'e', 'n', 'c', 'h'});
    conductor.Meta(0, 0x58, {4, 2, 24, 8});
    conductor.Tempo(0, 500000);
    conductor.SystemExclusive(0, {0x7F, 0x7F, 0x04, 0x01, 0x00, 0x70, 0xF7});
    uint32_t at = 0;
    for (uint32_t tick = 8 * bar; tick < length; tick += 8 * bar) {
        conductor.Tempo(tick - at, 400000 + random.Below(300000));
        at = tick;
    }
    conductor.End(length - at);

    for (uint16_t t = 0; t < shape.tracks; t++) {
        ChunkWriter& track = tracks[1 + t];
        const uint8_t channel = t & 0x0F;
        // Half the tracks release with note-off messages, half with zero-velocity note-ons,
        // which is what running status makes cheap.
        const bool noteOffs = (t % 2) == 1;
        track.Meta(0, 0x04, {'P', 'i', 'a', 'n', 'o'});
        track.Channel(0, 0xC0 | channel, 0);
        track.Channel(0, 0xB0 | channel, 7, 90 + random.Below(38));
        uint32_t now = 0;
        uint32_t next = bar + t; // a bar of silence first
        for (uint32_t n = 0; n < notesPerTrack; n++) {
            if (n % 64 == 0) {
                track.Channel(next - now, 0xB0 | channel, 11, 80 + random.Below(48));
                track.Channel(0, 0xB0 | channel, 64, (n / 64) % 2 ? 0 : 127);
                now = next;
            }
            const uint8_t key = (uint8_t)(36 + random.Below(60));
            const uint32_t duration = step * (1 + random.Below(2));
            track.Channel(next - now, 0x90 | channel, key, 1 + random.Below(127));
            if (noteOffs)
                track.Channel(duration, 0x80 | channel, key, 64);
            else
                track.Channel(duration, 0x90 | channel, key, 0);
            now = next + duration;
            next = now + (random.Below(4) == 0 ? step : 0);
        }
        track.End(length > now ? length - now : 0);
    }
    return assemble(1, shape.timeBase, tracks);
}

std::vector<uint8_t> generate_sample_song()
{
    const uint16_t timeBase = 480;
    const uint32_t quarter = timeBase;
    std::vector<ChunkWriter> tracks(4);

    ChunkWriter& conductor = tracks[0];
    conductor.Meta(0, 0x03, {'S', 'a', 'm', 'p', 'l', 'e'});
    conductor.Tempo(0, 600000);
    conductor.Tempo(16 * quarter, 750000); // slower for the last bars
    conductor.End(8 * quarter + quarter);

    // Right hand: a rising and falling line, starting after a bar of silence.
    ChunkWriter& right = tracks[1];
    right.Meta(0, 0x03, {'R', 'i', 'g', 'h', 't'});
    right.Channel(0, 0xC0, 0);
    right.Channel(0, 0xB0, 7, 110);
    const uint8_t melody[] = {60, 62, 64, 65, 67, 69, 71, 72, 71, 69, 67, 65, 64, 62, 60, 60};
    uint32_t gap = 4 * quarter;
    for (uint8_t key : melody) {
        right.Channel(gap, 0x90, key, 80 + (key % 5) * 8);
        right.Channel(quarter + quarter / 2, 0x80, key, 64);
        gap = 0;
    }
    right.End(quarter);

    // Left hand: chords, with the pedal held through each bar.
    ChunkWriter& left = tracks[2];
    left.Meta(0, 0x03, {'L', 'e', 'f', 't'});
    left.Channel(0, 0xC1, 0);
    left.Channel(0, 0xB1, 7, 90);
    const uint8_t chords[][3] = {{48, 52, 55}, {53, 57, 60}, {55, 59, 62}, {48, 52, 55}};
    gap = 4 * quarter;
    for (int bar = 0; bar < 6; bar++) {
        const uint8_t* chord = chords[bar % 4];
        left.Channel(gap, 0xB1, 64, 127);
        left.Channel(0, 0x91, chord[0], 70);
        left.Channel(0, 0x91, chord[1], 64);
        left.Channel(0, 0x91, chord[2], 64);
        left.Channel(4 * quarter - 10, 0x91, chord[0], 0);
        left.Channel(0, 0x91, chord[1], 0);
        left.Channel(0, 0x91, chord[2], 0);
        left.Channel(0, 0xB1, 64, 0);
        gap = 10;
    }
    left.End(quarter);

    // Drums on the tenth channel, which the player leaves out by default.
    ChunkWriter& drums = tracks[3];
    drums.Meta(0, 0x03, {'D', 'r', 'u', 'm', 's'});
    gap = 4 * quarter;
    for (int beat = 0; beat < 24; beat++) {
        drums.Channel(gap, 0x99, beat % 4 == 0 ? 36 : 42, 100);
        drums.Channel(quarter / 2, 0x89, beat % 4 == 0 ? 36 : 42, 0);
        gap = quarter / 2;
    }
    drums.End(0);

    return assemble(1, timeBase, tracks);
}
