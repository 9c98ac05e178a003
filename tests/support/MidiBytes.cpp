#include "MidiBytes.h"

#include "smf/SMF.h"

#include <DataIO.h>

#include <cstdio>

static void append_u32(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((uint8_t)(value >> shift));
}

Bytes smf_header(uint16_t format, uint16_t tracks, uint16_t timeBase)
{
    Bytes out = {'M', 'T', 'h', 'd'};
    append_u32(out, 6);
    for (uint16_t value : {format, tracks, timeBase}) {
        out.push_back((uint8_t)(value >> 8));
        out.push_back((uint8_t)value);
    }
    return out;
}

Bytes smf_track(const Bytes& events)
{
    Bytes out = {'M', 'T', 'r', 'k'};
    append_u32(out, (uint32_t)events.size());
    out.insert(out.end(), events.begin(), events.end());
    return out;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes song(uint8_t key)
{
    return smf_header(0, 1, 96) +
           smf_track({0x00, 0x90, key, 0x40, 0x60, 0x80, key, 0x40, 0x00, 0xFF, 0x2F, 0x00});
}

std::string dump_file(const Bytes& bytes)
{
    BMemoryIO stream(bytes.data(), bytes.size());
    TSMF smf;
    if (smf.Load(&stream) != 0)
        return "not a MIDI file\n";
    return dump_smf(smf);
}

testing::AssertionResult same_file(const Bytes& expected, const Bytes& actual)
{
    const std::string wanted = dump_file(expected);
    const std::string got = dump_file(actual);
    if (wanted != got) {
        size_t line = 1, start = 0;
        while (start < wanted.size() && start < got.size()) {
            const size_t end = wanted.find('\n', start);
            if (wanted.compare(start, end - start + 1, got, start, end - start + 1) != 0)
                break;
            start = end + 1;
            line++;
        }
        auto lineAt = [start](const std::string& text) {
            return start < text.size() ? text.substr(start, text.find('\n', start) - start)
                                       : std::string("(nothing)");
        };
        return testing::AssertionFailure()
               << "line " << line << " of the dump differs\n  expected: " << lineAt(wanted)
               << "\n  actual:   " << lineAt(got) << "\nthe actual file:\n"
               << got;
    }
    if (expected != actual)
        return testing::AssertionFailure()
               << "the same events written differently (" << expected.size() << " bytes expected, "
               << actual.size() << " written):\n"
               << got;
    return testing::AssertionSuccess();
}

TMIDIEvent make_event(uint16_t status, uint8_t channel, std::initializer_list<uint8_t> data)
{
    TMIDIEvent event;
    event.fStatus = status;
    event.fChannel = channel;
    event.fData = TByteArray(data);
    return event;
}

TMIDIEvent note_on(uint8_t channel, uint8_t key, uint8_t velocity)
{
    return make_event(0x90, channel, {key, velocity});
}

TMIDIEvent control(uint8_t channel, uint8_t controller, uint8_t value)
{
    return make_event(0xB0, channel, {controller, value});
}

TMIDIEvent tempo(uint32_t microseconds)
{
    return make_event(
        0xFF, 0x51,
        {(uint8_t)(microseconds >> 16), (uint8_t)(microseconds >> 8), (uint8_t)microseconds});
}
